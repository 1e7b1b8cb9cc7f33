#pragma once

#include "physics/PAllocator.h"

#include <new>

// A fixed pool of records allocated once: a doubly linked free list and a
// doubly linked used list over one array. Taking an object moves the head of
// the free list to the end of the used list and hands the object out fresh;
// objects are never given back, the program parks what it no longer needs.
template <class T>
class CPPool {
public:
    CPPool() : m_records(nullptr), m_capacity(0), m_allocator(nullptr), m_free(), m_used() {}
    ~CPPool() { Destroy(); }

    CPPool(const CPPool&) = delete;
    CPPool& operator=(const CPPool&) = delete;

    // Allocates room for count objects; false when the allocator fails.
    bool Create(IPAllocator* allocator, int count)
    {
        if (count < 0) count = 0;
        m_allocator = allocator;
        m_records = static_cast<Record*>(allocator->Allocate(sizeof(Record) * (count > 0 ? count : 1)));
        if (!m_records) return false;
        m_capacity = count;
        for (int i = 0; i < count; ++i) {
            new (&m_records[i]) Record();
            m_records[i].inUse = false;
            Append(m_free, i);
        }
        return true;
    }

    // The next free object reset to its starting state, or null when none is left.
    T* Take()
    {
        const int index = m_free.head;
        if (index < 0) return nullptr;
        Unlink(m_free, index);
        Append(m_used, index);
        Record& record = m_records[index];
        record.inUse = true;
        record.object = T();
        return &record.object;
    }

    int GetCapacity() const { return m_capacity; }
    int GetFreeCount() const { return m_free.count; }
    int GetUsedCount() const { return m_used.count; }
    // The object's place in the pool's array.
    int IndexOf(const T* object) const
    {
        return static_cast<int>(reinterpret_cast<const Record*>(object) - m_records);
    }
    T& At(int index) { return m_records[index].object; }
    bool IsUsed(int index) const { return m_records[index].inUse; }

private:
    // The object comes first, so an object's address is its record's.
    struct Record {
        T object;
        int previous = -1;
        int next = -1;
        bool inUse = false;
    };

    struct List {
        int head = -1;
        int tail = -1;
        int count = 0;
    };

    void Append(List& list, int index)
    {
        Record& record = m_records[index];
        record.previous = list.tail;
        record.next = -1;
        if (list.tail >= 0) m_records[list.tail].next = index;
        else list.head = index;
        list.tail = index;
        ++list.count;
    }

    void Unlink(List& list, int index)
    {
        Record& record = m_records[index];
        if (record.previous >= 0) m_records[record.previous].next = record.next;
        else list.head = record.next;
        if (record.next >= 0) m_records[record.next].previous = record.previous;
        else list.tail = record.previous;
        --list.count;
    }

    void Destroy()
    {
        if (!m_records) return;
        for (int i = 0; i < m_capacity; ++i) m_records[i].~Record();
        m_allocator->Free(m_records);
        m_records = nullptr;
    }

    Record* m_records;
    int m_capacity;
    IPAllocator* m_allocator;
    List m_free;
    List m_used;
};
