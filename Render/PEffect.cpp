#include "Render/PEffect.h"

#include "Render/EffectFactory.h"
#include "Render/PRender.h"
#include "Render/RenderLog.h"
#include "Render/ResourceRequest.h"
#include "core/PDataFile.h"
#include "core/PDXErrorLog.h"

#include <cstdio>

CPEffectCache* g_pEffectCache = nullptr;

CPEffectCache* GetEffectCache()
{
    return g_pEffectCache;
}

namespace {

const char* const kSourceFile = "Render/PEffect";
const char* const kEffectFolder = "Data\\Effects\\";
const char* const kReplacementEffect = "simple.fx";
const char* const kErrorEffect = "error.fx";
const char* const kTypeNamePrefix = "CPEffect - ";
const char* const kSharedOption = "shared";
const char* const kTimeParameter = "time";
const char* const kTextureParameterFormat = "tex%d";

const char* const kCommonParameterNames[kCommonParameterCount] = {
    "g_mViewInv",      "g_vLight",     "g_vLightColor", "g_mWorldViewProjection",
    "g_mViewProjection", "g_mWorldView", "g_vAmbient",    "g_vCameraPos",
};

IDirect3DDevice9* RenderDevice()
{
    CPRender* render = GetRender();
    return render ? render->GetDevice() : nullptr;
}

} // namespace

CPEffect::CPEffect() : m_effect(nullptr), m_timeHandle(nullptr), m_typeName(kTypeNamePrefix) {}

// Leaves the cache by identity: a replacement sits under the key that was
// asked for, and another effect may hold this one's name as key.
CPEffect::~CPEffect()
{
    if (GetEffectCache()) GetEffectCache()->RemoveEffect(this);
    ReleaseEffect();
}

int CPEffect::GetObjectSize()
{
    return sizeof(*this);
}

const char* CPEffect::GetTypeName()
{
    return m_typeName.c_str();
}

bool CPEffect::Load(const std::string& request)
{
    m_name = request;
    m_typeName = kTypeNamePrefix + request;
    const ResourceRequest parsed = ParseResourceRequest(request);

    if (CheckNameInsideFolder("effect", parsed.fileName)) {
        CPDataFile file(kEffectFolder + parsed.fileName, false);
        if (SUCCEEDED(file.Load())) return Compile(file, parsed.HasOption(kSharedOption));
    }

    // The replacement stays out of the pool: it was not written to share
    // the common parameters.
    CPDataFile replacement(std::string(kEffectFolder) + kReplacementEffect, false);
    if (FAILED(replacement.Load())) return false;
    return Compile(replacement, false);
}

bool CPEffect::Compile(const CPDataFile& file, bool shared)
{
    CPEffectCache* cache = GetEffectCache();
    ID3DXEffectPool* pool = shared && cache ? cache->GetPool() : nullptr;
    ID3DXEffect* effect = nullptr;
    const HRESULT result = GetEffectFactory().CreateEffect(
        RenderDevice(), file.GetData(), static_cast<UINT>(file.GetDataSize()), pool, &effect);
    if (ReportDXError(result, kSourceFile, __LINE__)) return false;

    ReleaseEffect();
    m_effect = effect;
    if (pool) cache->OnSharedEffectCompiled(m_effect);
    if (!SelectValidTechnique()) {
        ReleaseEffect();
        return false;
    }
    FindParameterHandles();
    return true;
}

// The first technique that the device can run.
bool CPEffect::SelectValidTechnique()
{
    D3DXHANDLE technique = nullptr;
    const HRESULT result = m_effect->FindNextValidTechnique(nullptr, &technique);
    if (ReportDXError(result, kSourceFile, __LINE__) || !technique) return false;
    return !ReportDXError(m_effect->SetTechnique(technique), kSourceFile, __LINE__);
}

// "tex0", "tex1", ... must be consecutive: the first missing one ends the list.
void CPEffect::FindParameterHandles()
{
    m_timeHandle = m_effect->GetParameterByName(nullptr, kTimeParameter);
    m_textureHandles.clear();
    for (int index = 0;; ++index) {
        char name[16];
        std::snprintf(name, sizeof(name), kTextureParameterFormat, index);
        D3DXHANDLE handle = m_effect->GetParameterByName(nullptr, name);
        if (!handle) break;
        m_textureHandles.push_back(handle);
    }
}

void CPEffect::ReleaseEffect()
{
    if (m_effect) m_effect->Release();
    m_effect = nullptr;
    m_timeHandle = nullptr;
    m_textureHandles.clear();
}

void CPEffect::OnLostDevice()
{
    if (m_effect) m_effect->OnLostDevice();
}

void CPEffect::OnResetDevice()
{
    if (m_effect) m_effect->OnResetDevice();
}

CPEffectCache::CPEffectCache() : m_pool(nullptr), m_firstSharedEffect(nullptr), m_commonHandles()
{
    ReportDXError(GetEffectFactory().CreatePool(&m_pool), kSourceFile, __LINE__);
}

CPEffectCache::~CPEffectCache()
{
    if (g_pEffectCache == this) g_pEffectCache = nullptr;
    if (m_firstSharedEffect) m_firstSharedEffect->Release();
    if (m_pool) m_pool->Release();
}

void CPEffectCache::GetEffect(RefPtr<CPEffect>& effect, const std::string& request)
{
    effect = FindOrLoad(m_effects, request, kErrorEffect);
}

void CPEffectCache::RemoveEffect(CPEffect* effect)
{
    EraseEntriesOf(m_effects, effect);
}

void CPEffectCache::DestroyEffects()
{
    DestroyEntries(m_effects);
}

void CPEffectCache::OnSharedEffectCompiled(ID3DXEffect* effect)
{
    if (m_firstSharedEffect) return;
    m_firstSharedEffect = effect;
    m_firstSharedEffect->AddRef();
    for (int parameter = 0; parameter < kCommonParameterCount; ++parameter) {
        m_commonHandles[parameter] =
            effect->GetParameterByName(nullptr, kCommonParameterNames[parameter]);
    }
}
