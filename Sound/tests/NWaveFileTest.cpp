#include "Sound/NWaveFile.h"
#include "Sound/tests/WaveFixtures.h"
#include "core/PackArchiveFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace wavefixture;

// A name with its folder: the multimedia file functions look for a bare name
// in the program's own folder before the current one.
const char* const kFile = ".\\wavefile_test.wav";

std::string ReadAll(CNWaveFile& wave, DWORD bytes)
{
    std::string out(bytes, '\0');
    DWORD read = 0;
    wave.Read(reinterpret_cast<BYTE*>(&out[0]), bytes, &read);
    out.resize(read);
    return out;
}

struct PcmCase {
    uint16_t channels;
    uint32_t rate;
    uint16_t bits;
    std::string samples;
};

class WaveFilePcm : public testing::TestWithParam<PcmCase> {};

TEST_P(WaveFilePcm, ReadsFormatAndSamples)
{
    const PcmCase& c = GetParam();
    WriteFile(kFile, Wave(c.channels, c.rate, c.bits, c.samples));

    CNWaveFile wave;
    ASSERT_EQ(wave.Open(kFile, nullptr, CNWaveFile::kRead), S_OK);
    const WAVEFORMATEX* format = wave.GetFormat();
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(format->nChannels, c.channels);
    EXPECT_EQ(format->nSamplesPerSec, c.rate);
    EXPECT_EQ(format->wBitsPerSample, c.bits);
    EXPECT_EQ(format->nBlockAlign, c.channels * c.bits / 8);
    EXPECT_EQ(format->cbSize, 0);
    EXPECT_EQ(wave.GetSize(), c.samples.size());
    EXPECT_EQ(ReadAll(wave, wave.GetSize()), c.samples);
}

INSTANTIATE_TEST_SUITE_P(Widths, WaveFilePcm,
                         testing::Values(PcmCase{1, 11025, 8, Bytes({0x00, 0x7F, 0x80, 0xFF, 0x12})},
                                         PcmCase{2, 22050, 16, Bytes({0x01, 0x80, 0xFF, 0x7F, 0x00, 0x00, 0x34, 0x12})}));

TEST(WaveFile, KeepsTheExtraBytesOfOtherFormats)
{
    std::string extra = Bytes({0xF4, 0x01, 0x07, 0x00});
    std::string format = FormatFields(2, 1, 22050, 4) + U16(uint16_t(extra.size())) + extra;
    WriteFile(kFile, Riff("WAVE", Chunk("fmt ", format) + Chunk("data", "abcd")));

    CNWaveFile wave;
    ASSERT_EQ(wave.Open(kFile, nullptr, CNWaveFile::kRead), S_OK);
    const WAVEFORMATEX* read = wave.GetFormat();
    EXPECT_EQ(read->wFormatTag, 2);
    ASSERT_EQ(read->cbSize, extra.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(read + 1), extra.size()), extra);
    EXPECT_EQ(ReadAll(wave, 4), "abcd");
}

TEST(WaveFile, SkipsChunksItDoesNotKnow)
{
    std::string samples = Bytes({1, 2, 3});
    WriteFile(kFile, Riff("WAVE", Chunk("LIST", "odd") + PcmFormat(1, 8000, 8) + Chunk("cue ", "xyzzy")
                                      + Chunk("data", samples)));

    CNWaveFile wave;
    ASSERT_EQ(wave.Open(kFile, nullptr, CNWaveFile::kRead), S_OK);
    EXPECT_EQ(wave.GetFormat()->nSamplesPerSec, 8000u);
    EXPECT_EQ(ReadAll(wave, 16), samples);
}

struct BrokenCase {
    const char* name;
    std::string bytes;
};

class WaveFileBroken : public testing::TestWithParam<BrokenCase> {};

TEST_P(WaveFileBroken, IsRefused)
{
    WriteFile(kFile, GetParam().bytes);

    CNWaveFile wave;
    EXPECT_EQ(wave.Open(kFile, nullptr, CNWaveFile::kRead), E_FAIL);
    EXPECT_EQ(wave.GetFormat(), nullptr);
    DWORD read = 1;
    BYTE byte;
    EXPECT_EQ(wave.Read(&byte, 1, &read), CO_E_NOTINITIALIZED);
}

std::string ShortFormat()
{
    return Riff("WAVE", Chunk("fmt ", FormatFields(1, 1, 8000, 8).substr(0, 14)) + Chunk("data", "ab"));
}

// Two extra bytes in the chunk after the count, which claims more.
std::string ExtraCountBeyondChunk(uint16_t count)
{
    std::string format = FormatFields(2, 1, 8000, 4) + U16(count) + "ab";
    return Riff("WAVE", Chunk("fmt ", format) + Chunk("data", "ab"));
}

