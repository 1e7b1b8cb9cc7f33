#include "interface/InterfaceFields.h"

#include "core/PTokenizer.h"

std::vector<std::string> SplitTokens(const std::string& text, const char* separator, bool quotes)
{
    std::vector<std::string> tokens;
    CPTokenizer tokenizer(text, separator, quotes);
    std::string token;
    while (tokenizer.NextToken(token)) tokens.push_back(token);
    return tokens;
}
