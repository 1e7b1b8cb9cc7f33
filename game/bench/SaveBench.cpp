// The save slots' figures, run by hand: a profile with ten best runs of
// 12,000 ghost samples each (about 3.8 MB) in all six slots. Loading a
// save into the game data is timed against only loading its file, and
// saving with no slot chosen (every slot read, the oldest replaced) against
// loading six files and writing one with stdio. The best of 21 runs each,
// taking turns; the ratios are printed last.

#include "core/PDataFile.h"
#include "game/PGameData.h"
#include "game/SaveGames.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

const int kSamplesPerRun = 12000;
const int kRuns = 21;
const double kLoadRatioLimit = 1.5;
const double kSaveRatioLimit = 2.0;
const char* const kPlainCopy = "DATA\\Saves\\plain.sav";

double SecondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The shortest run: on a shared machine the longer ones measure the other
// work more than this.
double Best(const std::vector<double>& values)
{
    return *std::min_element(values.begin(), values.end());
}

void FillProfile(CPGameData& data)
{
    data.profileName = "bench";
    data.carKey = "car";
    for (int level = 0; level < CPGameData::kLevelCount; ++level) {
        BestTimeRecord& record = data.bestTimes[level];
        record.bestTime = 60.0f + static_cast<float>(level);
        record.recordValue = 4;
        record.carModel = "model" + std::to_string(level);
        record.ghostSamples.resize(kSamplesPerRun);
        for (int i = 0; i < kSamplesPerRun; ++i) {
            const float t = static_cast<float>(i) * 0.05f;
            record.ghostSamples[static_cast<size_t>(i)] = GhostSample{t, -t, 1.0f, 0.0f, 0.0f, 0.6f, 0.8f, t};
        }
    }
}

std::string SlotPath(int slot)
{
    return "DATA\\Saves\\" + SaveSlotFileName(slot);
}

bool WriteWithStdio(const std::vector<unsigned char>& bytes)
{
    FILE* file = std::fopen(kPlainCopy, "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int main()
{
    CPGameData source;
    FillProfile(source);
    for (int slot = 0; slot < kSaveSlotCount; ++slot) {
        if (!WriteSaveFile(source, SaveSlotFileName(slot))) {
            std::printf("could not write %s\n", SlotPath(slot).c_str());
            return 1;
        }
    }
    CPDataFile probe(SlotPath(0), false);
    probe.Load();
    const std::vector<unsigned char> bytes(probe.GetData(), probe.GetData() + probe.GetDataSize());

    CPGameData loaded;
    bool allLoaded = true;
    std::vector<double> loadGame, loadFile, saveGame, loadSixWriteOne;
    for (int run = 0; run < kRuns; ++run) {
        loadGame.push_back(SecondsOf([&] { allLoaded = LoadSaveFile(loaded, "save0.sav") && allLoaded; }));
        loadFile.push_back(SecondsOf([&] {
            CPDataFile file(SlotPath(0), false);
            allLoaded = SUCCEEDED(file.Load()) && allLoaded;
        }));
        saveGame.push_back(SecondsOf([&] {
            loaded.saveSlot = -1;
            allLoaded = SaveGameToSlot(loaded) && allLoaded;
        }));
        loadSixWriteOne.push_back(SecondsOf([&] {
            for (int slot = 0; slot < kSaveSlotCount; ++slot) {
                CPDataFile file(SlotPath(slot), false);
                allLoaded = SUCCEEDED(file.Load()) && allLoaded;
            }
            allLoaded = WriteWithStdio(bytes) && allLoaded;
        }));
    }
    std::remove(kPlainCopy);
    const bool same = loaded.bestTimes[9].ghostSamples.size() == static_cast<size_t>(kSamplesPerRun) &&
                      loaded.bestTimes[9].ghostSamples.back().time == source.bestTimes[9].ghostSamples.back().time;

    const double loadRatio = Best(loadGame) / Best(loadFile);
    const double saveRatio = Best(saveGame) / Best(loadSixWriteOne);
    std::printf("save of %zu bytes, %d runs of %d samples; best of %d runs\n", bytes.size(), CPGameData::kLevelCount,
                kSamplesPerRun, kRuns);
    std::printf("LoadGame %.3f ms, file load %.3f ms\n", Best(loadGame) * 1000.0, Best(loadFile) * 1000.0);
    std::printf("SaveGame over six slots %.3f ms, six loads and a stdio write %.3f ms\n", Best(saveGame) * 1000.0,
                Best(loadSixWriteOne) * 1000.0);
    std::printf("ratio LoadGame per file load: %.3f (limit <= %.1f)\n", loadRatio, kLoadRatioLimit);
    std::printf("ratio SaveGame per six loads and a write: %.3f (limit <= %.1f)\n", saveRatio, kSaveRatioLimit);
    return allLoaded && same ? 0 : 1;
}