std::string DataLargerThanFile()
{
    return Riff("WAVE", PcmFormat(1, 8000, 8) + ShortChunk("data", 100000, "abcd"));
}

// Chunk sizes that, stepped over in 32 bits, lead back to the same header
// (0xFFFFFFF7 and 0xFFFFFFF8, padded alike) or to an earlier one.
const uint32_t kBackToItself = 0xFFFFFFF7;
const uint32_t kBackToItselfEven = 0xFFFFFFF8;
const uint32_t kBackTwelveBytes = 0xFFFFFFEC;

std::string Samples()
{
    return Chunk("data", "ab");
}

INSTANTIATE_TEST_SUITE_P(
    ChunkSizes, WaveFileBroken,
    testing::Values(
        BrokenCase{"WrapsBeforeTheFormat",
                   Riff("WAVE", ShortChunk("JUNK", kBackToItself, "") + PcmFormat(1, 8000, 8) + Samples())},
        BrokenCase{"FormatWraps",
                   Riff("WAVE", ShortChunk("fmt ", kBackToItselfEven, FormatFields(1, 1, 8000, 8)) + Samples())},
        BrokenCase{"WrapsBetweenFormatAndData",
                   Riff("WAVE", PcmFormat(1, 8000, 8) + ShortChunk("LIST", kBackToItself, "") + Samples())},
        BrokenCase{"JumpsBackOntoAnEarlierChunk",
                   Riff("WAVE", Chunk("JUNK", "abcd") + ShortChunk("LIST", kBackTwelveBytes, "")
                                    + PcmFormat(1, 8000, 8) + Samples())}),
    [](const testing::TestParamInfo<BrokenCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Headers, WaveFileBroken,
    testing::Values(BrokenCase{"EmptyFile", ""},
                    BrokenCase{"NotRiff", "LIST" + U32(4) + "WAVE"},
                    BrokenCase{"WrongFormType", Riff("AVI ", PcmFormat(1, 8000, 8) + Chunk("data", "ab"))},
                    BrokenCase{"ShortFormat", ShortFormat()},
                    BrokenCase{"NoFormat", Riff("WAVE", Chunk("data", "ab"))},
                    BrokenCase{"ExtraCountBeyondChunk", ExtraCountBeyondChunk(6)},
                    BrokenCase{"ExtraCountTwoBytesPastChunk", ExtraCountBeyondChunk(4)},
                    BrokenCase{"NoData", Riff("WAVE", PcmFormat(1, 8000, 8))},
                    BrokenCase{"DataLargerThanFile", DataLargerThanFile()}),
    [](const testing::TestParamInfo<BrokenCase>& info) { return std::string(info.param.name); });

TEST(WaveFile, ReadsATruncatedDataChunkAsFarAsItGoes)
{
    WriteFile(kFile, Riff("WAVE", PcmFormat(1, 8000, 8) + ShortChunk("data", 8, "abcde")));

    CNWaveFile wave;
    ASSERT_EQ(wave.Open(kFile, nullptr, CNWaveFile::kRead), S_OK);
    EXPECT_EQ(wave.GetSize(), 8u);
    BYTE buffer[8];
    DWORD read = 0;
    EXPECT_EQ(wave.Read(buffer, 8, &read), E_FAIL);
    EXPECT_EQ(read, 5u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), "abcde");
}

TEST(WaveFile, StopsAtTheEndOfDataAndRewinds)
{
    WriteFile(kFile, Riff("WAVE", PcmFormat(1, 8000, 8) + Chunk("data", "abcdef") + Chunk("LIST", "tail")));

    CNWaveFile wave;
    ASSERT_EQ(wave.Open(kFile, nullptr, CNWaveFile::kRead), S_OK);
    EXPECT_EQ(ReadAll(wave, 4), "abcd");
    EXPECT_EQ(ReadAll(wave, 4), "ef");
    EXPECT_EQ(ReadAll(wave, 4), "");
    ASSERT_EQ(wave.ResetFile(), S_OK);
    EXPECT_EQ(ReadAll(wave, 3), "abc");
}

TEST(WaveFile, ReadsAcrossTheFileBuffer)
{
    std::string samples;
    for (int i = 0; i < 50000; ++i) {
        samples += char(i * 7);
    }
    WriteFile(kFile, Wave(1, 8000, 8, samples));

    CNWaveFile wave;
    ASSERT_EQ(wave.Open(kFile, nullptr, CNWaveFile::kRead), S_OK);
    std::string read = ReadAll(wave, 3);
    read += ReadAll(wave, 49997);
    EXPECT_TRUE(read == samples);
}

