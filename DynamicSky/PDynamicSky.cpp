#include "DynamicSky/PDynamicSky.h"

#include "DynamicSky/SkyLighting.h"
#include "DynamicSky/SkyTextFile.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

D3DXVECTOR3 SunPosition(0.0f, 0.0f, 0.0f);

const float CPDynamicSky::kDefaultSkySpeed = 4.0f;

namespace {

const float kDegreesToRadians = 0.017453292f;
const float kFullTurn = 6.2831855f;
const float kQuarterTurn = 1.5707964f;
const float kFullCircleDegrees = 360.0f;
const int kSegmentsPerRing = 4;
const D3DCOLOR kDomeColour = 0x80FFFFFF;
const float kTextureRepeats = 2.0f;
const float kTextureHeight = 1.5f;
const float kColourMax = 255.0f;
const float kGlow = 56.0f;
const float kGreyDarkening = 20.0f;
const float kSunLightDistance = 100.0f;
const float kSunFade = 200.0f;
const float kPhaseLengthSteps = 20.0f;
const float kPhaseLengthStep = 0.1f;
const int kWeightDraws = 100;
const float kWeightStep = 0.01f;
const char* const kLightEffect = "data/effects/skyscape_light.fx";

float Clamped(float value)
{
    return std::min(std::max(value, 0.0f), kColourMax);
}

D3DXVECTOR3 Clamped(const D3DXVECTOR3& colour)
{
    return D3DXVECTOR3(Clamped(colour.x), Clamped(colour.y), Clamped(colour.z));
}

// The grey of a colour: the chosen channel, 20 darker on red and green.
D3DXVECTOR3 Grey(const D3DXVECTOR3& colour, int component)
{
    const float value = colour[component];
    const float darker = value > kGreyDarkening ? value - kGreyDarkening : 0.0f;
    return D3DXVECTOR3(darker, darker, value);
}

// A channel clamped to 0..255 before it is truncated to a byte; NaN, which
// rates of infinite differences can make, counts as 0.
D3DCOLOR ChannelByte(float value)
{
    return value > 0.0f ? static_cast<D3DCOLOR>(std::min(value, kColourMax)) : 0;
}

D3DCOLOR PackDomeColour(float alpha, float red, float green, float blue)
{
    return ChannelByte(alpha) << 24 | ChannelByte(red) << 16 | ChannelByte(green) << 8 | ChannelByte(blue);
}

// Change per scaled second over the passage; a passage of no length has none.
float Rate(float from, float to, float duration)
{
    return duration > 0.0f ? (to - from) / duration : 0.0f;
}

D3DXVECTOR3 Rate(const D3DXVECTOR3& from, const D3DXVECTOR3& to, float duration)
{
    return D3DXVECTOR3(Rate(from.x, to.x, duration), Rate(from.y, to.y, duration),
                       Rate(from.z, to.z, duration));
}

SkyState ConvertState(const SkyscapeDescription::State& read)
{
    SkyState state;
    state.keys = read.keys;
    state.duration = read.duration;
    state.turnAngle = read.turnDegrees * kDegreesToRadians;
    state.domeAlpha = read.domeAlpha;
    state.sun = read.sun;
    state.ambient = read.ambient;
    if (read.brighten != 0) {
        state.sun *= 2.0f;
        state.ambient *= 2.0f;
    }
    state.firstSpare = read.firstSpare;
    state.secondSpare = read.secondSpare;
    state.fog = read.fog;
    state.firstFogValue = read.firstFogValue;
    state.secondFogValue = read.secondFogValue;
    state.thirdValue = read.thirdValue;
    state.brighten = read.brighten;
    state.greyComponent = read.greyComponent - 1;
    for (const SkyscapeDescription::QuadInState& quad : read.quads) {
        state.quadStateAngles.push_back(quad.stateAngleDegrees * kDegreesToRadians);
        state.quadEffects.push_back(quad.effectChoice);
        state.quadScales.push_back(quad.scale);
        state.quadTextureSteps.push_back(quad.textureStep);
    }
    return state;
}

} // namespace

