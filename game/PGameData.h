#pragma once

// The one store of everything the game keeps between levels: the shop's
// item catalogues, the localised texts, money, car set-ups, mission records,
// difficulty coefficients, scores and profile values. The host creates it
// and publishes it in g_pGameData.
class CPGameData {};

extern CPGameData* g_pGameData;
CPGameData* GetGameData();
