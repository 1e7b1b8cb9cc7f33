#pragma once

#include <cstdint>
#include <string>

// A car set-up: the item key fitted in every slot (empty for none) and the
// number of super weapons carried.
struct CarSettings {
    static const int kWeaponSlots = 3;
    static const int kEquipmentSlots = 2;

    CarSettings() : superWeaponCount(0) {}

    std::string weapons[kWeaponSlots];
    std::string equipment[kEquipmentSlots];
    std::string bumper;
    std::string engine;
    std::string armor;
    std::string superWeapon;
    int32_t superWeaponCount;
    std::string mine;
};
