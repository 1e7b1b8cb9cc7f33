#include "game/LevelOneData.h"

#include "DynamicSky/SkyTextFile.h"
#include "DynamicSky/SkyscapeFile.h"
#include "Render/MeshFileWriter.h"
#include "Render/TgaImage.h"
#include "core/PDataFileWriter.h"
#include "physics/PPhysicData.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>

namespace {

const char* const kFolders[] = {"Data",          "Data\\Levels",   "Data\\Meshes",        "Data\\Clouds",
                                "Data\\Textures", "Data\\Descriptions", "Data\\Textures\\level1"};
// The ground's colour and detail textures, which the level asks for by
// its name.
const char* const kGroundTextures[] = {"Data\\Textures\\level1\\color.dds", "Data\\Textures\\level1\\detail1.dds"};
const D3DCOLOR kGroundColours[] = {0xFF4A6B2E, 0xFF8C8C8C};
const int kGroundImageSize = 4;
const char* const kMeshFolder = "Data\\Meshes\\";
const char* const kTexture = "level1.tga";
// Two-coloured textures, so the road and the cars show their faces: each a
// pair of colours in bands.
struct BandedTexture {
    const char* name;
    D3DCOLOR first;
    D3DCOLOR second;
};
const BandedTexture kRoadTexture = {"level1_road.tga", 0xFF505058, 0xFFD8D8D0};
const BandedTexture kPlayerTexture = {"level1_player.tga", 0xFF2060C0, 0xFFF0D020};
const BandedTexture kOpponentTexture = {"level1_opponent.tga", 0xFF30A040, 0xFF202020};
const BandedTexture kBandedTextures[] = {kRoadTexture, kPlayerTexture, kOpponentTexture};
const int kBands = 4;
// The part of the player's car that the script "jeep" drives.
const char* const kPlayerScript = "jeep";
const char* const kSkyTexture = "Data\\Textures\\level1_sky.tga";
const char* const kSunTexture = "level1_sun.tga";
const D3DCOLOR kSunColour = 0xFFFFF0C0;
const float kSunElevationDegrees = 50.0f;
const D3DCOLOR kWhite = 0xFFFFFFFF;
const D3DCOLOR kTextureColour = 0xFF808070;
const int kImageSize = 8;
const float kTwoPi = 6.28318531f;
const int kRoadSegments = 64;
// The route's ring lies a little inside the road's middle. A closed path's
// last piece runs on past the ring's start by what is left of its length
// after whole pieces, back over the first piece, and a driver walking the
// route ahead from there would turn back: at this radius the sampled length
// falls just short of kRoutePieces whole pieces, and the last one ends
// about half a unit past the start.
const float kRouteRadius = 99.28f;
const int kRoutePieces = 49;
// The splines the computer drivers keep to either side of the route.
const float kSideLineOffset = 3.0f;
// Above the road: the level drops them onto it.
const float kSplineHeight = 1.5f;
const float kCarMass = 40.0f;
// The race runs clockwise round the ring, seen from above (its route takes
// the road's line pieces against the order they were sampled in): at the
// start, on the ring's +x side, that is towards -y. A car's nose is its -y,
// so a car there faces the race with its own axes, and a car further round
// the ring is turned by its angle about z.
const D3DXVECTOR3 kUp(0.0f, 0.0f, 1.0f);
// The start grid behind the start line: the cars side by side in turn on
// the road's inner and outer half, each a car's length and a half behind
// the one before along the ring, so that they can close up on one line
// without touching. The lanes bend with the ring, so that the cars at the
// back stand wholly on the road too.
const float kGridHalfSpacing = 2.5f;
const float kFrontRow = 8.0f;
const float kRowSpacing = 6.0f;
// The loader lifts every start by this much; a car standing on its wheels
// on the road has its position this high above it.
const float kStartLift = 2.0f;
const float kStandingHeight = 0.8f;
const float kStartHeight = kStandingHeight - kStartLift;
// A driving car's position stays within about 1.0 of the road.
const float kNitroZoneHalfHeight = 1.5f;

const char* const kCarMesh = "level1_car.p3d";
const D3DXVECTOR3 kWheelHalf(0.15f, 0.4f, 0.4f);
const char* const kCarShadow = "car_shadow.tga";
const D3DCOLOR kShadowColour = 0x80000000;
const char* const kOpponentCars[] = {"tvr1", "tvr2", "tvr3"};
const char* const kPlayerCar = "zil_130_";
// The weapons on the car, each with its flares "flare_<name>" and
// "flare_<name>_01" to "_03".
const char* const kCarWeapons[] = {"mgun", "hmgun", "rlauncher", "firethrower"};
const char* const kFlareSuffixes[] = {"", "_01", "_02", "_03"};
const char* const kHeavyGun = "hmgun";
const char* const kBarrel = "stvol";
const D3DXVECTOR3 kWeaponAt(0.0f, -1.2f, 0.9f);
const D3DXVECTOR3 kMuzzleAt(0.0f, -0.8f, 0.0f);
const D3DXVECTOR3 kBarrelAt(0.0f, -0.4f, 0.0f);

std::string CarXml(const std::string& cameraElements)
{
    return "<car><render><shadow name=\"" + std::string(kCarShadow) + "\"/></render>"
           "<physics><geometry><wheels count=\"4\" x=\"0\" y=\"0\" length=\"1\" radius=\"0.4\" "
           "front_min_radius=\"1\" back_min_radius=\"1\"/></geometry>"
           "<params><wheels spring1=\"400\" spring2=\"400\" damping=\"40\"/>"
           "<speed max_front_speed=\"25\" max_rear_speed=\"10\"/>"
           "<friction front=\"150\" back=\"240\" slide=\"0.9\"/>"
           "<acceleration front=\"100\" back=\"100\" brake=\"50\"/></params></physics>" +
           cameraElements + "</car>";
}

const char* const kPlayerCameras =
    "<camera distance=\"8.5\" height=\"2.5\" angle=\"12\" angle_div=\"3\" distance_div=\"4\" blur=\"0.25\" "
    "fov=\"55\"/><camera2 distance=\"12\" height=\"3.5\" angle=\"20\" angle_div=\"5\" distance_div=\"6\" "
    "blur=\"0.5\" fov=\"65\"/><camera3 distance=\"1.5\" height=\"1.25\" blur=\"0.75\"/>";
const char* const kOpponentCamera = "<camera distance=\"9\" height=\"3\" angle=\"18\" min=\"2.9\" max=\"40.5\"/>";

bool WriteBytes(const std::string& path, const std::string& bytes, std::string& error)
{
    CPDataFileWriter writer(path, false);
    writer.Write(bytes.data(), bytes.size());
    if (SUCCEEDED(writer.Save())) return true;
    error = path + " could not be written";
    return false;
}

void AppendUint32s(std::string& bytes, std::initializer_list<uint32_t> values)
{
    for (uint32_t value : values) AppendUint32(bytes, value);
}

// An uncompressed 32-bit DDS image of one colour: "DDS ", the 124-byte
// header with its pixel format (A8R8G8B8), then the pixels.
std::string SolidDdsImage(int size, D3DCOLOR colour)
{
    const uint32_t kHeaderSize = 124, kPixelFormatSize = 32;
    const uint32_t kCapsHeightWidthPitchFormat = 0x100F, kRgbWithAlpha = 0x41, kTextureCaps = 0x1000;
    const uint32_t side = static_cast<uint32_t>(size);
    std::string bytes = "DDS ";
    AppendUint32s(bytes, {kHeaderSize, kCapsHeightWidthPitchFormat, side, side, side * 4, 0, 0});
    bytes.append(11 * sizeof(uint32_t), '\0');
    AppendUint32s(bytes, {kPixelFormatSize, kRgbWithAlpha, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000});
    AppendUint32s(bytes, {kTextureCaps, 0, 0, 0, 0});
    for (uint32_t i = 0; i < side * side; ++i) AppendUint32(bytes, colour);
    return bytes;
}

void AddQuad(MeshPartData& part, const D3DXVECTOR3 (&corners)[4], const D3DXVECTOR3& normal)
{
    const uint16_t first = static_cast<uint16_t>(part.vertices.size());
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i) part.vertices.push_back(WhiteVertex(corners[i], normal, uv[i][0], uv[i][1]));
    for (int corner : {0, 1, 2, 0, 2, 3}) part.indices.push_back(static_cast<uint16_t>(first + corner));
}

