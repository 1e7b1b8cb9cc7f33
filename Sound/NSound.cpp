#include "Sound/NSound.h"

#include "core/PDXErrorLog.h"
#include "core/Settings.h"

#include <climits>
#include <cstring>

namespace {

const char* const kSourceFile = "Sound/NSound";
const char* const kClassName = "CNSound";

const DWORD kPlainBufferFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY;
// The "bitrate" setting that asks for the full head-related 3D algorithm.
const int kFullHrtfBitrate = 16;

// Attenuation at volume 0, in hundredths of a decibel.
const double kSilentAttenuation = -7000.0;

// Every Play sets the frequency to the wave's own rate times this factor.
const float kPitchFactor = 1.0f;

// A buffer that stays lost is given up after this many Restore calls.
const int kRestoreAttempts = 5;
const DWORD kRestoreRetryDelayMs = 10;

const BYTE kSilence8Bit = 0x80;
const BYTE kSilenceWide = 0x00;
const WORD kEightBits = 8;

float g_masterSoundVolume = 0.0f;

// Given for a frequency that is no number or lies outside what a DWORD can
// hold; DirectSound refuses it, so the caller reports the failure.
const DWORD kUnplayableFrequency = 0xFFFFFFFF;
const double kFrequencyLimit = 4294967296.0;

// The product truncated toward zero. One that cannot be truncated into a
// DWORD is not converted at all: that conversion is undefined.
DWORD ScaledFrequency(DWORD frequency, float factor)
{
    float product = static_cast<float>(frequency) * factor;
    if (!(product > -1.0f && static_cast<double>(product) < kFrequencyLimit)) {
        return kUnplayableFrequency;
    }
    return static_cast<DWORD>(product);
}

GUID Choose3DAlgorithm(int mode)
{
    if (mode != CNSound::kPositioned) {
        return GUID_NULL;
    }
    return g_bitrate == kFullHrtfBitrate ? DS3DALG_HRTF_FULL : DS3DALG_HRTF_LIGHT;
}

// Restore answers "buffer lost" while the application that took the sound
// hardware still holds it; a few short waits cover a switch back to us.
HRESULT RestoreLostBuffer(IDirectSoundBuffer* buffer)
{
    HRESULT result = buffer->Restore();
    for (int attempt = 1; result == DSERR_BUFFERLOST && attempt < kRestoreAttempts; ++attempt) {
        Sleep(kRestoreRetryDelayMs);
        result = buffer->Restore();
    }
    return result;
}

} // namespace

LONG VolumeToAttenuation(float volume)
{
    double quiet = 1.0 - static_cast<double>(volume);
    double attenuation = quiet * quiet * quiet * quiet * kSilentAttenuation;
    // Tested this way round so that a volume that is no number ends at the
    // bottom too, instead of in an undefined conversion.
    if (!(attenuation > static_cast<double>(LONG_MIN))) {
        return LONG_MIN;
    }
    return static_cast<LONG>(attenuation);
}

std::list<CNSound*>& GetSoundList()
{
    static std::list<CNSound*> sounds;
    return sounds;
}

CNSound::CNSound(IDirectSound8* device, const char* path, int mode)
    : m_buffer(nullptr),
      m_bufferSize(0),
      m_wave(new CNWaveFile),
      m_mode(mode),
      m_frequency(0),
      m_path(path ? path : ""),
      m_created(false),
      m_buffer3D(nullptr),
      m_parameters3D(),
      m_frameStamp(0),
      m_typeName(std::string(kClassName) + "_" + m_path)
{
    if (!device || FAILED(m_wave->Open(m_path.c_str(), nullptr, CNWaveFile::kRead))) {
        return;
    }
    if (!CreateBuffer(device)) {
        return;
    }
    FillBuffer(m_buffer, false);
    Rewind();
    if (FAILED(m_buffer->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&m_buffer3D)))) {
        m_buffer3D = nullptr;
    }
    if (m_mode == kPositioned && m_buffer3D) {
        Set3DMode();
    }
    GetSoundList().push_back(this);
    m_created = true;
    ApplyMasterVolume();
}

CNSound::~CNSound()
{
    if (m_buffer3D) {
        m_buffer3D->Release();
    }
    if (m_buffer) {
        m_buffer->Release();
    }
    m_wave.reset();
    if (m_created) {
        GetSoundList().remove(this);
    }
}

int CNSound::GetObjectSize()
{
    return sizeof(*this);
}

const char* CNSound::GetTypeName()
{
    return m_typeName.c_str();
}

bool CNSound::CreateBuffer(IDirectSound8* device)
{
    DSBUFFERDESC description = {};
    description.dwSize = sizeof(description);
    description.dwFlags = kPlainBufferFlags | (m_mode == kPositioned ? DSBCAPS_CTRL3D : 0);
    description.dwBufferBytes = m_wave->GetSize();
    description.lpwfxFormat = m_wave->GetFormat();
    description.guid3DAlgorithm = Choose3DAlgorithm(m_mode);
    if (ReportDXError(device->CreateSoundBuffer(&description, &m_buffer, nullptr), kSourceFile, __LINE__)) {
        m_buffer = nullptr;
        return false;
    }
    m_bufferSize = description.dwBufferBytes;
    return true;
}

