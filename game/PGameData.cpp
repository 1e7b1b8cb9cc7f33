#include "game/PGameData.h"

CPGameData* g_pGameData = nullptr;

CPGameData* GetGameData()
{
    return g_pGameData;
}
