#include "Render/PAnimationCache.h"

#include "Render/PAnimation.h"

CPAnimationCache* g_pAnimationCache = nullptr;

CPAnimationCache::CPAnimationCache() = default;

// Animations outlive the cache; they must not reach it once it is gone.
CPAnimationCache::~CPAnimationCache()
{
    if (g_pAnimationCache == this) g_pAnimationCache = nullptr;
}

bool CPAnimationCache::GetAnimation(RefPtr<CPAnimation>& animation, const std::string& name,
                                    CPDataFile& source)
{
    RefPtr<CPAnimation> held(m_animations[name]);
    if (!held) {
        held = new CPAnimation(name);
        m_animations[name] = held.Get();
    }
    const bool loaded = held->Load(source);
    animation = held;
    return loaded;
}

void CPAnimationCache::Enter(CPAnimation* animation)
{
    m_animations[animation->GetName()] = animation;
}

void CPAnimationCache::Remove(CPAnimation* animation)
{
    auto named = m_animations.find(animation->GetName());
    if (named != m_animations.end() && named->second == animation) m_animations.erase(named);
}

CPAnimation* CPAnimationCache::Find(const std::string& name) const
{
    auto named = m_animations.find(name);
    return named == m_animations.end() ? nullptr : named->second;
}
