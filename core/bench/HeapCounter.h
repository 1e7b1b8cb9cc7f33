#pragma once

#include <cstddef>

// The heap allocations a benchmark program has made so far. A program that
// links core/bench/HeapCounter.cpp counts every allocation through the
// global new, which it replaces with a counting malloc (and delete with
// free).
size_t HeapAllocationCount();
