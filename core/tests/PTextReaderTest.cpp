#include "core/PTextReader.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// Each line read, with whether it was an ordinary line (false for sections).
std::vector<std::pair<std::string, bool>> ReadAllLines(CPTextReader& reader)
{
    std::vector<std::pair<std::string, bool>> lines;
    std::string line;
    while (reader.ReadLine(line)) lines.emplace_back(line, reader.IsPlainLine());
    EXPECT_EQ(line, "");
    return lines;
}

TEST(CPTextReader, SkipsCommentsAndBlankLinesAndTellsSections)
{
    const std::string text =
        "[Sky]\r\n"
        "  speed = 2  \r\n"
        "key = value // note\r\n"
        "\r\n"
        "\t\r\n"
        "before /* opens\n"
        "inside\n"
        "closes */ after\n"
        "a /* one line */ b\n"
        "[x] y\n"
        "[Clouds]\n"
        "count 3";
    CPTextReader reader(text.data(), text.size());
    const std::vector<std::pair<std::string, bool>> expected = {
        {"Sky", false}, {"speed = 2", true}, {"[x] y", true}, {"Clouds", false}, {"count 3", true},
    };
    EXPECT_EQ(ReadAllLines(reader), expected);
    EXPECT_EQ(reader.GetLineCount(), 11);
}

// Files saved with old Macintosh line ends keep every line apart; a CR LF
// pair is one line end.
TEST(CPTextReader, ACarriageReturnAloneEndsALine)
{
    const std::string text = "one\rtwo\r\nthree\n\rfour\r";
    CPTextReader reader(text.data(), text.size());
    const std::vector<std::pair<std::string, bool>> expected = {
        {"one", true}, {"two", true}, {"three", true}, {"four", true}};
    EXPECT_EQ(ReadAllLines(reader), expected);
    EXPECT_EQ(reader.GetLineCount(), 5);
}

TEST(CPTextReader, TellsTheNumberOfTheLineRead)
{
    const std::string text = "a\n\n// c\r\nb\rd";
    CPTextReader reader(text.data(), text.size());
    std::string line;
    for (int number : {1, 4, 5}) {
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(reader.GetLineNumber(), number) << line;
    }
}

TEST(CPTextReader, AZeroByteEndsALineWithoutCountingIt)
{
    const std::string text("one\0two\nthree\n", 14);
    CPTextReader reader(text.data(), text.size());
    const std::vector<std::pair<std::string, bool>> expected = {{"one", true}, {"two", true}, {"three", true}};
    EXPECT_EQ(ReadAllLines(reader), expected);
    EXPECT_EQ(reader.GetLineCount(), 2);
}

// A section line without a name is passed over like a blank line; it
// never reads as the end of the text.
TEST(CPTextReader, ASectionLineWithoutANameIsSkipped)
{
    const std::string text = "first\n[]\n  [] \nsecond\n[]";
    CPTextReader reader(text.data(), text.size());
    const std::vector<std::pair<std::string, bool>> expected = {{"first", true}, {"second", true}};
    EXPECT_EQ(ReadAllLines(reader), expected);
}

TEST(CPTextReader, AnUnclosedBlockCommentSwallowsTheRest)
{
    const std::string text = "first\n/* never closed\nsecond\n";
    CPTextReader reader(text.data(), text.size());
    const std::vector<std::pair<std::string, bool>> expected = {{"first", true}};
    EXPECT_EQ(ReadAllLines(reader), expected);
}

TEST(CPTextReader, EmptyTextHasNoLines)
{
    CPTextReader reader("", 0);
    std::string line = "stale";
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_EQ(line, "");
}

} // namespace