CPDynamicSky::CPDynamicSky()
    : m_radius(0.0f),
      m_segments(0),
      m_heightScale(0.0f),
      m_centre(0.0f, 0.0f, 0.0f),
      m_keyCount(0),
      m_ringsPerInterval(0),
      m_stateIndex(0),
      m_stateClock(0.0f),
      m_skySpeed(kDefaultSkySpeed),
      m_phaseClock(0.0f),
      m_phaseLength(0.0f),
      m_phaseIndex(0),
      m_fadeClock(0.0f),
      m_fadingIn(false),
      m_loaded(false)
{
    SunPosition = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

CPDynamicSky::~CPDynamicSky()
{
    for (CPSkyQuad* quad : m_quads) delete quad;
    for (auto& group : m_cloudGroups) delete group.second;
}

void CPDynamicSky::InitDome(float radius, int segments, float centreX, float centreY, float centreZ,
                            float heightScale)
{
    m_radius = radius;
    m_segments = segments;
    m_centre = D3DXVECTOR3(centreX, centreY, centreZ);
    m_heightScale = heightScale;
    if (segments <= 0) return;

    const float step = (kFullCircleDegrees / static_cast<float>(segments)) * kDegreesToRadians;
    const int rings = segments / kSegmentsPerRing;
    std::vector<Vertex48> vertices;
    for (int ring = 0; ring <= rings; ++ring) {
        const float elevation = kQuarterTurn - static_cast<float>(ring) * step;
        for (int point = 0; point <= segments; ++point) {
            const float around = static_cast<float>(point) * step;
            Vertex48 vertex = {};
            vertex.position = D3DXVECTOR3(std::cos(around) * radius * std::sin(elevation) + centreX,
                                          std::sin(around) * radius * std::sin(elevation) + centreY,
                                          std::cos(elevation) * heightScale * radius + centreZ);
            const D3DXVECTOR3 inward = -vertex.position;
            D3DXVec3Normalize(&vertex.normal, &inward);
            vertex.diffuse = kDomeColour;
            vertex.tex0 = D3DXVECTOR2(kTextureRepeats * point / segments,
                                      kTextureHeight * ring / (rings + 1));
            vertices.push_back(vertex);
        }
    }
    std::vector<uint16_t> indices;
    const int pointsPerRing = segments + 1;
    for (int ring = 0; ring < rings; ++ring) {
        for (int point = 0; point < segments; ++point) {
            const uint16_t a = static_cast<uint16_t>(ring * pointsPerRing + point);
            const uint16_t b = static_cast<uint16_t>(a + 1);
            const uint16_t c = static_cast<uint16_t>(a + pointsPerRing);
            const uint16_t d = static_cast<uint16_t>(c + 1);
            indices.insert(indices.end(), {a, c, d, a, d, b});
        }
    }
    SetGeometry(vertices, indices, false);
}

void CPDynamicSky::Load(const std::string& name)
{
    SkyscapeDescription sky;
    if (ReadSkyscapeFile(SkyFilePath(name), sky)) Build(sky);
    LoadSecondEffect(kLightEffect);
}

void CPDynamicSky::Build(const SkyscapeDescription& sky)
{
    m_skySpeed = sky.skySpeed;
    InitDome(sky.radius, sky.segments, sky.centre.x, sky.centre.y, sky.centre.z, sky.heightScale);
    LoadTexture(sky.domeTexture);
    LoadEffect(sky.domeEffect);
    m_keyCount = sky.keyCount;
    m_ringsPerInterval = sky.segments / (kSegmentsPerRing * sky.keyCount - kSegmentsPerRing);
    const int stateCount = static_cast<int>(sky.states.size());
    m_stateIndex = sky.startState >= 0 && sky.startState < stateCount ? sky.startState : 0;
    BuildStates(sky);
    BuildQuads(sky);
    BuildCloudGroups(sky);
    StartPhases(sky.phaseList);
    m_rate = m_states.front();
    StartTransition();
    m_loaded = true;
}

void CPDynamicSky::BuildStates(const SkyscapeDescription& sky)
{
    for (const SkyscapeDescription::State& state : sky.states)
        m_states.push_back(ConvertState(state));
}

void CPDynamicSky::BuildQuads(const SkyscapeDescription& sky)
{
    for (const SkyscapeDescription::Quad& read : sky.quads) {
        CPSkyQuad* quad = new CPSkyQuad();
        quad->SetEffectNames(sky.firstQuadEffect, sky.secondQuadEffect);
        quad->SetDirection(read.axis);
        quad->SetDistance(read.distance);
        quad->SetAngle(read.angleDegrees * kDegreesToRadians);
        for (const std::string& texture : read.textures) quad->AddTexture(texture);
        quad->Build(read.size);
        m_quads.push_back(quad);
    }
}

// A name given twice keeps the later group; the earlier one is deleted.
void CPDynamicSky::BuildCloudGroups(const SkyscapeDescription& sky)
{
    for (const std::string& name : sky.cloudGroups) {
        CPCloudGroup* group = new CPCloudGroup();
        group->Load(name);
        CPCloudGroup*& entry = m_cloudGroups[name];
        delete entry;
        entry = group;
    }
}

void CPDynamicSky::StartPhases(const std::string& phaseList)
{
    m_phases.Load(phaseList);
    m_phaseClock = 0.0f;
    m_fadeClock = 0.0f;
    m_phaseIndex = 0;
    m_fadingIn = true;
    if (m_phases.entries.empty()) return;
    m_currentPhase = m_phases.entries.front();
    auto found = m_cloudGroups.find(m_currentPhase.cloudGroup);
    if (found != m_cloudGroups.end()) m_fadeList.push_back(found->second);
    m_phaseLength = DrawPhaseLength();
}

void CPDynamicSky::StartTransition()
{
    const int count = static_cast<int>(m_states.size());
    if (count == 0) return;
    const bool last = m_stateIndex + 1 >= count;
    const SkyState& from = m_states[m_stateIndex];
    const SkyState& to = m_states[last ? 0 : m_stateIndex + 1];
    const float duration = from.duration;
    m_current = from;
    m_grey = from;
    for (size_t key = 0; key < m_rate.keys.size(); ++key) {
        m_rate.keys[key] = Rate(from.keys[key], to.keys[key], duration);
    }
    m_rate.domeAlpha = Rate(from.domeAlpha, to.domeAlpha, duration);
    m_rate.turnAngle = Rate(from.turnAngle, to.turnAngle, duration);
    m_rate.ambient = Rate(from.ambient, to.ambient, duration);
    m_rate.sun = Rate(from.sun, to.sun, duration);
    m_rate.secondSpare = Rate(from.secondSpare, to.secondSpare, duration);
    m_rate.firstSpare = Rate(from.firstSpare, to.firstSpare, duration);
    m_rate.fog = Rate(from.fog, to.fog, duration);
    m_rate.firstFogValue = Rate(from.firstFogValue, to.firstFogValue, duration);
    m_rate.secondFogValue = Rate(from.secondFogValue, to.secondFogValue, duration);
    m_rate.thirdValue = Rate(from.thirdValue, to.thirdValue, duration);
    // Into the first state again the quads keep turning the same way.
    const float wrap = last ? kFullTurn : 0.0f;
    for (size_t quad = 0; quad < m_quads.size(); ++quad) {
        m_rate.quadScales[quad] = Rate(from.quadScales[quad], to.quadScales[quad], duration);
        m_rate.quadStateAngles[quad] =
            Rate(from.quadStateAngles[quad] - wrap, to.quadStateAngles[quad], duration);
        m_quads[quad]->SelectEffect(from.quadEffects[quad]);
        if (from.quadTextureSteps[quad] == 1) m_quads[quad]->NextTexture();
    }
}

// A name that no loaded group bears leaves the groups and the list as they
// are.
void CPDynamicSky::SwitchCloudGroup(const std::string& name)
{
    m_fadeClock = 0.0f;
    m_fadingIn = true;
    auto found = m_cloudGroups.find(name);
    if (found == m_cloudGroups.end()) return;
    CPCloudGroup* shown = nullptr;
    if (m_fadeList.size() == 1) shown = m_fadeList.front();
    if (m_fadeList.size() >= 2) {
        shown = m_fadeList[1];
        m_fadeList.clear();
    }
    if (found->second == shown) return;
    CPCloudGroup* wanted = found->second;
    m_fadeList.clear();
    if (shown) {
        shown->Hide();
        m_fadeList.push_back(shown);
    }
    wanted->secondWord = 0;
    wanted->PlaceSets();
    wanted->SetShown(true, true);
    m_fadeList.push_back(wanted);
}

// A phase that fades in no time is fully in while fading in and fully out
// afterwards.
float CPDynamicSky::BlendWeight() const
{
    const float fadeTime = m_currentPhase.fadeTime;
    if (fadeTime > 0.0f) return m_fadeClock / fadeTime;
    return m_fadingIn ? 1.0f : 0.0f;
}

D3DXVECTOR3 CPDynamicSky::Blended(const D3DXVECTOR3& current, const D3DXVECTOR3& grey,
                                  float weight) const
{
    if (!IsGreyPhase()) return current;
    return current + (grey - current) * weight;
}

void CPDynamicSky::Update(float dt)
{
    if (!m_loaded) return;
    const float step = dt * m_skySpeed;
    AdvanceFadeClock(step);
    AdvanceValues(step);
    const float weight = BlendWeight();
    const D3DXVECTOR3 fog = Blended(m_current.fog, m_grey.fog, weight);
    SetSkyFogColour(fog.x, fog.y, fog.z);
    ColourDome(weight);
    TurnDome();
    m_stateClock += step;
    m_phaseClock += step;
    const D3DXVECTOR3 ambient = Blended(m_current.ambient, m_grey.ambient, weight);
    SetSkyAmbient(ambient.x, ambient.y, ambient.z);
    m_useSecondEffect = false;
    SetGeometry(m_sourceVertices, m_indices, true);
    Draw(step);
    UpdateQuads(step, weight);
    ClearSkyDepth();
    AdvanceState();
    AdvancePhase();
}

void CPDynamicSky::AdvanceFadeClock(float step)
{
    if (m_fadingIn) {
        m_fadeClock = std::min(m_fadeClock + step, m_currentPhase.fadeTime);
    } else {
        m_fadeClock = std::max(m_fadeClock - step, 0.0f);
    }
}

void CPDynamicSky::AdvanceValues(float step)
{
    const bool grey = IsGreyPhase();
    const int component = m_current.greyComponent;
    for (size_t key = 0; key < m_current.keys.size(); ++key) {
        m_current.keys[key] += step * m_rate.keys[key];
        if (grey) m_grey.keys[key] = Grey(m_current.keys[key], component);
    }
    D3DXVECTOR3 SkyState::*const triples[] = {&SkyState::sun, &SkyState::ambient,
                                              &SkyState::firstSpare, &SkyState::secondSpare,
                                              &SkyState::fog};
    for (D3DXVECTOR3 SkyState::*triple : triples) {
        m_current.*triple = Clamped(m_current.*triple + step * (m_rate.*triple));
        if (grey) m_grey.*triple = Grey(m_current.*triple, component);
    }
    m_current.domeAlpha = Clamped(m_current.domeAlpha + step * m_rate.domeAlpha);
    m_current.turnAngle += step * m_rate.turnAngle;
    m_current.firstFogValue += step * m_rate.firstFogValue;
    m_current.secondFogValue += step * m_rate.secondFogValue;
    m_current.thirdValue += step * m_rate.thirdValue;
    for (size_t quad = 0; quad < m_current.quadStateAngles.size(); ++quad) {
        m_current.quadStateAngles[quad] += step * m_rate.quadStateAngles[quad];
        m_current.quadScales[quad] += step * m_rate.quadScales[quad];
    }
}

// Ring after ring from the horizon: within each key interval the colour
// climbs from its key by one increment before every ring, and the points
// facing the sun glow brighter. The dome is drawn turned by the turn angle,
// so the sun's direction is turned back into the unturned dome's frame.
void CPDynamicSky::ColourDome(float weight)
{
    D3DXVECTOR3 toSun;
    D3DXMATRIX turnBack;
    D3DXMatrixRotationZ(&turnBack, m_current.turnAngle);
    D3DXVec3TransformNormal(&toSun, &SunPosition, &turnBack);
    D3DXVec3Normalize(&toSun, &toSun);
    const size_t pointsPerRing = static_cast<size_t>(m_segments) + 1;
    const float rings = static_cast<float>(m_ringsPerInterval);
    Vertex48* vertex = m_sourceVertices.data();
    Vertex48* const end = vertex + m_sourceVertices.size();
    for (int interval = 0; interval + 1 < m_keyCount; ++interval) {
        const D3DXVECTOR3 low = Blended(m_current.keys[interval], m_grey.keys[interval], weight);
        const D3DXVECTOR3 high =
            Blended(m_current.keys[interval + 1], m_grey.keys[interval + 1], weight);
        const D3DXVECTOR3 increment = (high - low) / rings;
        const bool lastInterval = interval + 2 == m_keyCount;
        const int ringCount = m_ringsPerInterval + (lastInterval ? 1 : 0);
        D3DXVECTOR3 running = low;
        for (int ring = 0; ring < ringCount; ++ring) {
            running = Clamped(running + increment);
            const D3DCOLOR unlit =
                PackDomeColour(m_current.domeAlpha, running.x, running.y, running.z);
            for (size_t point = 0; point < pointsPerRing && vertex != end; ++point, ++vertex) {
                const float facing = -D3DXVec3Dot(&vertex->normal, &toSun);
                if (!(facing > 0.0f)) {
                    vertex->diffuse = unlit;
                    continue;
                }
                const float glow = kGlow * facing;
                vertex->diffuse = PackDomeColour(
                    m_current.domeAlpha, std::min(kColourMax, running.x + glow),
                    std::min(kColourMax, running.y + glow), std::min(kColourMax, running.z + glow));
            }
        }
    }
}

// The drawn dome turns about the vertical through its centre: the working
// vertices are the source ones with turned positions, made in one pass.
// The turn leaves w at 1, so no point needs dividing.
void CPDynamicSky::TurnDome()
{
    D3DXMATRIX toCentre;
    D3DXMATRIX turn;
    D3DXMATRIX back;
    D3DXMatrixTranslation(&toCentre, -m_centre.x, -m_centre.y, -m_centre.z);
    D3DXMatrixRotationZ(&turn, -m_current.turnAngle);
    D3DXMatrixTranslation(&back, m_centre.x, m_centre.y, m_centre.z);
    const D3DXMATRIX matrix = toCentre * turn * back;
    m_workingVertices.resize(m_sourceVertices.size());
    for (size_t index = 0; index < m_sourceVertices.size(); ++index) {
        Vertex48& working = m_workingVertices[index];
        working = m_sourceVertices[index];
        const D3DXVECTOR3& point = m_sourceVertices[index].position;
        working.position.x = point.x * matrix._11 + point.y * matrix._21 + matrix._41;
        working.position.y = point.x * matrix._12 + point.y * matrix._22 + matrix._42;
    }
}

void CPDynamicSky::UpdateQuads(float step, float weight)
{
    const bool grey = IsGreyPhase();
    const float alpha = kColourMax - kColourMax * weight;
    const float sunAlpha = kColourMax - kSunFade * weight;
    for (size_t index = 0; index < m_quads.size(); ++index) {
        CPSkyQuad* quad = m_quads[index];
        quad->SetStateAngle(m_current.quadStateAngles[index]);
        quad->SetScale(m_current.quadScales[index]);
        if (grey) quad->SetAlpha(static_cast<int>(index == 0 ? sunAlpha : alpha));
        if (index == 0) {
            SunPosition = kSunLightDistance * quad->GetPosition();
            const D3DXVECTOR3 sun = Blended(m_current.sun, m_grey.sun, weight) / kColourMax;
            SetSunLight(-quad->GetPosition(), D3DXCOLOR(sun.x, sun.y, sun.z, 1.0f));
        }
        quad->Update(step / m_skySpeed);
    }
}

void CPDynamicSky::AdvanceState()
{
    if (!(m_stateClock > m_states[m_stateIndex].duration)) return;
    m_stateClock = 0.0f;
    m_stateIndex = (m_stateIndex + 1) % static_cast<int>(m_states.size());
    StartTransition();
}

// A phase that no other can follow is chosen again and fades in again.
void CPDynamicSky::AdvancePhase()
{
    if (m_phaseClock > m_phaseLength) {
        if (CanChoosePhase()) {
            const int chosen = ChoosePhase();
            m_currentPhase = m_phases.entries[chosen];
            m_phaseIndex = chosen;
            SwitchCloudGroup(m_currentPhase.cloudGroup);
        } else {
            m_fadeClock = 0.0f;
            m_fadingIn = true;
        }
        m_phaseClock = 0.0f;
        m_phaseLength = DrawPhaseLength();
    } else if (m_phaseLength - m_phaseClock <= m_currentPhase.fadeTime) {
        m_fadingIn = false;
    }
}

// Another phase can be drawn when one exists whose weight a draw of 0
// accepts.
bool CPDynamicSky::CanChoosePhase() const
{
    const std::vector<SkySequenceEntry>& phases = m_phases.entries;
    for (size_t index = 0; index < phases.size(); ++index) {
        if (static_cast<int>(index) != m_phaseIndex && phases[index].probability >= 0.0f)
            return true;
    }
    return false;
}

int CPDynamicSky::ChoosePhase() const
{
    const int count = static_cast<int>(m_phases.entries.size());
    for (;;) {
        int candidate = std::rand() % count;
        while (candidate == m_phaseIndex) candidate = std::rand() % count;
        const float draw = kWeightStep * static_cast<float>(std::rand() % kWeightDraws);
        if (draw <= m_phases.entries[candidate].probability) return candidate;
    }
}

// Between mean × (1 - spread) and mean × (1 + spread) in steps of 0.1; a
// spread too small for one step gives the shortest length.
float CPDynamicSky::DrawPhaseLength() const
{
    const float mean = m_currentPhase.meanLength;
    const float spread = mean * m_currentPhase.variation;
    const double steps = std::floor(static_cast<double>(kPhaseLengthSteps * spread));
    const float shortest = mean - spread;
    if (!(steps >= 1.0)) return shortest;
    const int stepCount = steps > INT_MAX ? INT_MAX : static_cast<int>(steps);
    return shortest + kPhaseLengthStep * static_cast<float>(std::rand() % stepCount);
}
