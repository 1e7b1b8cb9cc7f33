#include "game/PPlayer.h"

#include "Render/PParticleManager.h"
#include "Render/tests/ParticleTestSupport.h"
#include "core/FrameClock.h"
#include "core/PCommandManager.h"
#include "core/tests/GameObjectTestSupport.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PShotSpawner.h"
#include "game/tests/ShotTestSupport.h"
#include "physics/tests/CarTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using car_test::CarSetup;
using gameobject_test::Receiver;
using particle_test::RecordingBatch;
using shot_test::RecordingShot;

const char* const kShotKinds[] = {"trasser11", "trasser12", "trasser13", "srocket1", "rocket1", "plazma", "gauss1"};
// The car stands turned about z, its weapons off its centre line.
const D3DXVECTOR3 kCarAt(5.0f, -3.0f, 1.2f);
const float kCarYaw = 0.6f;
const D3DXVECTOR3 kWeaponAt(0.3f, -0.8f, 0.9f);
const D3DXVECTOR3 kFlareAt[] = {D3DXVECTOR3(0.0f, -0.6f, 0.05f), D3DXVECTOR3(0.1f, -0.7f, 0.0f),
                                D3DXVECTOR3(-0.1f, -0.8f, 0.1f), D3DXVECTOR3(0.05f, -0.9f, -0.1f)};
const char* const kFlareNames[] = {"flare_mgun", "flare_mgun_01", "flare_mgun_02", "flare_mgun_03"};
// Ahead of the car, to the left of its nose and above it.
const D3DXVECTOR3 kAim(-9.0f, -20.0f, 4.0f);
const float kShotValue = 12.5f;
const float kJustPast = 0.001f;

struct Numbers {
    int32_t count;
    int32_t divisor;
    float rate;
};

struct Launch {
    std::string kind;
    RecordingShot::LaunchCall call;
};

CPGameObject* AddChildAt(CPGameObject& parent, const std::string& name, const D3DXVECTOR3& at)
{
    RefPtr<CPGameObject> child(new CPGameObject(name));
    child->SetPosition(at.x, at.y, at.z);
    parent.AddChild(child);
    return child.Get();
}

D3DXVECTOR3 Translation(const D3DXMATRIX& matrix)
{
    return D3DXVECTOR3(matrix._41, matrix._42, matrix._43);
}

D3DXVECTOR3 ForwardOf(const CPGameObject& object)
{
    const D3DXVECTOR3 forward(0.0f, -1.0f, 0.0f);
    D3DXVECTOR3 turned;
    D3DXVec3TransformNormal(&turned, &forward, &object.GetWorldMatrix());
    return turned;
}

float AngleBetween(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const float cosine = D3DXVec3Dot(&a, &b) / (D3DXVec3Length(&a) * D3DXVec3Length(&b));
    return std::acos(std::max(-1.0f, std::min(1.0f, cosine)));
}

// The car fixture's car as a racer with a machine gun "mgun" and its four
// flares, a heavy gun "hmgun" with its barrel "stvol", the game data whose
// first fitted slot the tests fill, the shot spawner with a recording
// template of every weapon shot, the particle manager with recording
// "firethrower" and "gilze" batches, and "gamemenu" on the bus.
class Weapons : public car_test::CarWorldFixture {
protected:
    void SetUp() override
    {
        CarWorldFixture::SetUp();
        std::srand(11);
        m_saved = {g_pCommandManager, g_pGameData, g_pShotSpawner, g_pParticleManager, FrameDeltaTime};
        g_pCommandManager = &bus;
        g_pGameData = &data;
        g_pShotSpawner = &spawner;
        g_pParticleManager = &particles;
        FrameDeltaTime = car_test::kFrame;
        gamemenu.Start();
        bus.RegisterReceiver("gamemenu", &gamemenu);
        for (const char* kind : kShotKinds) spawner.AddTemplate(std::unique_ptr<CPShot>(new RecordingShot(kind)));
        particles.AddBatch("firethrower", flames.Get());
        particles.AddBatch("gilze", casings.Get());

        car_test::MakeCarObject(CarSetup(), kCarAt, kCarYaw, RefPtr<CPGameObject>(player.Get()));
        CPGameObject* gun = AddWeaponModel("mgun");
        for (int i = 0; i < CPPlayer::kMuzzleFlares; ++i) AddChildAt(*gun, kFlareNames[i], kFlareAt[i]);
        AddChildAt(*AddWeaponModel("hmgun"), "stvol", D3DXVECTOR3(0.0f, -0.5f, 0.0f));
        AddCar(RefPtr<CPGameObject>(player.Get()));
        player->UpdateTransform();
    }
    void TearDown() override
    {
        particles.RemoveBatches();
        g_pCommandManager = m_saved.bus;
        g_pGameData = m_saved.data;
        g_pShotSpawner = m_saved.spawner;
        g_pParticleManager = m_saved.particles;
        FrameDeltaTime = m_saved.frameTime;
        CarWorldFixture::TearDown();
    }

