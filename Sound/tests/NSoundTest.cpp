#include "Sound/NSound.h"
#include "Sound/tests/RecordingDirectSound.h"
#include "Sound/tests/WaveFixtures.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <limits>
#include <string>

namespace {

using namespace wavefixture;
using sounddouble::RecordingBuffer;
using sounddouble::RecordingDirectSound;

// A name with its folder: the multimedia file functions look for a bare name
// in the program's own folder before the current one.
const char* const kWave = ".\\nsound_test.wav";

std::string BufferBytes(IDirectSoundBuffer* buffer)
{
    void* region = nullptr;
    DWORD size = 0;
    if (FAILED(buffer->Lock(0, 0, &region, &size, nullptr, nullptr, DSBLOCK_ENTIREBUFFER))) {
        return "";
    }
    std::string bytes(static_cast<char*>(region), size);
    buffer->Unlock(region, size, nullptr, 0);
    return bytes;
}

// Sounds on Wine's real DirectSound, playing into ALSA's null device, where
// the buffer's contents, status, volume and frequency can be read back.
class SoundOnDevice : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(DirectSoundCreate8(nullptr, &m_device, nullptr), DS_OK);
        ASSERT_EQ(m_device->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY), DS_OK);
        CNSound::ApplyVolumeToAll(1.0f);
    }
    void TearDown() override
    {
        if (m_device) {
            m_device->Release();
        }
    }

    IDirectSound8* m_device = nullptr;
};

TEST_F(SoundOnDevice, HoldsTheWholeWaveInItsBuffer)
{
    std::string samples = Bytes({0x01, 0x02, 0x03, 0x04, 0xFD, 0xFE, 0xFF, 0x7F});
    WriteFile(kWave, Wave(1, 22050, 16, samples));

    CNSound sound(m_device, kWave, CNSound::kPlain);
    ASSERT_TRUE(sound.IsCreated());
    EXPECT_EQ(BufferBytes(sound.GetBuffer()), samples);
    EXPECT_EQ(sound.GetFrequency(), 22050u);
    EXPECT_STREQ(sound.GetTypeName(), "CNSound_.\\nsound_test.wav");
    EXPECT_EQ(sound.Get3DBuffer(), nullptr);
}

struct PaddingCase {
    uint16_t bits;
    std::string present;
    std::string expected;
};

class SoundPadding : public SoundOnDevice, public testing::WithParamInterface<PaddingCase> {};