// A box of three half extents on the ground, its bounding part its box.
MeshPartData BoxPart(const std::string& name, const D3DXVECTOR3& half)
{
    MeshPartData part;
    part.name = name;
    const D3DXVECTOR3 centre(0.0f, 0.0f, half.z);
    for (int axis = 0; axis < 3; ++axis) {
        for (float sign : {1.0f, -1.0f}) {
            D3DXVECTOR3 normal(0, 0, 0), u(0, 0, 0), v(0, 0, 0);
            (&normal.x)[axis] = sign;
            (&u.x)[(axis + 1) % 3] = (&half.x)[(axis + 1) % 3];
            (&v.x)[(axis + 2) % 3] = (&half.x)[(axis + 2) % 3];
            const D3DXVECTOR3 face = centre + D3DXVECTOR3(normal.x * half.x, normal.y * half.y, normal.z * half.z);
            const D3DXVECTOR3 corners[4] = {face - u - v, face + u - v, face + u + v, face - u + v};
            AddQuad(part, corners, normal);
        }
    }
    part.boxes = {MeshBoxData{centre, half}};
    return part;
}

// A flat ring of quads round the origin at height 0.
MeshPartData RingRoadPart()
{
    MeshPartData part;
    part.name = "road_phys1";
    const float inner = kLevelOneRoadRadius - kLevelOneRoadHalfWidth;
    const float outer = kLevelOneRoadRadius + kLevelOneRoadHalfWidth;
    auto at = [](float r, float angle) { return D3DXVECTOR3(r * std::cos(angle), r * std::sin(angle), 0.0f); };
    for (int i = 0; i < kRoadSegments; ++i) {
        const float a0 = kTwoPi * i / kRoadSegments, a1 = kTwoPi * (i + 1) / kRoadSegments;
        const D3DXVECTOR3 corners[4] = {at(inner, a0), at(outer, a0), at(outer, a1), at(inner, a1)};
        AddQuad(part, corners, D3DXVECTOR3(0.0f, 0.0f, 1.0f));
    }
    part.boxes = {MeshBoxData{D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(outer, outer, 0.1f)}};
    return part;
}

