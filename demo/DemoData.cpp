#include "demo/DemoData.h"

#include "host/OpeningScene.h"

#include "script/ScriptDemoData.h"

#include "demo/DemoScreens.h"
#include "demo/DemoScripts.h"
#include "demo/DemoShots.h"

#include "DynamicSky/SkyTextFile.h"
#include "DynamicSky/SkyscapeFile.h"
#include "Render/MeshFileWriter.h"
#include "Render/ParticleFile.h"
#include "Render/TgaImage.h"
#include "core/PDataFileWriter.h"
#include "game/LevelOneData.h"

#include <windows.h>

#include <cmath>
#include <vector>

const D3DCOLOR kDemoBoxColour = 0xFFC03020;
const D3DCOLOR kDemoSkyColour = 0xFF5A96DC;
const D3DCOLOR kDemoFogColour = 0xFF3C5A82;

namespace {

// The renderer's loading screen reads these two; the texture loader tells
// an image by its bytes, not by its name.
const char* const kLoadingBackground = "Data\\Textures\\back2.jpg";
const char* const kLoadingBar = "Data\\Textures\\load.tga";
const D3DCOLOR kLoadingBackgroundColour = 0xFF101828;
const D3DCOLOR kLoadingBarColour = 0xFFE0A020;
const char* const kSkyFile = "skyscape0.txt";
const char* const kDomeImage = "Data\\Textures\\skydome.tga";
const D3DCOLOR kWhite = 0xFFFFFFFF;
const char* const kBoxMesh = "box.msh";
const char* const kBoxImage = "box.tga";
const char* const kBoxPart = "box";
const float kBoxHalfSize = 2.0f;
// Box materials draw with the world, below the interface's types.
const char* const kBoxMaterialType = "20";
const char* const kSmokeName = "smoke";
const D3DCOLOR kSmokeColour = 0x80A0A0A0;
const int kImageSize = 8;

// The sky: one still state of one dome colour, its own fog colour and full
// white light; no sun or clouds.
const float kSkySpeed = 1.0f;
const float kSkyRadius = 500.0f;
const int kSkySegments = 16;
const int kSkyKeys = 2;
const float kStateSeconds = 1000.0f;
const float kOpaqueDome = 255.0f;
const float kFullLight = 255.0f;

// Every folder above the file at path, from the outermost in; a folder
// that is there already counts as made.
bool MakeFoldersFor(const std::string& path)
{
    for (size_t end = path.find('\\'); end != std::string::npos; end = path.find('\\', end + 1)) {
        const std::string folder = path.substr(0, end);
        if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return true;
}

std::string TexturePath(const std::string& name)
{
    return "Data\\Textures\\" + name;
}

bool WriteImage(const std::string& path, D3DCOLOR colour, std::string& error)
{
    return WriteDemoFile(path, SolidTgaImage(kImageSize, kImageSize, colour), error);
}

D3DXVECTOR3 ColourValues(D3DCOLOR colour)
{
    return D3DXVECTOR3(static_cast<float>((colour >> 16) & 0xFF), static_cast<float>((colour >> 8) & 0xFF),
                       static_cast<float>(colour & 0xFF));
}

SkyscapeDescription DemoSky()
{
    SkyscapeDescription sky;
    sky.skySpeed = kSkySpeed;
    sky.radius = kSkyRadius;
    sky.segments = kSkySegments;
    sky.domeTexture = kDomeImage;
    sky.keyCount = kSkyKeys;
    SkyscapeDescription::State state;
    state.duration = kStateSeconds;
    state.domeAlpha = kOpaqueDome;
    state.keys.assign(kSkyKeys, ColourValues(kDemoSkyColour));
    state.sun = D3DXVECTOR3(kFullLight, kFullLight, kFullLight);
    state.ambient = state.sun;
    state.fog = ColourValues(kDemoFogColour);
    sky.states.push_back(state);
    return sky;
}

// Four corners and two triangles for each face, wound clockwise as seen
// from outside.
MeshPartData BoxPart()
{
    MeshPartData part;
    part.name = kBoxPart;
    const D3DXVECTOR3 normals[] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const D3DXVECTOR3& normal : normals) {
        // Two directions across the face that, with the normal, turn left-handed.
        const D3DXVECTOR3 side = std::fabs(normal.z) > 0.0f ? D3DXVECTOR3(1, 0, 0) : D3DXVECTOR3(0, 0, 1);
        D3DXVECTOR3 across;
        D3DXVec3Cross(&across, &side, &normal);
        const D3DXVECTOR3 centre = normal * kBoxHalfSize;
        const D3DXVECTOR3 a = across * kBoxHalfSize, b = side * kBoxHalfSize;
        const uint16_t first = static_cast<uint16_t>(part.vertices.size());
        part.vertices.push_back(WhiteVertex(centre - a + b, normal, 0.0f, 0.0f));
        part.vertices.push_back(WhiteVertex(centre + a + b, normal, 1.0f, 0.0f));
        part.vertices.push_back(WhiteVertex(centre - a - b, normal, 0.0f, 1.0f));
        part.vertices.push_back(WhiteVertex(centre + a - b, normal, 1.0f, 1.0f));
        for (uint16_t corner : {0, 1, 2, 2, 1, 3}) part.indices.push_back(static_cast<uint16_t>(first + corner));
    }
    part.boxes = {MeshBoxData{D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(kBoxHalfSize, kBoxHalfSize, kBoxHalfSize)}};
    return part;
}

bool WriteBox(std::string& error)
{
    FixtureWriter mesh;
    WriteStaticMeshFile(mesh, {BoxPart()}, false);
    const DescriptionWriter description =
        DescriptionWriter(kBoxMesh).Section(kBoxPart).Key("texturefile1", kBoxImage).Key("type", kBoxMaterialType);
    return WriteDemoFile(std::string("Data\\Meshes\\") + kBoxMesh, mesh.GetBytes(), error) &&
           WriteDemoFile(std::string("Data\\Meshes\\") + OpeningScene::kBoxDescription, description.GetText(), error) &&
           WriteImage(TexturePath(kBoxImage), kDemoBoxColour, error);
}

bool WriteParticles(std::string& error)
{
    NamedEmitter smoke;
    smoke.name = kSmokeName;
    smoke.definition.particleName = kSmokeName;
    smoke.definition.firstScalar = 2.0f;
    smoke.definition.secondScalar = 0.5f;
    smoke.definition.thirdScalar = 0.5f;
    smoke.definition.speed = 1.0f;
    smoke.definition.coneAngle = 30;
    std::vector<NamedEmitter> emitters = DemoShotEmitters();
    emitters.insert(emitters.begin(), smoke);
    if (!MakeFoldersFor(kParticleFile) || FAILED(WriteParticleFile(kParticleFile, emitters))) {
        error = std::string(kParticleFile) + " could not be written";
        return false;
    }
    for (const NamedEmitter& emitter : emitters) {
        if (!WriteImage(TexturePath(emitter.definition.particleName + ".tga"), kSmokeColour, error)) return false;
    }
    return true;
}

bool WriteLoadingScreen(std::string& error)
{
    return WriteImage(kLoadingBackground, kLoadingBackgroundColour, error) &&
           WriteImage(kLoadingBar, kLoadingBarColour, error);
}

bool WriteSky(std::string& error)
{
    if (!WriteImage(kDomeImage, kWhite, error)) return false;
    const std::string skyPath = SkyFilePath(kSkyFile);
    if (!MakeFoldersFor(skyPath) || FAILED(WriteSkyscapeFile(skyPath, DemoSky()))) {
        error = skyPath + " could not be written";
        return false;
    }
    return true;
}

typedef bool (*DemoWriter)(std::string& error);

// Each part of the demo game writes its own files.
const DemoWriter kDemoWriters[] = {
    WriteLoadingScreen,
    WriteSky,
    WriteBox,
    WriteParticles,
    WriteDemoShots,
    WriteLevelOne,
    WriteScriptDemoData,
    WriteDemoScreens,
    WriteDemoScripts,
};

} // namespace

bool WriteDemoFile(const std::string& path, const std::string& bytes, std::string& error)
{
    if (MakeFoldersFor(path)) {
        CPDataFileWriter writer(path, false);
        writer.Write(bytes.data(), bytes.size());
        if (SUCCEEDED(writer.Save())) return true;
    }
    error = path + " could not be written";
    return false;
}

bool WriteDemoData(std::string& error)
{
    for (DemoWriter writer : kDemoWriters) {
        if (!writer(error)) return false;
    }
    return true;
}
