#pragma once

#include "DynamicSky/SkyTextFile.h"
#include "DynamicSky/SkyscapeFile.h"
#include "Render/EffectFactory.h"
#include "Render/PRender.h"
#include "Render/tests/RecordingDevice.h"
#include "Render/tests/RecordingEffect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A recording effect that runs a given number of passes and also records
// the textures it is given.
class PassEffect : public RecordingEffect {
public:
    PassEffect(const std::string& description, UINT passes);

    STDMETHOD(SetTexture)(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) override;
};

// Makes a PassEffect from effect text "effect <name> <passes>"; any other
// text fails to compile. Every compile is kept with its text.
class PassEffectFactory : public EffectFactory {
public:
    HRESULT CreateEffect(IDirect3DDevice9* device, const void* data, UINT size,
                         ID3DXEffectPool* pool, ID3DXEffect** effect) override;

    std::vector<std::string> texts;
    std::vector<PassEffect*> effects;
};

// The renderer and the vertex drawer on a recording device whose buffers
// work, effects from a PassEffectFactory, the sky's reports collected, and
// the data folders made; files written are removed after each test.
class SkyTest : public testing::Test {
protected:
    SkyTest();
    ~SkyTest() override;

    void WriteFile(const std::string& path, const std::string& text);
    // An effect file that compiles to a PassEffect named name.
    void WriteEffect(const std::string& path, const std::string& name, int passes);
    // The sky file of that name with the description's text.
    void WriteSky(const std::string& name, const SkyscapeDescription& sky);
    // The texts of the device's calls from the first one named like prefix.
    std::vector<std::string> CallsFrom(const std::string& prefix) const;

    RecordingDevice device;
    CPRender render;
    PassEffectFactory effects;
    std::vector<std::string> reports;

private:
    std::vector<std::string> m_writtenFiles;
    CPRender* m_previousRender;
    EffectFactory* m_previousFactory;
    SkyLogSink m_previousSink;
};

// The whole file's bytes, or nothing.
std::string ReadFile(const std::string& path);

// A sky of n segments and K keys whose states differ in every value, with
// quads running around the vertical and one grey phase list named
// "phases.txt" not yet written.
SkyscapeDescription ExampleSky(int segments, int keys, int states, int quads);