MeshPartData FlatPart(const std::string& name, float half)
{
    MeshPartData part;
    part.name = name;
    const D3DXVECTOR3 corners[4] = {D3DXVECTOR3(-half, -half, 0), D3DXVECTOR3(half, -half, 0),
                                    D3DXVECTOR3(half, half, 0), D3DXVECTOR3(-half, half, 0)};
    AddQuad(part, corners, D3DXVECTOR3(0.0f, 0.0f, 1.0f));
    part.boxes = {MeshBoxData{D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(half, half, 0.1f)}};
    return part;
}

// A small part at a place in its parent. It needs a mesh: a part without
// vertices gets the loader's vast empty box, which the car's own box would
// grow to enclose.
MeshPartData PlacedPart(const std::string& name, const D3DXVECTOR3& at)
{
    MeshPartData part = BoxPart(name, kWheelHalf);
    part.placement = {at.x, at.y, at.z, 0, 0, 0, 1};
    return part;
}

// A weapon model above the car's nose with its four muzzle flares ahead of
// it; the heavy gun also has the barrel it spins.
MeshPartData WeaponPart(const std::string& name)
{
    MeshPartData weapon = PlacedPart(name, kWeaponAt);
    for (const char* suffix : kFlareSuffixes) {
        weapon.children.push_back(PlacedPart("flare_" + name + suffix, kMuzzleAt));
    }
    if (name == kHeavyGun) weapon.children.push_back(PlacedPart(kBarrel, kBarrelAt));
    return weapon;
}

