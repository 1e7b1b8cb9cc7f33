#include "core/XmlDataFile.h"

#include "core/PDataFile.h"
#include "core/StringUtils.h"

namespace {

const char kXmlLineEnd = '\n';

std::string WithXmlLineEnds(const char* at, const char* end)
{
    std::string text;
    text.reserve(static_cast<size_t>(end - at));
    while (at != end) {
        const size_t lineEnd = LineEndLength(at, end);
        if (lineEnd == 0) {
            text += *at++;
            continue;
        }
        text += kXmlLineEnd;
        at += lineEnd;
    }
    return text;
}

} // namespace

bool LoadXmlDataFile(TiXmlDocument& document, const std::string& path)
{
    document.Clear();
    document.SetValue(path);
    CPDataFile file(path, false);
    if (FAILED(file.Load())) {
        document.SetError(TiXmlBase::TIXML_ERROR_OPENING_FILE, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
        return false;
    }
    const char* bytes = reinterpret_cast<const char*>(file.GetData());
    const std::string text = WithXmlLineEnds(bytes, bytes + file.GetDataSize());
    document.Parse(text.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
    return !document.Error();
}
