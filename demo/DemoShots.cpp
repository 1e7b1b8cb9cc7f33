#include "demo/DemoShots.h"

#include "game/ShotFile.h"

namespace {

const char* const kNoModel = "none";
const char* const kNoSound = "none";

struct DemoProjectile {
    const char* kind;
    const char* speed;
    const char* range;
    const char* damage;
    const char* impact;
};

struct DemoEffect {
    const char* kind;
    const char* system;
    const char* life;
};

// The weapons' shots, then the enemies'.
const DemoProjectile kProjectiles[] = {
    {"trasser11", "120", "300", "5", "sparks"},          {"trasser12", "150", "300", "8", "sparks"},
    {"trasser13", "100", "150", "4", "sparks"},          {"srocket1", "60", "400", "40", "rocket_exp2"},
    {"rocket1", "50", "400", "60", "rocket_exp2"},       {"plazma", "80", "300", "25", "rocket_exp2"},
    {"gauss1", "300", "500", "50", "sparks"},            {"trasser21", "100", "250", "4", "sparks"},
    {"trasser22", "120", "250", "6", "sparks"},          {"trasser23", "90", "120", "3", "sparks"},
    {"srocket2", "50", "350", "30", "rocket_exp2"},      {"plazma_shot2", "70", "300", "20", "rocket_exp2"},
};

// Impacts, explosions, blood and gibs, and the bonuses' flashes.
const DemoEffect kEffects[] = {
    {"sparks", "iskra", "0.5"},        {"rocket_exp2", "explosion", "1.5"}, {"blood1", "blood", "1"},
    {"gib1", "gib", "2"},              {"gib2", "gib", "2"},                {"sparks4", "glow", "1"},
    {"sparks4_gloom", "iskra3blue", "1"}, {"sparks4_remont", "glow", "1"}, {"sparks4red", "glow", "1"},
};

// What the car world, the cars, the player's rules and weapons start, and
// the systems of the effects above.
const char* const kParticleNames[] = {"iskra", "pil_",      "iskra3blue", "firethrower", "gilze", "halo",
                                      "wall",  "explosion", "blood",      "gib",         "glow"};

} // namespace

bool WriteDemoShots(std::string& error)
{
    std::vector<ShotTemplateLine> lines;
    for (const DemoProjectile& shot : kProjectiles) {
        lines.push_back({shot.kind, "projectile", {kNoModel, shot.speed, shot.range, shot.damage, shot.impact, kNoSound}});
    }
    for (const DemoEffect& shot : kEffects) lines.push_back({shot.kind, "effect", {shot.system, shot.life, kNoSound}});
    if (SUCCEEDED(WriteShotFile(kShotFile, lines))) return true;
    error = std::string(kShotFile) + " could not be written";
    return false;
}

std::vector<NamedEmitter> DemoShotEmitters()
{
    std::vector<NamedEmitter> emitters;
    for (const char* name : kParticleNames) {
        NamedEmitter emitter;
        emitter.name = name;
        emitter.definition.particleName = name;
        emitter.definition.firstScalar = 1.0f;
        emitter.definition.secondScalar = 0.5f;
        emitter.definition.thirdScalar = 0.5f;
        emitter.definition.speed = 2.0f;
        emitter.definition.coneAngle = 60;
        emitters.push_back(emitter);
    }
    return emitters;
}
