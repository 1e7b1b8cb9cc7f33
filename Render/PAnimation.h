#pragma once

#include "core/PBoundingBox.h"
#include "core/PObject.h"
#include "Render/PDrawable.h"

#include <cstdint>
#include <string>
#include <vector>

class CPDataFile;

// One complete mesh frame of a morph animation.
struct MorphFrame {
    std::vector<Vertex48> vertices;
    std::vector<uint16_t> indices;
    int frameNumber = 0;
};

// A named series of complete mesh frames, shared by name between the
// animated objects that play it. It enters the animation cache under its
// name when it is made and leaves it when it is destroyed.
class CPAnimation : public IPObject {
public:
    // Why the last Load failed: the field and what is wrong with it.
    struct LoadFault {
        const char* field;
        const char* reason;
    };

    explicit CPAnimation(std::string name);
    ~CPAnimation() override;

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPAnimation"; }
    const std::string& GetName() const { return m_name; }

    // Replaces the frames, times and box with those of a morph stream: a
    // frame count, a frame time in units of 1/2400 s, then per frame a
    // vertex count, the vertices, an index count and the indices. Every
    // vertex takes the object loader's vertex colour. Answers false, with
    // the animation left as it was, when a count does not fit the bytes left,
    // the frame time is no finite number or an index names no vertex of its
    // frame; GetLoadFault then says which.
    bool Load(CPDataFile& stream);
    const LoadFault& GetLoadFault() const { return m_loadFault; }

    // Seconds for one pass: frame time x frame count.
    float GetDuration() const { return m_duration; }
    int GetFrameCount() const { return m_frameCount; }
    float GetFrameTime() const { return m_frameTime; }
    const std::vector<MorphFrame>& GetFrames() const { return m_frames; }
    // Encloses the vertices of every frame.
    const CPBoundingBox& GetBoundingBox() const { return m_boundingBox; }

private:
    std::string m_name;
    float m_duration;
    int m_frameCount;
    float m_frameTime;
    std::vector<MorphFrame> m_frames;
    CPBoundingBox m_boundingBox;
    LoadFault m_loadFault;
};
