#pragma once

// The maker of a level's projectiles, bolts, explosions and dropped bonuses
// by kind name. So far it is an empty shell with no pools and nothing to
// spawn; the host creates it and publishes it in g_pShotSpawner.
class CPShotSpawner {};

extern CPShotSpawner* g_pShotSpawner;
CPShotSpawner* GetShotSpawner();
