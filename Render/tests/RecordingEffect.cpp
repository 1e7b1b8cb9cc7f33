#include "Render/tests/RecordingEffect.h"

#include <sstream>

namespace {

const char* const kEffectHeader = "effect";

bool IsRunnable(const std::string& technique)
{
    return technique.empty() || technique[0] != '-';
}

} // namespace

RecordingEffect::RecordingEffect(const std::string& description)
{
    std::istringstream words(description);
    std::string kind;
    std::string name;
    while (words >> kind >> name) {
        if (kind == "param") m_parameters.insert(name);
        if (kind == "technique") m_techniques.push_back(name);
        if (kind == "passes") m_passes = static_cast<UINT>(std::stoul(name));
    }
}

D3DXHANDLE RecordingEffect::GetParameterByName(D3DXHANDLE, const char* name)
{
    journal.push_back(std::string("GetParameterByName ") + name);
    auto found = m_parameters.find(name);
    return found == m_parameters.end() ? nullptr : found->c_str();
}

HRESULT RecordingEffect::FindNextValidTechnique(D3DXHANDLE, D3DXHANDLE* next)
{
    journal.push_back("FindNextValidTechnique");
    *next = nullptr;
    for (const std::string& technique : m_techniques) {
        if (IsRunnable(technique)) {
            *next = technique.c_str();
            return D3D_OK;
        }
    }
    return S_FALSE;
}

HRESULT RecordingEffect::SetTechnique(D3DXHANDLE technique)
{
    journal.push_back(std::string("SetTechnique ") + technique);
    return D3D_OK;
}

HRESULT RecordingEffect::OnLostDevice()
{
    journal.push_back("OnLostDevice");
    return D3D_OK;
}

HRESULT RecordingEffect::OnResetDevice()
{
    journal.push_back("OnResetDevice");
    return D3D_OK;
}

HRESULT RecordingEffect::Begin(UINT* passes, DWORD flags)
{
    journal.push_back("Begin " + std::to_string(flags));
    *passes = m_passes;
    return D3D_OK;
}

HRESULT RecordingEffect::BeginPass(UINT pass)
{
    journal.push_back("BeginPass " + std::to_string(pass));
    return D3D_OK;
}

HRESULT RecordingEffect::EndPass()
{
    journal.push_back("EndPass");
    return D3D_OK;
}

HRESULT RecordingEffect::End()
{
    journal.push_back("End");
    return D3D_OK;
}

ULONG RecordingEffect::AddRef()
{
    return ++references;
}

ULONG RecordingEffect::Release()
{
    return --references;
}

