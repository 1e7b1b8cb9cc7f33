#include "script/tests/ScriptTest.h"

#include "Sound/NSound.h"
#include "Sound/PSoundCache.h"
#include "Sound/PSoundManager.h"
#include "Sound/tests/WaveFixtures.h"
#include "game/PGameData.h"
#include "game/PPlayer.h"

#include <dsound.h>

#include <string>
#include <vector>

namespace {

// A second of 16-bit mono sound: long enough to be still playing when read.
const uint32_t kRate = 22050;
const DWORD kMidSound = 30000;

// The racer "car" with the fitted set-up's weapon slots, and the sounds
// "change_weapon" and "undo_weapon" on Wine's real DirectSound, playing
// into the null sound device.
class Weapons : public ScriptTest {
protected:
    Weapons() : m_previousManager(g_pSoundManager)
    {
        g_pGameData = &data;
        SetGlobalHandle("car", static_cast<IPObject*>(&car));
        CreateDirectoryA("Data", nullptr);
        CreateDirectoryA("Data\\Sounds", nullptr);
        wavefixture::WriteFile("Data\\Sounds\\weapon.wav",
                               wavefixture::Wave(1, kRate, 16, std::string(kRate * 2, '\x10')));
        if (DirectSoundCreate8(nullptr, &m_device, nullptr) != DS_OK) return;
        m_device->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY);
        m_cache.reset(new CPSoundCache(m_device));
        m_manager.reset(new CPSoundManager(m_cache.get()));
        // Two sounds of one file: the cache hands out one object per name.
        m_manager->LoadSound(change, "weapon.wav", CNSound::kPlain, true);
        m_manager->LoadSound(undo, "weapon.wav", CNSound::kPlain, true);
        m_manager->GetNamedSounds()["change_weapon"] = change;
        m_manager->GetNamedSounds()["undo_weapon"] = undo;
        g_pSoundManager = m_manager.get();
    }
    ~Weapons() override
    {
        g_pSoundManager = m_previousManager;
        g_pGameData = nullptr;
        // Sounds loaded anew are the loader's own to delete.
        if (m_manager) m_manager->GetNamedSounds().clear();
        for (RefPtr<CNSound>* sound : {&change, &undo}) {
            CNSound* held = sound->Get();
            *sound = nullptr;
            delete held;
        }
        m_manager.reset();
        m_cache.reset();
        if (m_device) m_device->Release();
    }

    void Fit(const char* first, const char* second, const char* third)
    {
        data.activeSetup.weapons[0] = first;
        data.activeSetup.weapons[1] = second;
        data.activeSetup.weapons[2] = third;
    }
    static DWORD PlayCursor(CNSound& sound)
    {
        DWORD play = 0, write = 0;
        sound.GetBuffer()->GetCurrentPosition(&play, &write);
        return play;
    }

    CPGameData data;
    CPGameObject barrel{"barrel"};
    CPPlayer car;
    RefPtr<CNSound> change;
    RefPtr<CNSound> undo;

private:
    CPSoundManager* m_previousManager;
    IDirectSound8* m_device = nullptr;
    std::unique_ptr<CPSoundCache> m_cache;
    std::unique_ptr<CPSoundManager> m_manager;
};

struct CycleCase {
    const char* slots[3];
    int from;
    const char* call;
    int to;
    bool undone;
};

class WeaponCycle : public Weapons, public testing::WithParamInterface<CycleCase> {};

TEST_P(WeaponCycle, StepsToTheNextFittedSlotAndSaysWhetherItChanged)
{
    const CycleCase& c = GetParam();
    ASSERT_TRUE(change && undo) << "no sound device";
    Fit(c.slots[0], c.slots[1], c.slots[2]);
    car.weaponSlot = c.from;
    Results(std::string(c.call) + "(car)");
    EXPECT_EQ(car.weaponSlot, c.to);
    EXPECT_EQ(undo->IsPlaying(), c.undone);
    EXPECT_EQ(change->IsPlaying(), !c.undone);
    EXPECT_EQ(car.weaponName, c.to < 0 ? std::string() : std::string(c.slots[c.to])) << "the weapon is applied";
}