TEST_P(SoundPadding, PadsATruncatedWaveWithSilence)
{
    const PaddingCase& c = GetParam();
    WriteFile(kWave, Riff("WAVE", PcmFormat(1, 8000, c.bits) + ShortChunk("data", 8, c.present)));

    CNSound sound(m_device, kWave, CNSound::kPlain);
    ASSERT_TRUE(sound.IsCreated());
    EXPECT_EQ(BufferBytes(sound.GetBuffer()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Widths, SoundPadding,
                         testing::Values(PaddingCase{8, "\x10\x20\x30", Bytes({0x10, 0x20, 0x30, 0x80, 0x80, 0x80,
                                                                              0x80, 0x80})},
                                         PaddingCase{16, "\x10\x20\x30\x40", Bytes({0x10, 0x20, 0x30, 0x40, 0, 0,
                                                                                   0, 0})}));

TEST_F(SoundOnDevice, PitchScalesTheWaveRateAndPlayRestoresIt)
{
    WriteFile(kWave, Wave(1, 22050, 8, "abcdefgh"));
    CNSound sound(m_device, kWave, CNSound::kPlain);
    ASSERT_TRUE(sound.IsCreated());

    DWORD frequency = 0;
    sound.SetPitch(2.0f);
    sound.GetBuffer()->GetFrequency(&frequency);
    EXPECT_EQ(frequency, 44100u);
    sound.SetPitch(0.333f);
    sound.GetBuffer()->GetFrequency(&frequency);
    EXPECT_EQ(frequency, 7342u);  // 7342.65 truncated

    ASSERT_EQ(sound.Play(0, 0), DS_OK);
    sound.GetBuffer()->GetFrequency(&frequency);
    EXPECT_EQ(frequency, 22050u);
}

class SoundUnplayablePitch : public SoundOnDevice, public testing::WithParamInterface<float> {};

// A factor whose frequency is no number or no DWORD is refused by the
// buffer, which keeps the frequency it had.
TEST_P(SoundUnplayablePitch, LeavesTheFrequencyAsItWas)
{
    WriteFile(kWave, Wave(1, 22050, 8, "abcdefgh"));
    CNSound sound(m_device, kWave, CNSound::kPlain);
    ASSERT_TRUE(sound.IsCreated());
    sound.SetPitch(2.0f);

    sound.SetPitch(GetParam());
    DWORD frequency = 0;
    sound.GetBuffer()->GetFrequency(&frequency);
    EXPECT_EQ(frequency, 44100u);
}

INSTANTIATE_TEST_SUITE_P(Factors, SoundUnplayablePitch,
                         testing::Values(std::numeric_limits<float>::quiet_NaN(),
                                         std::numeric_limits<float>::infinity(),
                                         -std::numeric_limits<float>::infinity(), 1e30f, 2e5f, -2.0f));

TEST_F(SoundOnDevice, PlaysLoopingUntilStopped)
{
    WriteFile(kWave, Wave(1, 22050, 8, std::string(4096, '\x80')));
    CNSound sound(m_device, kWave, CNSound::kPlain);
    ASSERT_TRUE(sound.IsCreated());
    EXPECT_FALSE(sound.IsPlaying());

    ASSERT_EQ(sound.Play(0, DSBPLAY_LOOPING), DS_OK);
    DWORD status = 0;
    sound.GetBuffer()->GetStatus(&status);
    EXPECT_EQ(status & (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING), DWORD(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));
    EXPECT_TRUE(sound.IsPlaying());

    sound.Stop();
    EXPECT_FALSE(sound.IsPlaying());
}

LONG VolumeOf(CNSound& sound)
{
    LONG volume = 1;
    sound.GetBuffer()->GetVolume(&volume);
    return volume;
}

TEST_F(SoundOnDevice, MasterVolumeReachesEveryLiveSound)
{
    WriteFile(kWave, Wave(1, 22050, 8, "abcd"));
    CNSound::ApplyVolumeToAll(0.0f);
    CNSound first(m_device, kWave, CNSound::kPlain);
    EXPECT_EQ(VolumeOf(first), -7000);

    CNSound* gone = new CNSound(m_device, kWave, CNSound::kPlain);
    CNSound second(m_device, kWave, CNSound::kPlain);
    delete gone;
    EXPECT_EQ(std::count(GetSoundList().begin(), GetSoundList().end(), gone), 0);

    CNSound::ApplyVolumeToAll(0.25f);
    EXPECT_EQ(VolumeOf(first), -2214);
    EXPECT_EQ(VolumeOf(second), -2214);
    CNSound later(m_device, kWave, CNSound::kPlain);
    EXPECT_EQ(VolumeOf(later), -2214);

    second.SetVolume(0.5f);
    EXPECT_EQ(VolumeOf(second), -437);
}

TEST_F(SoundOnDevice, AWaveThatCannotBeOpenedMakesNoSound)
{
    size_t listed = GetSoundList().size();
    CNSound sound(m_device, "no_such_sound.wav", CNSound::kPlain);
    EXPECT_FALSE(sound.IsCreated());
    EXPECT_EQ(sound.GetBuffer(), nullptr);
    EXPECT_EQ(GetSoundList().size(), listed);
    EXPECT_TRUE(FAILED(sound.Play(0, 0)));
    EXPECT_FALSE(sound.IsPlaying());
    sound.Stop();
    sound.Rewind();
    sound.SetPitch(2.0f);
    sound.SetVolume(1.0f);
    bool restored = true;
    EXPECT_EQ(sound.RestoreBuffer(sound.GetBuffer(), &restored), S_OK);
    EXPECT_FALSE(restored);
}

struct CurveCase {
    float volume;
    LONG attenuation;
};

class VolumeCurve : public testing::TestWithParam<CurveCase> {};

TEST_P(VolumeCurve, MapsVolumeToHundredthsOfADecibel)
{
    EXPECT_EQ(VolumeToAttenuation(GetParam().volume), GetParam().attenuation);
}

// Outside 0..1 the curve is not clamped: it is even in 1 - v. Only what
// no LONG can hold, or no number, ends at the lowest value.
INSTANTIATE_TEST_SUITE_P(Points, VolumeCurve,
                         testing::Values(CurveCase{1.0f, 0}, CurveCase{0.5f, -437}, CurveCase{0.0f, -7000},
                                         CurveCase{0.25f, -2214}, CurveCase{0.9f, 0}, CurveCase{1.5f, -437},
                                         CurveCase{2.0f, -7000}, CurveCase{-1.0f, -112000},
                                         CurveCase{1.0e6f, LONG_MIN},
                                         CurveCase{std::numeric_limits<float>::quiet_NaN(), LONG_MIN}));

// The recording device shows the calls whose arguments matter.
class SoundOnRecorder : public testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(kWave, Wave(1, 22050, 16, "abcdefgh"));
        CNSound::ApplyVolumeToAll(1.0f);
    }
    void TearDown() override { g_bitrate = m_savedBitrate; }

    RecordingDirectSound m_device;
    int m_savedBitrate = g_bitrate;
};

