#include "core/PackArchiveFile.h"

#include "core/DataScrambling.h"
#include "core/PDataFile.h"
#include "core/tests/FileTestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

const char* const kArchivePath = "test.pak";

std::string U32(uint32_t value)
{
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xFF);
    return bytes;
}

std::string Name(const std::string& name)
{
    return U32(static_cast<uint32_t>(name.size())) + name;
}

std::string Scrambled(std::string bytes)
{
    ScrambleBytes(reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size());
    return bytes;
}

std::string Header(uint32_t count, uint32_t tableSize)
{
    return std::string("HMPK") + U32(count) + U32(tableSize);
}

// Two entries worked out by hand: a 12-byte header, a 44-byte table, then
// "abc" scrambled at offset 56 and an empty entry at 59, the file's end.
std::string GoodArchive()
{
    const std::string table = Name("data\\a.txt") + U32(56) + U32(3) + Name("data\\b.bin") + U32(59) + U32(0);
    return Header(2, 44) + table + Scrambled("abc");
}

class PackArchiveFile : public testing::Test {
protected:
    void SetUp() override { GetPackArchiveList().clear(); }
    void TearDown() override { GetPackArchiveList().clear(); }
};

TEST_F(PackArchiveFile, ReadsTheTableAndServesEntriesThroughDataFiles)
{
    WriteFileBytes(kArchivePath, GoodArchive());
    PackArchiveEntries entries;
    ASSERT_TRUE(ReadPackArchiveTable(kArchivePath, entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries["data\\a.txt"].offset, 56u);
    EXPECT_EQ(entries["data\\b.bin"].length, 0u);

    ASSERT_TRUE(RegisterPackArchiveFile(kArchivePath));
    CPDataFile file("Data\\A.txt", false);
    ASSERT_EQ(file.Load(), S_OK);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.GetData()), file.GetDataSize()), "abc");
}

TEST_F(PackArchiveFile, TheWriterWritesTheLayoutByteForByte)
{
    PackArchiveWriter writer;
    writer.AddEntry("Data\\A.txt", {'x'});
    writer.AddEntry("data\\b.bin", {});
    writer.AddEntry("DATA\\a.TXT", {'a', 'b', 'c'});
    ASSERT_EQ(writer.Save(kArchivePath), S_OK);
    EXPECT_EQ(ReadFileBytes(kArchivePath), GoodArchive());
}

TEST_F(PackArchiveFile, FindsArchivesOfAFolderInNameOrder)
{
    CreateDirectoryA("packs", nullptr);
    WriteFileBytes("packs\\b.pak", GoodArchive());
    WriteFileBytes("packs\\a.pak", Header(0, 0));
    WriteFileBytes("packs\\c.pak", "damaged");
    WriteFileBytes("packs\\d.txt", GoodArchive());
    EXPECT_EQ(RegisterPackArchivesIn("packs"), 2);
    ASSERT_EQ(GetPackArchiveList().size(), 2u);
    EXPECT_EQ(GetPackArchiveList().front().path, "packs\\a.pak");
    EXPECT_EQ(GetPackArchiveList().back().path, "packs\\b.pak");
}

struct DamagedArchive {
    const char* fault;
    std::string bytes;
};

class DamagedPackArchive : public PackArchiveFile, public testing::WithParamInterface<DamagedArchive> {};

TEST_P(DamagedPackArchive, IsRefusedWhole)
{
    WriteFileBytes(kArchivePath, GetParam().bytes);
    PackArchiveEntries entries;
    EXPECT_FALSE(ReadPackArchiveTable(kArchivePath, entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(RegisterPackArchiveFile(kArchivePath));
    EXPECT_TRUE(GetPackArchiveList().empty());
}

// One entry "a" of one byte in a 13-byte table: its byte lies at offset 25.
const std::string kEntry = Name("a") + U32(25) + U32(1);

INSTANTIATE_TEST_SUITE_P(
    Faults, DamagedPackArchive,
    testing::Values(
        DamagedArchive{"empty file", ""},
        DamagedArchive{"header cut short", std::string("HMPK") + U32(0)},
        DamagedArchive{"wrong magic", std::string("HMPX") + U32(0) + U32(0)},
        DamagedArchive{"table one byte past the end", Header(1, 14) + kEntry},
        DamagedArchive{"more entries than the table holds", Header(0x40000000u, 13) + kEntry + "x"},
        DamagedArchive{"name one byte past the table", Header(1, 13) + U32(10) + "a" + U32(25) + U32(1) + "x"},
        DamagedArchive{"entry one byte past the file", Header(1, 13) + Name("a") + U32(25) + U32(2) + "x"},
        DamagedArchive{"offset far past the file", Header(1, 13) + Name("a") + U32(0xFFFFFFFFu) + U32(1) + "x"},
        DamagedArchive{"empty name", Header(1, 12) + Name("") + U32(24) + U32(0)},
        DamagedArchive{"two entries of one name",
                       Header(2, 26) + Name("a") + U32(38) + U32(1) + Name("A") + U32(38) + U32(0) + "x"},
        DamagedArchive{"table bytes no entry accounts for", Header(0, 13) + kEntry + "x"}),
    [](const testing::TestParamInfo<DamagedArchive>& info) {
        std::string name;
        for (const char* c = info.param.fault; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

} // namespace