TEST(WaveFile, AnswersArgumentAndStateErrors)
{
    CNWaveFile wave;
    BYTE byte;
    DWORD read;
    EXPECT_EQ(wave.Read(&byte, 1, &read), CO_E_NOTINITIALIZED);
    EXPECT_EQ(wave.ResetFile(), CO_E_NOTINITIALIZED);
    EXPECT_EQ(wave.Open(nullptr, nullptr, CNWaveFile::kRead), E_INVALIDARG);
    EXPECT_EQ(wave.Open("no_such_sound.wav", nullptr, CNWaveFile::kRead), E_FAIL);

    WriteFile(kFile, Wave(1, 8000, 8, "ab"));
    ASSERT_EQ(wave.Open(kFile, nullptr, CNWaveFile::kRead), S_OK);
    EXPECT_EQ(wave.Read(nullptr, 1, &read), E_INVALIDARG);
    EXPECT_EQ(wave.Read(&byte, 1, nullptr), E_INVALIDARG);
}

TEST(WaveFile, OpensAWaveResourceOfTheProgram)
{
    CNWaveFile wave;
    ASSERT_EQ(wave.Open("TESTTONE", nullptr, CNWaveFile::kRead), S_OK);
    EXPECT_EQ(wave.GetFormat()->nSamplesPerSec, 8000u);
    EXPECT_EQ(ReadAll(wave, 16), Bytes({0x10, 0x20, 0x30, 0x40}));
}

// A game packed into an archive keeps its sounds: a wave found only there
// reads as from the folder, and stays readable once the archive is gone.
TEST(WaveFile, ReadsAWaveKeptOnlyInAPackArchive)
{
    const std::string bytes = Wave(1, 11025, 8, "packed");
    PackArchiveWriter archive;
    archive.AddEntry("Data\\Sounds\\Packed.wav", std::vector<unsigned char>(bytes.begin(), bytes.end()));
    ASSERT_EQ(archive.Save("wavefile_test.pak"), S_OK);
    GetPackArchiveList().clear();
    ASSERT_TRUE(RegisterPackArchiveFile("wavefile_test.pak"));

    CNWaveFile wave;
    const HRESULT opened = wave.Open("data\\sounds\\PACKED.WAV", nullptr, CNWaveFile::kRead);
    GetPackArchiveList().clear();
    DeleteFileA("wavefile_test.pak");
    ASSERT_EQ(opened, S_OK);
    EXPECT_EQ(wave.GetFormat()->nSamplesPerSec, 11025u);
    EXPECT_EQ(wave.GetSize(), 6u);
    EXPECT_EQ(ReadAll(wave, 16), "packed");
    ASSERT_EQ(wave.ResetFile(), S_OK);
    EXPECT_EQ(ReadAll(wave, 3), "pac");
}

WAVEFORMATEX PcmWaveFormat()
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = 22050;
    format.nAvgBytesPerSec = 44100;
    format.nBlockAlign = 2;
    format.wBitsPerSample = 16;
    return format;
}

TEST(WaveFileWriter, WritesHeaderFactAndEmptyData)
{
    WAVEFORMATEX format = PcmWaveFormat();
    {
        CNWaveFile wave;
        ASSERT_EQ(wave.Open(kFile, &format, CNWaveFile::kWrite), S_OK);
        ASSERT_EQ(wave.Close(), S_OK);
    }
    std::string expected = Riff("WAVE", PcmFormat(1, 22050, 16) + Chunk("fact", U32(0)) + Chunk("data", ""));
    EXPECT_EQ(ReadFile(kFile), expected);

    CNWaveFile reader;
    ASSERT_EQ(reader.Open(kFile, nullptr, CNWaveFile::kRead), S_OK);
    EXPECT_EQ(reader.GetSize(), 0u);
    EXPECT_EQ(reader.GetFormat()->nSamplesPerSec, 22050u);
}

TEST(WaveFileWriter, WritesTheExtraBytesOfOtherFormats)
{
    std::vector<BYTE> storage(sizeof(WAVEFORMATEX) + 2);
    WAVEFORMATEX* format = reinterpret_cast<WAVEFORMATEX*>(storage.data());
    *format = PcmWaveFormat();
    format->wFormatTag = 2;
    format->cbSize = 2;
    storage[sizeof(WAVEFORMATEX)] = 0xAB;
    storage[sizeof(WAVEFORMATEX) + 1] = 0xCD;
    {
        CNWaveFile wave;
        ASSERT_EQ(wave.Open(kFile, format, CNWaveFile::kWrite), S_OK);
    }
    std::string fields = FormatFields(2, 1, 22050, 16) + U16(2) + Bytes({0xAB, 0xCD});
    std::string expected = Riff("WAVE", Chunk("fmt ", fields) + Chunk("fact", U32(0)) + Chunk("data", ""));
    EXPECT_EQ(ReadFile(kFile), expected);
}

} // namespace
