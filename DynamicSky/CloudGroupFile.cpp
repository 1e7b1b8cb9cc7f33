#include "DynamicSky/CloudGroupFile.h"

#include "DynamicSky/SkyTextFile.h"

#include <algorithm>

namespace {
const size_t kLinesPerSet = 5;
} // namespace

bool ReadCloudGroupFile(const std::string& path, CloudGroupDescription& group)
{
    group = CloudGroupDescription();
    SkyTextFile file;
    if (!file.Open(path)) return false;
    group.basePosition = file.ReadTriple();
    group.value1 = file.ReadReal();
    group.count = file.ReadInt();
    group.vector = file.ReadTriple();
    group.value2 = file.ReadReal();
    const int setCount = std::max(file.ReadInt(), 0);
    if (!file.CheckCount(setCount, kLinesPerSet, "set")) return false;
    for (int index = 0; index < setCount; ++index) {
        CloudGroupDescription::Set set;
        set.file = file.ReadName();
        set.offset = file.ReadTriple();
        set.scale = file.ReadReal();
        set.angle = file.ReadReal();
        set.value = file.ReadReal();
        group.sets.push_back(set);
    }
    return !file.Failed();
}

HRESULT WriteCloudGroupFile(const std::string& path, const CloudGroupDescription& group)
{
    using Out = SkyTextFile;
    std::string text;
    Out::AppendLine(text, "base", {Out::Triple(group.basePosition)});
    Out::AppendLine(text, "value1", {Out::Real(group.value1)});
    Out::AppendLine(text, "count", {std::to_string(group.count)});
    Out::AppendLine(text, "vector", {Out::Triple(group.vector)});
    Out::AppendLine(text, "value2", {Out::Real(group.value2)});
    Out::AppendLine(text, "sets", {std::to_string(group.sets.size())});
    for (const CloudGroupDescription::Set& set : group.sets) {
        Out::AppendLine(text, "file", {Out::Name(set.file)});
        Out::AppendLine(text, "offset", {Out::Triple(set.offset)});
        Out::AppendLine(text, "scale", {Out::Real(set.scale)});
        Out::AppendLine(text, "angle", {Out::Real(set.angle)});
        Out::AppendLine(text, "value", {Out::Real(set.value)});
    }
    return Out::Save(path, text);
}
