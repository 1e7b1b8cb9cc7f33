#pragma once

#include <list>

// The common base of the engine's scene, resource and task classes. The
// reference count marks use only: Release resets it and never destroys;
// whoever owns an object destroys it through the virtual destructor.
class IPObject {
public:
    IPObject();
    virtual ~IPObject();
    // A copy would inherit the count of the original and be missing from
    // the object list, so objects are never copied.
    IPObject(const IPObject&) = delete;
    IPObject& operator=(const IPObject&) = delete;

    virtual void AddRef();
    virtual void Release();
    virtual int GetObjectSize() = 0;
    virtual const char* GetTypeName() = 0;

    int GetRefCount() const { return m_refCount; }

private:
    int m_refCount;
};

// Every IPObject ever constructed, in construction order. Entries are never
// removed, so one may name a destroyed object: the list is never walked to
// reach objects.
std::list<IPObject*>& GetGlobalObjectList();

// How many IPObjects exist now: constructed and not yet destroyed.
int GetLiveObjectCount();

// Whether the address is that of an IPObject constructed and not yet
// destroyed. Handles that come back from scripts are checked here before
// they are used, so a stale or invented handle reaches nothing.
bool IsLiveObject(const void* address);

// Objects a host wants destroyed together; nothing in the engine adds to it.
std::list<IPObject*>& GetPendingDeletionList();

// Destroys every listed object, first to last, and empties the list.
void DeleteListedObjects();

// Counted pointer to an IPObject: holding marks use with AddRef, letting go
// calls Release.
template <class T>
class RefPtr {
public:
    RefPtr() : m_object(nullptr) {}
    RefPtr(T* object) : m_object(object) { AddRefHeld(); }
    RefPtr(const RefPtr& other) : m_object(other.m_object) { AddRefHeld(); }
    ~RefPtr() { ReleaseHeld(); }

    // Releases the old object before adding a reference to the new one, so
    // assigning an object to its own holder leaves its count at 1.
    RefPtr& operator=(const RefPtr& other) { return Assign(other.m_object); }
    RefPtr& operator=(T* object) { return Assign(object); }

    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    RefPtr& Assign(T* object)
    {
        ReleaseHeld();
        m_object = object;
        AddRefHeld();
        return *this;
    }
    void AddRefHeld()
    {
        if (m_object) m_object->AddRef();
    }
    void ReleaseHeld()
    {
        if (m_object) m_object->Release();
    }

    T* m_object;
};
