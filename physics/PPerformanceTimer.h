#pragma once

#include <cstdint>

// What reading the performance counter costs: the smallest of 20 measured
// gaps between two reads around an empty call, and the significant bits of
// the counter frequency's low 32 bits. Unusable when the frequency cannot
// be read.
class CPPerformanceTimer {
public:
    static constexpr int kSamples = 20;
    static constexpr int64_t kStartOverhead = 200;

    CPPerformanceTimer();
    void Calibrate();

    bool IsUsable() const { return m_usable; }
    int64_t GetFrequency() const { return m_frequency; }
    int64_t GetOverhead() const { return m_overhead; }
    int GetFrequencyBits() const { return m_frequencyBits; }

private:
    bool m_usable;
    int64_t m_frequency;
    int64_t m_overhead;
    int m_frequencyBits;
};
