#pragma once

#include "Sound/NSound.h"
#include "core/PObject.h"

#include <string>
#include <vector>

// The sounds loaded from "Data\Sounds" on the host's DirectSound device.
// A sound asked for without reload is made once and shared by every later
// request of the same name; the cache owns those and destroys them with
// itself. A sound asked for with reload is a private copy that plays and
// changes pitch on its own, owned by whoever asked for it.
class CPSoundCache {
public:
    explicit CPSoundCache(IDirectSound8* device);
    ~CPSoundCache();

    // The shared sound of exactly this name, or null.
    void Find(RefPtr<CNSound>& sound, const std::string& name);
    // A shared or (with reload) a new sound of the file; null when the file
    // is missing or no valid wave. A positioned sound starts audible from
    // distance 1 to 1000.
    void GetSound(RefPtr<CNSound>& sound, const std::string& name, int mode, bool reload);

private:
    struct Entry {
        std::string name;
        RefPtr<CNSound> sound;
    };

    std::vector<Entry> m_entries;
    IDirectSound8* m_device;
};

// The cache the host created and published; shots reach their sounds here.
extern CPSoundCache* g_pSoundCache;
