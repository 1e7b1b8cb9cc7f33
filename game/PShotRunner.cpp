#include "game/PShotRunner.h"

#include "Render/PRender.h"
#include "Render/PRenderQueue.h"
#include "game/PShotSpawner.h"

CPShotRunner::CPShotRunner(CPShotSpawner& spawner) : m_spawner(spawner)
{
    SetPriority(kPriority);
}

// Live shots are packed towards the front in place; the shots spawned
// during the walk are then moved up behind them.
void CPShotRunner::Execute()
{
    CPShotSpawner::ShotList& shots = m_spawner.GetActiveShots();
    CPRenderQueue* queue = nullptr;
    RefPtr<CPRenderQueue> heldQueue;
    if (CPRender* render = GetRender()) {
        heldQueue = render->GetRenderQueue();
        queue = heldQueue.Get();
    }
    const size_t walked = shots.size();
    size_t kept = 0;
    for (size_t i = 0; i < walked; ++i) {
        RefPtr<CPShot> shot = shots[i];
        if (shot->Update()) {
            if (queue) queue->AddObject(RefPtr<CPGameObject>(shot.Get()));
            shots[kept++] = shot;
        } else {
            shot->Stop();
            m_spawner.ReturnToPool(shot.Get());
        }
    }
    shots.erase(shots.begin() + kept, shots.begin() + walked);
}
