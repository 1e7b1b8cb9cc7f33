#include "core/PTokenizer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct TokenizerCase {
    const char* name;
    const char* text;
    const char* separator;
    bool quotes;
    std::vector<std::string> tokens;
};

class CPTokenizerSplit : public testing::TestWithParam<TokenizerCase> {};

TEST_P(CPTokenizerSplit, GivesTheTokensThenFalse)
{
    const TokenizerCase& row = GetParam();
    CPTokenizer tokenizer(row.text, row.separator, row.quotes);
    std::vector<std::string> tokens;
    std::string token;
    while (tokenizer.NextToken(token)) tokens.push_back(token);
    EXPECT_EQ(tokens, row.tokens);
    EXPECT_EQ(token, "");
    EXPECT_FALSE(tokenizer.NextToken(token));
}

const TokenizerCase kCases[] = {
    {"EmptyTokenBetweenSeparators", "a,b,,c", ",", false, {"a", "b", "", "c"}},
    {"OneSpaceTokenIsKept", "a, ,b", ",", false, {"a", " ", "b"}},
    {"TwoSpacesTrimToEmpty", "a,  ,b", ",", false, {"a", "", "b"}},
    {"TokensAndTextAreTrimmed", "  a , b\t\r\n", ",", false, {"a", "b"}},
    {"NoEmptyTokenAfterAFinalSeparator", "a,b,", ",", false, {"a", "b"}},
    {"EmptyText", " \t ", ",", false, {}},
    {"QuotesKeepSeparatorsInside", "\"x,y\",z", ",", true, {"x,y", "z"}},
    {"DoubledQuoteInsideQuotes", "\"say \"\"hi\"\"\",z", ",", true, {"say \"hi\"", "z"}},
    {"QuotesAreOrdinaryWithoutTheFlag", "\"x,y\",z", ",", false, {"\"x", "y\"", "z"}},
    {"UnbalancedQuoteRunsToTheEnd", "a,\"b,c", ",", true, {"a", "b,c"}},
    {"LongSeparator", "a::b:c::d", "::", false, {"a", "b:c", "d"}},
    {"PartialSeparatorAtTheEndIsKept", "a::b:", "::", false, {"a", "b:"}},
    {"BreakingCharacterIsNotMatchedAgain", "xaab", "ab", false, {"xaab"}},
    {"EmptySeparatorGivesTheWholeText", "a,b", "", false, {"a,b"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, CPTokenizerSplit, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TokenizerCase>& info) { return std::string(info.param.name); });

} // namespace
