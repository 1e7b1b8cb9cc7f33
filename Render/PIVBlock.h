#pragma once

#include "Render/PDeviceListener.h"
#include "Render/PDrawable.h"
#include "Render/PIVertexBuffer.h"
#include "core/PObject.h"

#include <vector>

// The drawables of one material in the current frame: the render queue
// collects them so that all geometry of the material goes through the
// shared dynamic buffers in one batch. The totals say how much buffer space
// the dynamic ones need before the buffers are locked.
class CPIVBlock : public IPObject, public IPDeviceListener {
public:
    explicit CPIVBlock(CPIVertexBuffer* sharedBuffer);
    ~CPIVBlock() override;

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPIVBlock"; }

    // The block's geometry lives in the shared dynamic buffers, so a lost
    // device only makes it invalid until the next frame writes it again.
    void OnLostDevice() override { m_valid = false; }
    void OnResetDevice() override {}

    // Appends the drawable; only geometry that is not static counts towards
    // the totals.
    void AddDrawable(IPDrawable* drawable);
    // Forgets the frame's drawables and totals.
    void Clear();

    int GetIndexTotal() const { return m_indexTotal; }
    int GetVertexTotal() const { return m_vertexTotal; }
    bool IsValid() const { return m_valid; }
    void SetValid(bool valid) { m_valid = valid; }
    const std::vector<RefPtr<IPDrawable>>& GetDrawables() const { return m_drawables; }
    CPIVertexBuffer* GetSharedBuffer() const { return m_sharedBuffer.Get(); }

private:
    int m_indexTotal;
    int m_vertexTotal;
    bool m_valid;
    RefPtr<CPIVertexBuffer> m_sharedBuffer;
    std::vector<RefPtr<IPDrawable>> m_drawables;
};
