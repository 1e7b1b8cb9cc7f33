#pragma once

#include <string>

// The six cars by the key that profiles and car objects carry and by the
// model name that scripts see, with the side each drives for. A name that
// is not in the table maps to itself.
struct CarModelEntry {
    const char* key;
    const char* model;
    int side;
};

class CarModelTable {
public:
    static constexpr int kDarkSide = 2;  // Duskward
    static constexpr int kLightSide = 1; // Brightward
    static constexpr int kNoSide = 0;
    static const int kEntryCount = 6;

    static std::string KeyToModel(const std::string& key);
    static std::string ModelToKey(const std::string& model);
    // The side of a car key; kNoSide for a key not in the table.
    static int SideOfKey(const std::string& key);

    static const CarModelEntry kEntries[kEntryCount];
};
