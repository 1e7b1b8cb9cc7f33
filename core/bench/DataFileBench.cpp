// Times loading a 64 MiB data file plain and scrambled, to show what
// unscrambling adds to a load. Run it from a scratch folder: it writes two
// 64 MiB files there and removes them afterwards.

#include "core/DataScrambling.h"
#include "core/PDataFile.h"
#include "core/PDataFileWriter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const size_t kFileSize = 64u << 20;
const int kRounds = 7;
const double kAllowedRatio = 1.5;
const char* const kPlainPath = "bench-plain.dat";
const char* const kScrambledPath = "bench-scrambled.dat";

std::vector<unsigned char> MakeContents()
{
    std::vector<unsigned char> bytes(kFileSize);
    uint32_t state = 12345u;
    for (unsigned char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<unsigned char>(state >> 16);
    }
    return bytes;
}

bool Save(const char* path, bool scrambled, const std::vector<unsigned char>& bytes)
{
    CPDataFileWriter writer(path, scrambled);
    writer.Write(bytes.data(), bytes.size());
    return writer.Save() == S_OK;
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One load; answers its time in seconds, or a negative time when the loaded
// bytes are not the expected ones.
double TimeLoad(const char* path, bool scrambled, const std::vector<unsigned char>& expected)
{
    const auto start = std::chrono::steady_clock::now();
    CPDataFile file(path, scrambled);
    const HRESULT result = file.Load();
    const double seconds = SecondsSince(start);
    const bool intact = result == S_OK && file.GetDataSize() == expected.size() &&
                        std::memcmp(file.GetData(), expected.data(), expected.size()) == 0;
    return intact ? seconds : -1.0;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double MiBPerSecond(double seconds)
{
    return static_cast<double>(kFileSize) / (1 << 20) / seconds;
}

} // namespace

int main()
{
    const std::vector<unsigned char> contents = MakeContents();
    if (!Save(kPlainPath, false, contents) || !Save(kScrambledPath, true, contents)) {
        std::printf("could not write the files to load\n");
        return 1;
    }

    // Rounds alternate between the two files so both see the same cache.
    std::vector<double> plain;
    std::vector<double> scrambled;
    for (int round = 0; round < kRounds; ++round) {
        plain.push_back(TimeLoad(kPlainPath, false, contents));
        scrambled.push_back(TimeLoad(kScrambledPath, true, contents));
    }
    std::remove(kPlainPath);
    std::remove(kScrambledPath);
    if (*std::min_element(plain.begin(), plain.end()) < 0 ||
        *std::min_element(scrambled.begin(), scrambled.end()) < 0) {
        std::printf("a load failed or gave the wrong bytes\n");
        return 1;
    }

    std::vector<unsigned char> bytes = contents;
    const auto start = std::chrono::steady_clock::now();
    UnscrambleBytes(bytes.data(), bytes.size());
    const double unscramble = SecondsSince(start);

    const double plainMedian = Median(plain);
    const double scrambledMedian = Median(scrambled);
    const double ratio = scrambledMedian / plainMedian;
    std::printf("64 MiB data file, median of %d loads\n", kRounds);
    std::printf("  plain load:        %7.1f ms  %7.0f MiB/s\n", plainMedian * 1000, MiBPerSecond(plainMedian));
    std::printf("  unscrambled load:  %7.1f ms  %7.0f MiB/s\n", scrambledMedian * 1000,
                MiBPerSecond(scrambledMedian));
    std::printf("  unscrambling only: %7.1f ms  %7.0f MiB/s\n", unscramble * 1000, MiBPerSecond(unscramble));
    std::printf("ratio unscrambled load / plain load: %.2f (limit <= %.1f)\n", ratio, kAllowedRatio);
    return 0;
}