INSTANTIATE_TEST_SUITE_P(
    Weapons, WeaponCycle,
    testing::Values(CycleCase{{"lgun", "", "gauss"}, 0, "SetNextWeapon", 2, false},
                    CycleCase{{"lgun", "", "gauss"}, 0, "SetPrevWeapon", 2, false},
                    CycleCase{{"lgun", "mgun", "gauss"}, 2, "SetNextWeapon", 0, false},
                    CycleCase{{"lgun", "mgun", ""}, -1, "SetPrevWeapon", 1, false},
                    CycleCase{{"lgun", "mgun", ""}, -1, "SetNextWeapon", 0, false},
                    CycleCase{{"", "", "gauss"}, 2, "SetNextWeapon", 2, true},
                    CycleCase{{"", "", "gauss"}, 2, "SetPrevWeapon", 2, true},
                    CycleCase{{"", "", ""}, 1, "SetNextWeapon", -1, false},
                    CycleCase{{"", "", ""}, -1, "SetPrevWeapon", -1, true}));

TEST_F(Weapons, APlayingChangeSoundStartsOverAndANullCarChangesNothing)
{
    ASSERT_TRUE(change) << "no sound device";
    Fit("lgun", "mgun", "");
    car.weaponSlot = 0;
    change->Play(0, 0);
    change->GetBuffer()->SetCurrentPosition(kMidSound);
    Results("SetNextWeapon(car)");
    EXPECT_TRUE(change->IsPlaying());
    EXPECT_LT(PlayCursor(*change), kMidSound / 2);
    Results("SetNextWeapon(nil) SetPrevWeapon(first)");
    EXPECT_EQ(car.weaponSlot, 1);

    g_pSoundManager = nullptr;
    Results("SetNextWeapon(car)");
    EXPECT_EQ(car.weaponSlot, 0) << "no sounds, the weapon still changes";
}

TEST_F(Weapons, TheTriggerHoldsOnlyWithALoadedWeaponAndStartsTheFlameAtOnce)
{
    car.weaponSlot = 1;
    car.weaponEmpty = false;
    Results("SetShot(car, true)");
    EXPECT_TRUE(car.triggerHeld);
    car.weaponEmpty = true;
    Results("SetShot(car, true)");
    EXPECT_FALSE(car.triggerHeld) << "empty";
    car.weaponEmpty = false;
    car.weaponSlot = -1;
    Results("SetShot(car, true)");
    EXPECT_FALSE(car.triggerHeld) << "no weapon";

    car.weaponSlot = 0;
    car.weaponType = 8;
    car.fireCooldown = 0.7f;
    Results("SetShot(car, true)");
    EXPECT_EQ(car.fireCooldown, 0.0f);
    car.fireCooldown = 0.5f;
    Results("SetShot(car, true)");
    EXPECT_EQ(car.fireCooldown, 0.5f) << "held already";
    Results("SetShot(car, false)");
    EXPECT_FALSE(car.triggerHeld);
    car.weaponType = 6;
    Results("SetShot(car, true)");
    EXPECT_EQ(car.fireCooldown, 0.5f) << "only the flame-thrower";
}

TEST_F(Weapons, TheMineTriggerNeedsMinesLeftAndTheWeaponModelIsFoundByName)
{
    car.hasMines = true;
    car.minesEmpty = false;
    Results("SetMineShot(car, 1)");
    EXPECT_TRUE(car.minesArmed);
    car.minesEmpty = true;
    Results("SetMineShot(car, true)");
    EXPECT_FALSE(car.minesArmed);
    car.minesEmpty = false;
    car.hasMines = false;
    Results("SetMineShot(car, true)");
    EXPECT_FALSE(car.minesArmed);

    car.AddChild(RefPtr<CPGameObject>(&barrel));
    Results("SetCurrentWeapon(car, 'barrel')");
    EXPECT_EQ(car.weaponModel.Get(), &barrel);
    Results("SetCurrentWeapon(car, 'none')");
    EXPECT_EQ(car.weaponModel.Get(), nullptr);
}

} // namespace
