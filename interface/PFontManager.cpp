#include "interface/PFontManager.h"

CPFontManager* g_pFontManager = nullptr;

CPFontManager* GetFontManager()
{
    return g_pFontManager;
}
