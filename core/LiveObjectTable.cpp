#include "core/LiveObjectTable.h"

#include "core/AddressHash.h"

#include <cstdint>

namespace {

const size_t kInitialCapacity = 1024;
// Rebuilt, twice as large when it is the live entries that fill it, once
// live entries and markers take half the slots: probes stay short.
const size_t kLoadDivisor = 2;
// A slot that held an address that was removed: probing goes on past it.
const void* const kRemoved = reinterpret_cast<const void*>(static_cast<uintptr_t>(1));
const int kSpreadShift = 32;

} // namespace

LiveObjectTable::LiveObjectTable() : m_slots(kInitialCapacity, nullptr), m_count(0), m_used(0) {}

size_t LiveObjectTable::SlotOf(const void* address) const
{
    const uint64_t bits = SpreadAddress(address);
    return static_cast<size_t>(bits >> kSpreadShift) & (m_slots.size() - 1);
}

bool LiveObjectTable::Contains(const void* address) const
{
    if (!address || address == kRemoved) return false;
    for (size_t slot = SlotOf(address);; slot = (slot + 1) & (m_slots.size() - 1)) {
        if (m_slots[slot] == address) return true;
        if (!m_slots[slot]) return false;
    }
}

void LiveObjectTable::Insert(const void* address)
{
    if (Contains(address) || !address || address == kRemoved) return;
    if ((m_used + 1) * kLoadDivisor > m_slots.size()) {
        Rebuild((m_count + 1) * kLoadDivisor * kLoadDivisor > m_slots.size() ? m_slots.size() * 2 : m_slots.size());
    }
    size_t slot = SlotOf(address);
    while (m_slots[slot] && m_slots[slot] != kRemoved) slot = (slot + 1) & (m_slots.size() - 1);
    if (!m_slots[slot]) ++m_used;
    m_slots[slot] = address;
    ++m_count;
}

void LiveObjectTable::Erase(const void* address)
{
    if (!address || address == kRemoved) return;
    for (size_t slot = SlotOf(address); m_slots[slot]; slot = (slot + 1) & (m_slots.size() - 1)) {
        if (m_slots[slot] == address) {
            m_slots[slot] = kRemoved;
            --m_count;
            return;
        }
    }
}

void LiveObjectTable::Rebuild(size_t capacity)
{
    std::vector<const void*> old(capacity, nullptr);
    old.swap(m_slots);
    m_count = 0;
    m_used = 0;
    for (const void* address : old) {
        if (address && address != kRemoved) Insert(address);
    }
}
