#include "game/PLevel.h"

#include "Render/PObjectLoader.h"

#include <cctype>

namespace {

const size_t kNumberStart = 3;
const int kPlacedObjectFlags = 20;

} // namespace

// "chk", then digits, one separator and the description's base name.
void CPLevel::PlaceObject(const std::string& name, const D3DXVECTOR3& position, const D3DXQUATERNION& rotation)
{
    size_t cursor = kNumberStart;
    while (cursor < name.size() && std::isdigit(static_cast<unsigned char>(name[cursor]))) ++cursor;
    ++cursor;
    if (cursor >= name.size() || !g_pObjectLoader) return;
    RefPtr<CPGameObject> object = g_pObjectLoader->LoadObject(name.substr(cursor) + ".rdf", kPlacedObjectFlags);
    if (!object) return;
    SetObjectTreeFlag(object.Get(), false);
    object->SetPosition(position.x, position.y, position.z);
    object->SetRotation(-rotation.x, -rotation.y, -rotation.z, rotation.w);
    object->UpdateTransform();
    placedObjects.push_back(object);
}
