#include "core/PDataFileWriter.h"

#include "core/DataScrambling.h"
#include "core/tests/FileTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

const char* const kSavedPath = "writer.dat";
// A file of that name belongs to someone else: saving never touches it.
const char* const kUnrelatedTemporaryPath = "writer.dat.tmp";

TEST(CPDataFileWriter, WritesLittleEndianIntegersAndUnterminatedStrings)
{
    CPDataFileWriter writer(kSavedPath, false);
    writer.WriteInt(0x01020304);
    writer.WriteInt(-2);
    writer.WriteString("ab");
    writer.WriteString("");
    EXPECT_EQ(writer.Write("xyz", 3), S_OK);
    ASSERT_EQ(writer.Save(), S_OK);
    EXPECT_EQ(ReadFileBytes(kSavedPath), std::string("\x04\x03\x02\x01"
                                                     "\xFE\xFF\xFF\xFF"
                                                     "\x02\0\0\0ab"
                                                     "\0\0\0\0"
                                                     "xyz",
                                                     21));
}

// Room made ahead, less or more than is written, changes no byte.
TEST(CPDataFileWriter, ReservingRoomChangesNothingWritten)
{
    for (size_t room : {size_t(0), size_t(3), size_t(9), size_t(4096)}) {
        CPDataFileWriter writer(kSavedPath, false);
        writer.WriteInt(5);
        writer.Reserve(room);
        writer.WriteString("abc");
        ASSERT_EQ(writer.Save(), S_OK);
        EXPECT_EQ(ReadFileBytes(kSavedPath), std::string("\x05\0\0\0\x03\0\0\0abc", 11)) << "room " << room;
    }
}

TEST(CPDataFileWriter, SavingTwiceWritesTheSameScrambledBytes)
{
    const std::string plain = "scrambled twice?";
    CPDataFileWriter writer(kSavedPath, true);
    writer.Write(plain.data(), plain.size());
    ASSERT_EQ(writer.Save(), S_OK);
    const std::string first = ReadFileBytes(kSavedPath);
    ASSERT_EQ(writer.Save(), S_OK);
    EXPECT_EQ(ReadFileBytes(kSavedPath), first);

    std::string unscrambled = first;
    UnscrambleBytes(reinterpret_cast<unsigned char*>(&unscrambled[0]), unscrambled.size());
    EXPECT_NE(first, plain);
    EXPECT_EQ(unscrambled, plain);
}

TEST(CPDataFileWriter, AnEmptyWriterReplacesAFileWithAnEmptyOne)
{
    WriteFileBytes(kSavedPath, "old");
    CPDataFileWriter writer(kSavedPath, true);
    ASSERT_EQ(writer.Save(), S_OK);
    EXPECT_TRUE(FileExists(kSavedPath));
    EXPECT_EQ(ReadFileBytes(kSavedPath), "");
}

class CPDataFileWriterFailure : public testing::TestWithParam<FailingCall> {};

TEST_P(CPDataFileWriterFailure, ReportsFailureAndKeepsTheOldFile)
{
    WriteFileBytes(kSavedPath, "good old file");
    const std::set<std::string> filesBefore = FilesInCurrentFolder();
    FailingFileSystem failing(GetParam());
    ScopedFileSystem substitute(failing);

    CPDataFileWriter writer(kSavedPath, false);
    writer.WriteString("new contents that never arrive whole");
    EXPECT_EQ(writer.Save(), E_FAIL);
    EXPECT_EQ(ReadFileBytes(kSavedPath), "good old file");
    EXPECT_EQ(FilesInCurrentFolder(), filesBefore) << "the file being written is removed";
    EXPECT_EQ(failing.GetOpenFiles(), 0);
}

INSTANTIATE_TEST_SUITE_P(EachFileCall, CPDataFileWriterFailure,
                         testing::Values(FailingCall::Write, FailingCall::Close, FailingCall::Replace));

TEST(CPDataFileWriter, LeavesAFileNamedLikeItsTemporaryAlone)
{
    WriteFileBytes(kUnrelatedTemporaryPath, "someone else's");
    CPDataFileWriter writer(kSavedPath, false);
    writer.WriteInt(1);
    ASSERT_EQ(writer.Save(), S_OK);
    EXPECT_EQ(ReadFileBytes(kUnrelatedTemporaryPath), "someone else's");
    {
        FailingFileSystem failing(FailingCall::Replace);
        ScopedFileSystem substitute(failing);
        EXPECT_EQ(writer.Save(), E_FAIL);
    }
    EXPECT_EQ(ReadFileBytes(kUnrelatedTemporaryPath), "someone else's");
    std::remove(kUnrelatedTemporaryPath);
}

TEST(CPDataFileWriter, SavingIntoAMissingFolderFails)
{
    CPDataFileWriter writer("no such folder\\file.dat", false);
    writer.WriteInt(1);
    EXPECT_EQ(writer.Save(), E_FAIL);
}

} // namespace
