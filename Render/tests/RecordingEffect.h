#pragma once

#include "Render/EffectFactory.h"

#include <set>
#include <string>
#include <vector>

// An ID3DXEffect built from a small description instead of effect text. The
// description is whitespace-separated words: "param <name>" declares a
// parameter and "technique <name>" a technique the device can run,
// "technique -<name>" one it cannot, and "passes <n>" the number of passes
// that Begin answers (1 unless given). Every call that loading and device loss
// make is written to the journal. Release only counts: the doubles live
// until the test run ends, so tests can look at them afterwards and effects
// that a test leaves behind can still be told of device loss.
class RecordingEffect : public ID3DXEffect {
public:
    explicit RecordingEffect(const std::string& description);

    std::vector<std::string> journal;
    ULONG references = 1;

    // Parameter handles are the parameter names; technique handles the
    // technique names.
    STDMETHOD_(D3DXHANDLE, GetParameterByName)(D3DXHANDLE parameter, const char* name) override;
    STDMETHOD(FindNextValidTechnique)(D3DXHANDLE technique, D3DXHANDLE* next) override;
    STDMETHOD(SetTechnique)(D3DXHANDLE technique) override;
    STDMETHOD(OnLostDevice)() override;
    STDMETHOD(OnResetDevice)() override;
    STDMETHOD(Begin)(UINT* passes, DWORD flags) override;
    STDMETHOD(BeginPass)(UINT pass) override;
    STDMETHOD(EndPass)() override;
    STDMETHOD(End)() override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    // Everything else is not used by the engine's loading and answers
    // E_NOTIMPL or null.
    STDMETHOD(QueryInterface)(REFIID, void**) override;
    STDMETHOD(GetDesc)(D3DXEFFECT_DESC*) override;
    STDMETHOD(GetParameterDesc)(D3DXHANDLE, D3DXPARAMETER_DESC*) override;
    STDMETHOD(GetTechniqueDesc)(D3DXHANDLE, D3DXTECHNIQUE_DESC*) override;
    STDMETHOD(GetPassDesc)(D3DXHANDLE, D3DXPASS_DESC*) override;
    STDMETHOD(GetFunctionDesc)(D3DXHANDLE, D3DXFUNCTION_DESC*) override;
    STDMETHOD_(D3DXHANDLE, GetParameter)(D3DXHANDLE, UINT) override;
    STDMETHOD_(D3DXHANDLE, GetParameterBySemantic)(D3DXHANDLE, const char*) override;
    STDMETHOD_(D3DXHANDLE, GetParameterElement)(D3DXHANDLE, UINT) override;
    STDMETHOD_(D3DXHANDLE, GetTechnique)(UINT) override;
    STDMETHOD_(D3DXHANDLE, GetTechniqueByName)(const char*) override;
    STDMETHOD_(D3DXHANDLE, GetPass)(D3DXHANDLE, UINT) override;
    STDMETHOD_(D3DXHANDLE, GetPassByName)(D3DXHANDLE, const char*) override;
    STDMETHOD_(D3DXHANDLE, GetFunction)(UINT) override;
    STDMETHOD_(D3DXHANDLE, GetFunctionByName)(const char*) override;
    STDMETHOD_(D3DXHANDLE, GetAnnotation)(D3DXHANDLE, UINT) override;
    STDMETHOD_(D3DXHANDLE, GetAnnotationByName)(D3DXHANDLE, const char*) override;
    STDMETHOD(SetValue)(D3DXHANDLE, const void*, UINT) override;
    STDMETHOD(GetValue)(D3DXHANDLE, void*, UINT) override;
    STDMETHOD(SetBool)(D3DXHANDLE, WINBOOL) override;
    STDMETHOD(GetBool)(D3DXHANDLE, WINBOOL*) override;
    STDMETHOD(SetBoolArray)(D3DXHANDLE, const WINBOOL*, UINT) override;
    STDMETHOD(GetBoolArray)(D3DXHANDLE, WINBOOL*, UINT) override;
    STDMETHOD(SetInt)(D3DXHANDLE, INT) override;
    STDMETHOD(GetInt)(D3DXHANDLE, INT*) override;
    STDMETHOD(SetIntArray)(D3DXHANDLE, const INT*, UINT) override;
    STDMETHOD(GetIntArray)(D3DXHANDLE, INT*, UINT) override;
    STDMETHOD(SetFloat)(D3DXHANDLE, FLOAT) override;
    STDMETHOD(GetFloat)(D3DXHANDLE, FLOAT*) override;
    STDMETHOD(SetFloatArray)(D3DXHANDLE, const FLOAT*, UINT) override;
    STDMETHOD(GetFloatArray)(D3DXHANDLE, FLOAT*, UINT) override;
    STDMETHOD(SetVector)(D3DXHANDLE, const D3DXVECTOR4*) override;
    STDMETHOD(GetVector)(D3DXHANDLE, D3DXVECTOR4*) override;
    STDMETHOD(SetVectorArray)(D3DXHANDLE, const D3DXVECTOR4*, UINT) override;
    STDMETHOD(GetVectorArray)(D3DXHANDLE, D3DXVECTOR4*, UINT) override;
    STDMETHOD(SetMatrix)(D3DXHANDLE, const D3DXMATRIX*) override;
    STDMETHOD(GetMatrix)(D3DXHANDLE, D3DXMATRIX*) override;
    STDMETHOD(SetMatrixArray)(D3DXHANDLE, const D3DXMATRIX*, UINT) override;
    STDMETHOD(GetMatrixArray)(D3DXHANDLE, D3DXMATRIX*, UINT) override;
    STDMETHOD(SetMatrixPointerArray)(D3DXHANDLE, const D3DXMATRIX**, UINT) override;
    STDMETHOD(GetMatrixPointerArray)(D3DXHANDLE, D3DXMATRIX**, UINT) override;
    STDMETHOD(SetMatrixTranspose)(D3DXHANDLE, const D3DXMATRIX*) override;
    STDMETHOD(GetMatrixTranspose)(D3DXHANDLE, D3DXMATRIX*) override;
    STDMETHOD(SetMatrixTransposeArray)(D3DXHANDLE, const D3DXMATRIX*, UINT) override;
    STDMETHOD(GetMatrixTransposeArray)(D3DXHANDLE, D3DXMATRIX*, UINT) override;
    STDMETHOD(SetMatrixTransposePointerArray)(D3DXHANDLE, const D3DXMATRIX**, UINT) override;
    STDMETHOD(GetMatrixTransposePointerArray)(D3DXHANDLE, D3DXMATRIX**, UINT) override;
    STDMETHOD(SetString)(D3DXHANDLE, const char*) override;
    STDMETHOD(GetString)(D3DXHANDLE, const char**) override;
    STDMETHOD(SetTexture)(D3DXHANDLE, IDirect3DBaseTexture9*) override;
    STDMETHOD(GetTexture)(D3DXHANDLE, IDirect3DBaseTexture9**) override;
    STDMETHOD(GetPixelShader)(D3DXHANDLE, IDirect3DPixelShader9**) override;
    STDMETHOD(GetVertexShader)(D3DXHANDLE, IDirect3DVertexShader9**) override;
    STDMETHOD(SetArrayRange)(D3DXHANDLE, UINT, UINT) override;
    STDMETHOD(GetPool)(ID3DXEffectPool**) override;
    STDMETHOD_(D3DXHANDLE, GetCurrentTechnique)() override;
    STDMETHOD(ValidateTechnique)(D3DXHANDLE) override;
    STDMETHOD_(WINBOOL, IsParameterUsed)(D3DXHANDLE, D3DXHANDLE) override;
    STDMETHOD(CommitChanges)() override;
    STDMETHOD(GetDevice)(IDirect3DDevice9**) override;
    STDMETHOD(SetStateManager)(ID3DXEffectStateManager*) override;
    STDMETHOD(GetStateManager)(ID3DXEffectStateManager**) override;
    STDMETHOD(BeginParameterBlock)() override;
    STDMETHOD_(D3DXHANDLE, EndParameterBlock)() override;
    STDMETHOD(ApplyParameterBlock)(D3DXHANDLE) override;
    STDMETHOD(DeleteParameterBlock)(D3DXHANDLE) override;
    STDMETHOD(SetRawValue)(D3DXHANDLE, const void*, UINT, UINT) override;
    STDMETHOD(CloneEffect)(IDirect3DDevice9*, ID3DXEffect**) override;

private:
    std::set<std::string> m_parameters;
    // Technique names; a leading "-" marks one the device cannot run.
    std::vector<std::string> m_techniques;
    UINT m_passes = 1;
};

// Makes RecordingEffects from the effect files' text, which must read
// "effect" followed by the double's description; any other text fails to
// compile. Every creation is recorded with the pool it was asked for.
class RecordingEffectFactory : public EffectFactory {
public:
    struct Creation {
        std::string text;
        ID3DXEffectPool* pool;
        RecordingEffect* effect; // null when the compile failed
    };

    HRESULT CreateEffect(IDirect3DDevice9* device, const void* data, UINT size,
                         ID3DXEffectPool* pool, ID3DXEffect** effect) override;

    std::vector<Creation> creations;
};
