#pragma once

#include "Render/PEffect.h"
#include "Render/PMaterial.h"
#include "Render/PRender.h"
#include "Render/PTexture.h"
#include "Render/tests/RecordingEffect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// The renderer with the shared test device, the texture and effect caches
// and the material manager, published as the host publishes them, with
// effects made by a RecordingEffectFactory. Files written under "Data" are
// removed again after each test.
class ResourceTest : public testing::Test {
protected:
    ResourceTest();
    ~ResourceTest() override;

    // A machine without a Direct3D device fails here, before any test uses it.
    void SetUp() override;

    // Lets go of the reference, then destroys the object as its owner would.
    template <class T>
    static void Destroy(RefPtr<T>& reference)
    {
        T* object = reference.Get();
        reference = nullptr;
        delete object;
    }

    void WriteFile(const std::string& path, const std::string& bytes);
    // An uncompressed 32-bit TGA of one colour (0xAARRGGBB).
    void WriteTga(const std::string& path, int width, int height, uint32_t colour = 0xFF3366CC);
    // A JPEG written by the extension library from a texture of that size.
    void WriteJpeg(const std::string& path, int width, int height);
    // A DDS cube map of six square A8R8G8B8 faces with one mip level.
    void WriteCubeDds(const std::string& path, int size);

    CPRender render;
    RecordingEffectFactory effects;
    CPTextureCache* textureCache;
    CPEffectCache* effectCache;
    CPMaterialManager materialManager;

private:
    std::vector<std::string> m_writtenFiles;
    CPRender* m_previousRender;
    EffectFactory* m_previousFactory;
};