    CPGameObject* AddWeaponModel(const std::string& name)
    {
        CPGameObject* model = AddChildAt(*player, name, kWeaponAt);
        // Moving the car onto its own place rebuilds its tree with the model.
        const D3DXVECTOR3 at = *player->GetPositionRef();
        player->SetPosition(at.x, at.y, at.z);
        player->UpdateTransform();
        return model;
    }
    // Fits the weapon into the first slot with the numbers and the
    // ammunition, and selects it.
    void Equip(const std::string& name, const Numbers& numbers, float ammunition)
    {
        WeaponDefinition weapon;
        weapon.key = name;
        weapon.number1 = numbers.count;
        weapon.number2 = kShotValue;
        weapon.number3 = numbers.divisor;
        weapon.number4 = numbers.rate;
        data.weapons.Add(weapon);
        data.activeSetup.weapons[0] = name;
        player->weaponSlot = 0;
        player->ammunition[0] = ammunition;
        player->SelectWeapon();
    }
    // Counts the cooldown down until it has just run out: one shot's due.
    void RunOutCooldown() { player->CountDownFireCooldown(std::max(player->fireCooldown, 0.0f) + kJustPast); }
    // One pull of the trigger once the cooldown has run out.
    void Pull(CPGameObject* target = nullptr)
    {
        player->triggerHeld = true;
        RunOutCooldown();
        player->UpdateWeapon(kAim, target);
    }
    std::vector<Launch> Launches()
    {
        std::vector<Launch> launches;
        for (const RefPtr<CPShot>& shot : spawner.GetActiveShots()) {
            for (const auto& call : static_cast<RecordingShot&>(*shot).launches) {
                launches.push_back({shot->GetKindName(), call});
            }
        }
        return launches;
    }
    int InterfaceUpdates()
    {
        int count = 0;
        for (const std::string& command : gamemenu.TakeCommands()) count += command == "update_game_interface:";
        return count;
    }
    D3DXVECTOR3 WeaponPosition()
    {
        D3DXVECTOR3 at;
        D3DXVec3TransformCoord(&at, player->weaponModel->GetPositionRef(), &player->GetWorldMatrix());
        return at;
    }

    CPCommandManager bus;
    Receiver gamemenu;
    CPGameData data;
    CPShotSpawner spawner;
    CPParticleManager particles;
    RefPtr<RecordingBatch> flames{new RecordingBatch};
    RefPtr<RecordingBatch> casings{new RecordingBatch};
    RefPtr<CPPlayer> player{new CPPlayer};

private:
    struct Saved {
        CPCommandManager* bus;
        CPGameData* data;
        CPShotSpawner* spawner;
        CPParticleManager* particles;
        float frameTime;
    } m_saved = {};
};

struct TypeCase {
    const char* name;
    int type;
    // The kind of every shot a pull spawns, or null for none.
    const char* kind;
    size_t shots;
    size_t casings;
    size_t flames;
};

class WeaponTypes : public Weapons, public testing::WithParamInterface<TypeCase> {};

