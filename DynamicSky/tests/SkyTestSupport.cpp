#include "DynamicSky/tests/SkyTestSupport.h"

#include "DynamicSky/VertexObject.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {
const char* const kFolders[] = {"Data", "Data\\Clouds", "Data\\Effects", "Data\\Textures"};
const char* const kEffectHeader = "effect";
} // namespace

PassEffect::PassEffect(const std::string& description, UINT passes)
    : RecordingEffect(description + " passes " + std::to_string(passes))
{
}

HRESULT PassEffect::SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture)
{
    journal.push_back(std::string("SetTexture ") + parameter + (texture ? " texture" : " none"));
    return D3D_OK;
}

HRESULT PassEffectFactory::CreateEffect(IDirect3DDevice9*, const void* data, UINT size,
                                        ID3DXEffectPool*, ID3DXEffect** effect)
{
    const std::string text(static_cast<const char*>(data), size);
    texts.push_back(text);
    std::istringstream words(text);
    std::string header;
    std::string name;
    UINT passes = 0;
    *effect = nullptr;
    if (!(words >> header >> name >> passes) || header != kEffectHeader) return E_FAIL;
    PassEffect* created = new PassEffect("technique " + name, passes);
    effects.push_back(created);
    *effect = created;
    return D3D_OK;
}

SkyTest::SkyTest() : m_previousRender(g_pRender), m_previousFactory(SetEffectFactory(&effects))
{
    for (const char* folder : kFolders) CreateDirectoryA(folder, nullptr);
    device.SetCreateResult(D3D_OK);
    render.SetDevice(device.Get());
    g_pRender = &render;
    g_VertexDrawer.SetDevice(device.Get());
    m_previousSink =
        SetSkyLogSink([this](const std::string& report) { reports.push_back(report); });
}

SkyTest::~SkyTest()
{
    SetSkyLogSink(m_previousSink);
    g_VertexDrawer.SetDevice(nullptr);
    g_pRender = m_previousRender;
    SetEffectFactory(m_previousFactory);
    for (const std::string& path : m_writtenFiles) std::remove(path.c_str());
}

void SkyTest::WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    m_writtenFiles.push_back(path);
}

void SkyTest::WriteEffect(const std::string& path, const std::string& name, int passes)
{
    WriteFile(path, std::string(kEffectHeader) + " " + name + " " + std::to_string(passes));
}

void SkyTest::WriteSky(const std::string& name, const SkyscapeDescription& sky)
{
    ASSERT_EQ(WriteSkyscapeFile(SkyFilePath(name), sky), S_OK);
    m_writtenFiles.push_back(SkyFilePath(name));
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> SkyTest::CallsFrom(const std::string& prefix) const
{
    std::vector<std::string> texts = device.CallTexts();
    for (size_t index = 0; index < texts.size(); ++index) {
        if (texts[index].compare(0, prefix.size(), prefix) == 0) {
            return std::vector<std::string>(texts.begin() + index, texts.end());
        }
    }
    return {};
}

SkyscapeDescription ExampleSky(int segments, int keys, int states, int quads)
{
    SkyscapeDescription sky;
    sky.skySpeed = 2.0f;
    sky.radius = 100.0f;
    sky.heightScale = 0.5f;
    sky.segments = segments;
    sky.centre = D3DXVECTOR3(1.0f, 2.0f, 3.0f);
    sky.keyCount = keys;
    sky.phaseList = "phases.txt";
    for (int index = 0; index < states; ++index) {
        const float shade = static_cast<float>(index + 1);
        SkyscapeDescription::State state;
        state.duration = 10.0f * shade;
        state.domeAlpha = 50.0f * shade;
        state.turnDegrees = 30.0f * shade;
        state.greyComponent = 1 + index % 3;
        for (int key = 0; key < keys; ++key) {
            state.keys.push_back(D3DXVECTOR3(10.0f * shade + key, 20.0f * shade, 30.0f * key));
        }
        state.sun = D3DXVECTOR3(40.0f * shade, 30.0f, 20.0f);
        state.ambient = D3DXVECTOR3(10.0f, 20.0f * shade, 30.0f);
        state.firstSpare = D3DXVECTOR3(1.0f * shade, 2.0f, 3.0f);
        state.secondSpare = D3DXVECTOR3(4.0f, 5.0f * shade, 6.0f);
        state.fog = D3DXVECTOR3(60.0f, 70.0f, 8.0f * shade);
        state.firstFogValue = 100.0f * shade;
        state.secondFogValue = 200.0f * shade;
        state.thirdValue = 3.0f * shade;
        for (int quad = 0; quad < quads; ++quad) {
            SkyscapeDescription::QuadInState values;
            values.stateAngleDegrees = 90.0f * shade + quad;
            values.scale = shade;
            state.quads.push_back(values);
        }
        sky.states.push_back(state);
    }
    for (int index = 0; index < quads; ++index) {
        SkyscapeDescription::Quad quad;
        quad.axis = D3DXVECTOR3(0.0f, 0.0f, 2.0f);
        quad.size = 5.0f;
        quad.distance = 100.0f;
        quad.angleDegrees = 10.0f * index;
        sky.quads.push_back(quad);
    }
    return sky;
}
