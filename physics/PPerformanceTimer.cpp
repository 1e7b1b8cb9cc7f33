#include "physics/PPerformanceTimer.h"

#include <windows.h>

namespace {

// Kept out of line so the measured gap holds a real call.
__attribute__((noinline)) void EmptyCall() { asm volatile(""); }

int SignificantBits(uint32_t value)
{
    int bits = 0;
    while (value) {
        ++bits;
        value >>= 1;
    }
    return bits;
}

} // namespace

CPPerformanceTimer::CPPerformanceTimer() : m_usable(false), m_frequency(0), m_overhead(0), m_frequencyBits(0) {}

void CPPerformanceTimer::Calibrate()
{
    *this = CPPerformanceTimer();
    LARGE_INTEGER frequency;
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) return;
    m_frequency = frequency.QuadPart;
    m_overhead = kStartOverhead;
    for (int i = 0; i < kSamples; ++i) {
        LARGE_INTEGER before, after;
        QueryPerformanceCounter(&before);
        EmptyCall();
        QueryPerformanceCounter(&after);
        const int64_t gap = after.QuadPart - before.QuadPart;
        if (gap >= 0 && gap < m_overhead) m_overhead = gap;
    }
    m_frequencyBits = SignificantBits(static_cast<uint32_t>(m_frequency & 0xFFFFFFFFu));
    m_usable = true;
}
