#include "Sound/SoundListFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SoundListCase {
    const char* name;
    std::string text;
    std::vector<int> skipped;
    std::vector<std::string> kept;
};

class SoundList : public testing::TestWithParam<SoundListCase> {};

TEST_P(SoundList, KeepsTheGoodLinesAndReportsTheRest)
{
    std::vector<DataProblem> problems;
    const std::vector<SoundListEntry> sounds = ReadSoundListFile(GetParam().text.data(), GetParam().text.size(),
                                                                 problems);
    std::vector<int> skipped;
    for (const DataProblem& problem : problems) skipped.push_back(problem.line);
    std::vector<std::string> kept;
    for (const SoundListEntry& sound : sounds) {
        kept.push_back(sound.name + "=" + sound.file + ":" + std::to_string(sound.mode) + "@" +
                       std::to_string(sound.line));
    }
    EXPECT_EQ(skipped, GetParam().skipped);
    EXPECT_EQ(kept, GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SoundList,
    testing::Values(
        SoundListCase{"Empty", "", {}, {}},
        SoundListCase{"CrLf", "fast, fast.wav, 0\r\n\r\nhit1,hit.wav,1\r\n", {}, {"fast=fast.wav:0@1", "hit1=hit.wav:1@3"}},
        SoundListCase{"ShortAndLongLines", "fast,fast.wav\nfast,fast.wav,0,1\n,a.wav,0\nb,,0\n", {1, 2, 3, 4}, {}},
        SoundListCase{"BadModes", "a,a.wav,2\nb,b.wav,-1\nc,c.wav,x\nd,d.wav,1\n", {1, 2, 3}, {"d=d.wav:1@4"}},
        SoundListCase{"Nuls", std::string("a,a.wav,0\0\nb,b\0.wav,0\n", 22), {1}, {std::string("b=b\0.wav:0@2", 12)}},
        SoundListCase{"LongLine", std::string(2048, 's') + ",s.wav,0\n", {}, {std::string(2048, 's') + "=s.wav:0@1"}},
        SoundListCase{"OutsideTheFolder", "a,..\\a.wav,0\nb,C:b.wav,0\nc,/c.wav,1\nd,cars\\d.wav,1\n", {1, 2, 3},
                      {"d=cars\\d.wav:1@4"}},
        SoundListCase{"DeviceBeforeANul", std::string("a,nul\0.wav,0\nb,com2\0,1\n", 23), {1, 2}, {}},
        SoundListCase{"Repeats", "a,a.wav,0\na,b.wav,1\n", {2}, {"a=a.wav:0@1"}}),
    [](const testing::TestParamInfo<SoundListCase>& info) { return info.param.name; });

TEST(SoundList, WritesWhatItReads)
{
    const std::vector<SoundListEntry> sounds = {{"fast", "fast.wav", 0, 0}, {"slam", "slam.wav", 1, 0}};
    EXPECT_EQ(WriteSoundListFile(sounds), "fast,fast.wav,0\nslam,slam.wav,1\n");
}

} // namespace
