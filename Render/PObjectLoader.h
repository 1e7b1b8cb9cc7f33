#pragma once

#include "core/PObject.h"

#include <d3d9.h>

#include <string>
#include <unordered_map>

class CPDataFile;
class CPPartAnimation;

// Part animations by track name, as an animation-track file gives them.
typedef std::unordered_map<std::string, RefPtr<CPPartAnimation>> PartAnimationMap;

// Builds scene objects from their descriptions and the files they name. The
// host creates the one loader and publishes it in g_pObjectLoader.
class CPObjectLoader {
public:
    CPObjectLoader();

    // Written into the diffuse colour of every vertex the loader reads,
    // mesh vertices and morph frames alike; opaque white until the host
    // sets it.
    D3DCOLOR GetVertexColour() const { return m_vertexColour; }
    void SetVertexColour(D3DCOLOR colour) { m_vertexColour = colour; }

    // Reads the tracks of "Data\Animations\" + the file name into the map,
    // one new part animation per track under its lower-cased name, a later
    // track replacing an earlier one of the same name. A file that does not
    // open adds nothing; a file that breaks off or holds counts that do not
    // fit its bytes adds the tracks before the fault.
    void LoadAnimationFile(const std::string& fileName, PartAnimationMap& tracks);

private:
    D3DCOLOR m_vertexColour;
};

// The object loader that the host created and published.
extern CPObjectLoader* g_pObjectLoader;

// The loader's vertex colour, or opaque white while no loader is published.
D3DCOLOR GetLoaderVertexColour();
