#include "Render/tests/RecordingDevice.h"

#include "Render/tests/BufferResourceStub.h"

#include <algorithm>
#include <deque>
#include <cstring>

DeviceCall::DeviceCall()
    : matrix(), light(), material(), z(0.0f), texture(nullptr), resource(nullptr)
{
}

std::string Call(const char* name, std::initializer_list<unsigned long> arguments)
{
    std::string text = name;
    if (arguments.size() == 0) return text;
    const char* separator = "(";
    for (unsigned long argument : arguments) {
        text += separator + std::to_string(argument);
        separator = ", ";
    }
    return text + ")";
}

// The device a recording buffer reports its calls to: the call's text, and
// for an unlock the bytes of the range that was locked. While the device
// does not record, the buffer builds no report at all.
class BufferCallRecorder {
public:
    virtual bool IsRecording() const = 0;
    virtual void RecordBufferCall(const std::string& text,
                                  const std::vector<unsigned char>& bytes) = 0;

protected:
    ~BufferCallRecorder() {}
};

namespace {

// A vertex or index buffer that the device makes: it keeps its bytes in
// memory and reports every lock and unlock, with offset, size and flags, to
// the device. A lock answers the configured result and hands out no memory
// when it fails; a size of 0 locks the whole buffer. It lives until its
// last reference is released.
template <class Interface, class Description, D3DRESOURCETYPE kType>
class DeviceBuffer : public BufferResourceStub<Interface> {
public:
    DeviceBuffer(const char* name, UINT length, BufferCallRecorder* recorder, HRESULT lockResult)
        : m_name(name), m_bytes(length), m_recorder(recorder), m_lockResult(lockResult)
    {
    }

    HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override
    {
        if (m_recorder->IsRecording()) {
            m_recorder->RecordBufferCall(m_name + Call(".Lock", {offset, size, flags}), {});
        }
        *data = nullptr;
        if (FAILED(m_lockResult)) return m_lockResult;
        m_lockOffset = std::min<UINT>(offset, static_cast<UINT>(m_bytes.size()));
        const UINT left = static_cast<UINT>(m_bytes.size()) - m_lockOffset;
        m_lockSize = size == 0 ? left : std::min(size, left);
        *data = m_bytes.data() + m_lockOffset;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE Unlock() override
    {
        if (!m_recorder->IsRecording()) return D3D_OK;
        const auto begin = m_bytes.begin() + m_lockOffset;
        m_recorder->RecordBufferCall(m_name + ".Unlock",
                                     std::vector<unsigned char>(begin, begin + m_lockSize));
        return D3D_OK;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --m_references;
        if (left == 0) delete this;
        return left;
    }
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return kType; }
    HRESULT STDMETHODCALLTYPE GetDesc(Description* description) override
    {
        *description = Description();
        description->Size = static_cast<UINT>(m_bytes.size());
        return D3D_OK;
    }

protected:
    virtual ~DeviceBuffer() {}

private:
    std::string m_name;
    std::vector<unsigned char> m_bytes;
    BufferCallRecorder* m_recorder;
    HRESULT m_lockResult;
    UINT m_lockOffset = 0;
    UINT m_lockSize = 0;
    ULONG m_references = 1;
};

using DeviceVertexBuffer =
    DeviceBuffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC, D3DRTYPE_VERTEXBUFFER>;
using DeviceIndexBuffer =
    DeviceBuffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC, D3DRTYPE_INDEXBUFFER>;


// How many vertices a draw of that many primitives reads.
UINT VerticesDrawn(D3DPRIMITIVETYPE type, UINT primitives)
{
    switch (type) {
    case D3DPT_POINTLIST: return primitives;
    case D3DPT_LINELIST: return primitives * 2;
    case D3DPT_LINESTRIP: return primitives + 1;
    case D3DPT_TRIANGLELIST: return primitives * 3;
    default: return primitives + 2;
    }
}

template <class T>
T FailedAnswer()
{
    return T();
}

template <>
HRESULT FailedAnswer<HRESULT>()
{
    return D3DERR_INVALIDCALL;
}

template <>
void FailedAnswer<void>()
{
}

} // namespace

