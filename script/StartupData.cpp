#include "script/StartupData.h"

#include "script/GameLog.h"

#include "Sound/PSoundManager.h"
#include "Sound/SoundListFile.h"
#include "core/PDataFile.h"
#include "game/EnemyData.h"
#include "game/ItemsFile.h"
#include "game/PGameData.h"
#include "game/TextsFile.h"

#include <functional>

namespace {

const char* const kSoundFolder = "Data\\Sounds\\";
const char* const kScoresFile = "Data\\scores.dat";
const bool kSharedSound = false;

void LogProblems(GameLog& log, const char* file, const std::vector<DataProblem>& problems)
{
    for (const DataProblem& problem : problems) {
        log.WriteLine("data: " + std::string(file) + ":" + std::to_string(problem.line) + ": " + problem.what);
    }
}

// Reads one file with its reader when it is there and logs what was skipped.
void ReadDataFile(GameLog& log, const char* path,
                  const std::function<void(const void*, size_t, std::vector<DataProblem>&)>& read)
{
    CPDataFile file(path, false);
    if (FAILED(file.Load())) return;
    std::vector<DataProblem> problems;
    read(file.GetData(), file.GetDataSize(), problems);
    LogProblems(log, path, problems);
}

bool WaveFileExists(const std::string& name)
{
    CPDataFile wave(kSoundFolder + name, false);
    return SUCCEEDED(wave.Load());
}

void LoadNamedSounds(GameLog& log, CPSoundManager& sounds)
{
    ReadDataFile(log, kSoundListFile, [&](const void* data, size_t size, std::vector<DataProblem>& problems) {
        const std::vector<SoundListEntry> entries = ReadSoundListFile(data, size, problems);
        for (const SoundListEntry& entry : entries) {
            RefPtr<CNSound> sound;
            if (WaveFileExists(entry.file)) sounds.LoadSound(sound, entry.file, entry.mode, kSharedSound);
            if (sound) {
                sounds.GetNamedSounds()[entry.name] = sound;
            } else {
                problems.push_back(DataProblem{entry.line, "sound " + entry.name + ": " + entry.file + " cannot be loaded"});
            }
        }
    });
}

} // namespace

void LoadStartupData(GameLog& log)
{
    if (CPGameData* gameData = GetGameData()) {
        ReadDataFile(log, kItemsFile, [&](const void* data, size_t size, std::vector<DataProblem>& problems) {
            ReadItemsFile(data, size, *gameData, problems);
        });
        ReadDataFile(log, kTextsFile, [&](const void* data, size_t size, std::vector<DataProblem>& problems) {
            ReadTextsFile(data, size, gameData->texts, problems);
        });
        if (!gameData->LoadScores()) {
            log.WriteLine("data: " + std::string(kScoresFile) + ": damaged; the scores before the damage are read");
        }
    }
    ReadDataFile(log, kEnemiesFile, [&](const void* data, size_t size, std::vector<DataProblem>& problems) {
        ReadEnemiesFile(data, size, g_enemyData, problems);
    });
    if (CPSoundManager* sounds = GetSoundManager()) LoadNamedSounds(log, *sounds);
}
