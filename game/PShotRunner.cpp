#include "game/PShotRunner.h"

#include "Render/PRender.h"
#include "Render/PRenderQueue.h"
#include "game/PShotSpawner.h"

CPShotRunner::CPShotRunner(CPShotSpawner& spawner) : m_spawner(spawner)
{
    SetPriority(kPriority);
}

// Live shots are packed towards the front in place; the shots spawned
// during the walk are then moved up behind them. A shot's transform is
// rebuilt only when it is drawn: nothing else reads it.
void CPShotRunner::Execute()
{
    CPShotSpawner::ShotList& shots = m_spawner.GetActiveShots();
    RefPtr<CPRenderQueue> queue;
    if (CPRender* render = GetRender()) queue = render->GetRenderQueue();
    const size_t walked = shots.size();
    size_t kept = 0;
    for (size_t i = 0; i < walked; ++i) {
        CPShot* shot = shots[i].Get();
        if (!shot->Update()) {
            shot->Stop();
            m_spawner.ReturnToPool(shot);
            continue;
        }
        if (queue) {
            shot->UpdateTransform();
            queue->AddObject(RefPtr<CPGameObject>(shot));
        }
        if (kept != i) shots[kept] = shot;
        ++kept;
    }
    shots.erase(shots.begin() + kept, shots.begin() + walked);
}
