#include "core/PDataFile.h"

#include "core/DataScrambling.h"
#include "core/PDataFileWriter.h"
#include "core/PackArchiveIndex.h"
#include "core/tests/FileTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

namespace {

const char* const kFilePath = "datafile.dat";

std::string Scrambled(std::string bytes)
{
    ScrambleBytes(reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size());
    return bytes;
}

std::string LoadedBytes(const CPDataFile& file)
{
    return std::string(reinterpret_cast<const char*>(file.GetData()), file.GetDataSize());
}

// The two ways of reading a file: loaded whole, or opened and read from disk.
typedef HRESULT (CPDataFile::*Begin)();
const Begin kBothWays[] = {&CPDataFile::Load, &CPDataFile::Open};

class CPDataFileTest : public testing::Test {
protected:
    void SetUp() override { GetPackArchiveList().clear(); }
    void TearDown() override { GetPackArchiveList().clear(); }
};

TEST_F(CPDataFileTest, ScrambledRoundTripThroughTheWriter)
{
    const std::string plain(3 * kScrambleKeyLength, 'x');
    CPDataFileWriter writer(kFilePath, true);
    writer.Write(plain.data(), plain.size());
    ASSERT_EQ(writer.Save(), S_OK);

    CPDataFile unscrambled(kFilePath, true);
    ASSERT_EQ(unscrambled.Load(), S_OK);
    EXPECT_EQ(LoadedBytes(unscrambled), plain);

    CPDataFile raw(kFilePath, false);
    ASSERT_EQ(raw.Load(), S_OK);
    EXPECT_EQ(LoadedBytes(raw), Scrambled(plain));
}

TEST_F(CPDataFileTest, AnEmptyFileLoadsAndAMissingOneFails)
{
    WriteFileBytes(kFilePath, "");
    CPDataFile empty(kFilePath, true);
    EXPECT_EQ(empty.Load(), S_OK);
    EXPECT_EQ(empty.GetDataSize(), 0u);

    CPDataFile missing("missing.dat", false);
    EXPECT_EQ(missing.Load(), E_FAIL);
    EXPECT_EQ(missing.GetDataSize(), 0u);
}

TEST_F(CPDataFileTest, MixedCasePathsOpenFilesOnDisk)
{
    ASSERT_TRUE(CreateDirectoryA("MixedCase", nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    WriteFileBytes("MixedCase\\Town.Lvl", "town");
    CPDataFile file("MIXEDCASE\\town.LVL", false);
    ASSERT_EQ(file.Load(), S_OK);
    EXPECT_EQ(LoadedBytes(file), "town");
}

TEST_F(CPDataFileTest, TypedReadsFollowTheCursor)
{
    CPDataFileWriter writer(kFilePath, false);
    writer.WriteInt(-7);
    const float half = 0.5f;
    writer.Write(&half, sizeof(half));
    writer.WriteInt(5);
    writer.Write("ab\0cd", 5);
    writer.WriteInt(42);
    ASSERT_EQ(writer.Save(), S_OK);

    CPDataFile file(kFilePath, false);
    ASSERT_EQ(file.Load(), S_OK);
    EXPECT_EQ(file.ReadInt(), -7);
    EXPECT_EQ(file.ReadFloat(), 0.5f);
    std::string text;
    file.ReadString(text);
    EXPECT_EQ(text, "ab");
    EXPECT_EQ(file.ReadInt(), 42);
    EXPECT_EQ(file.GetBytesLeft(), 0u);
    EXPECT_FALSE(file.HasReadError());
}

TEST_F(CPDataFileTest, RewindReadsTheBytesAgainFromTheStartWithTheErrorCleared)
{
    WriteFileBytes(kFilePath, std::string("\x07\0\0\0abc", 7));
    for (Begin begin : kBothWays) {
        CPDataFile file(kFilePath, false);
        ASSERT_EQ((file.*begin)(), S_OK);
        EXPECT_EQ(file.ReadInt(), 7);
        EXPECT_EQ(file.ReadInt(), 0);
        ASSERT_TRUE(file.HasReadError());
        file.Rewind();
        EXPECT_FALSE(file.HasReadError());
        EXPECT_EQ(file.GetBytesLeft(), 7u);
        EXPECT_EQ(file.ReadInt(), 7);
        EXPECT_EQ(file.GetBytesLeft(), 3u);
    }
}

// Whether loaded or read from disk, a file gives the same values, steps over
// the same bytes and fails at the same place.
TEST_F(CPDataFileTest, AnOpenedFileReadsAsALoadedOne)
{
    CPDataFileWriter writer(kFilePath, false);
    writer.WriteInt(-7);
    writer.WriteString(std::string("ab\0cd", 5));
    writer.WriteInt(42);
    writer.Write("xyzw", 4);
    ASSERT_EQ(writer.Save(), S_OK);
    for (Begin begin : kBothWays) {
        CPDataFile file(kFilePath, false);
        ASSERT_EQ((file.*begin)(), S_OK);
        EXPECT_EQ(file.GetBytesLeft(), 21u);
        EXPECT_EQ(file.ReadInt(), -7);
        std::string text;
        file.ReadString(text);
        EXPECT_EQ(text, "ab");
        EXPECT_TRUE(file.Skip(4));
        const unsigned char* taken = file.Take(1);
        ASSERT_NE(taken, nullptr);
        EXPECT_EQ(*taken, 'x');
        char bytes[3] = {0, 0, 0};
        EXPECT_EQ(file.Read(bytes, 2), S_OK);
        EXPECT_EQ(std::string(bytes, 2), "yz");
        EXPECT_EQ(file.GetBytesLeft(), 1u);
        EXPECT_FALSE(file.HasReadError());
        EXPECT_FALSE(file.Skip(2));
        EXPECT_TRUE(file.HasReadError());
        EXPECT_EQ(file.GetBytesLeft(), 0u);
        EXPECT_EQ(file.Read(bytes, 1), E_FAIL);
        EXPECT_EQ(bytes[0], '\0');
        file.Rewind();
        EXPECT_TRUE(file.Skip(20));
        EXPECT_EQ(file.Read(bytes, 2), E_FAIL) << "one byte is left, not two";
        EXPECT_EQ(std::string(bytes, 2), std::string(2, '\0'));
        EXPECT_NE(file.Take(0), nullptr) << "nothing can always be taken";
        file.Rewind();
        EXPECT_TRUE(file.Skip(21)) << "up to the very end";
        EXPECT_FALSE(file.HasReadError());
    }
}

// An opened file is read from disk only when it is plain and on disk; a
// scrambled one and one found only in an archive are loaded whole.
TEST_F(CPDataFileTest, OpeningLoadsWhatCannotBeReadFromDisk)
{
    WriteFileBytes(kFilePath, Scrambled("secret"));
    CPDataFile scrambled(kFilePath, true);
    ASSERT_EQ(scrambled.Open(), S_OK);
    EXPECT_EQ(LoadedBytes(scrambled), "secret");

    WriteFileBytes(kFilePath, "plain");
    CPDataFile plain(kFilePath, false);
    ASSERT_EQ(plain.Open(), S_OK);
    EXPECT_EQ(plain.GetDataSize(), 0u) << "nothing is loaded";
    EXPECT_EQ(plain.GetBytesLeft(), 5u);
    EXPECT_EQ(plain.Load(), S_OK);
    EXPECT_EQ(LoadedBytes(plain), "plain");
    EXPECT_EQ(plain.GetBytesLeft(), 5u);

    CPDataFile missing("missing.dat", false);
    EXPECT_EQ(missing.Open(), E_FAIL);
}

struct HostileString {
    const char* name;
    std::string bytes;
};

class CPDataFileHostileString : public testing::TestWithParam<HostileString> {};

// Each file ends in a string that does not fit: the read yields nothing, the
// error stays set and every later read yields zero.
TEST_P(CPDataFileHostileString, YieldsAnEmptyStringAndAStickyError)
{
    WriteFileBytes(kFilePath, GetParam().bytes);
    for (Begin begin : kBothWays) {
        CPDataFile file(kFilePath, false);
        ASSERT_EQ((file.*begin)(), S_OK);
        std::string text = "stale";
        file.ReadString(text);
        EXPECT_EQ(text, "");
        EXPECT_TRUE(file.HasReadError());
        EXPECT_EQ(file.ReadInt(), 0);
        EXPECT_EQ(file.GetBytesLeft(), 0u);
        EXPECT_TRUE(file.HasReadError());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, CPDataFileHostileString,
    testing::Values(HostileString{"Negative", std::string("\xFF\xFF\xFF\xFF" "abcdabcd", 12)},
                    HostileString{"MostNegative", std::string("\0\0\0\x80" "abcdabcd", 12)},
                    HostileString{"OneTooLong", std::string("\x09\0\0\0" "abcdabcd", 12)},
                    HostileString{"Largest", std::string("\xFF\xFF\xFF\x7F" "abcdabcd", 12)},
                    HostileString{"TruncatedLength", std::string("\x01\0", 2)}),
    [](const testing::TestParamInfo<HostileString>& info) { return std::string(info.param.name); });

TEST_F(CPDataFileTest, AReadPastTheEndYieldsZeros)
{
    WriteFileBytes(kFilePath, "abc");
    CPDataFile file(kFilePath, false);
    ASSERT_EQ(file.Load(), S_OK);
    char bytes[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(file.Read(bytes, sizeof(bytes)), E_FAIL);
    EXPECT_EQ(std::string(bytes, 4), std::string(4, '\0'));
    EXPECT_TRUE(file.HasReadError());
    EXPECT_EQ(file.Read(bytes, 1), E_FAIL);
    EXPECT_EQ(file.ReadFloat(), 0.0f);
}

TEST_F(CPDataFileTest, TakeHandsOutTheBytesWhereTheyLieUpToTheEnd)
{
    WriteFileBytes(kFilePath, "abcdef");
    CPDataFile file(kFilePath, false);
    ASSERT_EQ(file.Load(), S_OK);
    const unsigned char* first = file.Take(2);
    EXPECT_EQ(first, file.GetData());
    EXPECT_EQ(file.Take(3), file.GetData() + 2);
    EXPECT_FALSE(file.HasReadError());
    EXPECT_EQ(file.Take(2), nullptr);
    EXPECT_TRUE(file.HasReadError());
    EXPECT_EQ(file.GetBytesLeft(), 0u);

    WriteFileBytes(kFilePath, "");
    CPDataFile empty(kFilePath, false);
    ASSERT_EQ(empty.Load(), S_OK);
    EXPECT_NE(empty.Take(0), nullptr);
    EXPECT_FALSE(empty.HasReadError());
}

class CPDataFileLoadFailure : public testing::TestWithParam<FailingCall> {};

TEST_P(CPDataFileLoadFailure, FailsTheLoad)
{
    WriteFileBytes(kFilePath, "some bytes on disk");
    FailingFileSystem failing(GetParam());
    ScopedFileSystem substitute(failing);
    CPDataFile file(kFilePath, false);
    EXPECT_EQ(file.Load(), E_FAIL);
    EXPECT_EQ(failing.GetOpenFiles(), 0);
}

// Measuring fails the opening; a short read from disk fails the read, with
// zeros and the error set. The file is closed either way.
TEST(CPDataFileOpenFailure, FailsTheOpeningOrTheReadAndClosesTheFile)
{
    WriteFileBytes(kFilePath, "some bytes on disk");
    for (FailingCall call : {FailingCall::Seek, FailingCall::Tell}) {
        FailingFileSystem failing(call);
        ScopedFileSystem substitute(failing);
        CPDataFile file(kFilePath, false);
        EXPECT_EQ(file.Open(), E_FAIL);
        EXPECT_EQ(failing.GetOpenFiles(), 0);
    }
    FailingFileSystem failing(FailingCall::Read);
    ScopedFileSystem substitute(failing);
    {
        CPDataFile file(kFilePath, false);
        ASSERT_EQ(file.Open(), S_OK);
        char bytes[4] = {'x', 'x', 'x', 'x'};
        EXPECT_EQ(file.Read(bytes, sizeof(bytes)), E_FAIL);
        EXPECT_EQ(std::string(bytes, 4), std::string(4, '\0'));
        EXPECT_TRUE(file.HasReadError());
        EXPECT_EQ(file.GetBytesLeft(), 0u);
        EXPECT_EQ(file.Take(2), nullptr);
        EXPECT_EQ(failing.GetOpenFiles(), 1);
    }
    EXPECT_EQ(failing.GetOpenFiles(), 0);
}

INSTANTIATE_TEST_SUITE_P(EachFileCall, CPDataFileLoadFailure,
                         testing::Values(FailingCall::Seek, FailingCall::Tell, FailingCall::Read,
                                         FailingCall::Allocate));

TEST(FileSystem, AnswersFalseWhenABufferCannotBeHad)
{
    FileSystem runtime;
    std::vector<unsigned char> buffer(3, 1);
    for (size_t size : {SIZE_MAX, buffer.max_size()}) {
        EXPECT_FALSE(runtime.Allocate(buffer, size)) << size;
        EXPECT_TRUE(buffer.empty());
    }
    EXPECT_TRUE(runtime.Allocate(buffer, 5));
    EXPECT_EQ(buffer, std::vector<unsigned char>(5, 0));
}

// Archives built in the test: a few bytes of something else first, then each
// entry scrambled from its own first byte.
class PackArchiveTest : public CPDataFileTest {
protected:
    void WriteArchive(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries,
                      bool registered = true)
    {
        std::string bytes = "PACK HEADER";
        std::unordered_map<std::string, PackArchiveEntry> index;
        for (const auto& entry : entries) {
            index[entry.first] = {static_cast<uint32_t>(bytes.size()), static_cast<uint32_t>(entry.second.size())};
            bytes += Scrambled(entry.second);
        }
        WriteFileBytes(path, bytes);
        if (registered) RegisterPackArchive(path, index);
    }

    static std::string Load(const std::string& path, HRESULT expected = S_OK)
    {
        CPDataFile file(path, false);
        EXPECT_EQ(file.Load(), expected) << path;
        return LoadedBytes(file);
    }
};

TEST_F(PackArchiveTest, ReadsEntriesAtTheirOffsetsUnscrambled)
{
    WriteArchive("first.pak", {{"a.txt", "alpha"}, {"data\\b.txt", std::string(kScrambleKeyLength + 9, 'b')}});
    EXPECT_EQ(Load("a.txt"), "alpha");
    EXPECT_EQ(Load("data\\b.txt"), std::string(kScrambleKeyLength + 9, 'b'));
    EXPECT_EQ(Load("c.txt", E_FAIL), "");
}

// The entry's bytes are written as the key scrambles them from the entry's
// own first byte (worked out by hand), after six bytes of something else.
TEST_F(PackArchiveTest, UnscramblesAnEntryFromItsOwnFirstByte)
{
    WriteFileBytes("known.pak", std::string("HEADER") + "\x67\x56\x19");
    RegisterPackArchive("known.pak", {{"known.txt", {6, 3}}});
    EXPECT_EQ(Load("known.txt"), "\xFF\x80\xFF");
}

TEST_F(PackArchiveTest, NamesMatchWithoutRegardToCase)
{
    WriteArchive("first.pak", {{"Data\\Levels\\Town.lvl", "town"}});
    EXPECT_EQ(Load("DATA\\levels\\town.LVL"), "town");
}

TEST_F(PackArchiveTest, TheFirstArchiveHoldingTheNameWins)
{
    WriteArchive("first.pak", {{"only-first.txt", "1"}, {"both.txt", "from first"}});
    WriteArchive("second.pak", {{"both.txt", "from second"}, {"only-second.txt", "2"}});
    EXPECT_EQ(Load("both.txt"), "from first");
    EXPECT_EQ(Load("only-second.txt"), "2");
}

TEST_F(PackArchiveTest, AFileOnDiskWinsOverTheArchive)
{
    WriteArchive("first.pak", {{"disk.txt", "archived"}});
    WriteFileBytes("disk.txt", "on disk");
    EXPECT_EQ(Load("disk.txt"), "on disk");
}

TEST_F(PackArchiveTest, AnArchiveThatCannotBeOpenedIsPassedOver)
{
    RegisterPackArchive("gone.pak", {{"both.txt", {0, 4}}});
    WriteArchive("second.pak", {{"both.txt", "from second"}});
    EXPECT_EQ(Load("both.txt"), "from second");
}

TEST_F(PackArchiveTest, AnEntryBeyondTheArchiveEndFails)
{
    WriteArchive("short.pak", {{"entry.txt", "0123456789"}}, false);
    RegisterPackArchive("short.pak", {{"past-end.txt", {5, 20}},
                                      {"huge.txt", {0, UINT32_MAX}},
                                      {"far.txt", {UINT32_MAX, 1}}});
    for (const char* name : {"past-end.txt", "huge.txt", "far.txt"}) EXPECT_EQ(Load(name, E_FAIL), "") << name;
}

TEST_F(PackArchiveTest, AnEntryWithoutMemoryForItFailsAndClosesTheArchive)
{
    WriteArchive("first.pak", {{"entry.txt", "0123456789"}});
    FailingFileSystem failing(FailingCall::Allocate);
    ScopedFileSystem substitute(failing);
    EXPECT_EQ(Load("entry.txt", E_FAIL), "");
    EXPECT_EQ(failing.GetOpenFiles(), 0);
}

// An entry holds a file as it lay on disk: one scrambled there comes back
// plain when opened as scrambled, and, as on disk, only after a whole read.
TEST_F(PackArchiveTest, AScrambledFileReadsPlainFromItsEntryOnlyWhenReadWhole)
{
    const std::string onDisk = Scrambled("0123456789");
    WriteArchive("first.pak", {{"data\\scores.dat", onDisk}});
    CPDataFile whole("Data\\scores.dat", true);
    EXPECT_EQ(whole.Load(), S_OK);
    EXPECT_EQ(LoadedBytes(whole), "0123456789");
    EXPECT_EQ(Load("data\\scores.dat"), onDisk) << "opened as plain";

    FailingFileSystem failing(FailingCall::Read);
    ScopedFileSystem substitute(failing);
    CPDataFile cut("Data\\scores.dat", true);
    EXPECT_EQ(cut.Load(), E_FAIL);
    EXPECT_EQ(LoadedBytes(cut).substr(0, 5), onDisk.substr(0, 5));
}

TEST_F(PackArchiveTest, AShortReadFailsWithTheBytesThatArrivedUnscrambled)
{
    WriteArchive("first.pak", {{"entry.txt", "0123456789"}});
    FailingFileSystem failing(FailingCall::Read);
    ScopedFileSystem substitute(failing);
    EXPECT_EQ(Load("entry.txt", E_FAIL).substr(0, 5), "01234");
}

} // namespace