// The car: a body with a box shape and its mass, the four wheel parts the
// car finds by name and the weapons it may carry.
MeshPartData CarPart()
{
    MeshPartData body = BoxPart("body", D3DXVECTOR3(1.0f, 2.0f, 0.3f));
    body.placement = {0, 0, 0, 0, 0, 0, 1};
    body.bodySizes = {1, 2, 4};
    body.mass = kCarMass;
    body.shapes = {ShapeData{CPPhysicData::kBoxShape, 2.0f, 0.6f, 4.0f, {0, 0, 0}, {0, 0, 0, 1}, 0.0f, kCarMass}};
    const float wheels[4][2] = {{0.9f, -1.5f}, {-0.9f, -1.5f}, {0.9f, 1.5f}, {-0.9f, 1.5f}};
    for (int i = 0; i < 4; ++i) {
        body.children.push_back(PlacedPart("w" + std::to_string(i), D3DXVECTOR3(wheels[i][0], wheels[i][1], 0.0f)));
    }
    for (const char* weapon : kCarWeapons) body.children.push_back(WeaponPart(weapon));
    return body;
}

bool WriteMesh(const std::string& file, const std::vector<MeshPartData>& parts, bool p3d, std::string& error)
{
    FixtureWriter mesh;
    WriteStaticMeshFile(mesh, parts, p3d);
    return WriteBytes(kMeshFolder + file, mesh.GetBytes(), error);
}

// A description of one mesh file whose parts draw with one texture; a
// script name gives the parts that script.
bool WriteDescription(const std::string& name, const std::string& meshFile, const std::vector<std::string>& parts,
                      const std::string& xml, std::string& error, const char* texture = kTexture,
                      const char* script = nullptr)
{
    DescriptionWriter description(meshFile);
    if (!xml.empty()) description.Key("description", xml);
    for (const std::string& part : parts) {
        description.Section(part).Key("texturefile1", texture);
        if (script) description.Key("script", script);
    }
    return WriteBytes(kMeshFolder + name + ".rdf", description.GetText(), error);
}

// Horizontal bands of the two colours, from the top.
std::string BandedImage(const BandedTexture& texture)
{
    std::vector<uint32_t> pixels(kImageSize * kImageSize);
    for (int i = 0; i < kImageSize * kImageSize; ++i) {
        pixels[i] = (i / kImageSize) / (kImageSize / kBands) % 2 ? texture.second : texture.first;
    }
    return TgaImage(kImageSize, kImageSize, pixels);
}

bool WriteBandedTextures(std::string& error)
{
    for (const BandedTexture& texture : kBandedTextures) {
        if (!WriteBytes(std::string("Data\\Textures\\") + texture.name, BandedImage(texture), error)) return false;
    }
    return true;
}

bool WriteSceneObjects(std::string& error)
{
    struct Box {
        const char* name;
        D3DXVECTOR3 half;
        const char* texture;
    };
    // The checkpoints are gates across the road where they stand, the
    // first at the ring's top, the second at its left. The nitro zone
    // ("arrow_blue") crosses the ring's bottom and reaches above a driving
    // car's position.
    const Box boxes[] = {{"checkpoint", D3DXVECTOR3(2.0f, 6.0f, 3.0f), kTexture},
                         {"checkpoint_a", D3DXVECTOR3(6.0f, 2.0f, 3.0f), kTexture},
                         {"arrow_blue", D3DXVECTOR3(2.0f, kLevelOneRoadHalfWidth, kNitroZoneHalfHeight), kTexture},
                         {"barrel", D3DXVECTOR3(0.5f, 0.6f, 0.7f), kTexture},
                         {"bonus_health", D3DXVECTOR3(0.4f, 0.5f, 0.6f), kTexture},
                         {"bonus_nitro", D3DXVECTOR3(0.6f, 0.5f, 0.4f), kTexture},
                         {"house", D3DXVECTOR3(4.0f, 5.0f, 3.0f), kTexture}};
    for (const Box& box : boxes) {
        const std::string mesh = std::string(box.name) + ".msh";
        if (!WriteMesh(mesh, {BoxPart(box.name, box.half)}, false, error) ||
            !WriteDescription(box.name, mesh, {box.name}, "", error, box.texture)) {
            return false;
        }
    }
    return WriteMesh("road_phys1.msh", {RingRoadPart()}, false, error) &&
           WriteDescription("road_phys1", "road_phys1.msh", {"road_phys1"}, "", error, kRoadTexture.name) &&
           WriteMesh("land.msh", {FlatPart("land", 10.0f)}, false, error) &&
           WriteDescription("land", "land.msh", {"land"}, "", error) &&
           WriteMesh("shadow.msh", {FlatPart("shadow", 2.0f)}, false, error) &&
           WriteDescription("shadow", "shadow.msh", {"shadow"}, "", error) &&
           WriteDescription("level1", "road_phys1.msh", {"road_phys1"}, "", error, kRoadTexture.name);
}