// Calls the renderer never makes are recorded by name only, so that a stray
// one still shows in a recorded sequence, and fail.
#define UNRECORDED(type, name, parameters)                                                         \
    type STDMETHODCALLTYPE name parameters override                                                \
    {                                                                                              \
        Record(#name);                                                                             \
        return FailedAnswer<type>();                                                               \
    }

class RecordingDeviceCalls : public IDirect3DDevice9, public BufferCallRecorder {
public:
    std::vector<DeviceCall> calls;
    HRESULT createResult = D3DERR_INVALIDCALL;
    HRESULT lockResult = D3D_OK;
    bool recording = true;
    HRESULT cooperativeLevel = D3D_OK;
    std::deque<HRESULT> resetResults;
    DeviceCall unrecorded;

    // While the device does not record, the call's text is never built.
    DeviceCall& Record(const char* name, std::initializer_list<unsigned long> arguments = {})
    {
        if (!recording) return unrecorded;
        return Record(Call(name, arguments));
    }
    DeviceCall& Record(const std::string& text)
    {
        if (!recording) return unrecorded;
        calls.emplace_back();
        calls.back().text = text;
        return calls.back();
    }

    bool IsRecording() const override { return recording; }
    void RecordBufferCall(const std::string& text, const std::vector<unsigned char>& bytes) override
    {
        Record(text).vertices = bytes;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE state,
                                           const D3DMATRIX* matrix) override
    {
        Record("SetTransform", {static_cast<unsigned long>(state)}).matrix = *matrix;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override
    {
        Record("SetRenderState", {static_cast<unsigned long>(state), value});
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                   DWORD value) override
    {
        Record("SetTextureStageState", {stage, static_cast<unsigned long>(type), value});
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type,
                                              DWORD value) override
    {
        Record("SetSamplerState", {sampler, static_cast<unsigned long>(type), value});
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD format) override
    {
        Record("SetFVF", {format});
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL9* material) override
    {
        Record("SetMaterial").material = *material;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE SetLight(DWORD index, const D3DLIGHT9* light) override
    {
        Record("SetLight", {index}).light = *light;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE LightEnable(DWORD index, WINBOOL enable) override
    {
        Record("LightEnable", {index, static_cast<unsigned long>(enable)});
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE Clear(DWORD rectCount, const D3DRECT*, DWORD flags, D3DCOLOR colour,
                                    float z, DWORD stencil) override
    {
        Record("Clear", {rectCount, flags, colour, stencil}).z = z;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE BeginScene() override
    {
        Record("BeginScene");
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE EndScene() override
    {
        Record("EndScene");
        return D3D_OK;
    }
    // Each argument is recorded as 1 when given and 0 when null.
    HRESULT STDMETHODCALLTYPE Present(const RECT* source, const RECT* destination, HWND window,
                                      const RGNDATA* dirty) override
    {
        Record("Present", {source != nullptr, destination != nullptr, window != nullptr,
                                dirty != nullptr});
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override
    {
        Record("SetTexture", {stage}).texture = texture;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitives,
                                              const void* data, UINT stride) override
    {
        DeviceCall& call =
            Record("DrawPrimitiveUP", {static_cast<unsigned long>(type), primitives, stride});
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        call.vertices.assign(bytes, bytes + VerticesDrawn(type, primitives) * stride);
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex,
                                                   UINT minimumIndex, UINT vertexCount,
                                                   UINT startIndex, UINT primitives) override
    {
        Record("DrawIndexedPrimitive",
               {static_cast<unsigned long>(type), static_cast<unsigned long>(baseVertex),
                minimumIndex, vertexCount, startIndex, primitives});
        return D3D_OK;
    }
    // The buffer itself is kept beside the call.
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer,
                                              UINT offset, UINT stride) override
    {
        Record("SetStreamSource", {stream, offset, stride}).resource = buffer;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer9* buffer) override
    {
        Record("SetIndices").resource = buffer;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD format,
                                                 D3DPOOL pool, IDirect3DVertexBuffer9** buffer,
                                                 HANDLE*) override
    {
        Record("CreateVertexBuffer", {length, usage, format, static_cast<unsigned long>(pool)});
        *buffer = SUCCEEDED(createResult)
                      ? new DeviceVertexBuffer("VertexBuffer", length, this, lockResult)
                      : nullptr;
        return createResult;
    }
    HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format,
                                                D3DPOOL pool, IDirect3DIndexBuffer9** buffer,
                                                HANDLE*) override
    {
        Record("CreateIndexBuffer", {length, usage, static_cast<unsigned long>(format),
                                     static_cast<unsigned long>(pool)});
        *buffer = SUCCEEDED(createResult)
                      ? new DeviceIndexBuffer("IndexBuffer", length, this, lockResult)
                      : nullptr;
        return createResult;
    }
    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override
    {
        Record("TestCooperativeLevel");
        return cooperativeLevel;
    }
    // A reset that works ends the loss.
    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS*) override
    {
        Record("Reset");
        HRESULT result = D3D_OK;
        if (!resetResults.empty()) {
            result = resetResults.front();
            resetResults.pop_front();
        }
        if (SUCCEEDED(result)) cooperativeLevel = D3D_OK;
        return result;
    }
    UNRECORDED(UINT, GetAvailableTextureMem, ())
    UNRECORDED(HRESULT, EvictManagedResources, ())
    UNRECORDED(HRESULT, GetDirect3D, (IDirect3D9**))
    UNRECORDED(HRESULT, GetDeviceCaps, (D3DCAPS9*))
    UNRECORDED(HRESULT, GetDisplayMode, (UINT, D3DDISPLAYMODE*))
    UNRECORDED(HRESULT, GetCreationParameters, (D3DDEVICE_CREATION_PARAMETERS*))
    UNRECORDED(HRESULT, SetCursorProperties, (UINT, UINT, IDirect3DSurface9*))
    UNRECORDED(void, SetCursorPosition, (int, int, DWORD))
    UNRECORDED(WINBOOL, ShowCursor, (WINBOOL))
    UNRECORDED(HRESULT, CreateAdditionalSwapChain, (D3DPRESENT_PARAMETERS*, IDirect3DSwapChain9**))
    UNRECORDED(HRESULT, GetSwapChain, (UINT, IDirect3DSwapChain9**))
    UNRECORDED(UINT, GetNumberOfSwapChains, ())
    UNRECORDED(HRESULT, GetBackBuffer, (UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9**))
    UNRECORDED(HRESULT, GetRasterStatus, (UINT, D3DRASTER_STATUS*))
    UNRECORDED(HRESULT, SetDialogBoxMode, (WINBOOL))
    UNRECORDED(void, SetGammaRamp, (UINT, DWORD, const D3DGAMMARAMP*))
    UNRECORDED(void, GetGammaRamp, (UINT, D3DGAMMARAMP*))
    UNRECORDED(HRESULT, CreateTexture,
               (UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture9**, HANDLE*))
    UNRECORDED(HRESULT, CreateVolumeTexture,
               (UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DVolumeTexture9**,
                HANDLE*))
    UNRECORDED(HRESULT, CreateCubeTexture,
               (UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture9**, HANDLE*))
    UNRECORDED(HRESULT, CreateRenderTarget,
               (UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, WINBOOL, IDirect3DSurface9**,
                HANDLE*))
    UNRECORDED(HRESULT, CreateDepthStencilSurface,
               (UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, WINBOOL, IDirect3DSurface9**,
                HANDLE*))
    UNRECORDED(HRESULT, UpdateSurface,
               (IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const POINT*))
    UNRECORDED(HRESULT, UpdateTexture, (IDirect3DBaseTexture9*, IDirect3DBaseTexture9*))
    UNRECORDED(HRESULT, GetRenderTargetData, (IDirect3DSurface9*, IDirect3DSurface9*))
    UNRECORDED(HRESULT, GetFrontBufferData, (UINT, IDirect3DSurface9*))
    UNRECORDED(HRESULT, StretchRect,
               (IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const RECT*,
                D3DTEXTUREFILTERTYPE))
    UNRECORDED(HRESULT, ColorFill, (IDirect3DSurface9*, const RECT*, D3DCOLOR))
    UNRECORDED(HRESULT, CreateOffscreenPlainSurface,
               (UINT, UINT, D3DFORMAT, D3DPOOL, IDirect3DSurface9**, HANDLE*))
    UNRECORDED(HRESULT, SetRenderTarget, (DWORD, IDirect3DSurface9*))
    UNRECORDED(HRESULT, GetRenderTarget, (DWORD, IDirect3DSurface9**))
    UNRECORDED(HRESULT, SetDepthStencilSurface, (IDirect3DSurface9*))
    UNRECORDED(HRESULT, GetDepthStencilSurface, (IDirect3DSurface9**))
    UNRECORDED(HRESULT, GetTransform, (D3DTRANSFORMSTATETYPE, D3DMATRIX*))
    UNRECORDED(HRESULT, MultiplyTransform, (D3DTRANSFORMSTATETYPE, const D3DMATRIX*))
    UNRECORDED(HRESULT, SetViewport, (const D3DVIEWPORT9*))
    UNRECORDED(HRESULT, GetViewport, (D3DVIEWPORT9*))
    UNRECORDED(HRESULT, GetMaterial, (D3DMATERIAL9*))
    UNRECORDED(HRESULT, GetLight, (DWORD, D3DLIGHT9*))
    UNRECORDED(HRESULT, GetLightEnable, (DWORD, WINBOOL*))
    UNRECORDED(HRESULT, SetClipPlane, (DWORD, const float*))
    UNRECORDED(HRESULT, GetClipPlane, (DWORD, float*))
    UNRECORDED(HRESULT, GetRenderState, (D3DRENDERSTATETYPE, DWORD*))
    UNRECORDED(HRESULT, CreateStateBlock, (D3DSTATEBLOCKTYPE, IDirect3DStateBlock9**))
    UNRECORDED(HRESULT, BeginStateBlock, ())
    UNRECORDED(HRESULT, EndStateBlock, (IDirect3DStateBlock9**))
    UNRECORDED(HRESULT, SetClipStatus, (const D3DCLIPSTATUS9*))
    UNRECORDED(HRESULT, GetClipStatus, (D3DCLIPSTATUS9*))
    UNRECORDED(HRESULT, GetTexture, (DWORD, IDirect3DBaseTexture9**))
    UNRECORDED(HRESULT, GetTextureStageState, (DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*))
    UNRECORDED(HRESULT, GetSamplerState, (DWORD, D3DSAMPLERSTATETYPE, DWORD*))
    UNRECORDED(HRESULT, ValidateDevice, (DWORD*))
    UNRECORDED(HRESULT, SetPaletteEntries, (UINT, const PALETTEENTRY*))
    UNRECORDED(HRESULT, GetPaletteEntries, (UINT, PALETTEENTRY*))
    UNRECORDED(HRESULT, SetCurrentTexturePalette, (UINT))
    UNRECORDED(HRESULT, GetCurrentTexturePalette, (UINT*))
    UNRECORDED(HRESULT, SetScissorRect, (const RECT*))
    UNRECORDED(HRESULT, GetScissorRect, (RECT*))
    UNRECORDED(HRESULT, SetSoftwareVertexProcessing, (WINBOOL))
    UNRECORDED(WINBOOL, GetSoftwareVertexProcessing, ())
    UNRECORDED(HRESULT, SetNPatchMode, (float))
    UNRECORDED(float, GetNPatchMode, ())
    UNRECORDED(HRESULT, DrawPrimitive, (D3DPRIMITIVETYPE, UINT, UINT))
    UNRECORDED(HRESULT, DrawIndexedPrimitiveUP,
               (D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT, const void*, UINT))
    UNRECORDED(HRESULT, ProcessVertices,
               (UINT, UINT, UINT, IDirect3DVertexBuffer9*, IDirect3DVertexDeclaration9*, DWORD))
    UNRECORDED(HRESULT, CreateVertexDeclaration,
               (const D3DVERTEXELEMENT9*, IDirect3DVertexDeclaration9**))
    UNRECORDED(HRESULT, SetVertexDeclaration, (IDirect3DVertexDeclaration9*))
    UNRECORDED(HRESULT, GetVertexDeclaration, (IDirect3DVertexDeclaration9**))
    UNRECORDED(HRESULT, GetFVF, (DWORD*))
    UNRECORDED(HRESULT, CreateVertexShader, (const DWORD*, IDirect3DVertexShader9**))
    UNRECORDED(HRESULT, SetVertexShader, (IDirect3DVertexShader9*))
    UNRECORDED(HRESULT, GetVertexShader, (IDirect3DVertexShader9**))
    UNRECORDED(HRESULT, SetVertexShaderConstantF, (UINT, const float*, UINT))
    UNRECORDED(HRESULT, GetVertexShaderConstantF, (UINT, float*, UINT))
    UNRECORDED(HRESULT, SetVertexShaderConstantI, (UINT, const int*, UINT))
    UNRECORDED(HRESULT, GetVertexShaderConstantI, (UINT, int*, UINT))
    UNRECORDED(HRESULT, SetVertexShaderConstantB, (UINT, const WINBOOL*, UINT))
    UNRECORDED(HRESULT, GetVertexShaderConstantB, (UINT, WINBOOL*, UINT))
    UNRECORDED(HRESULT, GetStreamSource, (UINT, IDirect3DVertexBuffer9**, UINT*, UINT*))
    UNRECORDED(HRESULT, SetStreamSourceFreq, (UINT, UINT))
    UNRECORDED(HRESULT, GetStreamSourceFreq, (UINT, UINT*))
    UNRECORDED(HRESULT, GetIndices, (IDirect3DIndexBuffer9**))
    UNRECORDED(HRESULT, CreatePixelShader, (const DWORD*, IDirect3DPixelShader9**))
    UNRECORDED(HRESULT, SetPixelShader, (IDirect3DPixelShader9*))
    UNRECORDED(HRESULT, GetPixelShader, (IDirect3DPixelShader9**))
    UNRECORDED(HRESULT, SetPixelShaderConstantF, (UINT, const float*, UINT))
    UNRECORDED(HRESULT, GetPixelShaderConstantF, (UINT, float*, UINT))
    UNRECORDED(HRESULT, SetPixelShaderConstantI, (UINT, const int*, UINT))
    UNRECORDED(HRESULT, GetPixelShaderConstantI, (UINT, int*, UINT))
    UNRECORDED(HRESULT, SetPixelShaderConstantB, (UINT, const WINBOOL*, UINT))
    UNRECORDED(HRESULT, GetPixelShaderConstantB, (UINT, WINBOOL*, UINT))
    UNRECORDED(HRESULT, DrawRectPatch, (UINT, const float*, const D3DRECTPATCH_INFO*))
    UNRECORDED(HRESULT, DrawTriPatch, (UINT, const float*, const D3DTRIPATCH_INFO*))
    UNRECORDED(HRESULT, DeletePatch, (UINT))
    UNRECORDED(HRESULT, CreateQuery, (D3DQUERYTYPE, IDirect3DQuery9**))
};

RecordingDevice::RecordingDevice() : m_device(new RecordingDeviceCalls()) {}

RecordingDevice::~RecordingDevice() = default;

IDirect3DDevice9* RecordingDevice::Get()
{
    return m_device.get();
}

const std::vector<DeviceCall>& RecordingDevice::Calls() const
{
    return m_device->calls;
}

std::vector<std::string> RecordingDevice::CallTexts() const
{
    std::vector<std::string> texts;
    for (const DeviceCall& call : m_device->calls) texts.push_back(call.text);
    return texts;
}

void RecordingDevice::ForgetCalls()
{
    m_device->calls.clear();
}

void RecordingDevice::SetCreateResult(HRESULT result)
{
    m_device->createResult = result;
}

void RecordingDevice::SetRecording(bool recording)
{
    m_device->recording = recording;
}

void RecordingDevice::SetLockResult(HRESULT result)
{
    m_device->lockResult = result;
}

void RecordingDevice::LoseDevice(HRESULT state, std::initializer_list<HRESULT> resetResults)
{
    m_device->cooperativeLevel = state;
    m_device->resetResults.assign(resetResults);
}
