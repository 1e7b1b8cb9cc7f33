#include "Render/tests/ResourceTest.h"

#include "Render/TgaImage.h"
#include "Render/tests/TestDevice.h"

#include <d3dx9tex.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <fstream>

namespace {

const char* const kFolders[] = {"Data", "Data\\Textures", "Data\\Effects"};

} // namespace

ResourceTest::ResourceTest()
    : m_previousRender(g_pRender), m_previousFactory(SetEffectFactory(&effects))
{
    for (const char* folder : kFolders) CreateDirectoryA(folder, nullptr);
    render.SetDevice(GetTestDevice());
    g_pRender = &render;
    textureCache = new CPTextureCache();
    effectCache = new CPEffectCache();
    g_pTextureCache = textureCache;
    g_pEffectCache = effectCache;
    g_pMaterialManager = &materialManager;
}

ResourceTest::~ResourceTest()
{
    g_pMaterialManager = nullptr;
    delete effectCache;
    delete textureCache;
    g_pRender = m_previousRender;
    SetEffectFactory(m_previousFactory);
    for (const std::string& path : m_writtenFiles) std::remove(path.c_str());
}

void ResourceTest::SetUp()
{
    ASSERT_NE(GetTestDevice(), nullptr) << "no Direct3D 9 device on this machine";
}

void ResourceTest::WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    m_writtenFiles.push_back(path);
}

void ResourceTest::WriteTga(const std::string& path, int width, int height, uint32_t colour)
{
    WriteFile(path, SolidTgaImage(width, height, colour));
}

void ResourceTest::WriteJpeg(const std::string& path, int width, int height)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(GetTestDevice(), width, height, 1, 0, D3DFMT_A8R8G8B8,
                                D3DPOOL_MANAGED, &texture),
              D3D_OK);
    EXPECT_EQ(D3DXSaveTextureToFileA(path.c_str(), D3DXIFF_JPG, texture, nullptr), D3D_OK);
    texture->Release();
    m_writtenFiles.push_back(path);
}

void ResourceTest::WriteCubeDds(const std::string& path, int size)
{
    const uint32_t kHeaderSize = 124;
    const uint32_t kCapsHeightWidthPitchFormatMips = 0x1 | 0x2 | 0x4 | 0x8 | 0x1000 | 0x20000;
    const uint32_t kPixelFormatSize = 32;
    const uint32_t kRgbWithAlpha = 0x40 | 0x1;
    const uint32_t kComplexTexture = 0x1000 | 0x8;
    const uint32_t kCubeMapAllFaces = 0x200 | 0xFC00;
    const int kFaces = 6;

    std::string bytes = "DDS ";
    for (uint32_t value : {kHeaderSize, kCapsHeightWidthPitchFormatMips, uint32_t(size),
                           uint32_t(size), uint32_t(size * 4), 0u, 1u}) {
        AppendUint32(bytes, value);
    }
    bytes += std::string(44, '\0'); // reserved
    for (uint32_t value : {kPixelFormatSize, kRgbWithAlpha, 0u, 32u, 0x00FF0000u, 0x0000FF00u,
                           0x000000FFu, 0xFF000000u, kComplexTexture, kCubeMapAllFaces, 0u, 0u,
                           0u}) {
        AppendUint32(bytes, value);
    }
    for (int pixel = 0; pixel < kFaces * size * size; ++pixel) AppendUint32(bytes, 0xFF808080);
    WriteFile(path, bytes);
}
