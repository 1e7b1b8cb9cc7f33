#pragma once

#include "Render/tests/RecordingDevice.h"

#include <d3d9.h>

#include <algorithm>
#include <string>
#include <vector>

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

// A vertex or index buffer that keeps its bytes in memory and reports every
// lock and unlock, with offset, size and flags, to the device that made it.
// A lock answers the configured result and hands out no memory when it
// fails; a size of 0 locks the whole buffer. It lives until its last
// reference is released.
template <class Interface, class Description, D3DRESOURCETYPE kType>
class RecordingBuffer : public Interface {
public:
    RecordingBuffer(const char* name, UINT length, BufferCallRecorder* recorder, HRESULT lockResult)
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

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --m_references;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, const void*, DWORD, DWORD) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID) override { return E_NOTIMPL; }
    DWORD STDMETHODCALLTYPE SetPriority(DWORD) override { return 0; }
    DWORD STDMETHODCALLTYPE GetPriority() override { return 0; }
    void STDMETHODCALLTYPE PreLoad() override {}
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return kType; }
    HRESULT STDMETHODCALLTYPE GetDesc(Description* description) override
    {
        *description = Description();
        description->Size = static_cast<UINT>(m_bytes.size());
        return D3D_OK;
    }

protected:
    virtual ~RecordingBuffer() {}

private:
    std::string m_name;
    std::vector<unsigned char> m_bytes;
    BufferCallRecorder* m_recorder;
    HRESULT m_lockResult;
    UINT m_lockOffset = 0;
    UINT m_lockSize = 0;
    ULONG m_references = 1;
};

using RecordingVertexBuffer =
    RecordingBuffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC, D3DRTYPE_VERTEXBUFFER>;
using RecordingIndexBuffer =
    RecordingBuffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC, D3DRTYPE_INDEXBUFFER>;
