#include "host/RenderQueueRing.h"

#include "Render/PIVertexBuffer.h"
#include "Render/PRender.h"
#include "Render/PRenderQueue.h"

namespace {

// Each frame writes the ring anew, so a lock discards the old contents.
const bool kKeepContents = false;

} // namespace

const int RenderQueueRing::kRingSize;
const int RenderQueueRing::kVertexCapacity;
const int RenderQueueRing::kIndexCapacity;

RenderQueueRing::RenderQueueRing(CPRender& render)
    : m_render(render),
      m_ring(new CPIVertexBuffer(render.GetDevice(), kRingSize, kVertexCapacity, kIndexCapacity, kKeepContents)),
      m_queue(new CPRenderQueue(m_ring.get()))
{
    m_render.SetRenderQueue(m_queue.get());
}

// The queue holds a reference to the ring, so it goes first.
RenderQueueRing::~RenderQueueRing()
{
    m_render.SetRenderQueue(nullptr);
    m_queue.reset();
    m_ring.reset();
}

void RenderQueueRing::OnLostDevice()
{
    m_ring->ReleaseBuffers();
}

void RenderQueueRing::OnResetDevice()
{
    m_ring->CreateBuffers();
}
