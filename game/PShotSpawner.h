#pragma once

// Makes every projectile, bolt, explosion and dropped bonus of a level by
// kind name, from a pool per kind whose first entry is the kind's template.
// The host creates it, fills the pools and publishes it in g_pShotSpawner.
class CPShotSpawner {};

extern CPShotSpawner* g_pShotSpawner;
CPShotSpawner* GetShotSpawner();
