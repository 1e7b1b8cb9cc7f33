#pragma once

// The one store of what the game keeps between levels (shop catalogues,
// texts, money, car set-ups, missions, coefficients, scores, profile). So
// far it is an empty shell that holds none of these; the host creates it
// and publishes it in g_pGameData.
class CPGameData {};

extern CPGameData* g_pGameData;
CPGameData* GetGameData();
