#pragma once

#include "core/PObject.h"

#include <d3d9.h>

class CPGameObject;

// The component of a light game object: a Direct3D light that moves with its
// object. It draws nothing; the render queue copies its record into the
// frame's light table.
class CPLight : public IPObject {
public:
    CPLight();

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPLight"; }

    // The light record with its position moved to the owner's place; the
    // rest is as the loader (or a copy) wrote it. Without an owner the record
    // is answered unchanged.
    virtual D3DLIGHT9* GetLight();

    void SetOwner(CPGameObject* owner) { m_owner = owner; }
    CPGameObject* GetOwner() const { return m_owner; }

private:
    D3DLIGHT9 m_light;
    CPGameObject* m_owner;
};