bool WriteCars(std::string& error)
{
    if (!WriteMesh(kCarMesh, {CarPart()}, true, error)) return false;
    struct Car {
        std::string description;
        std::string xml;
        const char* cameras;
        const char* texture;
        const char* script;
    };
    std::vector<Car> cars = {
        {std::string(kPlayerCar), "zil_130_.xml", kPlayerCameras, kPlayerTexture.name, kPlayerScript},
        {std::string(kPlayerCar) + "_enemy", "zil_130_.xml", kPlayerCameras, kOpponentTexture.name, nullptr}};
    for (const char* opponent : kOpponentCars) {
        cars.push_back({std::string(opponent) + "_enemy", std::string(opponent) + ".xml", kOpponentCamera,
                        kOpponentTexture.name, nullptr});
    }
    for (const Car& car : cars) {
        if (!WriteDescription(car.description, kCarMesh, {"body"}, car.xml, error, car.texture, car.script) ||
            !WriteBytes("Data\\Descriptions\\" + car.xml, CarXml(car.cameras), error)) {
            return false;
        }
    }
    return true;
}

// One still state of a pale sky; a sun high in the south-west lights the
// level, so faces turned from it stay darker.
bool WriteSky(std::string& error)
{
    SkyscapeDescription sky;
    sky.skySpeed = 1.0f;
    sky.radius = 500.0f;
    sky.segments = 16;
    sky.domeTexture = kSkyTexture;
    sky.keyCount = 2;
    SkyscapeDescription::State state;
    state.duration = 1000.0f;
    state.domeAlpha = 255.0f;
    state.keys.assign(2, D3DXVECTOR3(150.0f, 180.0f, 220.0f));
    state.sun = D3DXVECTOR3(255.0f, 245.0f, 225.0f);
    state.ambient = D3DXVECTOR3(80.0f, 85.0f, 100.0f);
    state.fog = D3DXVECTOR3(60.0f, 90.0f, 130.0f);
    SkyscapeDescription::QuadInState sunInState;
    sunInState.scale = 1.0f;
    state.quads.push_back(sunInState);
    sky.states.push_back(state);
    SkyscapeDescription::Quad sun;
    sun.axis = D3DXVECTOR3(1.0f, 0.3f, 0.0f);
    sun.size = 20.0f;
    sun.distance = 400.0f;
    sun.angleDegrees = kSunElevationDegrees;
    sun.textures = {kSunTexture};
    sky.quads.push_back(sun);
    const std::string path = SkyFilePath("skyscape1.txt");
    if (SUCCEEDED(WriteSkyscapeFile(path, sky))) return true;
    error = path + " could not be written";
    return false;
}

D3DXVECTOR3 OnRing(float radius, float angle, float height)
{
    return D3DXVECTOR3(radius * std::cos(angle), radius * std::sin(angle), height);
}

// A car on the start grid: on its lane round the ring, the distance behind
// the start line measured along the road's middle, facing the race.
LevelObjectRecord GridPlace(const char* name, float laneRadius, float behind)
{
    const float angle = behind / kLevelOneRoadRadius;
    D3DXQUATERNION facing;
    D3DXQuaternionRotationAxis(&facing, &kUp, angle);
    return LevelObjectRecord(name, OnRing(laneRadius, angle, kStartHeight), facing);
}

SplineShape Line(const char* name, float radius)
{
    SplineShape shape = CirclePath(D3DXVECTOR3(0.0f, 0.0f, kSplineHeight), radius);
    shape.name = name;
    return shape;
}

