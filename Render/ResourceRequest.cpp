#include "Render/ResourceSpec.h"

#include "core/PTokenizer.h"

#include <algorithm>

namespace {

const char* const kSpecSeparator = ",";

} // namespace

bool ResourceSpec::HasOption(const char* option) const
{
    return std::find(options.begin(), options.end(), option) != options.end();
}

ResourceSpec ParseResourceSpec(const std::string& spec)
{
    ResourceSpec parsed;
    CPTokenizer tokenizer(spec, kSpecSeparator, true);
    std::string token;
    if (tokenizer.NextToken(token)) parsed.fileName = token;
    while (tokenizer.NextToken(token)) {
        parsed.options.push_back(token);
    }
    return parsed;
}
