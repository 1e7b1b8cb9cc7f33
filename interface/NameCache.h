#pragma once

#include "core/AddressHash.h"

#include <cstdint>
#include <cstring>

// Remembers where the names that scripts pass frame after frame lie in one
// of a screen's name maps. A script names an element by a literal, and the
// interpreter keeps one string per literal for as long as the script lives,
// so the text's address finds the entry again with no string made and no
// text hashed. An address alone proves nothing, since a freed string's
// address is used again: an entry answers only to the text of the name it
// found. The map's owner counts the changes it may have made to the map; an
// entry found before the last change answers nothing, since the entry it
// points at may be gone. Names the map lacks are looked up each time.
template <class Map>
class NameCache {
public:
    typedef typename Map::value_type Item;
    typedef typename Map::mapped_type Value;

    // The value of the name in the map, or null when the map has no such
    // name; changes is the owner's count of changes to the map.
    Value* Find(Map& map, uint64_t changes, const char* name)
    {
        Entry& entry = m_entries[SpreadAddress(name) >> (64 - kSlotBits)];
        if (entry.address == name && entry.changes == changes && std::strcmp(entry.item->first.c_str(), name) == 0) {
            return &entry.item->second;
        }
        auto found = map.find(name);
        if (found == map.end()) return nullptr;
        entry.address = name;
        entry.changes = changes;
        entry.item = &*found;
        return &found->second;
    }

private:
    static const int kSlotBits = 7;

    struct Entry {
        const char* address = nullptr;
        uint64_t changes = 0;
        Item* item = nullptr;
    };

    Entry m_entries[1 << kSlotBits];
};
