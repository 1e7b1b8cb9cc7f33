#pragma once

#include "core/PObject.h"

#include <string>
#include <unordered_map>

class CPAnimation;
class CPDataFile;

// Shares morph animations by name (exact, case-sensitive): every part that
// names the same animation plays the same object. The map holds plain
// pointers; animations enter it when they are made and leave it when they
// are destroyed. The host creates the one cache and publishes it in
// g_pAnimationCache.
class CPAnimationCache {
public:
    CPAnimationCache();
    ~CPAnimationCache();

    // Hands back the animation of that name, made when there is none yet,
    // after reading it anew from the source, a mesh file standing at the
    // animation's data. Answers whether the read succeeded; a failed read
    // leaves the animation as it was.
    bool GetAnimation(RefPtr<CPAnimation>& animation, const std::string& name, CPDataFile& source);

    // The entry of the animation's name becomes the animation.
    void Enter(CPAnimation* animation);
    // Removes the entry of the animation's name while it is this animation.
    void Remove(CPAnimation* animation);
    // The animation under the name, or null.
    CPAnimation* Find(const std::string& name) const;

private:
    std::unordered_map<std::string, CPAnimation*> m_animations;
};

// The animation cache that the host created and published.
extern CPAnimationCache* g_pAnimationCache;
