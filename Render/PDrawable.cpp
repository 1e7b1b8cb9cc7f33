#include "Render/PDrawable.h"

void IPDrawable::CopyIndices(uint16_t* dest, int count, uint16_t* firstIndex, uint16_t* lastIndex)
{
    (void)dest;
    (void)count;
    (void)firstIndex;
    (void)lastIndex;
}

void IPDrawable::WriteIndices(uint16_t* dest, const uint16_t* indices, int count, uint16_t baseVertex)
{
    for (int k = 0; k < count; ++k) {
        dest[k] = static_cast<uint16_t>(baseVertex + indices[k]);
    }
}