void CNSound::Set3DMode()
{
    m_parameters3D.dwSize = sizeof(m_parameters3D);
    if (ReportDXError(m_buffer3D->GetAllParameters(&m_parameters3D), kSourceFile, __LINE__)) {
        return;
    }
    m_parameters3D.dwMode = DS3DMODE_NORMAL;
    ReportDXError(m_buffer3D->SetAllParameters(&m_parameters3D, DS3D_IMMEDIATE), kSourceFile, __LINE__);
}

void CNSound::FillBuffer(IDirectSoundBuffer* buffer, bool repeat)
{
    if (!buffer) {
        return;
    }
    RestoreBuffer(buffer, nullptr);
    void* region = nullptr;
    DWORD regionSize = 0;
    if (ReportDXError(buffer->Lock(0, m_bufferSize, &region, &regionSize, nullptr, nullptr, 0), kSourceFile,
                      __LINE__)) {
        return;
    }
    BYTE* bytes = static_cast<BYTE*>(region);
    DWORD read = 0;
    m_wave->ResetFile();
    m_wave->Read(bytes, regionSize, &read);
    FillRest(bytes, regionSize, read, repeat);
    ReportDXError(buffer->Unlock(region, regionSize, nullptr, 0), kSourceFile, __LINE__);
    ReportDXError(buffer->GetFrequency(&m_frequency), kSourceFile, __LINE__);
}

// Repeats the wave into the rest of the region, or pads it with silence. A
// wave that gives nothing is never repeated: that would never fill anything.
void CNSound::FillRest(BYTE* region, DWORD size, DWORD filled, bool repeat)
{
    while (repeat && filled > 0 && filled < size) {
        DWORD read = 0;
        m_wave->ResetFile();
        m_wave->Read(region + filled, size - filled, &read);
        if (read == 0) {
            break;
        }
        filled += read;
    }
    std::memset(region + filled, SilenceByte(), size - filled);
}

BYTE CNSound::SilenceByte()
{
    const WAVEFORMATEX* format = m_wave->GetFormat();
    return format && format->wBitsPerSample == kEightBits ? kSilence8Bit : kSilenceWide;
}

HRESULT CNSound::RestoreBuffer(IDirectSoundBuffer* buffer, bool* restored)
{
    if (restored) {
        *restored = false;
    }
    if (!buffer) {
        return S_OK;
    }
    DWORD status = 0;
    HRESULT result = buffer->GetStatus(&status);
    if (ReportDXError(result, kSourceFile, __LINE__)) {
        return result;
    }
    if (!(status & DSBSTATUS_BUFFERLOST)) {
        return S_FALSE;
    }
    result = RestoreLostBuffer(buffer);
    if (ReportDXError(result, kSourceFile, __LINE__)) {
        return result;
    }
    if (restored) {
        *restored = true;
    }
    return S_OK;
}

HRESULT CNSound::Play(DWORD priority, DWORD flags)
{
    if (!m_buffer) {
        return E_FAIL;
    }
    bool restored = false;
    RestoreBuffer(m_buffer, &restored);
    if (restored) {
        FillBuffer(m_buffer, false);
        Rewind();
    }
    HRESULT result = m_buffer->SetFrequency(ScaledFrequency(m_frequency, kPitchFactor));
    if (ReportDXError(result, kSourceFile, __LINE__)) {
        return result;
    }
    result = m_buffer->Play(0, priority, flags);
    ReportDXError(result, kSourceFile, __LINE__);
    return result;
}

void CNSound::Stop()
{
    if (m_buffer) {
        ReportDXError(m_buffer->Stop(), kSourceFile, __LINE__);
    }
}

void CNSound::Rewind()
{
    if (m_buffer) {
        ReportDXError(m_buffer->SetCurrentPosition(0), kSourceFile, __LINE__);
    }
}

bool CNSound::IsPlaying()
{
    DWORD status = 0;
    if (!m_buffer || FAILED(m_buffer->GetStatus(&status))) {
        return false;
    }
    return (status & DSBSTATUS_PLAYING) != 0;
}

void CNSound::SetPitch(float factor)
{
    if (m_buffer) {
        ReportDXError(m_buffer->SetFrequency(ScaledFrequency(m_frequency, factor)), kSourceFile, __LINE__);
    }
}

void CNSound::SetVolume(float volume)
{
    if (m_buffer) {
        ReportDXError(m_buffer->SetVolume(VolumeToAttenuation(volume)), kSourceFile, __LINE__);
    }
}

void CNSound::ApplyMasterVolume()
{
    SetVolume(g_masterSoundVolume);
}

void CNSound::ApplyVolumeToAll(float volume)
{
    g_masterSoundVolume = volume;
    for (CNSound* sound : GetSoundList()) {
        sound->ApplyMasterVolume();
    }
}
