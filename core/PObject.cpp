#include "core/PObject.h"

#include "core/LiveObjectTable.h"

namespace {

// Never destroyed: objects that outlive the static destructors still leave it.
LiveObjectTable& LiveObjects()
{
    static LiveObjectTable* live = new LiveObjectTable();
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
    return LiveObjects().Contains(address);
}

IPObject::IPObject() : m_refCount(0)
{
    GetGlobalObjectList().push_back(this);
    LiveObjects().Insert(this);
}

IPObject::~IPObject()
{
    LiveObjects().Erase(this);
}

int GetLiveObjectCount()
{
    return static_cast<int>(LiveObjects().GetCount());
}

void IPObject::AddRef()
{
    ++m_refCount;
}

void IPObject::Release()
{
    m_refCount = 0;
}
