#include "core/OwnedObjects.h"

#include "core/PGameObject.h"
#include "core/PTaskManager.h"
#include "physics/PCar.h"
#include "physics/PPhysicData.h"
#include "Render/PPartAnimation.h"

namespace {

// What the trees hold, split into the order of deletion.
struct HeldTrees {
    std::unordered_set<IPObject*> seen;
    std::vector<CPCar*> cars;
    std::vector<CPGameObject*> objects;
    std::vector<IPObject*> parts;
};

void AddPart(IPObject* part, HeldTrees& held)
{
    if (part && held.seen.insert(part).second) held.parts.push_back(part);
}

void CollectTree(CPGameObject& object, HeldTrees& held)
{
    if (!held.seen.insert(&object).second) return;
    held.objects.push_back(&object);
    if (RefPtr<CPCar> car = object.GetCar()) {
        if (held.seen.insert(car.Get()).second) held.cars.push_back(car.Get());
    }
    AddPart(object.GetComponent(), held);
    AddPart(object.GetPhysicData(), held);
    for (const auto& named : object.GetNamedAnimations()) AddPart(named.second.Get(), held);
    for (const RefPtr<CPGameObject>& child : object.GetChildren()) CollectTree(*child, held);
    for (const CPGameObject::LevelOfDetail& level : object.GetLevelsOfDetail()) {
        if (level.object) CollectTree(*level.object, held);
    }
}

} // namespace

void CollectHeldObjects(CPGameObject& root, std::unordered_set<IPObject*>& held)
{
    HeldTrees trees;
    trees.seen.swap(held);
    CollectTree(root, trees);
    held.swap(trees.seen);
}

void OwnedObjects::Add(IPObject* object)
{
    if (object) m_objects.push_back(object);
}

void OwnedObjects::CollectAll(std::unordered_set<IPObject*>& objects) const
{
    for (IPObject* object : m_objects) {
        if (CPGameObject* root = dynamic_cast<CPGameObject*>(object)) {
            CollectHeldObjects(*root, objects);
        } else {
            objects.insert(object);
        }
    }
}

void OwnedObjects::DeleteAll()
{
    std::vector<IPObject*> owned;
    owned.swap(m_objects);
    HeldTrees held;
    std::vector<IPObject*> plain;
    for (IPObject* object : owned) {
        if (CPGameObject* root = dynamic_cast<CPGameObject*>(object)) {
            CollectTree(*root, held);
        } else if (held.seen.insert(object).second) {
            plain.push_back(object);
        }
    }
    if (g_pTaskManager) {
        g_pTaskManager->RemoveTasks(
            [&](const IPProcess* task) { return held.seen.count(const_cast<IPProcess*>(task)) != 0; });
    }
    for (IPObject* object : plain) delete object;
    // A car holds its wheels and lights, which are parts of its object's
    // tree; the object lets go of the car first.
    for (CPGameObject* object : held.objects) {
        if (object->GetCar()) object->SetCar(nullptr);
    }
    for (CPCar* car : held.cars) delete car;
    for (CPGameObject* object : held.objects) delete object;
    for (IPObject* part : held.parts) delete part;
}
