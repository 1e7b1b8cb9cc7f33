#include "core/DataLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct LineEndCase {
    const char* name;
    std::string text;
    std::vector<int> numbers;
    std::vector<std::string> lines;
};

class DataLinesFixture : public testing::TestWithParam<LineEndCase> {};

// Lines end as the text reader ends them: a line feed, a carriage return
// alone, or the pair of them counted once; no line end stays in a line.
TEST_P(DataLinesFixture, EndsLinesAtLfCrLfOrCrAlone)
{
    const LineEndCase& row = GetParam();
    std::vector<int> numbers;
    std::vector<std::string> lines;
    for (const DataLine& line : SplitDataLines(row.text.data(), row.text.size())) {
        numbers.push_back(line.number);
        lines.push_back(line.text);
    }
    EXPECT_EQ(numbers, row.numbers);
    EXPECT_EQ(lines, row.lines);
}

INSTANTIATE_TEST_SUITE_P(
    LineEnds, DataLinesFixture,
    testing::Values(
        LineEndCase{"Lf", "a\nb\n", {1, 2}, {"a", "b"}},
        LineEndCase{"CrLf", "a\r\nb\r\n", {1, 2}, {"a", "b"}},
        LineEndCase{"CrOnly", "a\rb\rc", {1, 2, 3}, {"a", "b", "c"}},
        LineEndCase{"Mixed", "a\rb\r\nc\n\rd", {1, 2, 3, 5}, {"a", "b", "c", "d"}},
        LineEndCase{"CrBeforeCrLf", "a\r\r\nb", {1, 3}, {"a", "b"}},
        LineEndCase{"LastCrEndsTheText", "a\tx\r", {1}, {"a\tx"}},
        LineEndCase{"BlanksCounted", "\r\n \r\t\nz", {4}, {"z"}}),
    [](const testing::TestParamInfo<LineEndCase>& info) { return info.param.name; });

} // namespace
