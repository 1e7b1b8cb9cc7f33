#include "Render/ObjectDescription.h"

#include "core/PTextReader.h"
#include "core/PTokenizer.h"
#include "core/StringUtils.h"

#include <cstdlib>

namespace {

const size_t kSectionHashHint = 100;

std::string SecondField(const std::string& line)
{
    CPTokenizer tokens(line, "=", false);
    std::string first, second;
    tokens.NextToken(first);
    tokens.NextToken(second);
    return second;
}

} // namespace

void ObjectDescription::Parse(const void* text, size_t size)
{
    CPTextReader reader(text, size);
    std::string line;
    if (reader.ReadLine(line)) meshEntry = SecondField(line);
    sections.reserve(kSectionHashHint);
    KeySection* current = nullptr;
    while (reader.ReadLine(line)) {
        if (!reader.IsPlainLine()) {
            current = &sections[StringToLower(line)];
            continue;
        }
        const std::vector<std::string> fields = SplitFields(line, "=");
        std::string key = FieldAt(fields, 0);
        std::string value = FieldAt(fields, 1);
        StringToLower(key);
        StringToLower(value);
        const std::pair<const char*, std::vector<std::string>*> lists[] = {
            {"sprite", &sprites}, {"lod", &levelsOfDetail}, {"light", &lights},
            {"linekeypoint", &lineKeyPoints}, {"psystem", &particleSystems}};
        const std::pair<const char*, std::string*> singles[] = {
            {"linecolor", &lineColour}, {"description", &descriptionName}, {"shadowtextures", &shadowTextures}};
        bool objectWide = false;
        for (const auto& list : lists) {
            if (key == list.first) {
                list.second->push_back(value);
                objectWide = true;
            }
        }
        for (const auto& single : singles) {
            if (key == single.first) {
                *single.second = value;
                objectWide = true;
            }
        }
        if (!objectWide && current) (*current)[key] = value;
    }
}

std::vector<std::string> SplitFields(const std::string& value, const char* separator)
{
    std::vector<std::string> fields;
    CPTokenizer tokens(value, separator, false);
    std::string field;
    while (tokens.NextToken(field)) fields.push_back(field);
    return fields;
}

const std::string& FieldAt(const std::vector<std::string>& fields, size_t index)
{
    static const std::string kEmpty;
    return index < fields.size() ? fields[index] : kEmpty;
}

float FieldFloat(const std::vector<std::string>& fields, size_t index)
{
    return static_cast<float>(atof(FieldAt(fields, index).c_str()));
}

int FieldInt(const std::vector<std::string>& fields, size_t index)
{
    return atoi(FieldAt(fields, index).c_str());
}
