#pragma once

#include "core/PGameObject.h"
#include "core/PObject.h"

#include <cstdint>
#include <string>
#include <vector>

// A bonus collected in the current level and its number.
struct BonusEntry {
    BonusEntry() : number(0) {}

    RefPtr<CPGameObject> object;
    int32_t number;
};

// The race progress of one of the first five computer cars: its lap (from
// 1), its per-lap time slots and the route nodes it advanced since the start.
struct RacerRecord {
    static const int kTimeSlots = 20;

    RacerRecord() : laps(1), timeSlots(kTimeSlots, 0.0f), totalProgress(-1) {}

    int32_t laps;
    std::vector<float> timeSlots;
    int32_t totalProgress;
};

// One point of a recorded time-trial run: where the car was, how it was
// turned, and the race time of the sample.
struct GhostSample {
    float x;
    float y;
    float z;
    float rotationX;
    float rotationY;
    float rotationZ;
    float rotationW;
    float time;
};

// The best time-trial run of one level: its time (0 for none), a value the
// save keeps, the car it was driven with and its path.
struct BestTimeRecord {
    BestTimeRecord() : bestTime(0.0f), recordValue(0) {}

    float bestTime;
    int32_t recordValue;
    std::string carModel;
    std::vector<GhostSample> ghostSamples;
};

// A result in a race's score table. Smaller times are better, compared by
// minutes, then seconds, then hundredths.
struct ScoreEntry {
    ScoreEntry() : minutes(0), seconds(0), hundredths(0) {}
    ScoreEntry(const std::string& name, int32_t minutes, int32_t seconds, int32_t hundredths)
        : name(name), minutes(minutes), seconds(seconds), hundredths(hundredths)
    {
    }

    bool IsBetterThan(const ScoreEntry& other) const
    {
        if (minutes != other.minutes) return minutes < other.minutes;
        if (seconds != other.seconds) return seconds < other.seconds;
        return hundredths < other.hundredths;
    }

    std::string name;
    int32_t minutes;
    int32_t seconds;
    int32_t hundredths;
};

// One entry of a weighted choice: a roll r from 0 to 99 picks the entry with
// low <= r < high; high - low is the entry's weight.
struct WeightedName {
    WeightedName() : low(0), high(0) {}

    std::string name;
    int32_t low;
    int32_t high;
};

// One checkpoint of a mission: its four numbers, the enemies it may send,
// and the chance in percent and kinds of the bonus it may drop.
struct EnemySourceRecord {
    static const int kWholeNumbers = 3;

    EnemySourceRecord() : value(0.0f), numbers{0, 0, 0}, bonusChance(0) {}

    float value;
    int32_t numbers[kWholeNumbers];
    std::vector<WeightedName> enemyKinds;
    int32_t bonusChance;
    std::vector<WeightedName> bonusKinds;
};

// One spawn point of an enemy source.
struct EnemySourcePoint {
    EnemySourcePoint() : x(0.0f), y(0.0f), z(0.0f), active(false), value(0.0f) {}

    float x;
    float y;
    float z;
    bool active;
    float value;
    std::vector<WeightedName> enemyKinds;
};
