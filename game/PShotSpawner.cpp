#include "game/PShotSpawner.h"

CPShotSpawner* g_pShotSpawner = nullptr;

CPShotSpawner* GetShotSpawner()
{
    return g_pShotSpawner;
}
