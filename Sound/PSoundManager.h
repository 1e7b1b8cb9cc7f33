#pragma once

#include "Sound/NSound.h"
#include "core/PObject.h"

#include <string>
#include <unordered_map>

class CPSoundCache;

// The one entry point of the sound effects: loads sounds through the sound
// cache, keeps the named sounds that scripts play, stop and move, positions
// 3D sounds, and applies the sound and music volume settings.
class CPSoundManager {
public:
    typedef std::unordered_map<std::string, RefPtr<CNSound>> NamedSoundMap;

    explicit CPSoundManager(CPSoundCache* cache);

    void LoadSound(RefPtr<CNSound>& sound, const std::string& name, int mode, bool reload);
    // The named sound, or null; a name not yet known is entered empty, so
    // whatever prepares a level's sounds can find every name asked for.
    void GetSound(RefPtr<CNSound>& sound, const std::string& name);
    NamedSoundMap& GetNamedSounds() { return m_namedSounds; }
    // Plays the named sound from its beginning, stopping it first when it
    // is playing; nothing when there is no such sound.
    void PlayFromStart(const std::string& name);

    // Rewrite two fields of a 3D sound's parameters at once; a sound
    // without a 3D buffer is left alone. Positions are in the world's units
    // and axes as the caller has them.
    static void SetSoundPosition(RefPtr<CNSound> sound, const D3DVECTOR& position, const D3DVECTOR& velocity);
    static void SetSoundDistances(RefPtr<CNSound> sound, float minimum, float maximum);

    // Store the setting, then apply it to every sound or to the music.
    void ApplySoundVolume(float volume);
    void ApplyMusicVolume(float volume);

private:
    CPSoundCache* m_cache;
    NamedSoundMap m_namedSounds;
};

// The manager the host created and published.
extern CPSoundManager* g_pSoundManager;
CPSoundManager* GetSoundManager();
