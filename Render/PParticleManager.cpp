#include "Render/PParticleManager.h"

CPParticleManager* g_pParticleManager = nullptr;
