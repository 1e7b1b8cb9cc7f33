#include "DynamicSky/SkyscapeFile.h"

#include "DynamicSky/SkyTextFile.h"
#include "DynamicSky/VertexObject.h"

namespace {

const int kMinKeys = 2;
const int kFirstGreyComponent = 1;
const int kLastGreyComponent = 3;
// Lines of a state block besides its keys and its quad groups.
const size_t kStateLines = 13;
const size_t kLinesPerQuadInState = 4;
// Lines of a quad block besides its texture names.
const size_t kQuadLines = 5;
const int kSegmentsPerRing = 4;

// Every key interval needs at least one ring: n / (4K - 4) must not be 0.
bool HasRingsPerInterval(int segments, int keyCount)
{
    const long long needed = static_cast<long long>(kSegmentsPerRing) * keyCount - kSegmentsPerRing;
    return segments >= needed;
}

void ReadHeader(SkyTextFile& file, SkyscapeDescription& sky)
{
    sky.skySpeed = file.ReadReal();
    sky.startState = file.ReadInt();
    sky.radius = file.ReadReal();
    sky.heightScale = file.ReadReal();
    sky.segments = file.ReadInt();
    sky.centre = file.ReadTriple();
    sky.domeTexture = file.ReadName();
    sky.domeEffect = file.ReadName();
    sky.keyCount = file.ReadInt();
    if (file.Failed()) return;
    if (sky.keyCount < kMinKeys) {
        file.Refuse("fewer than 2 colour keys");
    } else if (!HasRingsPerInterval(sky.segments, sky.keyCount)) {
        file.Refuse("too few dome segments for the colour keys");
    } else if (DomeVertexCount(sky.segments) > CPVertexObject::kMaxVertices ||
               DomeIndexCount(sky.segments) > CPVertexObject::kMaxIndices) {
        file.Refuse("dome beyond the vertex buffers");
    }
}

void ReadState(SkyTextFile& file, SkyscapeDescription::State& state, int keyCount, size_t quadCount)
{
    state.duration = file.ReadReal();
    state.domeAlpha = file.ReadReal();
    state.turnDegrees = file.ReadReal();
    state.greyComponent = file.ReadInt();
    if (!file.Failed() &&
        (state.greyComponent < kFirstGreyComponent || state.greyComponent > kLastGreyComponent)) {
        file.Refuse("grey component outside 1 to 3");
    }
    for (int key = 0; key < keyCount; ++key) state.keys.push_back(file.ReadTriple());
    state.sun = file.ReadTriple();
    state.ambient = file.ReadTriple();
    state.firstSpare = file.ReadTriple();
    state.secondSpare = file.ReadTriple();
    state.fog = file.ReadTriple();
    state.firstFogValue = file.ReadReal();
    state.secondFogValue = file.ReadReal();
    state.thirdValue = file.ReadReal();
    state.brighten = file.ReadInt();
    for (size_t quad = 0; quad < quadCount; ++quad) {
        SkyscapeDescription::QuadInState values;
        values.stateAngleDegrees = file.ReadReal();
        values.effectChoice = file.ReadInt();
        values.scale = file.ReadReal();
        values.textureStep = file.ReadInt();
        state.quads.push_back(values);
    }
}

void ReadQuad(SkyTextFile& file, SkyscapeDescription::Quad& quad, size_t quadsAfter)
{
    quad.axis = file.ReadTriple();
    quad.size = file.ReadReal();
    quad.distance = file.ReadReal();
    quad.angleDegrees = file.ReadReal();
    const int textureCount = file.ReadInt();
    if (!file.CheckCount(textureCount, 1, "texture", quadsAfter * kQuadLines)) return;
    for (int texture = 0; texture < textureCount; ++texture)
        quad.textures.push_back(file.ReadName());
}

void WriteState(std::string& text, const SkyscapeDescription::State& state)
{
    using Out = SkyTextFile;
    Out::AppendLine(text, "duration", {Out::Real(state.duration)});
    Out::AppendLine(text, "dome_alpha", {Out::Real(state.domeAlpha)});
    Out::AppendLine(text, "turn", {Out::Real(state.turnDegrees)});
    Out::AppendLine(text, "grey", {std::to_string(state.greyComponent)});
    for (const D3DXVECTOR3& key : state.keys) Out::AppendLine(text, "key", {Out::Triple(key)});
    Out::AppendLine(text, "sun", {Out::Triple(state.sun)});
    Out::AppendLine(text, "ambient", {Out::Triple(state.ambient)});
    Out::AppendLine(text, "spare1", {Out::Triple(state.firstSpare)});
    Out::AppendLine(text, "spare2", {Out::Triple(state.secondSpare)});
    Out::AppendLine(text, "fog", {Out::Triple(state.fog)});
    Out::AppendLine(text, "fog1", {Out::Real(state.firstFogValue)});
    Out::AppendLine(text, "fog2", {Out::Real(state.secondFogValue)});
    Out::AppendLine(text, "value3", {Out::Real(state.thirdValue)});
    Out::AppendLine(text, "brighten", {std::to_string(state.brighten)});
    for (const SkyscapeDescription::QuadInState& quad : state.quads) {
        Out::AppendLine(text, "quad_angle", {Out::Real(quad.stateAngleDegrees)});
        Out::AppendLine(text, "quad_effect", {std::to_string(quad.effectChoice)});
        Out::AppendLine(text, "quad_scale", {Out::Real(quad.scale)});
        Out::AppendLine(text, "quad_texture_step", {std::to_string(quad.textureStep)});
    }
}

void WriteQuad(std::string& text, const SkyscapeDescription::Quad& quad)
{
    using Out = SkyTextFile;
    Out::AppendLine(text, "axis", {Out::Triple(quad.axis)});
    Out::AppendLine(text, "size", {Out::Real(quad.size)});
    Out::AppendLine(text, "distance", {Out::Real(quad.distance)});
    Out::AppendLine(text, "angle", {Out::Real(quad.angleDegrees)});
    Out::AppendLine(text, "textures", {std::to_string(quad.textures.size())});
    for (const std::string& texture : quad.textures)
        Out::AppendLine(text, "texture", {Out::Name(texture)});
}

} // namespace