HRESULT RecordingEffect::QueryInterface(REFIID, void**) { return E_NOINTERFACE; }
HRESULT RecordingEffect::GetDesc(D3DXEFFECT_DESC*) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetParameterDesc(D3DXHANDLE, D3DXPARAMETER_DESC*) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetTechniqueDesc(D3DXHANDLE, D3DXTECHNIQUE_DESC*) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetPassDesc(D3DXHANDLE, D3DXPASS_DESC*) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetFunctionDesc(D3DXHANDLE, D3DXFUNCTION_DESC*) { return E_NOTIMPL; }
D3DXHANDLE RecordingEffect::GetParameter(D3DXHANDLE, UINT) { return nullptr; }
D3DXHANDLE RecordingEffect::GetParameterBySemantic(D3DXHANDLE, const char*) { return nullptr; }
D3DXHANDLE RecordingEffect::GetParameterElement(D3DXHANDLE, UINT) { return nullptr; }
D3DXHANDLE RecordingEffect::GetTechnique(UINT) { return nullptr; }
D3DXHANDLE RecordingEffect::GetTechniqueByName(const char*) { return nullptr; }
D3DXHANDLE RecordingEffect::GetPass(D3DXHANDLE, UINT) { return nullptr; }
D3DXHANDLE RecordingEffect::GetPassByName(D3DXHANDLE, const char*) { return nullptr; }
D3DXHANDLE RecordingEffect::GetFunction(UINT) { return nullptr; }
D3DXHANDLE RecordingEffect::GetFunctionByName(const char*) { return nullptr; }
D3DXHANDLE RecordingEffect::GetAnnotation(D3DXHANDLE, UINT) { return nullptr; }
D3DXHANDLE RecordingEffect::GetAnnotationByName(D3DXHANDLE, const char*) { return nullptr; }
HRESULT RecordingEffect::SetValue(D3DXHANDLE, const void*, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetValue(D3DXHANDLE, void*, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetBool(D3DXHANDLE, WINBOOL) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetBool(D3DXHANDLE, WINBOOL*) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetBoolArray(D3DXHANDLE, const WINBOOL*, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetBoolArray(D3DXHANDLE, WINBOOL*, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetInt(D3DXHANDLE, INT) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetInt(D3DXHANDLE, INT*) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetIntArray(D3DXHANDLE, const INT*, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetIntArray(D3DXHANDLE, INT*, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetFloat(D3DXHANDLE, FLOAT) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetFloat(D3DXHANDLE, FLOAT*) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetFloatArray(D3DXHANDLE, const FLOAT*, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetFloatArray(D3DXHANDLE, FLOAT*, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetVector(D3DXHANDLE, const D3DXVECTOR4*) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetVector(D3DXHANDLE, D3DXVECTOR4*) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetVectorArray(D3DXHANDLE, const D3DXVECTOR4*, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetVectorArray(D3DXHANDLE, D3DXVECTOR4*, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetMatrix(D3DXHANDLE, const D3DXMATRIX*) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetMatrix(D3DXHANDLE, D3DXMATRIX*) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetMatrixArray(D3DXHANDLE, const D3DXMATRIX*, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetMatrixArray(D3DXHANDLE, D3DXMATRIX*, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetMatrixPointerArray(D3DXHANDLE, const D3DXMATRIX**, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetMatrixPointerArray(D3DXHANDLE, D3DXMATRIX**, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetMatrixTranspose(D3DXHANDLE, const D3DXMATRIX*) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetMatrixTranspose(D3DXHANDLE, D3DXMATRIX*) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetMatrixTransposeArray(D3DXHANDLE, const D3DXMATRIX*, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetMatrixTransposeArray(D3DXHANDLE, D3DXMATRIX*, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetMatrixTransposePointerArray(D3DXHANDLE, const D3DXMATRIX**, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetMatrixTransposePointerArray(D3DXHANDLE, D3DXMATRIX**, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetString(D3DXHANDLE, const char*) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetString(D3DXHANDLE, const char**) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetTexture(D3DXHANDLE, IDirect3DBaseTexture9*) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetTexture(D3DXHANDLE, IDirect3DBaseTexture9**) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetPixelShader(D3DXHANDLE, IDirect3DPixelShader9**) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetVertexShader(D3DXHANDLE, IDirect3DVertexShader9**) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetArrayRange(D3DXHANDLE, UINT, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetPool(ID3DXEffectPool**) { return E_NOTIMPL; }
D3DXHANDLE RecordingEffect::GetCurrentTechnique() { return nullptr; }
HRESULT RecordingEffect::ValidateTechnique(D3DXHANDLE) { return E_NOTIMPL; }
WINBOOL RecordingEffect::IsParameterUsed(D3DXHANDLE, D3DXHANDLE) { return FALSE; }
HRESULT RecordingEffect::CommitChanges() { return E_NOTIMPL; }
HRESULT RecordingEffect::GetDevice(IDirect3DDevice9**) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetStateManager(ID3DXEffectStateManager*) { return E_NOTIMPL; }
HRESULT RecordingEffect::GetStateManager(ID3DXEffectStateManager**) { return E_NOTIMPL; }
HRESULT RecordingEffect::BeginParameterBlock() { return E_NOTIMPL; }
D3DXHANDLE RecordingEffect::EndParameterBlock() { return nullptr; }
HRESULT RecordingEffect::ApplyParameterBlock(D3DXHANDLE) { return E_NOTIMPL; }
HRESULT RecordingEffect::DeleteParameterBlock(D3DXHANDLE) { return E_NOTIMPL; }
HRESULT RecordingEffect::SetRawValue(D3DXHANDLE, const void*, UINT, UINT) { return E_NOTIMPL; }
HRESULT RecordingEffect::CloneEffect(IDirect3DDevice9*, ID3DXEffect**) { return E_NOTIMPL; }

HRESULT RecordingEffectFactory::CreateEffect(IDirect3DDevice9*, const void* data, UINT size,
                                             ID3DXEffectPool* pool, ID3DXEffect** effect)
{
    const std::string text(static_cast<const char*>(data), size);
    std::istringstream words(text);
    std::string header;
    words >> header;
    RecordingEffect* created = nullptr;
    if (header == kEffectHeader) {
        std::string description;
        std::getline(words, description, '\0');
        created = new RecordingEffect(description);
    }
    creations.push_back({text, pool, created});
    *effect = created;
    return created ? D3D_OK : E_FAIL;
}
