#include "Render/PTexture.h"

#include "Render/PRender.h"
#include "Render/RenderLog.h"
#include "Render/ResourceRequest.h"
#include "core/PDataFile.h"
#include "core/PDXErrorLog.h"
#include "core/Settings.h"

#include <d3dx9tex.h>

CPTextureCache* g_pTextureCache = nullptr;

CPTextureCache* GetTextureCache()
{
    return g_pTextureCache;
}

namespace {

const char* const kSourceFile = "Render/PTexture";
const char* const kTextureFolder = "Data\\Textures\\";
const char* const kErrorTexture = "error.tga";
const char* const kTypeNamePrefix = "CPTexture - ";
const char* const kNoMipOption = "nomip";
const char* const kCubeOption = "cube";

const char* const kJpegExtension = "jpg";
const size_t kExtensionLength = 3;

const UINT kFullMipChain = D3DX_DEFAULT;
const UINT kSingleMipLevel = 1;
const DWORD kMipFilter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;
const int kTexLodUnset = -1;

// The name with "jpg" in place of its last three characters, so that a
// ".tga" that is nowhere, on disk or in a pack archive, is looked for as
// ".jpg".
std::string JpegTwin(const std::string& fileName)
{
    return fileName.substr(0, fileName.size() - kExtensionLength) + kJpegExtension;
}

std::string TexturePath(const std::string& fileName)
{
    const std::string path = kTextureFolder + fileName;
    if (fileName.size() > kExtensionLength && !IsDataFilePresent(path)) {
        return kTextureFolder + JpegTwin(fileName);
    }
    return path;
}

// Cube and 2D textures both answer the size of a level this way.
template <class Texture>
void ReadLevelSize(Texture* texture, int& width, int& height)
{
    D3DSURFACE_DESC description;
    if (FAILED(texture->GetLevelDesc(0, &description))) return;
    width = static_cast<int>(description.Width);
    height = static_cast<int>(description.Height);
}

IDirect3DDevice9* RenderDevice()
{
    CPRender* render = GetRender();
    return render ? render->GetDevice() : nullptr;
}

} // namespace

CPTexture::CPTexture()
    : m_texture(nullptr),
      m_cubeTexture(nullptr),
      m_cube(false),
      m_width(0),
      m_height(0),
      m_videoTexture(false),
      m_typeName(kTypeNamePrefix)
{
}

// Leaves the cache by identity: the texture may sit under a key other than
// its own name (a fallback), and another texture may hold its name as key.
CPTexture::~CPTexture()
{
    ReleaseTextures();
    if (GetTextureCache()) GetTextureCache()->RemoveTexture(this);
}

int CPTexture::GetObjectSize()
{
    return sizeof(*this);
}

const char* CPTexture::GetTypeName()
{
    return m_typeName.c_str();
}

bool CPTexture::Load(const std::string& request)
{
    const ResourceRequest parsed = ParseResourceRequest(request);
    m_name = request;
    m_typeName = kTypeNamePrefix + request;
    if (!CheckNameInsideFolder("texture", parsed.fileName)) return false;
    const std::string path = TexturePath(parsed.fileName);

    const bool noMip = parsed.HasOption(kNoMipOption);
    const UINT mipLevels = noMip ? kSingleMipLevel : kFullMipChain;
    CPDataFile file(path, false);
    if (FAILED(file.Load())) return false;

    const UINT size = static_cast<UINT>(file.GetDataSize());
    if (parsed.HasOption(kCubeOption)) {
        m_cube = true;
        return CreateCubeTexture(file.GetData(), size, mipLevels);
    }
    return Create2DTexture(file.GetData(), size, mipLevels, !noMip);
}

