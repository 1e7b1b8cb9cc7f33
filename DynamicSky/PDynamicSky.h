#pragma once

#include "DynamicSky/PCloudGroup.h"
#include "DynamicSky/PSkyQuad.h"
#include "DynamicSky/PSkySequence.h"
#include "DynamicSky/PVolumeCloud.h"
#include "DynamicSky/SkyscapeFile.h"
#include "DynamicSky/VertexObject.h"

#include <d3dx9math.h>

#include <map>
#include <string>
#include <vector>

// One state of the sky's cycle, or the change per scaled second of every
// value on the way to the next state. Colours are on a 0 to 255 scale,
// angles in radians.
struct SkyState {
    std::vector<D3DXVECTOR3> keys; // horizon ring first
    float duration = 0.0f;
    float turnAngle = 0.0f;
    float domeAlpha = 0.0f;
    std::vector<float> quadStateAngles;
    std::vector<float> quadScales;
    std::vector<int> quadEffects;
    std::vector<int> quadTextureSteps;
    D3DXVECTOR3 ambient = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 sun = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 secondSpare = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 firstSpare = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 fog = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    float firstFogValue = 0.0f;
    float secondFogValue = 0.0f;
    float thirdValue = 0.0f;
    int brighten = 0;
    int greyComponent = 0; // 0 red, 1 green, 2 blue
};

// The sun's world position: 100 × the first sky quad's position, set by
// the sky every frame; zero until a sky sets it.
extern D3DXVECTOR3 SunPosition;

// The level's sky: a dome whose colours run through a cycle of states read
// from a skyscape file, sky quads (the first is the sun), cloud groups
// swapped by a random list of weather phases, and the scene's ambient
// light, fog colour and sun light, which it sets every frame. Time is
// scaled: frame time × sky speed.
class CPDynamicSky : public CPVertexObject {
public:
    static const float kDefaultSkySpeed;

    CPDynamicSky();
    ~CPDynamicSky() override;

    // The frame step; does nothing before a successful Load.
    virtual void Update(float dt);

    // Builds the dome of n segments around the centre; nothing for n <= 0.
    void InitDome(float radius, int segments, float centreX, float centreY, float centreZ,
                  float heightScale);
    // Builds the sky from "Data\Clouds\<name>". A file that cannot be read,
    // or a malformed one, leaves the sky empty; the light effect is loaded
    // in every case.
    void Load(const std::string& name);
    // Starts the passage from the current state to the next one.
    void StartTransition();
    // Fades the shown cloud group out and the named one in.
    void SwitchCloudGroup(const std::string& name);

    bool IsLoaded() const { return m_loaded; }
    const std::vector<SkyState>& GetStates() const { return m_states; }
    const SkyState& GetCurrent() const { return m_current; }
    const SkyState& GetRate() const { return m_rate; }
    const SkyState& GetGrey() const { return m_grey; }
    int GetStateIndex() const { return m_stateIndex; }
    float GetStateClock() const { return m_stateClock; }
    float GetSkySpeed() const { return m_skySpeed; }
    int GetKeyCount() const { return m_keyCount; }
    int GetRingsPerInterval() const { return m_ringsPerInterval; }
    const std::vector<CPSkyQuad*>& GetQuads() const { return m_quads; }
    const std::map<std::string, CPCloudGroup*>& GetCloudGroups() const { return m_cloudGroups; }
    const std::vector<CPCloudGroup*>& GetFadeList() const { return m_fadeList; }
    const std::vector<SkySequenceEntry>& GetPhases() const { return m_phases.entries; }
    const SkySequenceEntry& GetCurrentPhase() const { return m_currentPhase; }
    int GetPhaseIndex() const { return m_phaseIndex; }
    float GetPhaseClock() const { return m_phaseClock; }
    float GetPhaseLength() const { return m_phaseLength; }
    float GetFadeClock() const { return m_fadeClock; }
    bool IsFadingIn() const { return m_fadingIn; }
    // How far the current phase has faded in: fade clock / fade time.
    float BlendWeight() const;
    const CPVolumeCloud& GetVolumeCloud() const { return m_volumeCloud; }

private:
    void Build(const SkyscapeDescription& sky);
    void BuildStates(const SkyscapeDescription& sky);
    void BuildQuads(const SkyscapeDescription& sky);
    void BuildCloudGroups(const SkyscapeDescription& sky);
    void StartPhases(const std::string& phaseList);

    bool IsGreyPhase() const { return m_currentPhase.value9 != 0; }
    D3DXVECTOR3 Blended(const D3DXVECTOR3& current, const D3DXVECTOR3& grey, float weight) const;
    void AdvanceFadeClock(float step);
    void AdvanceValues(float step);
    void ColourDome(float weight);
    void TurnDome();
    void UpdateQuads(float step, float weight);
    void AdvanceState();
    void AdvancePhase();
    bool CanChoosePhase() const;
    int ChoosePhase() const;
    float DrawPhaseLength() const;

    float m_radius;
    int m_segments;
    float m_heightScale;
    D3DXVECTOR3 m_centre;
    std::vector<SkyState> m_states;
    int m_keyCount;
    int m_ringsPerInterval;
    SkyState m_rate;
    SkyState m_current;
    SkyState m_grey;
    int m_stateIndex;
    float m_stateClock;
    float m_skySpeed;
    std::vector<CPSkyQuad*> m_quads;
    std::map<std::string, CPCloudGroup*> m_cloudGroups;
    CPSkySequence m_phases;
    SkySequenceEntry m_currentPhase;
    float m_phaseClock;
    float m_phaseLength;
    int m_phaseIndex;
    float m_fadeClock;
    bool m_fadingIn;
    std::vector<CPCloudGroup*> m_fadeList;
    CPVolumeCloud m_volumeCloud;
    bool m_loaded;
};
