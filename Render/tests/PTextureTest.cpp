#include "Render/tests/ResourceTest.h"

#include "Render/tests/TestDevice.h"
#include "core/PDataFile.h"
#include "core/PackArchiveFile.h"
#include "core/Settings.h"

#include <d3dx9tex.h>

namespace {

class TextureCache : public ResourceTest {
protected:
    TextureCache() : m_savedTexLod(g_texlod) {}
    ~TextureCache() override { g_texlod = m_savedTexLod; }

    RefPtr<CPTexture> Get(const std::string& request)
    {
        RefPtr<CPTexture> texture;
        textureCache->GetTexture(texture, request);
        return texture;
    }

    // An "error.tga" whose size tells the replacement apart.
    void WriteErrorTexture() { WriteTga("Data\\Textures\\error.tga", 2, 2); }

private:
    int m_savedTexLod;
};

TEST_F(TextureCache, OneTexturePerRequestStringWithItsOptions)
{
    WriteTga("Data\\Textures\\road.tga", 8, 4);
    RefPtr<CPTexture> full = Get("road.tga");
    RefPtr<CPTexture> single = Get("road.tga,nomip");

    EXPECT_EQ(Get("road.tga").Get(), full.Get());
    EXPECT_NE(single.Get(), full.Get());
    EXPECT_STREQ(single->GetTypeName(), "CPTexture - road.tga,nomip");
    ASSERT_NE(full->GetTexture2D(), nullptr);
    ASSERT_NE(single->GetTexture2D(), nullptr);
    EXPECT_EQ(full->GetTexture2D()->GetLevelCount(), 4u);
    EXPECT_EQ(single->GetTexture2D()->GetLevelCount(), 1u);
    EXPECT_EQ(full->GetWidth(), 8);
    EXPECT_EQ(full->GetHeight(), 4);
}

TEST_F(TextureCache, AMissingFileIsLookedForAsItsJpegTwin)
{
    WriteErrorTexture();
    WriteJpeg("Data\\Textures\\bark.jpg", 16, 8);
    RefPtr<CPTexture> texture = Get("bark.tga");
    EXPECT_EQ(texture->GetName(), "bark.tga");
    EXPECT_EQ(texture->GetWidth(), 16);
    EXPECT_EQ(texture->GetHeight(), 8);
}

// Only a file that is nowhere, on disk or in a pack archive, is looked for
// as its JPEG twin.
TEST_F(TextureCache, AFileKeptOnlyInAPackArchiveIsNoMissingFile)
{
    WriteErrorTexture();
    const char* const kPacked = "Data\\Textures\\Packed.tga";
    WriteTga(kPacked, 8, 4);
    CPDataFile written(kPacked, false);
    ASSERT_EQ(written.Load(), S_OK);
    PackArchiveWriter archive;
    archive.AddEntry(kPacked, std::vector<unsigned char>(written.GetData(), written.GetData() + written.GetDataSize()));
    ASSERT_EQ(archive.Save("textures.pak"), S_OK);
    DeleteFileA(kPacked);
    GetPackArchiveList().clear();
    ASSERT_TRUE(RegisterPackArchiveFile("textures.pak"));

    RefPtr<CPTexture> texture = Get("packed.tga");
    GetPackArchiveList().clear();
    EXPECT_EQ(texture->GetName(), "packed.tga");
    EXPECT_EQ(texture->GetWidth(), 8);
    EXPECT_EQ(texture->GetHeight(), 4);
}

TEST_F(TextureCache, EachTextureThatFailsGetsItsOwnErrorTexture)
{
    WriteErrorTexture();
    WriteFile("Data\\Textures\\broken.tga", "not an image at all");
    RefPtr<CPTexture> missing = Get("missing.tga");
    RefPtr<CPTexture> broken = Get("broken.tga");
    RefPtr<CPTexture> tiny = Get("ab");

    for (CPTexture* texture : {missing.Get(), broken.Get(), tiny.Get()}) {
        EXPECT_EQ(texture->GetName(), "error.tga");
        EXPECT_EQ(texture->GetWidth(), 2);
        ASSERT_NE(texture->GetTexture2D(), nullptr);
    }
    EXPECT_NE(missing.Get(), broken.Get());
    EXPECT_EQ(Get("missing.tga").Get(), missing.Get());
}

TEST_F(TextureCache, WithoutAnErrorTextureTheReplacementIsEmptyButHandedOut)
{
    RefPtr<CPTexture> texture = Get("missing.tga");
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->GetBaseTexture(), nullptr);
    EXPECT_EQ(Get("missing.tga").Get(), texture.Get());
}