struct DescriptionCase {
    int mode;
    int bitrate;
    DWORD flags;
    GUID algorithm;
};

class SoundDescription : public SoundOnRecorder, public testing::WithParamInterface<DescriptionCase> {};

TEST_P(SoundDescription, AsksForTheBufferItNeeds)
{
    g_bitrate = GetParam().bitrate;
    CNSound sound(&m_device, kWave, GetParam().mode);
    ASSERT_EQ(m_device.descriptions.size(), 1u);
    const DSBUFFERDESC& description = m_device.descriptions[0];
    EXPECT_EQ(description.dwSize, sizeof(DSBUFFERDESC));
    EXPECT_EQ(description.dwFlags, GetParam().flags);
    EXPECT_EQ(description.dwBufferBytes, 8u);
    EXPECT_EQ(description.lpwfxFormat->nSamplesPerSec, 22050u);
    EXPECT_EQ(description.guid3DAlgorithm, GetParam().algorithm);
}

INSTANTIATE_TEST_SUITE_P(Modes, SoundDescription,
                         testing::Values(DescriptionCase{CNSound::kPlain, 8, 0xA0, GUID_NULL},
                                         DescriptionCase{CNSound::kPlain, 16, 0xA0, GUID_NULL},
                                         DescriptionCase{CNSound::kPositioned, 8, 0xB0, DS3DALG_HRTF_LIGHT},
                                         DescriptionCase{CNSound::kPositioned, 16, 0xB0, DS3DALG_HRTF_FULL}));

TEST_F(SoundOnRecorder, FillsRewindsAndLevelsANewBuffer)
{
    CNSound::ApplyVolumeToAll(0.5f);
    CNSound sound(&m_device, kWave, CNSound::kPlain);
    RecordingBuffer& buffer = m_device.LastBuffer();
    std::vector<std::string> expected = {"GetStatus", "Lock 0 8 0", "Unlock", "GetFrequency", "SetCurrentPosition 0",
                                         "SetVolume -437"};
    EXPECT_EQ(buffer.calls, expected);
    EXPECT_EQ(std::string(buffer.memory.begin(), buffer.memory.end()), "abcdefgh");
}

TEST_F(SoundOnRecorder, APositionedSoundSwitchesTo3DModeAndKeepsTheRest)
{
    CNSound sound(&m_device, kWave, CNSound::kPositioned);
    sounddouble::Recording3DBuffer* buffer3D = m_device.LastBuffer().buffer3D.get();
    ASSERT_EQ(sound.Get3DBuffer(), buffer3D);
    ASSERT_EQ(buffer3D->writes.size(), 1u);

    DS3DBUFFER expected = sounddouble::Recording3DBuffer().parameters;
    expected.dwMode = DS3DMODE_NORMAL;
    EXPECT_EQ(buffer3D->writes[0].apply, DWORD(DS3D_IMMEDIATE));
    EXPECT_EQ(std::memcmp(&buffer3D->writes[0].parameters, &expected, sizeof(expected)), 0);
    EXPECT_TRUE(buffer3D->unexpected.empty());
}

TEST_F(SoundOnRecorder, ARefusedBufferLeavesTheSoundUnlisted)
{
    size_t listed = GetSoundList().size();
    m_device.createAnswer = DSERR_INVALIDPARAM;
    CNSound sound(&m_device, kWave, CNSound::kPlain);
    EXPECT_FALSE(sound.IsCreated());
    EXPECT_EQ(GetSoundList().size(), listed);
    EXPECT_EQ(sound.Play(0, 0), E_FAIL);
}

TEST_F(SoundOnRecorder, AMissingWaveAsksForNoBuffer)
{
    CNSound sound(&m_device, "no_such_sound.wav", CNSound::kPlain);
    EXPECT_TRUE(m_device.descriptions.empty());
}

TEST_F(SoundOnRecorder, RepeatFillsATruncatedWaveOverAndOver)
{
    WriteFile(kWave, Riff("WAVE", PcmFormat(1, 8000, 8) + ShortChunk("data", 8, "abc")));
    CNSound sound(&m_device, kWave, CNSound::kPlain);
    RecordingBuffer& buffer = m_device.LastBuffer();

    sound.FillBuffer(&buffer, true);
    EXPECT_EQ(std::string(buffer.memory.begin(), buffer.memory.end()), "abcabcab");
}