D3DXVECTOR3 TurnedAboutZ(const D3DXVECTOR3& point, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    return D3DXVECTOR3(c * point.x - s * point.y, s * point.x + c * point.y, point.z);
}

// The route starts half a piece past the start line, so that the piece
// whose centre is the race's start node lies across the line: a lap counts
// as a car comes within reach of the line, not only once it is over it.
SplineShape RouteLine()
{
    SplineShape route = Line("c_path", kRouteRadius);
    const float halfPiece = -kTwoPi / (2.0f * kRoutePieces);
    for (FileSegment& segment : route.segments) {
        for (D3DXVECTOR3* point : {&segment.start, &segment.end, &segment.control1, &segment.control2}) {
            *point = TurnedAboutZ(*point, halfPiece);
        }
    }
    return route;
}

} // namespace

LevelFileContent LevelOneContent()
{
    const float r = kLevelOneRoadRadius;
    const float quarter = kTwoPi / 4.0f;
    LevelFileContent level;
    level.header[0] = 3000.0f;
    level.header[1] = 3000.0f;
    level.lightCount = 2;
    const float inside = r - kGridHalfSpacing, outside = r + kGridHalfSpacing;
    level.objects = {
        LevelObjectRecord("stolb_start_left", D3DXVECTOR3(r - kLevelOneRoadHalfWidth, 0.0f, 0.0f)),
        LevelObjectRecord("stolb_start_right", D3DXVECTOR3(r + kLevelOneRoadHalfWidth, 0.0f, 0.0f)),
        GridPlace("player", inside, kFrontRow),
        GridPlace("enemy1", outside, kFrontRow + kRowSpacing),
        GridPlace("enemy2", inside, kFrontRow + 2 * kRowSpacing),
        GridPlace("enemy3", outside, kFrontRow + 3 * kRowSpacing),
        LevelObjectRecord("checkpoint1,30", OnRing(r, quarter, 0.0f)),
        LevelObjectRecord("checkpoint_a2,45.5", OnRing(r, 2.0f * quarter, 0.0f)),
        LevelObjectRecord("arrow_blue", OnRing(r, 3.0f * quarter, 0.0f)),
        LevelObjectRecord("src_tank1", D3DXVECTOR3(40.0f, 50.0f, 0.0f)),
        LevelObjectRecord("chk1_barrel", D3DXVECTOR3(r + 15.0f, 5.0f, 0.0f)),
        LevelObjectRecord("bonus_health", OnRing(r, 0.5f * quarter, 0.0f)),
        LevelObjectRecord("bonus_nitro2", OnRing(r, 2.5f * quarter, 0.0f)),
        LevelObjectRecord("house", D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f),
                          D3DXVECTOR3(2.0f, 1.5f, 1.0f)),
    };
    level.splines = {RouteLine(), Line("left", r - kSideLineOffset), Line("right", r + kSideLineOffset)};
    return level;
}

bool WriteLevelOne(std::string& error)
{
    for (const char* folder : kFolders) CreateDirectoryA(folder, nullptr);
    LevelFileWriter level;
    level.Level(LevelOneContent());
    const std::string path = "Data\\Levels\\level1.lvl";
    if (!level.Save(path)) {
        error = path + " could not be written";
        return false;
    }
    return WriteBytes(std::string("Data\\Textures\\") + kTexture, SolidTgaImage(kImageSize, kImageSize, kTextureColour),
                      error) &&
           WriteBytes(kSkyTexture, SolidTgaImage(kImageSize, kImageSize, kWhite), error) &&
           WriteBytes(std::string("Data\\Textures\\") + kSunTexture, SolidTgaImage(kImageSize, kImageSize, kSunColour),
                      error) &&
           WriteBytes(std::string("Data\\Textures\\") + kCarShadow,
                      SolidTgaImage(kImageSize, kImageSize, kShadowColour), error) &&
           WriteBytes(kGroundTextures[0], SolidDdsImage(kGroundImageSize, kGroundColours[0]), error) &&
           WriteBytes(kGroundTextures[1], SolidDdsImage(kGroundImageSize, kGroundColours[1]), error) &&
           WriteBandedTextures(error) && WriteSceneObjects(error) && WriteCars(error) && WriteSky(error);
}