TEST_F(TextureCache, TexLodSetsTheMostDetailedLevelOfFullChainsOnly)
{
    WriteTga("Data\\Textures\\grass.tga", 16, 16);
    WriteCubeDds("Data\\Textures\\sky.dds", 8);
    g_texlod = 2;
    EXPECT_EQ(Get("grass.tga")->GetTexture2D()->GetLOD(), 2u);
    EXPECT_EQ(Get("grass.tga,nomip")->GetTexture2D()->GetLOD(), 0u);
    EXPECT_EQ(Get("sky.dds,cube")->GetCubeTexture()->GetLOD(), 0u);
    g_texlod = -1;
    EXPECT_EQ(Get("grass.tga,sharp")->GetTexture2D()->GetLOD(), 0u);
}

TEST_F(TextureCache, CubeTexturesLoadFromCubeMapsOnly)
{
    WriteErrorTexture();
    WriteCubeDds("Data\\Textures\\sky.dds", 8);
    WriteTga("Data\\Textures\\flat.tga", 8, 8);

    RefPtr<CPTexture> cube = Get("sky.dds,nomip,cube");
    EXPECT_TRUE(cube->IsCube());
    ASSERT_NE(cube->GetCubeTexture(), nullptr);
    EXPECT_EQ(cube->GetBaseTexture(), cube->GetCubeTexture());
    EXPECT_EQ(cube->GetTexture2D(), nullptr);
    EXPECT_EQ(cube->GetCubeTexture()->GetLevelCount(), 1u);
    EXPECT_EQ(cube->GetWidth(), 8);

    RefPtr<CPTexture> notCube = Get("flat.tga,cube");
    EXPECT_EQ(notCube->GetName(), "error.tga");
    EXPECT_FALSE(notCube->IsCube());
}

TEST_F(TextureCache, BlocksAreSharedBySequenceOfTextures)
{
    auto block = [this](std::vector<std::string> names) {
        RefPtr<CPTextureBlock> result;
        textureCache->GetTextureBlock(result, names);
        return result;
    };
    RefPtr<CPTextureBlock> ab = block({"a.tga", "b.tga"});
    EXPECT_EQ(block({"a.tga", "b.tga"}).Get(), ab.Get());
    EXPECT_NE(block({"b.tga", "a.tga"}).Get(), ab.Get());
    EXPECT_NE(block({"a.tga"}).Get(), ab.Get());
    EXPECT_EQ(block({}).Get(), block({}).Get());

    ASSERT_EQ(ab->GetTextureCount(), 2);
    EXPECT_EQ(ab->GetTexture(0), Get("a.tga").Get());
    EXPECT_EQ(ab->GetTexture(1), Get("b.tga").Get());
}

TEST_F(TextureCache, ADestroyedBlockIsNoLongerHandedOut)
{
    RefPtr<CPTextureBlock> first;
    textureCache->GetTextureBlock(first, {"a.tga"});
    Destroy(first);
    const size_t objectsBefore = GetGlobalObjectList().size();
    RefPtr<CPTextureBlock> second;
    textureCache->GetTextureBlock(second, {"a.tga"});
    EXPECT_EQ(GetGlobalObjectList().size(), objectsBefore + 1) << "a new block was made";
}

// A replacement is stored under the key that was asked for but carries the
// name "error.tga"; destroying it must clear its own entry and leave the
// real "error.tga" entry alone.
TEST_F(TextureCache, ADestroyedTextureLeavesExactlyItsOwnEntries)
{
    WriteErrorTexture();
    RefPtr<CPTexture> error = Get("error.tga");
    RefPtr<CPTexture> replacement = Get("missing.tga");
    Destroy(replacement);

    EXPECT_EQ(Get("error.tga").Get(), error.Get());
    const size_t objectsBefore = GetGlobalObjectList().size();
    RefPtr<CPTexture> reloaded = Get("missing.tga");
    EXPECT_GT(GetGlobalObjectList().size(), objectsBefore) << "a new texture was made";
    EXPECT_EQ(reloaded->GetWidth(), 2);
}

TEST_F(TextureCache, AVideoTextureIsLeftToItsPlayer)
{
    WriteErrorTexture();
    IDirect3DTexture9* frames = nullptr;
    ASSERT_EQ(D3DXCreateTexture(GetTestDevice(), 64, 64, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED,
                                &frames),
              D3D_OK);
    RefPtr<CPTexture> video = Get("video");
    video->SetVideoTexture(frames, "VIDEO");
    EXPECT_EQ(video->GetName(), "VIDEO");
    EXPECT_EQ(video->GetBaseTexture(), frames);

    Destroy(video);
    EXPECT_EQ(frames->AddRef(), 2u) << "the player's reference is still there";
    frames->Release();
    EXPECT_EQ(frames->Release(), 0u);
}

} // namespace