TEST_F(SoundOnRecorder, PlayStartsAtTheWaveRateWithTheCallersFlags)
{
    CNSound sound(&m_device, kWave, CNSound::kPlain);
    RecordingBuffer& buffer = m_device.LastBuffer();
    buffer.calls.clear();
    sound.SetPitch(1.5f);

    EXPECT_EQ(sound.Play(7, DSBPLAY_LOOPING), DS_OK);
    std::vector<std::string> expected = {"SetFrequency 33075", "GetStatus", "SetFrequency 22050", "Play 0 7 1"};
    EXPECT_EQ(buffer.calls, expected);
}

TEST_F(SoundOnRecorder, PlayAnswersTheFrequencyFailure)
{
    CNSound sound(&m_device, kWave, CNSound::kPlain);
    RecordingBuffer& buffer = m_device.LastBuffer();
    buffer.setFrequencyAnswer = DSERR_INVALIDPARAM;

    EXPECT_EQ(sound.Play(0, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer.CountCalls("Play 0 0 0"), 0);
}

struct RestoreCase {
    const char* name;
    std::vector<HRESULT> answers;
    bool restored;
};

class SoundRestore : public SoundOnRecorder, public testing::WithParamInterface<RestoreCase> {};

// A lost buffer is restored, refilled and rewound before it plays; one that
// stays lost, or fails otherwise, is given up after a bounded number of tries.
TEST_P(SoundRestore, RestoresALostBufferBeforePlaying)
{
    CNSound sound(&m_device, kWave, CNSound::kPlain);
    RecordingBuffer& buffer = m_device.LastBuffer();
    buffer.calls.clear();
    std::fill(buffer.memory.begin(), buffer.memory.end(), 0);
    buffer.status = DSBSTATUS_BUFFERLOST;
    buffer.restoreAnswers.assign(GetParam().answers.begin(), GetParam().answers.end());

    sound.Play(0, 0);
    int restores = buffer.CountCalls("Restore");
    EXPECT_GE(restores, 1);
    EXPECT_LE(restores, 10);
    if (GetParam().restored) {
        EXPECT_EQ(restores, int(GetParam().answers.size()) + 1);
        EXPECT_EQ(buffer.CountCalls("Lock 0 8 0"), 1);
        EXPECT_EQ(buffer.CountCalls("SetCurrentPosition 0"), 1);
        EXPECT_EQ(std::string(buffer.memory.begin(), buffer.memory.end()), "abcdefgh");
    } else {
        EXPECT_EQ(buffer.CountCalls("Lock 0 8 0"), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SoundRestore,
    testing::Values(RestoreCase{"AtOnce", {}, true},
                    RestoreCase{"AfterTwoWaits", {DSERR_BUFFERLOST, DSERR_BUFFERLOST}, true},
                    RestoreCase{"StaysLost", std::vector<HRESULT>(100, DSERR_BUFFERLOST), false}),
    [](const testing::TestParamInfo<RestoreCase>& info) { return std::string(info.param.name); });

TEST_F(SoundOnRecorder, OtherErrorGivesUpAtOnce)
{
    CNSound sound(&m_device, kWave, CNSound::kPlain);
    RecordingBuffer& buffer = m_device.LastBuffer();
    buffer.status = DSBSTATUS_BUFFERLOST;
    buffer.restoreAnswers = {DSERR_INVALIDCALL, DS_OK};
    bool restored = true;

    EXPECT_EQ(sound.RestoreBuffer(&buffer, &restored), DSERR_INVALIDCALL);
    EXPECT_FALSE(restored);
    EXPECT_EQ(buffer.CountCalls("Restore"), 1);
}

TEST_F(SoundOnRecorder, DestructionReleasesBothInterfacesAndUnlists)
{
    CNSound* sound = new CNSound(&m_device, kWave, CNSound::kPositioned);
    RecordingBuffer& buffer = m_device.LastBuffer();
    ASSERT_EQ(std::count(GetSoundList().begin(), GetSoundList().end(), sound), 1);
    delete sound;
    EXPECT_EQ(buffer.releases, 1);
    EXPECT_EQ(buffer.buffer3D->releases, 1);
    EXPECT_EQ(std::count(GetSoundList().begin(), GetSoundList().end(), sound), 0);
}

} // namespace
