#pragma once

#include <cstddef>

// While a watch lives, memory handed to operator delete is not freed: it is
// filled with a pattern and kept. A freed object used again through a
// virtual call then jumps to the pattern and crashes the test, and one
// written to after it was freed (a counted pointer letting go of it, say)
// changes the pattern, which the watch counts. The blocks are freed when the
// watch ends. One watch at a time.
class FreedMemoryWatch {
public:
    FreedMemoryWatch();
    ~FreedMemoryWatch();
    FreedMemoryWatch(const FreedMemoryWatch&) = delete;
    FreedMemoryWatch& operator=(const FreedMemoryWatch&) = delete;

    // Blocks freed since the watch began.
    size_t GetFreedCount() const;
    // Kept blocks whose pattern changed after they were freed.
    size_t CountWrittenAfterFree() const;
};
