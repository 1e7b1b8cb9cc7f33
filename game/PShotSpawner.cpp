#include "game/PShotSpawner.h"

CPShotSpawner* g_pShotSpawner = nullptr;

CPShotSpawner* GetShotSpawner()
{
    return g_pShotSpawner;
}

namespace {

// Room for the shots of a busy level, so that a frame's spawns and
// returns do not grow the lists.
const size_t kExpectedShots = 256;

} // namespace

CPShotSpawner::CPShotSpawner() : m_runner(*this)
{
    m_activeShots.reserve(kExpectedShots);
    m_owned.reserve(kExpectedShots);
}

// The lists let go of their references before the shots are destroyed.
CPShotSpawner::~CPShotSpawner()
{
    m_activeShots.clear();
    m_pools.clear();
    m_owned.clear();
}

void CPShotSpawner::AddTemplate(std::unique_ptr<CPShot> shot)
{
    if (!shot) return;
    ShotList& pool = m_pools[shot->GetKindName()];
    pool.insert(pool.begin(), RefPtr<CPShot>(shot.get()));
    m_owned.push_back(std::move(shot));
}

void CPShotSpawner::Spawn(const std::string& kindName, const D3DXVECTOR3& position, const D3DXVECTOR3& direction,
                          float value, RefPtr<CPGameObject> owner, int extra)
{
    RefPtr<CPShot> shot = TakeShot(m_pools[kindName]);
    if (!shot) return;
    shot->Launch(position, direction, value, owner, extra);
    m_activeShots.push_back(shot);
}

RefPtr<CPShot> CPShotSpawner::TakeShot(ShotList& pool)
{
    if (pool.empty()) return nullptr;
    if (pool.size() > 1) {
        RefPtr<CPShot> idle = pool.back();
        pool.pop_back();
        return idle;
    }
    RefPtr<CPShot> clone;
    pool.front()->Clone(clone);
    if (clone) m_owned.push_back(std::unique_ptr<CPShot>(clone.Get()));
    return clone;
}

void CPShotSpawner::ReturnToPool(CPShot* shot)
{
    m_pools[shot->GetKindName()].push_back(shot);
}

const CPShotSpawner::ShotList* CPShotSpawner::FindPool(const std::string& kindName) const
{
    auto named = m_pools.find(kindName);
    return named == m_pools.end() ? nullptr : &named->second;
}