bool CPTexture::Create2DTexture(const void* data, UINT size, UINT mipLevels, bool applyTexLod)
{
    IDirect3DTexture9* texture = nullptr;
    HRESULT result = D3DXCreateTextureFromFileInMemoryEx(
        RenderDevice(), data, size, D3DX_DEFAULT, D3DX_DEFAULT, mipLevels, 0, D3DFMT_UNKNOWN,
        D3DPOOL_MANAGED, D3DX_DEFAULT, kMipFilter, 0, nullptr, nullptr, &texture);
    if (ReportDXError(result, kSourceFile, __LINE__)) return false;

    ReleaseTextures();
    m_texture = texture;
    ReadLevelSize(texture, m_width, m_height);
    if (applyTexLod && g_texlod != kTexLodUnset) texture->SetLOD(static_cast<DWORD>(g_texlod));
    return true;
}

bool CPTexture::CreateCubeTexture(const void* data, UINT size, UINT mipLevels)
{
    IDirect3DCubeTexture9* texture = nullptr;
    HRESULT result = D3DXCreateCubeTextureFromFileInMemoryEx(
        RenderDevice(), data, size, D3DX_DEFAULT, mipLevels, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
        D3DX_DEFAULT, kMipFilter, 0, nullptr, nullptr, &texture);
    if (ReportDXError(result, kSourceFile, __LINE__)) return false;

    ReleaseTextures();
    m_cubeTexture = texture;
    ReadLevelSize(texture, m_width, m_height);
    return true;
}

void CPTexture::SetVideoTexture(IDirect3DTexture9* texture, const std::string& name)
{
    ReleaseTextures();
    m_name = name;
    m_typeName = kTypeNamePrefix + name;
    m_texture = texture;
    m_cube = false;
    m_videoTexture = true;
}

IDirect3DBaseTexture9* CPTexture::GetBaseTexture() const
{
    if (m_cube) return m_cubeTexture;
    return m_texture;
}

// A video player's texture is the player's to release.
void CPTexture::ReleaseTextures()
{
    if (!m_videoTexture && m_texture) m_texture->Release();
    if (m_cubeTexture) m_cubeTexture->Release();
    m_texture = nullptr;
    m_cubeTexture = nullptr;
    m_videoTexture = false;
}

CPTextureBlock::CPTextureBlock(const std::vector<RefPtr<CPTexture>>& textures)
    : m_textures(textures)
{
}

CPTextureBlock::~CPTextureBlock()
{
    if (GetTextureCache()) GetTextureCache()->RemoveBlock(this);
}

int CPTextureBlock::GetObjectSize()
{
    return sizeof(*this);
}

const char* CPTextureBlock::GetTypeName()
{
    return "CPTextureBlock";
}

bool CPTextureBlock::Holds(const std::vector<RefPtr<CPTexture>>& textures) const
{
    if (textures.size() != m_textures.size()) return false;
    for (size_t i = 0; i < textures.size(); ++i) {
        if (textures[i].Get() != m_textures[i].Get()) return false;
    }
    return true;
}

CPTextureCache::CPTextureCache() = default;

CPTextureCache::~CPTextureCache()
{
    if (g_pTextureCache == this) g_pTextureCache = nullptr;
}

void CPTextureCache::GetTexture(RefPtr<CPTexture>& texture, const std::string& request)
{
    texture = FindOrLoad(m_textures, request, kErrorTexture);
}

void CPTextureCache::GetTextureBlock(RefPtr<CPTextureBlock>& block, std::vector<std::string> names)
{
    std::vector<RefPtr<CPTexture>> textures(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        GetTexture(textures[i], names[i]);
    }
    for (CPTextureBlock* existing : m_blocks) {
        if (existing->Holds(textures)) {
            block = existing;
            return;
        }
    }
    CPTextureBlock* created = new CPTextureBlock(textures);
    m_blocks.push_back(created);
    block = created;
}

void CPTextureCache::RemoveTexture(CPTexture* texture)
{
    EraseEntriesOf(m_textures, texture);
}

void CPTextureCache::RemoveBlock(CPTextureBlock* block)
{
    m_blocks.remove(block);
}

// Blocks hold references to textures, so they go first.
void CPTextureCache::DestroyAll()
{
    std::list<CPTextureBlock*> blocks;
    blocks.swap(m_blocks);
    for (CPTextureBlock* block : blocks) delete block;
    DestroyEntries(m_textures);
}
