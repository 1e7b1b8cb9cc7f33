#include "Sound/PSoundManager.h"

#include "Sound/PMusic.h"
#include "Sound/PSoundCache.h"
#include "core/Settings.h"

namespace {

// Reads the sound's current 3D parameters, lets change rewrite some of
// them, and writes them all back at once.
template <class Change>
void Update3DParameters(CNSound* sound, Change change)
{
    if (!sound || !sound->Get3DBuffer()) {
        return;
    }
    DS3DBUFFER& parameters = sound->Get3DParameters();
    parameters.dwSize = sizeof(parameters);
    if (FAILED(sound->Get3DBuffer()->GetAllParameters(&parameters))) {
        return;
    }
    change(parameters);
    sound->Get3DBuffer()->SetAllParameters(&parameters, DS3D_IMMEDIATE);
}

} // namespace

CPSoundManager* g_pSoundManager = nullptr;

CPSoundManager* GetSoundManager()
{
    return g_pSoundManager;
}

CPSoundManager::CPSoundManager(CPSoundCache* cache) : m_cache(cache)
{
}

void CPSoundManager::LoadSound(RefPtr<CNSound>& sound, const std::string& name, int mode, bool reload)
{
    m_cache->GetSound(sound, name, mode, reload);
}

void CPSoundManager::GetSound(RefPtr<CNSound>& sound, const std::string& name)
{
    sound = m_namedSounds[name];
}

void CPSoundManager::PlayFromStart(const std::string& name)
{
    RefPtr<CNSound> sound;
    GetSound(sound, name);
    if (!sound) return;
    if (sound->IsPlaying()) {
        sound->Stop();
        sound->Rewind();
    }
    sound->Play(0, 0);
}

void CPSoundManager::SetSoundPosition(RefPtr<CNSound> sound, const D3DVECTOR& position, const D3DVECTOR& velocity)
{
    Update3DParameters(sound.Get(), [&](DS3DBUFFER& parameters) {
        parameters.vPosition = position;
        parameters.vVelocity = velocity;
    });
}

void CPSoundManager::SetSoundDistances(RefPtr<CNSound> sound, float minimum, float maximum)
{
    Update3DParameters(sound.Get(), [&](DS3DBUFFER& parameters) {
        parameters.flMinDistance = minimum;
        parameters.flMaxDistance = maximum;
    });
}

void CPSoundManager::ApplySoundVolume(float volume)
{
    g_soundVolume = volume;
    CNSound::ApplyVolumeToAll(volume);
}

void CPSoundManager::ApplyMusicVolume(float volume)
{
    g_musicVolume = volume;
    if (g_pMusic) {
        g_pMusic->SetVolume(volume);
    }
}
