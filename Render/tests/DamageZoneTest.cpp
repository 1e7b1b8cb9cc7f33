#include "Render/PRenderObject.h"
#include "core/PGameObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

Vertex48 VertexAt(const D3DXVECTOR3& position)
{
    Vertex48 vertex = {};
    vertex.position = position;
    vertex.normal = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    vertex.diffuse = 0xFF000000;
    return vertex;
}

// A car body at the origin; further mesh parts can be hung below it. Parts
// outlive the objects that hold references to them.
class DamageZones : public testing::Test {
protected:
    DamageZones() : body("body")
    {
        parts.emplace_back(new CPRenderObject(&body));
        body.SetComponent(CPGameObject::kKindMesh, parts.back().get());
    }
    ~DamageZones() override
    {
        for (std::unique_ptr<CPGameObject>& child : children) child.reset();
    }

    CPRenderObject& Body() { return *parts.front(); }

    CPRenderObject& AddPart(const std::string& name, const std::vector<D3DXVECTOR3>& positions)
    {
        parts.emplace_back(new CPRenderObject(nullptr));
        children.emplace_back(new CPGameObject(name));
        CPGameObject& child = *children.back();
        parts.back()->SetOwner(&child);
        child.SetComponent(CPGameObject::kKindMesh, parts.back().get());
        body.AddChild(&child);
        for (const D3DXVECTOR3& position : positions) {
            parts.back()->GetLocalVertices().push_back(VertexAt(position));
        }
        return *parts.back();
    }

    void SetBodyVertices(const std::vector<D3DXVECTOR3>& positions)
    {
        for (const D3DXVECTOR3& position : positions) {
            Body().GetLocalVertices().push_back(VertexAt(position));
        }
    }

    // Builds the zones and places their boxes with the body at the origin.
    void Build()
    {
        Body().BuildDamageZones();
        body.UpdateTransform();
        Body().UpdateWorldVertices();
    }

    // Hits the zone around the origin from +x.
    void HitFromPlusX(float amount) { Body().ApplyDamage(1, 0, 0, -1, 0, 0, amount); }

    std::vector<std::unique_ptr<CPRenderObject>> parts;
    CPGameObject body;
    std::vector<std::unique_ptr<CPGameObject>> children;
};

struct ZoneCase {
    const char* name;
    std::vector<D3DXVECTOR3> positions;
    std::vector<int> clustersPerZone;
    D3DXVECTOR3 firstCentre;
    D3DXVECTOR3 firstHalfExtents;
};

class Welding : public DamageZones, public testing::WithParamInterface<ZoneCase> {};

TEST_P(Welding, GroupsVerticesIntoClustersAndZonesWithTheirBoxes)
{
    const ZoneCase& row = GetParam();
    SetBodyVertices(row.positions);
    Build();
    std::vector<DamageZone>& zones = Body().GetDamageZones();
    std::vector<int> clusters;
    for (const DamageZone& zone : zones) clusters.push_back(static_cast<int>(zone.clusters.size()));
    EXPECT_EQ(clusters, row.clustersPerZone);
    ASSERT_FALSE(zones.empty());
    const D3DXVECTOR3& centre = zones[0].box.GetCentre();
    const D3DXVECTOR3& half = zones[0].box.GetHalfExtents();
    EXPECT_NEAR(centre.x, row.firstCentre.x, 1e-5f);
    EXPECT_NEAR(centre.y, row.firstCentre.y, 1e-5f);
    EXPECT_NEAR(centre.z, row.firstCentre.z, 1e-5f);
    EXPECT_NEAR(half.x, row.firstHalfExtents.x, 1e-5f);
    EXPECT_NEAR(half.y, row.firstHalfExtents.y, 1e-5f);
    EXPECT_NEAR(half.z, row.firstHalfExtents.z, 1e-5f);
    EXPECT_EQ(Body().GetLocalVertices()[0].diffuse, 0xFFFFFFFFu);
    EXPECT_TRUE(Body().IsDeformable());
}

const D3DXVECTOR3 kReach(0.3f, 0.3f, 0.3f);

INSTANTIATE_TEST_SUITE_P(
    Rows, Welding,
    testing::Values(
        ZoneCase{"OnePosition", {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}}, {1}, {1, 2, 3}, kReach},
        ZoneCase{"WeldedBelowATenth", {{0, 0, 0}, {0.099f, 0, 0}}, {1}, {0, 0, 0}, kReach},
        ZoneCase{"ATenthApartIsTwoClusters", {{0, 0, 0}, {0.2f, 0, 0}}, {2}, {0, 0, 0}, kReach},
        ZoneCase{"ApartBeyondTheReachIsTwoZones",
                 {{0, 0, 0}, {0.5f, 0, 0}, {0.02f, 0, 0}},
                 {1, 1},
                 {0, 0, 0},
                 kReach},
        ZoneCase{"AWideZoneSpansItsClusters",
                 {{0, 0, 0}, {0.25f, 0.1f, 0}, {-0.2f, -0.1f, 0.05f}},
                 {3},
                 {0.025f, 0, 0.025f},
                 {0.225f, 0.1f, 0.025f}}),
    [](const testing::TestParamInfo<ZoneCase>& info) { return info.param.name; });

TEST_F(DamageZones, BuildingAgainStartsFromNoZones)
{
    SetBodyVertices({{0, 0, 0}, {0.5f, 0, 0}});
    Build();
    Build();
    EXPECT_EQ(Body().GetDamageZones().size(), 2u);
}

