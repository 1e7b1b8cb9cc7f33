#include "Sound/PSoundCache.h"

#include "Sound/PSoundManager.h"

namespace {

const char* const kSoundFolder = "Data\\Sounds";
const float kNewSoundMinDistance = 1.0f;
const float kNewSoundMaxDistance = 1000.0f;

} // namespace

CPSoundCache* g_pSoundCache = nullptr;

CPSoundCache::CPSoundCache(IDirectSound8* device) : m_device(device)
{
}

CPSoundCache::~CPSoundCache()
{
    for (Entry& entry : m_entries) {
        CNSound* sound = entry.sound.Get();
        entry.sound = nullptr;
        delete sound;
    }
}

void CPSoundCache::Find(RefPtr<CNSound>& sound, const std::string& name)
{
    for (const Entry& entry : m_entries) {
        if (entry.name == name) {
            sound = entry.sound;
            return;
        }
    }
    sound = nullptr;
}

void CPSoundCache::GetSound(RefPtr<CNSound>& sound, const std::string& name, int mode, bool reload)
{
    if (!reload) {
        Find(sound, name);
        if (sound) {
            return;
        }
    }
    std::string path = std::string(kSoundFolder) + "\\" + name;
    CNSound* created = new CNSound(m_device, path.c_str(), mode);
    if (!created->IsCreated()) {
        delete created;
        sound = nullptr;
        return;
    }
    if (mode == CNSound::kPositioned) {
        CPSoundManager::SetSoundDistances(created, kNewSoundMinDistance, kNewSoundMaxDistance);
    }
    if (!reload) {
        m_entries.push_back(Entry{name, created});
    }
    sound = created;
}
