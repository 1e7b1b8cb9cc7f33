#include "Render/PStaticBatch.h"

CPStaticBatch::CPStaticBatch() : m_open(false) {}

int CPStaticBatch::GetObjectSize()
{
    return sizeof(*this);
}

const char* CPStaticBatch::GetTypeName()
{
    return "CPStaticBatch";
}

void CPStaticBatch::Open(int, int, int, int)
{
    m_open = true;
}

void CPStaticBatch::Close(int)
{
    m_open = false;
}