// Counted in 64 bits, so that no segment count read from a file overflows.
unsigned long long DomeVertexCount(int segments)
{
    if (segments <= 0) return 0;
    const unsigned long long points = static_cast<unsigned long long>(segments);
    return (points / kSegmentsPerRing + 1) * (points + 1);
}

unsigned long long DomeIndexCount(int segments)
{
    if (segments <= 0) return 0;
    const unsigned long long points = static_cast<unsigned long long>(segments);
    return 6 * points * (points / kSegmentsPerRing);
}

bool ReadSkyscapeFile(const std::string& path, SkyscapeDescription& sky)
{
    sky = SkyscapeDescription();
    SkyTextFile file;
    if (!file.Open(path)) return false;
    ReadHeader(file, sky);
    const int stateCount = file.ReadInt();
    const int quadCount = file.ReadInt();
    sky.firstQuadEffect = file.ReadName();
    sky.secondQuadEffect = file.ReadName();
    const int groupCount = file.ReadInt();
    sky.phaseList = file.ReadName();
    if (!file.Failed() && stateCount < 1) file.Refuse("no sky state");
    if (!file.CheckCount(quadCount, kQuadLines, "quad")) return false;
    const size_t linesPerState =
        kStateLines + static_cast<size_t>(sky.keyCount) + kLinesPerQuadInState * quadCount;
    if (!file.CheckCount(stateCount, linesPerState, "state", kQuadLines * quadCount)) return false;
    sky.states.resize(stateCount);
    for (SkyscapeDescription::State& state : sky.states)
        ReadState(file, state, sky.keyCount, quadCount);
    sky.quads.resize(quadCount);
    for (size_t quad = 0; quad < sky.quads.size(); ++quad) {
        ReadQuad(file, sky.quads[quad], sky.quads.size() - quad - 1);
    }
    if (!file.CheckCount(groupCount, 1, "cloud group")) return false;
    for (int group = 0; group < groupCount; ++group) sky.cloudGroups.push_back(file.ReadName());
    return !file.Failed();
}

HRESULT WriteSkyscapeFile(const std::string& path, const SkyscapeDescription& sky)
{
    using Out = SkyTextFile;
    std::string text;
    Out::AppendLine(text, "speed", {Out::Real(sky.skySpeed)});
    Out::AppendLine(text, "start_state", {std::to_string(sky.startState)});
    Out::AppendLine(text, "radius", {Out::Real(sky.radius)});
    Out::AppendLine(text, "height_scale", {Out::Real(sky.heightScale)});
    Out::AppendLine(text, "segments", {std::to_string(sky.segments)});
    Out::AppendLine(text, "centre", {Out::Triple(sky.centre)});
    Out::AppendLine(text, "texture", {Out::Name(sky.domeTexture)});
    Out::AppendLine(text, "effect", {Out::Name(sky.domeEffect)});
    Out::AppendLine(text, "keys", {std::to_string(sky.keyCount)});
    Out::AppendLine(text, "states", {std::to_string(sky.states.size())});
    Out::AppendLine(text, "quads", {std::to_string(sky.quads.size())});
    Out::AppendLine(text, "quad_effect1", {Out::Name(sky.firstQuadEffect)});
    Out::AppendLine(text, "quad_effect2", {Out::Name(sky.secondQuadEffect)});
    Out::AppendLine(text, "cloud_groups", {std::to_string(sky.cloudGroups.size())});
    Out::AppendLine(text, "phases", {Out::Name(sky.phaseList)});
    for (const SkyscapeDescription::State& state : sky.states) WriteState(text, state);
    for (const SkyscapeDescription::Quad& quad : sky.quads) WriteQuad(text, quad);
    for (const std::string& group : sky.cloudGroups)
        Out::AppendLine(text, "cloud_group", {Out::Name(group)});
    return Out::Save(path, text);
}
