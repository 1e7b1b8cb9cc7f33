#pragma once

#include "core/PGameObject.h"
#include "game/PShot.h"
#include "game/PShotRunner.h"

#include <d3dx9.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The maker of a level's projectiles, bolts, explosions and dropped bonuses
// by kind name. Each kind has a pool whose first entry is its template and
// whose further entries are idle shots of the kind, ready for reuse. The
// spawner owns every shot it is given or makes (templates, clones, idle
// and active shots) and destroys them when it goes; a reference let go
// frees nothing. The host creates it and publishes it in g_pShotSpawner.
class CPShotSpawner {
public:
    typedef std::vector<RefPtr<CPShot>> ShotList;

    CPShotSpawner();
    ~CPShotSpawner();
    CPShotSpawner(const CPShotSpawner&) = delete;
    CPShotSpawner& operator=(const CPShotSpawner&) = delete;

    // Makes the shot the first entry of its kind's pool; a template the
    // kind already had stays, as an idle shot behind the new one.
    void AddTemplate(std::unique_ptr<CPShot> shot);

    // Takes the last idle shot of the kind, or a clone of the template when
    // none is idle, launches it and lists it as active. A kind without a
    // pool gets an empty one and spawns nothing, as does a template that
    // cannot be cloned.
    void Spawn(const std::string& kindName, const D3DXVECTOR3& position, const D3DXVECTOR3& direction,
               float value, RefPtr<CPGameObject> owner, int extra);

    // The task that runs the active shots; the host lists it.
    CPShotRunner* GetRunner() { return &m_runner; }

    // The launched shots, oldest first; the runner walks and prunes it.
    ShotList& GetActiveShots() { return m_activeShots; }
    // Appends a finished shot to its kind's pool, after the template.
    void ReturnToPool(CPShot* shot);
    // The pool of the kind (template first), or null when it has none.
    const ShotList* FindPool(const std::string& kindName) const;

private:
    RefPtr<CPShot> TakeShot(ShotList& pool);

    CPShotRunner m_runner;
    ShotList m_activeShots;
    std::unordered_map<std::string, ShotList> m_pools;
    std::vector<std::unique_ptr<CPShot>> m_owned;
};

extern CPShotSpawner* g_pShotSpawner;
CPShotSpawner* GetShotSpawner();
