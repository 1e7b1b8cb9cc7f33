#include "Render/PIVBlock.h"

CPIVBlock::CPIVBlock(CPIVertexBuffer* sharedBuffer)
    : m_indexTotal(0), m_vertexTotal(0), m_valid(false), m_sharedBuffer(sharedBuffer)
{
}

CPIVBlock::~CPIVBlock() = default;

void CPIVBlock::AddDrawable(IPDrawable* drawable)
{
    m_drawables.push_back(drawable);
    if (drawable->IsStatic()) return;
    m_indexTotal += drawable->GetIndexCount();
    m_vertexTotal += drawable->GetVertexCount();
}

void CPIVBlock::Clear()
{
    m_drawables.clear();
    m_indexTotal = 0;
    m_vertexTotal = 0;
}
