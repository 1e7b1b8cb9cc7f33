#pragma once

#include <d3d9.h>
#include <d3dx9math.h>

#include <vector>

// One point of the screen grid over which the host draws the blurred frame:
// a pre-transformed, textured vertex whose x and y are its screen position.
struct ScreenGridVertex {
    float x;
    float y;
    float z;
    float rhw;
    float u;
    float v;
};

// The engine's one renderer. It holds the Direct3D 9 device that the host
// created and the state shared by all drawing, among it the screen grid:
// (columns + 1) x (rows + 1) points stored row after row, each with the
// direction in which the screen blur smears it.
class CPRender {
public:
    CPRender();

    IDirect3DDevice9* GetDevice() const { return m_device; }
    // The host hands in the device it created and keeps owning it.
    void SetDevice(IDirect3DDevice9* device) { m_device = device; }

    // Sizes the grid's points and directions together for the given cell
    // counts, so the counts and the arrays always agree. Negative counts
    // count as 0.
    void SetScreenGrid(int columns, int rows);
    int GetGridColumns() const { return m_gridColumns; }
    int GetGridRows() const { return m_gridRows; }
    std::vector<ScreenGridVertex>& GetGridVertices() { return m_gridVertices; }
    const std::vector<D3DXVECTOR2>& GetGridDirections() const { return m_gridDirections; }

    // Points every grid direction away from the blur centre, which sits in
    // the middle of the screen's width and at (offset + 1) half heights
    // down. Does nothing while the "blur" setting is off.
    void UpdateBlurDirections(float offset);

private:
    IDirect3DDevice9* m_device;
    std::vector<ScreenGridVertex> m_gridVertices;
    std::vector<D3DXVECTOR2> m_gridDirections;
    int m_gridColumns;
    int m_gridRows;
};

// The renderer that the host created and published.
extern CPRender* g_pRender;
CPRender* GetRender();
