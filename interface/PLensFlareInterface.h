#pragma once

#include "interface/PInterface.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// One sprite of the lens flare, as its file line gives it, with its size
// on the screen worked out at load.
struct LensFlareElement {
    std::string textureName;
    // Where it sits on the line from the source (0) through the screen
    // centre (100); beyond 100 it lies past the centre.
    int percent;
    float scaleX;
    float scaleY;
    uint32_t colour;
    int width;
    int height;
    int halfWidth;
    int halfHeight;
    int texX;
    int texY;
};

// The lens flare: coloured sprites strung along the line from the light
// source's place on the screen through the screen centre, shown while the
// source shines and hidden while it does not. The race rules tell it where
// the source is and whether it shines, then update it.
class CPLensFlareInterface : public CPInterface {
public:
    // The fade clock, in milliseconds; the fade steps by 0.05 per tick.
    typedef DWORD (*FadeClock)();

    CPLensFlareInterface();

    // The clock the flare fades by unless another is set: the system's
    // millisecond clock, never below a full fade's worth.
    static DWORD SystemClock();

    // Reads "Data\Interface\<name>.int": one element per line, tab-separated
    // "texture percent scaleX scaleY colour width height texX texY".
    void Load(const std::string& name, int number) override;
    // Fades, places every element on the source's line, rebuilds the mesh
    // and queues the screen for drawing.
    void Update() override;

    void SetShining(bool shining) { m_shining = shining; }
    void SetSourcePosition(int x, int y);
    void SetFadeClock(FadeClock clock) { m_clock = clock; }

    const std::vector<LensFlareElement>& GetFlareElements() const { return m_flareElements; }
    float GetAlpha() const { return m_alpha; }

private:
    bool ReadElement(const std::string& line, LensFlareElement& element);
    void MakeElementWindow(int index, LensFlareElement& element);
    void Fade();

    std::vector<LensFlareElement> m_flareElements;
    bool m_shining;
    int m_sourceX;
    int m_sourceY;
    float m_alpha;
    FadeClock m_clock;
};

// Writes a lens-flare file from its elements (their file fields only).
bool WriteLensFlareFile(const std::string& path, const std::vector<LensFlareElement>& elements);