// Three shots a pull, three to the ammunition: every pull costs 1.
TEST_P(WeaponTypes, FireTheirShotsCasingsOrFlamesByTheirName)
{
    const TypeCase& c = GetParam();
    if (!player->FindChild(c.name)) AddWeaponModel(c.name);
    Equip(c.name, {3, 3, 5.0f}, 10.0f);
    EXPECT_EQ(player->weaponType, c.type);
    Pull();

    const std::vector<Launch> launches = Launches();
    ASSERT_EQ(launches.size(), c.shots);
    for (const Launch& launch : launches) {
        EXPECT_EQ(launch.kind, c.kind);
        EXPECT_EQ(launch.call.value, kShotValue);
        EXPECT_EQ(launch.call.owner, player->weaponModel.Get());
    }
    EXPECT_EQ(casings->particles.size(), c.casings);
    ASSERT_EQ(flames->particles.size(), c.flames);
    EXPECT_FLOAT_EQ(player->ammunition[0], 9.0f) << "an unknown name still pays";
    EXPECT_FLOAT_EQ(player->fireCooldown, 0.2f - kJustPast);
    EXPECT_EQ(InterfaceUpdates(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    ByName, WeaponTypes,
    testing::Values(TypeCase{"lgun", 0, "trasser11", 1, 1, 0}, TypeCase{"mgun", 0, "trasser11", 1, 1, 0},
                    TypeCase{"mgun2x", 0, "trasser11", 1, 1, 0}, TypeCase{"lgun2x", 1, "trasser11", 1, 1, 0},
                    TypeCase{"hmgun", 2, "trasser12", 1, 1, 0}, TypeCase{"ssrlauncher", 3, "srocket1", 1, 0, 0},
                    TypeCase{"rlauncher", 4, "rocket1", 1, 0, 0}, TypeCase{"plasma", 5, "plazma", 1, 0, 0},
                    TypeCase{"shotgun", 6, "trasser13", 3, 3, 0}, TypeCase{"autoshotgun", 6, "trasser13", 3, 3, 0},
                    TypeCase{"gauss", 7, "gauss1", 1, 0, 0}, TypeCase{"firethrower", 8, "", 0, 0, 1},
                    TypeCase{"bazooka", 9, "", 0, 0, 0}));

struct CostCase {
    float ammunition;
    float shotFactor;
    size_t shots;
    float left;
    bool empty;
};

class PullCosts : public Weapons, public testing::WithParamInterface<CostCase> {};

// Six shots a pull over a divisor of 3: a pull costs 2 over the shot factor.
TEST_P(PullCosts, PayFromTheSlotAndEmptyItWhenTheRestCannotPayAgain)
{
    const CostCase& c = GetParam();
    player->shotFactor = c.shotFactor;
    Equip("mgun", {6, 3, 5.0f}, c.ammunition);
    ASSERT_FALSE(player->weaponEmpty);
    Pull();
    EXPECT_EQ(Launches().size(), c.shots);
    EXPECT_FLOAT_EQ(player->ammunition[0], c.left);
    EXPECT_EQ(player->weaponEmpty, c.empty);
    EXPECT_EQ(InterfaceUpdates(), 1);

    Pull();
    EXPECT_EQ(Launches().size(), c.empty ? c.shots : c.shots + 1) << "an empty weapon fires no more";
}

INSTANTIATE_TEST_SUITE_P(Cases, PullCosts,
                         testing::Values(CostCase{1.5f, 1.0f, 0, 1.5f, true}, CostCase{3.0f, 1.0f, 1, 1.0f, true},
                                         CostCase{5.0f, 1.0f, 1, 3.0f, false}, CostCase{4.0f, 1.0f, 1, 2.0f, false},
                                         CostCase{2.0f, 1.0f, 1, 0.0f, true},
                                         CostCase{1.0f, 2.0f, 1, 0.0f, true}));

struct EmptyCase {
    const char* what;
    int slot;
    float ammunition;
    bool catalogued;
    int32_t divisor;
    float rate;
    float shotFactor;
    float rateFactor;
    bool model;
    bool empty;
};

class SelectedWeapons : public Weapons, public testing::WithParamInterface<EmptyCase> {};

TEST_P(SelectedWeapons, AreEmptyWithoutAmmunitionOrUsableNumbersAndNeverFireNaNs)
{
    const EmptyCase& c = GetParam();
    player->shotFactor = c.shotFactor;
    player->fireRateFactor = c.rateFactor;
    if (c.catalogued) {
        Equip("mgun", {1, c.divisor, c.rate}, c.ammunition);
    } else {
        data.activeSetup.weapons[0] = "mgun";
        player->ammunition[0] = c.ammunition;
    }
    for (std::string& weapon : data.activeSetup.weapons) weapon = "mgun";
    player->weaponSlot = c.slot;
    player->SelectWeapon();
    EXPECT_EQ(player->weaponModel.Get() != nullptr, c.model) << c.what;
    if (c.model) {
        EXPECT_EQ(player->weaponEmpty, c.empty) << c.what;
    }

    Pull();
    const bool fires = c.model && !c.empty && c.ammunition >= 1.0f;
    EXPECT_EQ(Launches().size(), fires ? 1u : 0u) << c.what;
    for (float ammunition : player->ammunition) EXPECT_TRUE(std::isfinite(ammunition)) << c.what;
    EXPECT_TRUE(std::isfinite(player->fireCooldown)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SelectedWeapons,
    testing::Values(EmptyCase{"full", 0, 1.0f, true, 1, 5.0f, 1.0f, 1.0f, true, false},
                    EmptyCase{"just below no ammunition", 0, -0.01f, true, 1, 5.0f, 1.0f, 1.0f, true, true},
                    EmptyCase{"no ammunition yet not below", 0, 0.0f, true, 1, 5.0f, 1.0f, 1.0f, true, false},
                    EmptyCase{"not in the catalogue", 0, 1.0f, false, 1, 5.0f, 1.0f, 1.0f, true, true},
                    EmptyCase{"divisor 0", 0, 1.0f, true, 0, 5.0f, 1.0f, 1.0f, true, true},
                    EmptyCase{"rate 0", 0, 1.0f, true, 1, 0.0f, 1.0f, 1.0f, true, true},
                    EmptyCase{"rate NaN", 0, 1.0f, true, 1, NAN, 1.0f, 1.0f, true, true},
                    EmptyCase{"shot factor 0", 0, 1.0f, true, 1, 5.0f, 0.0f, 1.0f, true, true},
                    EmptyCase{"rate factor 0", 0, 1.0f, true, 1, 5.0f, 1.0f, 0.0f, true, true},
                    EmptyCase{"last slot", 2, 1.0f, true, 1, 5.0f, 1.0f, 1.0f, true, false},
                    EmptyCase{"slot past the last", 3, 1.0f, true, 1, 5.0f, 1.0f, 1.0f, false, true},
                    EmptyCase{"no slot", -1, 1.0f, true, 1, 5.0f, 1.0f, 1.0f, false, true}));

TEST_F(Weapons, SelectingAnotherWeaponHidesTheLastAndLiftsItsEmptyMark)
{
    Equip("mgun", {1, 1, 5.0f}, -1.0f);
    CPGameObject* gun = player->weaponModel.Get();
    ASSERT_TRUE(player->weaponEmpty);
    Equip("hmgun", {1, 1, 5.0f}, 1.0f);
    EXPECT_FALSE(gun->IsVisible());
    EXPECT_TRUE(player->weaponModel->IsVisible());
    EXPECT_FALSE(player->weaponEmpty);
    Pull();
    EXPECT_EQ(Launches().size(), 1u);
}

TEST_F(Weapons, AWeaponWhoseMultiplierDropsToZeroTurnsEmptyWithoutFiring)
{
    Equip("mgun", {1, 1, 5.0f}, 1.0f);
    player->fireRateFactor = 0.0f;
    Pull();
    EXPECT_TRUE(Launches().empty());
    EXPECT_TRUE(player->weaponEmpty);
    EXPECT_EQ(player->ammunition[0], 1.0f);
}

// A faster rate factor shortens the wait: 1 / (2.5 x 4) s, where the factor
// over the rate, or the rate over the factor, would give 0.625 or 1.6.
TEST_F(Weapons, TheRateFactorMultipliesTheRateOfFire)
{
    player->fireRateFactor = 2.5f;
    Equip("mgun", {1, 1, 4.0f}, 10.0f);
    Pull();
    ASSERT_EQ(Launches().size(), 1u);
    EXPECT_FLOAT_EQ(player->fireCooldown, 0.1f - kJustPast) << "the time past the cooldown carries over";
}

TEST_F(Weapons, MuzzleFlaresTakeTurnsFromTheFirstAndTheShotsLeaveFromTheOneShown)
{
    Equip("mgun", {1, 1, 5.0f}, 100.0f);
    for (const RefPtr<CPGameObject>& flare : player->muzzleFlares) {
        ASSERT_TRUE(flare);
        EXPECT_FALSE(flare->IsVisible());
    }
    for (int expected : {0, 1, 2, 3, 0}) {
        Pull();
        for (int i = 0; i < CPPlayer::kMuzzleFlares; ++i) {
            EXPECT_EQ(player->muzzleFlares[i]->IsVisible(), i == expected) << "flare " << i;
        }
        shot_test::ExpectPoint(Launches().back().call.position,
                               Translation(player->muzzleFlares[expected]->GetWorldMatrix()));
    }
}

TEST_F(Weapons, ShotgunPelletsAndHeavyGunShotsScatterWithinTheirCones)
{
    struct Scatter {
        const char* name;
        int32_t count;
        float cone;
    };
    for (const Scatter& weapon : {Scatter{"shotgun", 7, 0.4f}, Scatter{"hmgun", 9, 0.1f}}) {
        if (!player->FindChild(weapon.name)) AddWeaponModel(weapon.name);
        Equip(weapon.name, {weapon.count, 1, 5.0f}, 1000.0f);
        const size_t before = Launches().size();
        const int pulls = weapon.name == std::string("shotgun") ? 1 : weapon.count;
        for (int i = 0; i < pulls; ++i) Pull();
        const std::vector<Launch> launches = Launches();
        ASSERT_EQ(launches.size() - before, static_cast<size_t>(weapon.count)) << weapon.name;
        const D3DXVECTOR3 barrel = ForwardOf(*player->weaponModel);
        float widest = 0.0f;
        for (size_t i = before; i < launches.size(); ++i) {
            EXPECT_NEAR(D3DXVec3Length(&launches[i].call.direction), 1.0f, 1e-4f);
            widest = std::max(widest, AngleBetween(launches[i].call.direction, barrel));
        }
        EXPECT_LE(widest, weapon.cone + 1e-4f) << weapon.name;
        EXPECT_GT(widest, weapon.cone * 0.25f) << weapon.name << ": the shots do scatter";
    }
}

TEST_F(Weapons, TheHeavyGunsBarrelSpinsAboutItsYAxisOnlyWhileTheTriggerIsHeld)
{
    Equip("hmgun", {1, 1, 5.0f}, 100.0f);
    FrameDeltaTime = 0.05f;
    Pull();
    Pull();
    EXPECT_NEAR(player->barrelAngle, 1.05f, 1e-5f);
    const D3DXQUATERNION& spin = *player->weaponModel->FindChild("stvol")->GetRotationRef();
    const float half = 0.525f;
    EXPECT_NEAR(spin.x, 0.0f, 1e-5f);
    EXPECT_NEAR(spin.y, std::sin(half), 1e-5f);
    EXPECT_NEAR(spin.z, 0.0f, 1e-5f);
    EXPECT_NEAR(spin.w, std::cos(half), 1e-5f);

    player->triggerHeld = false;
    player->UpdateWeapon(kAim, nullptr);
    EXPECT_NEAR(player->barrelAngle, 1.05f, 1e-5f);
}

struct AimCase {
    const char* weapon;
    // Ground distance to the aim point, and its bearing from the car's
    // nose (positive to the left, about +z).
    float distance;
    float bearing;
    float pitch;
};

class Aiming : public Weapons, public testing::WithParamInterface<AimCase> {};

// The aim point lies 3 units above the weapon: only rockets rise, and they
// by the launch angle of their ground distance.
TEST_P(Aiming, TurnsTheWeaponToTheAimPointAndRaisesRocketsOnTheirArc)
{
    const AimCase& c = GetParam();
    if (!player->FindChild(c.weapon)) AddWeaponModel(c.weapon);
    Equip(c.weapon, {1, 1, 5.0f}, 10.0f);
    const float heading = kCarYaw + c.bearing;
    const D3DXVECTOR3 ground(std::sin(heading), -std::cos(heading), 0.0f);
    const D3DXVECTOR3 aim = WeaponPosition() + ground * c.distance + D3DXVECTOR3(0.0f, 0.0f, 3.0f);
    player->triggerHeld = true;
    RunOutCooldown();
    player->UpdateWeapon(aim, nullptr);

    const D3DXVECTOR3 barrel = ForwardOf(*player->weaponModel);
    EXPECT_NEAR(std::asin(barrel.z), c.pitch, 1e-4f);
    EXPECT_NEAR(barrel.x, ground.x * std::cos(c.pitch), 1e-4f);
    EXPECT_NEAR(barrel.y, ground.y * std::cos(c.pitch), 1e-4f);
    ASSERT_EQ(Launches().size(), 1u);
    shot_test::ExpectPoint(Launches()[0].call.direction, barrel);
}

INSTANTIATE_TEST_SUITE_P(Cases, Aiming,
                         testing::Values(AimCase{"mgun", 20.0f, 0.5f, 0.0f}, AimCase{"mgun", 15.0f, -1.2f, 0.0f},
                                         AimCase{"mgun", 15.0f, 2.8f, 0.0f},
                                         AimCase{"rlauncher", 10.0f, 0.3f, 0.17298021f},
                                         AimCase{"rlauncher", 20.0f, -0.4f, 0.37265571f},
                                         AimCase{"rlauncher", 29.0f, 0.0f, 0.69414254f},
                                         AimCase{"rlauncher", 40.0f, 1.0f, 0.78539816f}));

TEST_F(Weapons, GunsThrowACasingFromTheWeaponToItsLeftAndUp)
{
    Equip("mgun", {1, 1, 5.0f}, 10.0f);
    Pull();
    ASSERT_EQ(casings->particles.size(), 1u);
    const ParticleSpawnRecord& casing = casings->particles[0].record;
    shot_test::ExpectPoint(casing.position, WeaponPosition());
    D3DXVECTOR3 out(-1.0f, 0.0f, 2.0f);
    D3DXVec3Normalize(&out, &out);
    D3DXVec3TransformNormal(&out, &out, &player->weaponModel->GetWorldMatrix());
    const float speed = D3DXVec3Length(&casing.velocity);
    EXPECT_GE(speed, 4.0f);
    EXPECT_LE(speed, 5.0f);
    shot_test::ExpectPoint(casing.velocity / speed, out);
    shot_test::ExpectPoint(casing.acceleration, D3DXVECTOR3(0.0f, 0.0f, -24.8f));
    EXPECT_FLOAT_EQ(casing.size, 0.2f);
    EXPECT_GE(casing.thirdScalar, 1.0f);
    EXPECT_LE(casing.thirdScalar, 2.0f);
}

TEST_F(Weapons, FlamesLeaveAtFourteenNearTheBarrelAndReportToTheCar)
{
    AddWeaponModel("firethrower");
    Equip("firethrower", {1, 1, 5.0f}, 10.0f);
    for (int i = 0; i < 8; ++i) Pull();
    ASSERT_EQ(flames->particles.size(), 8u);
    const D3DXVECTOR3 barrel = ForwardOf(*player->weaponModel);
    float widest = 0.0f;
    for (const Particle& flame : flames->particles) {
        EXPECT_NEAR(D3DXVec3Length(&flame.record.velocity), 14.0f, 1e-3f);
        widest = std::max(widest, AngleBetween(flame.record.velocity, barrel));
        EXPECT_LE(AngleBetween(flame.record.velocity, barrel), 0.1f * std::sqrt(3.0f) + 1e-4f);
        EXPECT_GE(flame.record.thirdScalar, 0.8f);
        EXPECT_LE(flame.record.thirdScalar, 1.1f);
        EXPECT_EQ(flame.record.object.Get(), static_cast<IPObject*>(player.Get()));
        // A weapon without flares fires from where it is.
        shot_test::ExpectPoint(flame.record.position, WeaponPosition());
    }
    EXPECT_GT(widest, 0.025f) << "the flames do spread";
}

TEST_F(Weapons, ADeadCarNeitherSelectsNorAimsNorFires)
{
    Equip("mgun", {1, 1, 5.0f}, 10.0f);
    player->dead = true;
    Pull();
    EXPECT_TRUE(Launches().empty());
    EXPECT_EQ(player->aimPoint, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    data.activeSetup.weapons[1] = "hmgun";
    player->weaponSlot = 1;
    player->SelectWeapon();
    EXPECT_EQ(player->weaponName, "mgun");
}

TEST_F(Weapons, ThePlayersShotRequestFiresOnceAndOnlyThePlayerTakesIt)
{
    CPLevel level;
    Equip("mgun", {1, 1, 5.0f}, 10.0f);
    level.playerShotRequest = true;
    RunOutCooldown();
    player->UpdateWeapon(kAim, nullptr);
    EXPECT_TRUE(level.playerShotRequest) << "not the level's player";
    EXPECT_TRUE(Launches().empty());

    level.player = player.Get();
    RunOutCooldown();
    player->UpdateWeapon(kAim, nullptr);
    EXPECT_FALSE(level.playerShotRequest);
    EXPECT_EQ(Launches().size(), 1u);
    RunOutCooldown();
    player->UpdateWeapon(kAim, nullptr);
    EXPECT_EQ(Launches().size(), 1u) << "taken once";
    level.player = nullptr;
}

TEST_F(Weapons, TheLevelHandsItsAimPointToThePlayersWeaponOnly)
{
    CPLevel level;
    Equip("mgun", {1, 1, 5.0f}, 10.0f);
    const D3DXVECTOR3 aim(-7.0f, 4.0f, 2.5f);
    level.SetWeaponPos(aim.x, aim.y, aim.z, nullptr);
    CPGameObject stranger("not a racer");
    level.player = &stranger;
    level.SetWeaponPos(aim.x, aim.y, aim.z, nullptr);
    EXPECT_EQ(player->aimPoint, D3DXVECTOR3(0.0f, 0.0f, 0.0f));

    level.player = player.Get();
    player->triggerHeld = true;
    RunOutCooldown();
    level.SetWeaponPos(aim.x, aim.y, aim.z, nullptr);
    EXPECT_EQ(player->aimPoint, aim);
    EXPECT_EQ(Launches().size(), 1u);
    level.player = nullptr;
}

// A weapon that could not fire for a long time owes no more than the
// shots of the longest frame.
TEST_F(Weapons, TheCooldownCountsDownToNoLessThanMinusTheLongestFrame)
{
    player->fireCooldown = 0.3f;
    player->CountDownFireCooldown(0.5f);
    EXPECT_FLOAT_EQ(player->fireCooldown, -0.2f);
    player->CountDownFireCooldown(5.0f);
    EXPECT_FLOAT_EQ(player->fireCooldown, -0.25f);
}

// Released, the trigger drops what the cooldown ran out past: the next
// pull fires one shot, not the ones the pause held.
TEST_F(Weapons, AReleasedTriggerOwesNoShots)
{
    Equip("mgun", {1, 1, 25.0f}, 100.0f);
    player->triggerHeld = false;
    player->CountDownFireCooldown(0.2f);
    player->UpdateWeapon(kAim, nullptr);
    player->triggerHeld = true;
    player->CountDownFireCooldown(kJustPast);
    player->UpdateWeapon(kAim, nullptr);
    EXPECT_EQ(Launches().size(), 1u);
}

struct FireRateCase {
    int framesPerSecond;
    float rate;
};

class FireRate : public Weapons, public testing::WithParamInterface<FireRateCase> {};

// The rules count the cooldown down in steps of 1/60 s, as many as the
// frames' time holds, and then aim and fire once a frame: a frame longer
// than a shot's time fires more than one.
TEST_P(FireRate, HoldsTheWeaponsRateWithinFivePercentAtAnyFrameRate)
{
    const FireRateCase& c = GetParam();
    const int seconds = 5, stepsPerSecond = 60;
    FrameDeltaTime = 1.0f / static_cast<float>(c.framesPerSecond);
    Equip("mgun", {1, 1, c.rate}, 1000.0f);
    player->triggerHeld = true;
    int steps = 0;
    for (int frame = 1; frame <= seconds * c.framesPerSecond; ++frame) {
        for (const int due = frame * stepsPerSecond / c.framesPerSecond; steps < due; ++steps) {
            player->CountDownFireCooldown(1.0f / static_cast<float>(stepsPerSecond));
        }
        player->UpdateWeapon(kAim, nullptr);
    }
    const float perSecond = static_cast<float>(Launches().size()) / static_cast<float>(seconds);
    EXPECT_NEAR(perSecond, c.rate, 0.05f * c.rate);
}

INSTANTIATE_TEST_SUITE_P(FramesPerSecond, FireRate,
                         testing::Values(FireRateCase{20, 10.0f}, FireRateCase{30, 10.0f}, FireRateCase{60, 10.0f},
                                         FireRateCase{144, 10.0f}, FireRateCase{20, 25.0f}, FireRateCase{30, 25.0f},
                                         FireRateCase{60, 25.0f}, FireRateCase{144, 25.0f}),
                         [](const testing::TestParamInfo<FireRateCase>& info) {
                             return std::to_string(static_cast<int>(info.param.rate)) + "PerSecondAt" +
                                    std::to_string(info.param.framesPerSecond);
                         });

// A level whose ray objects hold a target box beside the car.
class Flames : public Weapons {
protected:
    void SetUp() override
    {
        Weapons::SetUp();
        AddWeaponModel("firethrower");
        Equip("firethrower", {1, 1, 5.0f}, 10.0f);
        player->SetBoundingBox(CPBoundingBox(D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(1.0f, 2.0f, 0.6f)));
        player->SetPosition(kCarAt.x, kCarAt.y, kCarAt.z);
        player->UpdateTransform();
        level.player = player.Get();
        target->SetBoundingBox(CPBoundingBox(D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(1.0f, 1.5f, 2.0f)));
        target->SetPosition(kTargetAt.x, kTargetAt.y, kTargetAt.z);
        target->UpdateTransform();
        target->SetScriptHandler(&handler);
        target->SetFlameType(2);
        handler.Start();
        level.rayObjects.push_back(target);
    }
    void TearDown() override
    {
        level.player = nullptr;
        level.rayObjects.clear();
        Weapons::TearDown();
    }
    std::vector<std::string> Damages()
    {
        std::vector<std::string> damages;
        for (const std::string& command : handler.TakeCommands()) {
            if (command.compare(0, 7, "damage:") == 0) damages.push_back(command);
        }
        return damages;
    }

    const D3DXVECTOR3 kTargetAt = D3DXVECTOR3(12.0f, -9.0f, 1.0f);
    CPLevel level;
    RefPtr<CPGameObject> target{new CPGameObject("target")};
    Receiver handler;
};

TEST_F(Flames, AFlameTakesTheFirstObjectOutsideTheCarAndEnds)
{
    EXPECT_FALSE(player->FlameHit(WeaponPosition())) << "the car's own tree";
    EXPECT_FALSE(player->FlameHit(D3DXVECTOR3(12.0f, -9.0f, 5.0f))) << "1 unit and a bit above the box";
    EXPECT_TRUE(player->hitTargets.empty());
    EXPECT_TRUE(player->FlameHit(D3DXVECTOR3(12.0f, -9.0f, 3.9f)));
    EXPECT_TRUE(player->FlameHit(D3DXVECTOR3(13.5f, -9.0f, 1.0f)));
    ASSERT_EQ(player->hitTargets.size(), 1u);
    EXPECT_EQ(player->hitTargets.begin()->second.Get(), target.Get());
}

// From 0.1 s left, a frame of 0.5 s passes three burns: at -0.4, -0.2 and 0.
TEST_F(Flames, WhatTheFlamesTookBurnsEveryTwoTenthsOfASecondOfFrames)
{
    ASSERT_TRUE(player->FlameHit(kTargetAt));
    player->flameTime = 0.1f;
    player->triggerHeld = false;
    FrameDeltaTime = 0.5f;
    player->UpdateWeapon(kAim, nullptr);
    EXPECT_EQ(Damages(), std::vector<std::string>(3, "damage:12.50"));
    EXPECT_EQ(target->GetFlameType(), -1) << "set burning";
    EXPECT_TRUE(player->hitTargets.empty());
    EXPECT_NEAR(player->flameTime, 0.2f, 1e-5f);

    FrameDeltaTime = 0.1f;
    ASSERT_TRUE(player->FlameHit(kTargetAt));
    player->UpdateWeapon(kAim, nullptr);
    EXPECT_TRUE(Damages().empty()) << "0.1 s left";
    EXPECT_TRUE(player->hitTargets.empty()) << "forgotten all the same";
}

// The burn strikes the object at its place, heading away from the car:
// (12, -9, 1) - (5, -3, 1.2) = (7, -6, -0.2), over its length.
TEST_F(Flames, ABurnStrikesWhereTheObjectStandsHeadingAwayFromTheCar)
{
    gameobject_test::Enemy enemy;
    target->SetEnemy(&enemy);
    ASSERT_TRUE(player->FlameHit(kTargetAt));
    player->flameTime = 0.0f;
    player->UpdateWeapon(kAim, nullptr);
    target->SetEnemy(nullptr);

    ASSERT_EQ(enemy.calls, std::vector<std::string>{"damage"});
    gameobject_test::ExpectVector(enemy.point, 12.0f, -9.0f, 1.0f);
    const float length = std::sqrt(85.04f);
    gameobject_test::ExpectVector(enemy.direction, 7.0f / length, -6.0f / length, -0.2f / length);
}

} // namespace
