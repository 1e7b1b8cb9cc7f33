#pragma once

#include "core/PObject.h"

#include <unordered_set>
#include <vector>

class CPGameObject;

// Everything an object tree holds that was made with it and belongs to it:
// its game objects (through children and levels of detail), their
// components, physics data, part animations and cars. Materials, sounds and
// shared geometry come from caches, and script handlers belong to the
// scripts: none of them is in it.
void CollectHeldObjects(CPGameObject& root, std::unordered_set<IPObject*>& held);

// The objects one owner built, deleted together when the owner says so or
// goes. Since releasing never frees, this is where the objects of a level
// (or of anything else that loads trees) end. A tree is taken whole at
// deletion time, so what was attached to it after it was added (a flame, a
// weapon's parts) goes with it, and an object reached twice (in the scene
// tree and in a list) is deleted once.
class OwnedObjects {
public:
    OwnedObjects() = default;
    ~OwnedObjects() { DeleteAll(); }
    OwnedObjects(const OwnedObjects&) = delete;
    OwnedObjects& operator=(const OwnedObjects&) = delete;

    // A game object is taken with its whole tree; null is ignored.
    void Add(IPObject* object);
    bool IsEmpty() const { return m_objects.empty(); }
    // Adds to the set every object DeleteAll would delete now.
    void CollectAll(std::unordered_set<IPObject*>& objects) const;

    // Deletes every object and what their trees hold, once each. The tasks
    // among them leave the task list first. Objects that are no trees (a
    // camera, a spatial tree) go first, in the order they were added, while
    // the game objects they point at still live; then the cars, the game
    // objects (parents before children) and last the parts the game
    // objects let go of as they go.
    void DeleteAll();

private:
    std::vector<IPObject*> m_objects;
};
