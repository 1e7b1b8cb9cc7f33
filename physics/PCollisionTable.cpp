#include "physics/PCollisionTypes.h"

CPCollisionTable::CPCollisionTable()
{
    for (int a = 0; a < kClassCount; ++a) {
        m_road[a] = kRespond;
        for (int b = 0; b < kClassCount; ++b) m_pairs[a][b] = kRespond;
    }
}

void CPCollisionTable::Set(int a, int b, int response)
{
    if (a != -1 && b != -1) {
        if (!IsClass(a) || !IsClass(b)) return;
        m_pairs[a][b] = response;
        m_pairs[b][a] = response;
    } else if (a != -1 || b != -1) {
        const int single = a != -1 ? a : b;
        if (IsClass(single)) m_road[single] = response;
    }
}
