#include "game/PGameData.h"

#include "core/PDataFile.h"
#include "core/PDataFileWriter.h"
#include "core/PTextReader.h"
#include "core/Settings.h"
#include "game/GameDataFiles.h"
#include "game/GameLog.h"
#include "game/PLevel.h"

#include <algorithm>

CPGameData* g_pGameData = nullptr;

CPGameData* GetGameData()
{
    return g_pGameData;
}

namespace {

const char* const kPlayerDataPath = "DATA\\player.dat";
const char* const kCoefficientsPath = "DATA\\coeff.dat";
const char* const kMissionFolder = "Data\\Levels\\";
const char* const kScoresPath = "Data\\scores.dat";

const int kDifficultOfferLimit = 15;
const size_t kRacerRecordBuckets = 20;

template <class Definition>
float PriceOf(const ItemCatalog<Definition>& catalog, const std::string& key)
{
    if (key.empty()) return 0.0f;
    const Definition* definition = catalog.Find(key);
    return definition ? static_cast<float>(definition->price) : 0.0f;
}

bool IsAnyOf(const std::string& key, const std::vector<std::string>& fitted)
{
    return std::find(fitted.begin(), fitted.end(), key) != fitted.end();
}

template <class Definition>
std::vector<std::string> OfferedKeys(const ItemCatalog<Definition>& catalog, int offerLimit,
                                     const std::vector<std::string>& fitted)
{
    std::vector<std::string> keys;
    for (const Definition& definition : catalog.GetList()) {
        if (definition.requiredRace <= offerLimit && !IsAnyOf(definition.key, fitted)) {
            keys.push_back(definition.key);
        }
    }
    return keys;
}

} // namespace

CPGameData::CPGameData()
    : trafficCount(0), money(0.0f), currentRace(0), coeffA(1.0f), coeffB(1.0f), coeffC(1.0f),
      coeffD(1.0f), kills(0), difficultyFlag(false), saveSlot(-1), racesPassed(0),
      roundsRecorded(1), roundTimes(kRecordedRounds, 0.0f), routeProgress(-1), bonusCount(0),
      roundCount(0), playerType(0), raceRoundTime(0.0f), raceClock(0.0f), abilityLimit(0),
      mana(0), levelStarted(false), points(0), m_scoresDamaged(false), m_scoresChanged(false)
{
}

void CPGameData::SetCarSettings(const CarSettings& settings)
{
    editedSetup = settings;
}

void CPGameData::CommitCarSettings()
{
    activeSetup = editedSetup;
}

float CPGameData::SumCarValue(const CarSettings& settings) const
{
    float sum = 0.0f;
    for (const std::string& key : settings.weapons) sum += PriceOf(weapons, key);
    for (const std::string& key : settings.equipment) sum += PriceOf(equipment, key);
    sum += PriceOf(bumpers, settings.bumper);
    sum += PriceOf(engines, settings.engine);
    sum += PriceOf(armor, settings.armor);
    sum += PriceOf(mines, settings.mine);
    sum += PriceOf(superWeapons, settings.superWeapon) * static_cast<float>(settings.superWeaponCount);
    return sum;
}

void CPGameData::Clear()
{
    roundsRecorded = 1;
    roundTimes.assign(kRecordedRounds, 0.0f);
    routeProgress = -1;
    racerPositions.clear();
    racerRecords = std::unordered_map<std::string, RacerRecord>(kRacerRecordBuckets);
    bonusCount = 0;
    for (BonusEntry& entry : bonusList) entry.object = nullptr;
    bonusList.clear();
}

void CPGameData::LetGoOf(const std::unordered_set<IPObject*>& objects)
{
    bonusList.remove_if(
        [&objects](const BonusEntry& entry) { return objects.count(static_cast<IPObject*>(entry.object.Get())) != 0; });
}

// The running round is the last one in use; a round count below 1 counts
// as the first round, and the list grows to hold every round in use.
void CPGameData::ResetRoundTimes()
{
    RunningRoundTime() = 0.0f;
    roundsRecorded = 1;
}

float& CPGameData::RunningRoundTime()
{
    const size_t round = static_cast<size_t>(std::max(roundsRecorded, 1));
    if (roundTimes.size() < round) roundTimes.resize(round, 0.0f);
    return roundTimes[round - 1];
}

float CPGameData::GetRoundTime(int round) const
{
    if (round < 1 || static_cast<size_t>(round) > roundTimes.size()) return 0.0f;
    return roundTimes[static_cast<size_t>(round) - 1];
}

float CPGameData::BestFinishedRound(int lastRound) const
{
    float best = 0.0f;
    for (int round = 1; round < roundsRecorded && round <= lastRound; ++round) {
        const float time = GetRoundTime(round);
        if (time > 0.0f && (best == 0.0f || time < best)) best = time;
    }
    return best;
}

const std::string& CPGameData::GetText(const std::string& key)
{
    return texts[key];
}

int CPGameData::OfferLimit() const
{
    return difficultyFlag ? kDifficultOfferLimit : currentRace;
}

