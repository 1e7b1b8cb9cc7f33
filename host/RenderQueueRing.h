#pragma once

#include "Render/PDeviceListener.h"

#include <d3d9.h>

#include <memory>

class CPIVertexBuffer;
class CPRender;
class CPRenderQueue;

// The frame's render queue with its ring of dynamic buffers, published in
// the renderer while it lives. The ring's buffers sit in the default pool,
// so they go when the device is lost and are made again after the reset.
class RenderQueueRing : public IPDeviceListener {
public:
    static const int kRingSize = 4;
    // As many vertices as 16-bit indices reach, three indices to each.
    static const int kVertexCapacity = 65536;
    static const int kIndexCapacity = 3 * kVertexCapacity;

    explicit RenderQueueRing(CPRender& render);
    ~RenderQueueRing() override;

    CPRenderQueue& GetQueue() { return *m_queue; }
    CPIVertexBuffer& GetRing() { return *m_ring; }

    void OnLostDevice() override;
    void OnResetDevice() override;

private:
    CPRender& m_render;
    std::unique_ptr<CPIVertexBuffer> m_ring;
    std::unique_ptr<CPRenderQueue> m_queue;
};
