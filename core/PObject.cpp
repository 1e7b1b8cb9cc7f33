#include "core/PObject.h"

namespace {
int g_liveObjects = 0;
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

IPObject::IPObject() : m_refCount(0)
{
    GetGlobalObjectList().push_back(this);
    ++g_liveObjects;
}

IPObject::~IPObject()
{
    --g_liveObjects;
}

int GetLiveObjectCount()
{
    return g_liveObjects;
}

void IPObject::AddRef()
{
    ++m_refCount;
}

void IPObject::Release()
{
    m_refCount = 0;
}