std::vector<std::string> CPGameData::GetShopNames(ItemKind kind) const
{
    const CarSettings& fitted = editedSetup;
    const int limit = OfferLimit();
    switch (kind) {
    case ItemKind::Weapon:
        return OfferedKeys(weapons, limit,
                           {fitted.weapons[0], fitted.weapons[1], fitted.weapons[2]});
    case ItemKind::Mine:
        return OfferedKeys(mines, limit, {fitted.mine});
    case ItemKind::SuperWeapon:
        return OfferedKeys(superWeapons, limit, {});
    case ItemKind::Bumper:
        return OfferedKeys(bumpers, limit, {fitted.bumper});
    case ItemKind::Equipment:
        return OfferedKeys(equipment, limit, {fitted.equipment[0], fitted.equipment[1]});
    case ItemKind::Armor:
        return OfferedKeys(armor, limit, {fitted.armor});
    case ItemKind::Engine:
        return OfferedKeys(engines, limit, {fitted.engine});
    }
    return {};
}

BestTimeRecord* CPGameData::GetBestTime(int levelNumber)
{
    if (levelNumber < 1 || levelNumber > kLevelCount) return nullptr;
    return &bestTimes[levelNumber - 1];
}

// The first seven results of a race are entered as they come; after that a
// result enters only by beating one of the seven, whose worst then drops out.
bool CPGameData::CheckPlayerRecords(int raceNumber, const ScoreEntry& entry)
{
    const size_t kFreeEntries = kScoreTableSize;
    if (raceNumber < 1 || raceNumber > kScoredRaces) return false;
    const size_t index = static_cast<size_t>(raceNumber) - 1;
    if (scoreTables.size() <= index) scoreTables.resize(index + 1);
    std::vector<ScoreEntry>& table = scoreTables[index];
    if (table.size() < kFreeEntries) {
        table.push_back(entry);
        m_scoresChanged = true;
        return true;
    }
    auto better = [](const ScoreEntry& a, const ScoreEntry& b) { return a.IsBetterThan(b); };
    std::stable_sort(table.begin(), table.end(), better);
    auto beaten = std::find_if(table.begin(), table.end(),
                               [&entry](const ScoreEntry& held) { return entry.IsBetterThan(held); });
    if (beaten == table.end()) return false;
    table.insert(beaten, entry);
    table.erase(table.begin() + kFreeEntries);
    m_scoresChanged = true;
    return true;
}

void CPGameData::LoadPlayerData()
{
    CarSettings settings;
    CPDataFile file(kPlayerDataPath, false);
    if (SUCCEEDED(file.Load())) {
        CPTextReader reader(file.GetData(), file.GetDataSize());
        settings = ReadPlayerData(reader);
    }
    SetCarSettings(settings);
    CommitCarSettings();
}

void CPGameData::LoadCoefficients()
{
    if (g_cam_speed != 0 && difficultyFlag) {
        coeffA = coeffB = coeffC = coeffD = 1.0f;
        return;
    }
    CPDataFile file(kCoefficientsPath, false);
    if (FAILED(file.Load())) return;
    CPTextReader reader(file.GetData(), file.GetDataSize());
    ReadCoefficients(reader, kCoefficientsPath, coeffA, coeffB, coeffC, coeffD);
}

// Source points stand at the named points of the current level, so without
// a level the sources stay empty.
void CPGameData::LoadMissionInfo(const std::string& name)
{
    missionRecords.clear();
    const std::string path = kMissionFolder + name;
    CPDataFile file(path, false);
    if (FAILED(file.Load())) return;
    CPTextReader reader(file.GetData(), file.GetDataSize());
    missionRecords = ReadMissionRecords(reader, path);
    enemySources.clear();
    const CPLevel* level = GetLevel();
    if (level) ReadSourcePoints(reader, path, level->sourcePoints, enemySources);
}

// A damaged file holds more than the tables took from it: until a new
// result would go over it, it stays the one copy of those bytes.
bool CPGameData::SaveScores()
{
    if (m_scoresDamaged && !m_scoresChanged) return true;
    MakeDataFolder();
    if (m_scoresDamaged) {
        if (!KeepDamagedFile(kScoresPath)) return false;
        m_scoresDamaged = false;
    }
    CPDataFileWriter writer(kScoresPath, true);
    WriteScores(writer, scoreTables);
    return SaveOrReport(writer, kScoresPath);
}

bool CPGameData::LoadScores()
{
    scoreTables.clear();
    m_scoresChanged = false;
    m_scoresDamaged = false;
    CPDataFile file(kScoresPath, true);
    // A file that is there but cannot be read whole may still hold every
    // score, so it is damaged, not missing, and is kept before a new one.
    if (FAILED(file.Load())) {
        m_scoresDamaged = IsDataFilePresent(kScoresPath);
        return !m_scoresDamaged;
    }
    m_scoresDamaged = !ReadScores(file, kScoredRaces, kScoreTableSize, scoreTables);
    return !m_scoresDamaged;
}
