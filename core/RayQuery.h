#pragma once

#include "core/PGameObject.h"

#include <d3dx9.h>

// One ray query through a tree of game objects: the ray, the length still
// searched (each nearer hit shortens it) and what the nearest hit found.
struct RayQuery {
    // This object and its subtree are skipped.
    CPGameObject* excluded = nullptr;
    RefPtr<CPGameObject> hitObject;
    // The hit object's nearest ancestor (itself included) with a script
    // handler, or the top of its tree.
    RefPtr<CPGameObject> scriptedAncestor;
    // Left to the caller: the tree search neither reads nor writes it.
    D3DXVECTOR3 hitPoint = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    float distance = 0.0f;
    // The plane of the face hit, as the box test gives it (not normalised).
    D3DXPLANE hitPlane = D3DXPLANE(0.0f, 0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 origin = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    // Unit length.
    D3DXVECTOR3 direction = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
};
