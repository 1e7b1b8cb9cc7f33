#include "script/ScriptDemoData.h"

#include "Sound/SoundListFile.h"
#include "core/PDataFileWriter.h"
#include "game/EnemyData.h"
#include "game/ItemsFile.h"
#include "game/PGameData.h"
#include "game/TextsFile.h"

#include <windows.h>

#include <cmath>
#include <cstdint>

namespace {

const char* const kFolders[] = {"Data", "Data\\Sounds"};

// Every sound the game rules and the weapon interface play by name.
const char* const kSoundNames[] = {"fast",        "hit1",       "hit2",        "undo_weapon", "change_weapon",
                                   "slam",        "chik",       "bonus_fast",  "bonus_slow",  "bonus_minus",
                                   "bonus_plus",  "enter_sumrak"};

const int kSampleRate = 22050;
const int kToneSamples = 2205; // a tenth of a second
const double kBaseFrequency = 330.0;
const double kFrequencyStep = 55.0;
const double kAmplitude = 60.0;
const int kSilence = 128; // 8-bit samples are unsigned
const double kTwoPi = 6.283185307179586;

std::string U16(uint16_t value)
{
    return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string U32(uint32_t value)
{
    return U16(static_cast<uint16_t>(value & 0xFFFF)) + U16(static_cast<uint16_t>(value >> 16));
}

// A mono 8-bit PCM wave of a short sine tone.
std::string ToneWave(double frequency)
{
    std::string samples;
    for (int i = 0; i < kToneSamples; ++i) {
        const double value = kSilence + kAmplitude * std::sin(kTwoPi * frequency * i / kSampleRate);
        samples += static_cast<char>(static_cast<uint8_t>(value));
    }
    const uint16_t channels = 1, bits = 8;
    const std::string format = U16(1) + U16(channels) + U32(kSampleRate) + U32(kSampleRate * channels) +
                               U16(channels) + U16(bits);
    const std::string chunks = "fmt " + U32(static_cast<uint32_t>(format.size())) + format + "data" +
                               U32(static_cast<uint32_t>(samples.size())) + samples;
    return "RIFF" + U32(static_cast<uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

bool WriteText(const std::string& path, const std::string& text, std::string& error)
{
    CPDataFileWriter writer(path, false);
    writer.Write(text.data(), text.size());
    if (SUCCEEDED(writer.Save())) return true;
    error = path + " could not be written";
    return false;
}

bool WriteSounds(std::string& error)
{
    std::vector<SoundListEntry> sounds;
    double frequency = kBaseFrequency;
    for (const char* name : kSoundNames) {
        const std::string file = std::string(name) + ".wav";
        if (!WriteText(std::string("Data\\Sounds\\") + file, ToneWave(frequency), error)) return false;
        sounds.push_back(SoundListEntry{name, file, 0, 0});
        frequency += kFrequencyStep;
    }
    return WriteText(kSoundListFile, WriteSoundListFile(sounds), error);
}

// One item of each kind, with their names and descriptions, and one enemy.
bool WriteGameData(std::string& error)
{
    CPGameData items;
    WeaponDefinition gun;
    gun.key = "gun";
    gun.price = 500;
    gun.descriptionKey = "gun_info";
    items.weapons.Add(gun);
    EngineDefinition engine;
    engine.key = "engine1";
    engine.price = 800;
    engine.descriptionKey = "engine1_info";
    items.engines.Add(engine);
    const std::vector<std::pair<std::string, std::string>> texts = {
        {"gun", "Gun"},
        {"gun_info", "A plain gun."},
        {"engine1", "Engine"},
        {"engine1_info", "A plain engine."},
        {"bonus_time", "Time"},
        {"menu_title", "HOLLOWMERE"},
        {"menu_start", "START"},
        {"race_place", "Place"},
        {"race_lap", "Lap"},
        {"race_time", "00:00"},
        {"race_life", "100"},
        {"race_money", "$0"},
        {"scores_title", "SCORES"},
        {"scores_empty", "-"}};
    const std::vector<NamedEnemyData> enemies = {{"ghost", EnemyDataEntry{1.0f, 10.0f, "ghost.rdf", "", ""}}};
    return WriteText(kItemsFile, WriteItemsFile(items), error) &&
           WriteText(kTextsFile, WriteTextsFile(texts), error) &&
           WriteText(kEnemiesFile, WriteEnemiesFile(enemies), error);
}

} // namespace

bool WriteScriptDemoData(std::string& error)
{
    for (const char* folder : kFolders) CreateDirectoryA(folder, nullptr);
    return WriteSounds(error) && WriteGameData(error);
}
