#pragma once

#include "interface/QuadMesh.h"

#include "Render/PDrawable.h"
#include "core/PObject.h"

#include <cstdint>
#include <string>

class CPInterface;
class CPTextReader;

// Moves a position laid out on the 1024 x 768 design screen by its anchor
// to the real screen ("screenWidth" x "screenHeight"): a corner ("lu",
// "ld", "ru", "rd"), the middle of the top or bottom edge ("cu", "cd") or
// the centre ("center"). Any other name leaves the position as it is.
void ApplyAnchor(const std::string& anchor, float& x, float& y);

// The smallest visible piece of an interface screen: one rectangle cut out
// of the screen's texture and placed on the real screen in pixels. It tells
// the scripts when the pointer passes over it and when it is clicked.
// Scripts read and write the name, position and flags directly; the drawing
// follows at the screen's next buffer rebuild.
class CPWindow : public IPObject {
public:
    static const int kVertexCount = kQuadVertexCount;
    static const int kIndexCount = kQuadIndexCount;

    explicit CPWindow(CPInterface* owner);

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPWindow"; }

    virtual void SetEnabled(bool enabled);
    // True when the point lies on the rectangle, edges included; the flags
    // are the callers' to test.
    virtual bool HitTest(float x, float y);
    // Defines the window from values: no anchor, no stretching.
    virtual void Set(const std::string& name, float textureWidth, float textureHeight, float x, float y, float w,
                     float h, float tx, float ty, float tw, float th);
    // Reads the window's definition line, "name x,y,w,h,tx,ty,tw,th[,visible[,layout]]".
    // False, with nothing changed, when the reader has no line left.
    virtual bool Load(CPTextReader& reader, float textureWidth, float textureHeight);
    virtual const Vertex48* GetVertices();
    virtual const uint16_t* GetIndices();
    virtual void SetVisible(bool visible);
    // The pointer events answer whether the element is one that stays
    // current while hovered (a button) rather than a plain window.
    virtual bool OnMouseOver(float x, float y);
    virtual bool OnMouseOut(float x, float y);
    virtual bool OnMouseDown(int mouseButton, float x, float y);
    virtual bool OnClick(int mouseButton, float x, float y);

    // Gives the rectangle a new width and height in pixels, keeping its
    // top-left corner and its piece of the texture; the screen draws it so
    // from its next buffer rebuild.
    void SetSize(float width, float height);
    // The element's colour into the diffuse colour of its four corners.
    void ApplyColour(uint32_t argb);
    CPInterface* GetOwner() const { return m_owner; }

    std::string name;
    bool visible;
    bool enabled;
    float x;
    float y;
    uint32_t colour;
    float stretchedWidth;
    float stretchedHeight;

protected:
    CPInterface* m_owner;

private:
    void BuildQuad(float width, float height, float uMin, float vMin, float uSize, float vSize);

    Vertex48 m_vertices[kVertexCount];
    uint16_t m_indices[kIndexCount];
};
