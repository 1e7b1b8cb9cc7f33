#include "script/CarModelTable.h"

const CarModelEntry CarModelTable::kEntries[kEntryCount] = {
    {"audi_tt", "audi_tt", kDarkSide},       {"bmw", "bmw_i745", kDarkSide},
    {"volswagen_toureg", "volk_t", kDarkSide}, {"gaz_3110_main", "gaz_z110", kLightSide},
    {"uaz", "uaz_469", kLightSide},          {"zil_130_", "zil_130", kLightSide},
};

std::string CarModelTable::KeyToModel(const std::string& key)
{
    for (const CarModelEntry& entry : kEntries) {
        if (key == entry.key) return entry.model;
    }
    return key;
}

std::string CarModelTable::ModelToKey(const std::string& model)
{
    for (const CarModelEntry& entry : kEntries) {
        if (model == entry.model) return entry.key;
    }
    return model;
}

int CarModelTable::SideOfKey(const std::string& key)
{
    for (const CarModelEntry& entry : kEntries) {
        if (key == entry.key) return entry.side;
    }
    return kNoSide;
}
