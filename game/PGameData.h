#pragma once

#include "game/CarSettings.h"
#include "game/GameDataRecords.h"
#include "game/ItemCatalog.h"

#include <d3dx9math.h>

#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class IPObject;

// The shop's item kinds, for the lists of what the shop offers.
enum class ItemKind { Weapon, Mine, SuperWeapon, Bumper, Equipment, Armor, Engine };

// The one store of everything the game keeps between levels: the shop's
// item catalogues, the localised texts, money, car set-ups, mission records,
// difficulty coefficients, scores and profile values. The host creates it,
// fills the catalogues and the texts, and publishes it in g_pGameData;
// scripts and the race rules read and write its fields directly.
class CPGameData {
public:
    static const int kLevelCount = 10;
    static const int kRecordedRounds = 20;
    static const int kScoredRaces = 100;
    // The entries a race's score table keeps.
    static const int kScoreTableSize = 7;

    CPGameData();

    // The shop's set-up, then the one the player's car drives with.
    void SetCarSettings(const CarSettings& settings);
    void CommitCarSettings();
    // What the set-up's items cost; keys the catalogues lack cost nothing.
    float SumCarValue(const CarSettings& settings) const;

    // Resets the per-game state; money, set-ups, catalogues, coefficients
    // and profile values stay.
    void Clear();
    // Lets go of objects that are about to be deleted (a level's, as the
    // level goes): the bonus list, the only list here that holds objects,
    // drops their entries. Entries of other objects stay.
    void LetGoOf(const std::unordered_set<IPObject*>& objects);
    // Starts the round list again at a first round of 0 seconds.
    void ResetRoundTimes();
    // The time of the running round (a round count below 1 counts as the
    // first), the list grown to hold it.
    float& RunningRoundTime();
    void ClearLevelTimer() { raceClock = 0.0f; }
    // The time of a round counted from 1; 0 for a round not in the list.
    float GetRoundTime(int round) const;
    // The quickest finished round up to lastRound: the running round and
    // rounds not driven (no time) do not count. 0 when none is left.
    float BestFinishedRound(int lastRound) const;

    // The localised text of a key. A key not there yet is entered empty.
    const std::string& GetText(const std::string& key);

    // The keys of the items of a kind that the shop offers now, in
    // catalogue order: those the current race (race 15 on the difficult
    // setting) has reached and that are not fitted in the edited set-up.
    // Super weapons are offered whether fitted or not.
    std::vector<std::string> GetShopNames(ItemKind kind) const;

    // The best run of level 1 to 10, or null for any other level number.
    BestTimeRecord* GetBestTime(int levelNumber);

    // Reads "DATA\player.dat" into both set-ups; a file that is missing
    // leaves them empty.
    void LoadPlayerData();
    // Reads "DATA\coeff.dat" into the coefficients, or sets them all to 1
    // on the difficult setting; a file that is missing leaves them.
    void LoadCoefficients();
    // Reads the checkpoint records and enemy sources of a mission file in
    // "Data\Levels"; a file that is missing leaves no checkpoint records.
    void LoadMissionInfo(const std::string& name);
    // Writes every score table to "Data\scores.dat"; false, with the old
    // file kept and the game log told, when it could not be written. A file
    // that was read as damaged is left as it is while no result has entered
    // since, and is kept beside the new one before that is written over it.
    bool SaveScores();
    // Reads "Data\scores.dat" back into the score tables. A missing file
    // leaves them empty; a damaged one gives its whole records before the
    // damage, and false tells of it. The file itself is left as it is.
    bool LoadScores();
    // Enters a result into the table of race 1 to 100: true when entered.
    bool CheckPlayerRecords(int raceNumber, const ScoreEntry& entry);

    int32_t trafficCount;
    std::list<BonusEntry> bonusList;
    std::vector<std::vector<ScoreEntry>> scoreTables;
    ItemCatalog<WeaponDefinition> weapons;
    ItemCatalog<MineDefinition> mines;
    ItemCatalog<SuperWeaponDefinition> superWeapons;
    ItemCatalog<BumperDefinition> bumpers;
    ItemCatalog<EquipmentDefinition> equipment;
    ItemCatalog<ArmorDefinition> armor;
    ItemCatalog<EngineDefinition> engines;
    CarSettings editedSetup;
    CarSettings activeSetup;
    float money;
    std::vector<EnemySourceRecord> missionRecords;
    std::unordered_map<std::string, std::vector<EnemySourcePoint>> enemySources;
    std::unordered_map<std::string, std::string> texts;
    int32_t currentRace;
    std::vector<CarSettings> storedSetups;
    float coeffA;
    float coeffB;
    float coeffC;
    float coeffD;
    int32_t kills;
    bool difficultyFlag;
    // The save slot 0 to 5 the profile writes to; -1 until one is chosen.
    int32_t saveSlot;
    int32_t racesPassed;
    int32_t roundsRecorded;
    std::vector<float> roundTimes;
    int32_t routeProgress;
    std::string carKey;
    std::string profileName;
    std::unordered_map<std::string, D3DXVECTOR2> racerPositions;
    std::unordered_map<std::string, RacerRecord> racerRecords;
    int32_t bonusCount;
    int32_t roundCount;
    int32_t playerType;
    float raceRoundTime;
    float raceClock;
    int32_t abilityLimit;
    int32_t mana;
    bool levelStarted;
    BestTimeRecord bestTimes[kLevelCount];
    int32_t points;

private:
    int OfferLimit() const;

    // Whether "Data\scores.dat" was read as damaged and is not yet kept
    // beside the file that replaces it, and whether a result has entered
    // the tables since they were read.
    bool m_scoresDamaged;
    bool m_scoresChanged;
};

extern CPGameData* g_pGameData;
CPGameData* GetGameData();
