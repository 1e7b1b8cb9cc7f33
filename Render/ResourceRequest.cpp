#include "Render/ResourceRequest.h"

#include "core/PTokenizer.h"

#include <algorithm>

namespace {

const char* const kOptionSeparator = ",";

} // namespace

bool ResourceRequest::HasOption(const char* option) const
{
    return std::find(options.begin(), options.end(), option) != options.end();
}

ResourceRequest ParseResourceRequest(const std::string& request)
{
    ResourceRequest parsed;
    CPTokenizer tokenizer(request, kOptionSeparator, true);
    std::string token;
    if (tokenizer.NextToken(token)) parsed.fileName = token;
    while (tokenizer.NextToken(token)) {
        parsed.options.push_back(token);
    }
    return parsed;
}
