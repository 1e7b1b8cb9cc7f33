#include "DynamicSky/CloudSetFile.h"

#include "DynamicSky/SkyTextFile.h"

#include <algorithm>

namespace {

const size_t kLinesPerCloud = 5;
// The cloud count line, and the eight values after the clouds.
const size_t kCloudCountLines = 1;
const size_t kValueLines = 8;

CloudSetDescription::Cloud ReadCloud(SkyTextFile& file, size_t anchorCount)
{
    CloudSetDescription::Cloud cloud;
    cloud.centre = file.ReadTriple();
    file.ReadIntPair(cloud.first, cloud.second);
    cloud.value = file.ReadReal();
    cloud.anchor = file.ReadInt();
    if (cloud.anchor < 0 || static_cast<size_t>(cloud.anchor) >= anchorCount) {
        file.Refuse("anchor index " + std::to_string(cloud.anchor) + " names no anchor point");
    }
    file.ReadRealPair(cloud.size1, cloud.size2);
    return cloud;
}

} // namespace

bool ReadCloudSetFile(const std::string& path, CloudSetDescription& set)
{
    set = CloudSetDescription();
    SkyTextFile file;
    if (!file.Open(path)) return false;
    const int anchorCount = std::max(file.ReadInt(), 0);
    if (!file.CheckCount(anchorCount, 1, "anchor", kCloudCountLines + kValueLines)) return false;
    for (int index = 0; index < anchorCount; ++index) set.anchors.push_back(file.ReadTriple());
    const int cloudCount = std::max(file.ReadInt(), 0);
    if (!file.CheckCount(cloudCount, kLinesPerCloud, "cloud", kValueLines)) return false;
    for (int index = 0; index < cloudCount && !file.Failed(); ++index) {
        set.clouds.push_back(ReadCloud(file, set.anchors.size()));
    }
    set.valueA = file.ReadReal();
    set.valueB = file.ReadReal();
    for (float& shading : set.shading) shading = file.ReadReal();
    return !file.Failed();
}

HRESULT WriteCloudSetFile(const std::string& path, const CloudSetDescription& set)
{
    using Out = SkyTextFile;
    std::string text;
    Out::AppendLine(text, "anchors", {std::to_string(set.anchors.size())});
    for (const D3DXVECTOR3& anchor : set.anchors)
        Out::AppendLine(text, "anchor", {Out::Triple(anchor)});
    Out::AppendLine(text, "clouds", {std::to_string(set.clouds.size())});
    for (const CloudSetDescription::Cloud& cloud : set.clouds) {
        Out::AppendLine(text, "centre", {Out::Triple(cloud.centre)});
        Out::AppendLine(text, "integers",
                        {std::to_string(cloud.first), std::to_string(cloud.second)});
        Out::AppendLine(text, "value", {Out::Real(cloud.value)});
        Out::AppendLine(text, "anchor_index", {std::to_string(cloud.anchor)});
        Out::AppendLine(text, "sizes", {Out::Real(cloud.size1), Out::Real(cloud.size2)});
    }
    Out::AppendLine(text, "value_a", {Out::Real(set.valueA)});
    Out::AppendLine(text, "value_b", {Out::Real(set.valueB)});
    for (float shading : set.shading) Out::AppendLine(text, "shading", {Out::Real(shading)});
    return Out::Save(path, text);
}
