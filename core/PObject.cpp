#include "core/PObject.h"

#include <unordered_set>

namespace {

// Never destroyed: objects that outlive the static destructors still leave it.
std::unordered_set<const void*>& LiveObjects()
{
    static std::unordered_set<const void*>* live = new std::unordered_set<const void*>();
    return *live;
}

} // namespace

std::list<IPObject*>& GetGlobalObjectList()
{
    static std::list<IPObject*> objects;
    return objects;
}

std::list<IPObject*>& GetPendingDeletionList()
{
    static std::list<IPObject*> objects;
    return objects;
}

void DeleteListedObjects()
{
    std::list<IPObject*>& pending = GetPendingDeletionList();
    for (IPObject* object : pending) {
        delete object;
    }
    pending.clear();
}

bool IsLiveObject(const void* address)
{
    return address && LiveObjects().count(address) != 0;
}

IPObject::IPObject() : m_refCount(0)
{
    GetGlobalObjectList().push_back(this);
    LiveObjects().insert(this);
}

IPObject::~IPObject()
{
    LiveObjects().erase(this);
}

void IPObject::AddRef()
{
    ++m_refCount;
}

void IPObject::Release()
{
    m_refCount = 0;
}
