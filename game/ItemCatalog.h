#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// What every shop item has: its key (which also names its localised name in
// the game data's texts), its price, the key of its localised description,
// the info number its info query answers last, two words nothing here reads,
// and the race from which the shop offers it.
struct ItemDefinition {
    ItemDefinition() : price(0), info(0), reserved{0, 0}, requiredRace(0) {}

    std::string key;
    int32_t price;
    std::string descriptionKey;
    int32_t info;
    int32_t reserved[2];
    int32_t requiredRace;
};

// The numbers of the items: their meaning belongs to the code that fits the
// item to a car, so they are kept by position and type.
//
// A weapon fires number1 shots a trigger pull, each carrying the value
// number2; a pull costs number1 / number3 of its slot's ammunition (over
// the racer's shot factor), and it fires number4 times a second (times the
// racer's rate factor). The other four are not read.
struct WeaponDefinition : ItemDefinition {
    WeaponDefinition()
        : number1(0), number2(0.0f), number3(0), number4(0.0f), number5(0.0f), number6(0),
          number7(0.0f), number8(0.0f)
    {
    }

    int32_t number1;
    float number2;
    int32_t number3;
    float number4;
    float number5;
    int32_t number6;
    float number7;
    float number8;
};

struct MineDefinition : ItemDefinition {
    MineDefinition()
        : number1(0), number2(0.0f), number3(0.0f), number4(0), number5(0.0f), number6(0.0f),
          number7(0.0f)
    {
    }

    int32_t number1;
    float number2;
    float number3;
    int32_t number4;
    float number5;
    float number6;
    float number7;
};

struct SuperWeaponDefinition : ItemDefinition {};

// Bumpers, equipment and armour carry one number each.
struct SingleValueDefinition : ItemDefinition {
    SingleValueDefinition() : value(0.0f) {}

    float value;
};

struct BumperDefinition : SingleValueDefinition {};
struct EquipmentDefinition : SingleValueDefinition {};
struct ArmorDefinition : SingleValueDefinition {};

struct EngineDefinition : ItemDefinition {
    static const int kValueCount = 5;

    EngineDefinition() : values{0.0f, 0.0f, 0.0f, 0.0f, 0.0f} {}

    float values[kValueCount];
};

// The items of one kind: found by key through the map, listed in the order
// they were added through the vector. A key added again replaces the
// record found by key and is listed again.
template <class Definition>
class ItemCatalog {
public:
    void Add(const Definition& definition)
    {
        m_byKey[definition.key] = definition;
        m_inOrder.push_back(definition);
    }

    // The record of the key, or null when the catalogue has none.
    const Definition* Find(const std::string& key) const
    {
        auto found = m_byKey.find(key);
        return found == m_byKey.end() ? nullptr : &found->second;
    }

    const std::vector<Definition>& GetList() const { return m_inOrder; }

private:
    std::unordered_map<std::string, Definition> m_byKey;
    std::vector<Definition> m_inOrder;
};
