#pragma once

#include <cstddef>
#include <vector>

// The addresses of the objects that live now: a set that answers "is this
// address in it?" in a few instructions, since every handle a script hands
// back is checked here. Open addressing in a power-of-two table with linear
// probing; removed entries leave a marker until the next rebuild.
class LiveObjectTable {
public:
    LiveObjectTable();

    void Insert(const void* address);
    void Erase(const void* address);
    bool Contains(const void* address) const;
    size_t GetCount() const { return m_count; }

private:
    size_t SlotOf(const void* address) const;
    void Rebuild(size_t capacity);

    std::vector<const void*> m_slots;
    size_t m_count;
    size_t m_used; // live entries and removal markers
};