// A quarter turn about x carries (x, y, z) to (x, -z, y); the body then
// stands at (5, -3, 2).
TEST_F(DamageZones, ZoneBoxesFollowTheBodyOffTheOrigin)
{
    SetBodyVertices({{1, 2, 3}});
    Body().BuildDamageZones();
    const D3DXVECTOR3 xAxis(1, 0, 0);
    D3DXQUATERNION turn;
    D3DXQuaternionRotationAxis(&turn, &xAxis, D3DX_PI / 2);
    body.SetPosition(5, -3, 2);
    body.SetRotation(turn.x, turn.y, turn.z, turn.w);
    body.UpdateTransform();
    Body().UpdateWorldVertices();

    const CPBoundingBox& box = Body().GetDamageZones()[0].box;
    const struct {
        int corner;
        D3DXVECTOR3 world;
    } corners[] = {{0, {5.7f, -5.7f, 3.7f}}, {6, {6.3f, -6.3f, 4.3f}}, {1, {6.3f, -5.7f, 3.7f}}};
    for (const auto& row : corners) {
        const D3DXVECTOR3 error = box.GetCorner(row.corner) - row.world;
        EXPECT_NEAR(D3DXVec3Length(&error), 0.0f, 1e-5f) << "corner " << row.corner;
    }
}

TEST_F(DamageZones, OnlyTheExactLowerCaseWheelNamesStayOut)
{
    SetBodyVertices({{0, 0, 0}});
    CPRenderObject& wheel = AddPart("w0", {{5, 0, 0}});
    AddPart("W0", {{10, 0, 0}});
    AddPart("w3d", {{15, 0, 0}});
    AddPart("w4", {{20, 0, 0}});
    Build();
    std::vector<float> zoneX;
    for (const DamageZone& zone : Body().GetDamageZones()) zoneX.push_back(zone.box.GetCentre().x);
    EXPECT_EQ(zoneX, (std::vector<float>{0, 10, 20}));
    EXPECT_EQ(wheel.GetLocalVertices()[0].diffuse, 0xFF000000u) << "the wheel is not entered";
}

struct HitCase {
    const char* name;
    float startDamage;
    float amount;
    float damage;
    bool dented;
};

class Denting : public DamageZones, public testing::WithParamInterface<HitCase> {};

TEST_P(Denting, AddsTheAmountToAZoneBelowFullDamage)
{
    const HitCase& row = GetParam();
    SetBodyVertices({{0, 0, 0}, {0.05f, 0, 0}});
    Build();
    DamageZone& zone = Body().GetDamageZones()[0];
    zone.damage = row.startDamage;
    HitFromPlusX(row.amount);
    EXPECT_FLOAT_EQ(zone.damage, row.damage);
    const Vertex48& vertex = Body().GetLocalVertices()[1];
    EXPECT_EQ(vertex.diffuse == 0x96FFFFFFu, row.dented);
    EXPECT_EQ(vertex.normal != D3DXVECTOR3(0, 0, 1), row.dented);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Denting,
    testing::Values(HitCase{"AHundredthIsIgnored", 0.0f, 0.01f, 0.0f, false},
                    HitCase{"JustAboveCounts", 0.0f, 0.011f, 0.011f, true},
                    HitCase{"MayPassFullDamage", 0.95f, 0.2f, 1.15f, true},
                    HitCase{"AFullZoneTakesNoMore", 1.15f, 0.2f, 1.15f, false}),
    [](const testing::TestParamInfo<HitCase>& info) { return info.param.name; });

TEST_F(DamageZones, RaysThatMissOrFallShortLeaveTheZoneAlone)
{
    SetBodyVertices({{0, 0, 0}});
    Build();
    Body().ApplyDamage(1, 5, 0, -1, 0, 0, 0.5f);   // passes beside the box
    Body().ApplyDamage(2.1f, 0, 0, -1, 0, 0, 0.5f); // the face lies 1.8 away
    Body().ApplyDamage(1.9f, 0, 0, -1, 0, 0, 0.5f); // 1.6 away: a hit
    EXPECT_FLOAT_EQ(Body().GetDamageZones()[0].damage, 0.5f);
}

TEST_F(DamageZones, DentsTurnUnitNormalsSlightlyAndRepeatWithTheSameSeed)
{
    SetBodyVertices({{0, 0, 0}, {0.05f, 0, 0}});
    Build();
    std::srand(7);
    HitFromPlusX(0.5f);
    std::vector<D3DXVECTOR3> first;
    for (const Vertex48& vertex : Body().GetLocalVertices()) {
        EXPECT_NEAR(D3DXVec3Length(&vertex.normal), 1.0f, 1e-5f);
        // Three turns of at most 0.05 radians keep the normal within 0.09.
        EXPECT_GT(vertex.normal.z, std::cos(0.09f));
        EXPECT_EQ(vertex.position.y, 0.0f);
        first.push_back(vertex.normal);
    }

    for (Vertex48& vertex : Body().GetLocalVertices()) vertex.normal = D3DXVECTOR3(0, 0, 1);
    Body().GetDamageZones()[0].damage = 0.0f;
    std::srand(7);
    HitFromPlusX(0.5f);
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(Body().GetLocalVertices()[i].normal, first[i]);
    }
    EXPECT_NE(first[0], first[1]) << "each vertex draws its own turn";
}

} // namespace
