#pragma once

#include <string>
#include <unordered_map>
#include <vector>

// The keys of one description section, lower-cased, with their values.
typedef std::unordered_map<std::string, std::string> KeySection;
// The sections of a description by their lower-cased names.
typedef std::unordered_map<std::string, KeySection> SectionMap;

// A scene-object description as its text gives it: what the object is
// built from, the per-part sections and the object-wide keys.
struct ObjectDescription {
    // The first line's value: one mesh file, an "anim" list or "empty".
    std::string meshEntry;
    SectionMap sections;
    std::vector<std::string> sprites;
    std::vector<std::string> levelsOfDetail;
    std::vector<std::string> lights;
    std::vector<std::string> lineKeyPoints;
    std::vector<std::string> particleSystems;
    std::string lineColour;
    std::string descriptionName;
    std::string shadowTextures;

    // Reads the text: section lines open (or reopen) a section, key lines
    // go to the object-wide keys wherever they stand or else to the open
    // section; a section key before the first section is dropped.
    void Parse(const void* text, size_t size);
};

// The fields of a value split at the separator, each trimmed.
std::vector<std::string> SplitFields(const std::string& value, const char* separator);
// The field at the index, or an empty one past the last.
const std::string& FieldAt(const std::vector<std::string>& fields, size_t index);
// The longest numeric prefix of the field; 0 when it holds no number.
float FieldFloat(const std::vector<std::string>& fields, size_t index);
int FieldInt(const std::vector<std::string>& fields, size_t index);
