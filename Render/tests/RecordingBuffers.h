#pragma once

#include "Render/tests/BufferResourceStub.h"
#include "Render/tests/RecordingDevice.h"

#include <d3d9.h>

#include <memory>
#include <string>
#include <vector>

// Vertex and index buffers that record their locks and unlocks in a shared
// journal, as "<name>.Lock(offset, size, flags)" and "<name>.Unlock". Each
// holds memory of its own size, so what was written can be read back. A
// buffer can be told to fail its next locks.
template <class Interface, class Description, D3DRESOURCETYPE kType>
class RecordingBuffer : public BufferResourceStub<Interface> {
public:
    RecordingBuffer(std::string name, UINT size, std::vector<std::string>& journal)
        : bytes(size), failLocks(false), m_name(std::move(name)), m_journal(journal)
    {
    }

    std::vector<unsigned char> bytes;
    bool failLocks;

    HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override
    {
        m_journal.push_back(m_name + "." + Call("Lock", {offset, size, flags}));
        if (failLocks) return D3DERR_INVALIDCALL;
        *data = bytes.data() + offset;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE Unlock() override
    {
        m_journal.push_back(m_name + ".Unlock");
        return D3D_OK;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return kType; }
    HRESULT STDMETHODCALLTYPE GetDesc(Description*) override { return E_NOTIMPL; }

private:
    std::string m_name;
    std::vector<std::string>& m_journal;
};

typedef RecordingBuffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC, D3DRTYPE_VERTEXBUFFER> RecordingVertexBuffer;
typedef RecordingBuffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC, D3DRTYPE_INDEXBUFFER> RecordingIndexBuffer;

// A ring's worth of recording pairs named "vb0", "ib0", "vb1", ... with
// room for the given counts of 48-byte vertices and 16-bit indices.
struct RecordingRing {
    RecordingRing(int pairs, int vertexCapacity, int indexCapacity);

    std::vector<IDirect3DVertexBuffer9*> VertexBuffers() const;
    std::vector<IDirect3DIndexBuffer9*> IndexBuffers() const;

    std::vector<std::string> journal;
    std::vector<std::unique_ptr<RecordingVertexBuffer>> vertexBuffers;
    std::vector<std::unique_ptr<RecordingIndexBuffer>> indexBuffers;
};
