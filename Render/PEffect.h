#pragma once

#include "Render/PDeviceListener.h"
#include "core/PObject.h"

#include <d3dx9effect.h>

#include <array>
#include <string>
#include <unordered_map>
#include <vector>

class CPDataFile;

// A compiled effect from "Data\Effects", loaded by a request string:
// a file name, then the option "shared" to compile it into the common effect
// pool. It keeps the handles that drawing sets per effect ("time" and the
// consecutive "tex0", "tex1", ...). An effect that could not be compiled, or
// that the device cannot run, holds no ID3DXEffect and is skipped by drawing.
class CPEffect : public IPObject, public IPDeviceListener {
public:
    CPEffect();
    ~CPEffect() override;

    int GetObjectSize() override;
    // "CPEffect - " and the request it was loaded with.
    const char* GetTypeName() override;

    // A missing file, or one whose name lies outside "Data\Effects"
    // (reported, not opened), is replaced by "simple.fx", compiled without
    // the pool.
    // False when neither can be read, the compile fails or no technique of
    // the effect can run on the device.
    bool Load(const std::string& request);

    void OnLostDevice() override;
    void OnResetDevice() override;

    ID3DXEffect* GetEffect() const { return m_effect; }
    const std::vector<D3DXHANDLE>& GetTextureHandles() const { return m_textureHandles; }
    D3DXHANDLE GetTimeHandle() const { return m_timeHandle; }
    const std::string& GetName() const { return m_name; }

private:
    bool Compile(const CPDataFile& file, bool shared);
    bool SelectValidTechnique();
    void FindParameterHandles();
    void ReleaseEffect();

    std::vector<D3DXHANDLE> m_textureHandles;
    ID3DXEffect* m_effect;
    D3DXHANDLE m_timeHandle;
    std::string m_name;
    std::string m_typeName;
};

// The parameters that all shared effects have in common, set once through
// the first shared effect and so reaching every effect of the pool.
enum CommonParameter {
    kViewInverse,           // "g_mViewInv"
    kLightDirection,        // "g_vLight"
    kLightColor,            // "g_vLightColor"
    kWorldViewProjection,   // "g_mWorldViewProjection"
    kViewProjection,        // "g_mViewProjection"
    kWorldView,             // "g_mWorldView"
    kAmbient,               // "g_vAmbient"
    kCameraPosition,        // "g_vCameraPos"
    kCommonParameterCount
};

// The one effect cache: one effect per request string (exact,
// case-sensitive), the shared effect pool, and the handles of the common
// parameters. An effect that does not load is replaced by one loaded from
// "error.fx". The cache never destroys effects.
class CPEffectCache {
public:
    // Creates the shared effect pool.
    CPEffectCache();
    ~CPEffectCache();
    CPEffectCache(const CPEffectCache&) = delete;
    CPEffectCache& operator=(const CPEffectCache&) = delete;

    // Never hands back an empty reference.
    void GetEffect(RefPtr<CPEffect>& effect, const std::string& request);
    // Forgets an effect being destroyed.
    void RemoveEffect(CPEffect* effect);
    // Destroys every cached effect; the host's end of the run.
    void DestroyEffects();

    ID3DXEffectPool* GetPool() const { return m_pool; }
    ID3DXEffect* GetFirstSharedEffect() const { return m_firstSharedEffect; }
    D3DXHANDLE GetCommonHandle(CommonParameter parameter) const { return m_commonHandles[parameter]; }

    // Told of every effect compiled into the pool; the first one becomes the
    // effect through which the common parameters are set, whether or not the
    // device can draw with it. The cache keeps a reference to it, so that it
    // stays usable after its CPEffect is gone.
    void OnSharedEffectCompiled(ID3DXEffect* effect);

private:
    std::unordered_map<std::string, CPEffect*> m_effects;
    ID3DXEffectPool* m_pool;
    ID3DXEffect* m_firstSharedEffect;
    std::array<D3DXHANDLE, kCommonParameterCount> m_commonHandles;
};

// The effect cache that the host created and published.
extern CPEffectCache* g_pEffectCache;
CPEffectCache* GetEffectCache();
