#pragma once

#include "core/PObject.h"
#include "Render/PDrawable.h"

#include <cstdint>
#include <string>
#include <vector>

// One complete mesh frame of a morph animation.
struct MorphFrame {
    std::vector<Vertex48> vertices;
    std::vector<uint16_t> indices;
    int frameNumber = 0;
};

// A named series of complete mesh frames, shared by name between the
// animated objects that play it.
class CPAnimation : public IPObject {
public:
    explicit CPAnimation(std::string name) : m_name(std::move(name)) {}

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPAnimation"; }
    const std::string& GetName() const { return m_name; }

private:
    std::string m_name;
};
