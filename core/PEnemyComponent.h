#pragma once

#include <d3dx9.h>

class IPObject;

// The game rules' enemy logic as its game object sees it: the object passes
// on the end and the report event of its animations and the damage it takes.
// The game rules implement it; the object holds it without owning it.
class IPEnemyComponent {
public:
    virtual ~IPEnemyComponent() = default;

    virtual void OnAnimationEnd() = 0;
    virtual void OnAnimationEvent() = 0;
    virtual void OnDamage(const D3DXVECTOR3* point, const D3DXVECTOR3* direction, float amount,
                          IPObject* source, bool quiet) = 0;
};
