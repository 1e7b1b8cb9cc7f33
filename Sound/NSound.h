#pragma once

#include "Sound/NWaveFile.h"
#include "core/PObject.h"

#include <windows.h>
#include <dsound.h>

#include <list>
#include <memory>
#include <string>

// A volume from 0 (silent) to 1 (full) as a DirectSound attenuation in
// hundredths of a decibel: (1 - v)^4 * -7000, truncated toward zero. Sounds,
// music and video share this curve; v is not clamped.
LONG VolumeToAttenuation(float volume);

// One sound effect: the samples of one wave file held whole in one
// DirectSound buffer, with a 3D interface when the sound is positioned. The
// wave stays open so a buffer lost to another program can be refilled.
// Every sound created successfully is in the global sound list, through
// which the master sound volume reaches all of them.
class CNSound : public IPObject {
public:
    static const int kPlain = 0;
    static const int kPositioned = 1;

    CNSound(IDirectSound8* device, const char* path, int mode);
    ~CNSound() override;

    int GetObjectSize() override;
    const char* GetTypeName() override;

    // Restores and refills a lost buffer first. Answers the buffer's Play
    // result, or a failure code when there is no buffer or the frequency
    // could not be set.
    HRESULT Play(DWORD priority, DWORD flags);
    void Stop();
    void Rewind();
    bool IsPlaying();
    void SetPitch(float factor);
    void SetVolume(float volume);
    void ApplyMasterVolume();

    // Fills the whole buffer from the first sample; the rest is silence, or
    // with repeat the wave again and again.
    void FillBuffer(IDirectSoundBuffer* buffer, bool repeat);
    // S_FALSE when the buffer was not lost, S_OK once restored (restored is
    // then set) and without a buffer, the failure when it could not be
    // restored.
    HRESULT RestoreBuffer(IDirectSoundBuffer* buffer, bool* restored);

    // Stores the master sound volume and applies it to every listed sound.
    static void ApplyVolumeToAll(float volume);

    bool IsCreated() const { return m_created; }
    IDirectSoundBuffer* GetBuffer() const { return m_buffer; }
    IDirectSound3DBuffer* Get3DBuffer() const { return m_buffer3D; }
    DS3DBUFFER& Get3DParameters() { return m_parameters3D; }
    DWORD GetFrequency() const { return m_frequency; }
    const std::string& GetPath() const { return m_path; }

    // The frame in which a shot last played this sound.
    DWORD GetFrameStamp() const { return m_frameStamp; }
    void SetFrameStamp(DWORD frame) { m_frameStamp = frame; }

private:
    bool CreateBuffer(IDirectSound8* device);
    void Set3DMode();
    void FillRest(BYTE* region, DWORD size, DWORD filled, bool repeat);
    BYTE SilenceByte();

    IDirectSoundBuffer* m_buffer;
    DWORD m_bufferSize;
    std::unique_ptr<CNWaveFile> m_wave;
    int m_mode;
    DWORD m_frequency;  // the rate the buffer reported after its first fill
    std::string m_path;
    bool m_created;
    IDirectSound3DBuffer* m_buffer3D;
    DS3DBUFFER m_parameters3D;
    DWORD m_frameStamp;
    std::string m_typeName;
};

// Every sound created successfully, in creation order, until it is destroyed.
std::list<CNSound*>& GetSoundList();
