#pragma once

#include "core/PObject.h"

#include <d3d9.h>

#include <list>
#include <string>
#include <unordered_map>
#include <vector>

// A texture the engine draws with, loaded from "Data\Textures" by a
// request string: a file name, then the options "nomip" (one mip
// level, no level-of-detail setting) and "cube" (a cube map). Textures live
// in the managed pool, so they survive a lost device. Obtained from the
// texture cache; whoever holds one destroys it, and it then leaves the cache.
class CPTexture : public IPObject {
public:
    CPTexture();
    ~CPTexture() override;

    int GetObjectSize() override;
    // "CPTexture - " and the request it was loaded with.
    const char* GetTypeName() override;

    // A file missing on disk is looked for with "jpg" in place of its last
    // three characters. False when the file cannot be read or decoded, and
    // when its name lies outside "Data\Textures" (reported, not opened).
    bool Load(const std::string& request);

    // Shows a texture that a video player owns and fills under the player's
    // name ("VIDEO"): the player keeps it, so this texture never releases
    // it. Releases what was loaded.
    void SetVideoTexture(IDirect3DTexture9* texture, const std::string& name);

    // The texture in use, 2D or cube; null when nothing loaded.
    IDirect3DBaseTexture9* GetBaseTexture() const;
    IDirect3DTexture9* GetTexture2D() const { return m_texture; }
    IDirect3DCubeTexture9* GetCubeTexture() const { return m_cubeTexture; }
    bool IsCube() const { return m_cube; }
    // The size of mip level 0 as the device made it.
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    const std::string& GetName() const { return m_name; }

private:
    bool Create2DTexture(const void* data, UINT size, UINT mipLevels, bool applyTexLod);
    bool CreateCubeTexture(const void* data, UINT size, UINT mipLevels);
    void ReleaseTextures();

    IDirect3DTexture9* m_texture;
    IDirect3DCubeTexture9* m_cubeTexture;
    std::string m_name;
    bool m_cube;
    int m_width;
    int m_height;
    bool m_videoTexture;
    std::string m_typeName;
};

// An ordered set of textures, the texture set of a material. The cache makes
// one block per distinct sequence of texture objects.
class CPTextureBlock : public IPObject {
public:
    explicit CPTextureBlock(const std::vector<RefPtr<CPTexture>>& textures);
    ~CPTextureBlock() override;

    int GetObjectSize() override;
    const char* GetTypeName() override;

    int GetTextureCount() const { return static_cast<int>(m_textures.size()); }
    CPTexture* GetTexture(int index) const { return m_textures[index].Get(); }
    // The same texture objects in the same order.
    bool Holds(const std::vector<RefPtr<CPTexture>>& textures) const;

private:
    std::vector<RefPtr<CPTexture>> m_textures;
};

// The one texture cache: one texture per request string (exact,
// case-sensitive) and one block per sequence of textures. A texture that
// does not load is replaced by one loaded from "error.tga", a copy per
// failed request. The cache never destroys textures or blocks.
class CPTextureCache {
public:
    CPTextureCache();
    ~CPTextureCache();

    // Never hands back an empty reference.
    void GetTexture(RefPtr<CPTexture>& texture, const std::string& request);
    void GetTextureBlock(RefPtr<CPTextureBlock>& block, std::vector<std::string> names);

    // Forget a texture or block being destroyed.
    void RemoveTexture(CPTexture* texture);
    void RemoveBlock(CPTextureBlock* block);
    // Destroys every block, then every cached texture; the host's end of
    // the run.
    void DestroyAll();

private:
    std::list<CPTextureBlock*> m_blocks;
    std::unordered_map<std::string, CPTexture*> m_textures;
};

// The texture cache that the host created and published.
extern CPTextureCache* g_pTextureCache;
CPTextureCache* GetTextureCache();
