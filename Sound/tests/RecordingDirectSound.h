#pragma once

#include <windows.h>
#include <dsound.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <vector>

// Recording doubles of the DirectSound device, its secondary buffers and
// their 3D interface, for the calls whose arguments matter: the buffer
// description, the 3D parameter writes, restoring a lost buffer. Each
// buffer logs its calls as text ("SetFrequency 22050") in order. Calls the
// sound code has no business making are logged as "unexpected ...".
namespace sounddouble {

class Recording3DBuffer : public IDirectSound3DBuffer {
public:
    struct Write {
        DS3DBUFFER parameters;
        DWORD apply;
    };

    Recording3DBuffer()
    {
        // Distinct values in every field, so a write that should keep a
        // field shows when it did not.
        parameters = DS3DBUFFER();
        parameters.dwSize = sizeof(DS3DBUFFER);
        parameters.vPosition = {1.0f, 2.0f, 3.0f};
        parameters.vVelocity = {4.0f, 5.0f, 6.0f};
        parameters.dwInsideConeAngle = 30;
        parameters.dwOutsideConeAngle = 90;
        parameters.vConeOrientation = {0.0f, 1.0f, 0.0f};
        parameters.lConeOutsideVolume = -500;
        parameters.flMinDistance = 2.5f;
        parameters.flMaxDistance = 99.0f;
        parameters.dwMode = DS3DMODE_HEADRELATIVE;
    }
    virtual ~Recording3DBuffer() = default;

    DS3DBUFFER parameters;  // what GetAllParameters answers
    std::vector<Write> writes;
    std::vector<std::string> unexpected;
    int releases = 0;

    STDMETHOD(QueryInterface)(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override
    {
        ++releases;
        return 0;
    }
    STDMETHOD(GetAllParameters)(LPDS3DBUFFER out) override
    {
        if (out->dwSize != sizeof(DS3DBUFFER)) {
            return DSERR_INVALIDPARAM;
        }
        *out = parameters;
        return DS_OK;
    }
    STDMETHOD(SetAllParameters)(LPCDS3DBUFFER in, DWORD apply) override
    {
        writes.push_back({*in, apply});
        parameters = *in;
        return DS_OK;
    }
    STDMETHOD(GetConeAngles)(LPDWORD, LPDWORD) override { return Unexpected("GetConeAngles"); }
    STDMETHOD(GetConeOrientation)(LPD3DVECTOR) override { return Unexpected("GetConeOrientation"); }
    STDMETHOD(GetConeOutsideVolume)(LPLONG) override { return Unexpected("GetConeOutsideVolume"); }
    STDMETHOD(GetMaxDistance)(LPD3DVALUE) override { return Unexpected("GetMaxDistance"); }
    STDMETHOD(GetMinDistance)(LPD3DVALUE) override { return Unexpected("GetMinDistance"); }
    STDMETHOD(GetMode)(LPDWORD) override { return Unexpected("GetMode"); }
    STDMETHOD(GetPosition)(LPD3DVECTOR) override { return Unexpected("GetPosition"); }
    STDMETHOD(GetVelocity)(LPD3DVECTOR) override { return Unexpected("GetVelocity"); }
    STDMETHOD(SetConeAngles)(DWORD, DWORD, DWORD) override { return Unexpected("SetConeAngles"); }
    STDMETHOD(SetConeOrientation)(D3DVALUE, D3DVALUE, D3DVALUE, DWORD) override
    {
        return Unexpected("SetConeOrientation");
    }
    STDMETHOD(SetConeOutsideVolume)(LONG, DWORD) override { return Unexpected("SetConeOutsideVolume"); }
    STDMETHOD(SetMaxDistance)(D3DVALUE, DWORD) override { return Unexpected("SetMaxDistance"); }
    STDMETHOD(SetMinDistance)(D3DVALUE, DWORD) override { return Unexpected("SetMinDistance"); }
    STDMETHOD(SetMode)(DWORD, DWORD) override { return Unexpected("SetMode"); }
    STDMETHOD(SetPosition)(D3DVALUE, D3DVALUE, D3DVALUE, DWORD) override { return Unexpected("SetPosition"); }
    STDMETHOD(SetVelocity)(D3DVALUE, D3DVALUE, D3DVALUE, DWORD) override { return Unexpected("SetVelocity"); }

private:
    HRESULT Unexpected(const char* name)
    {
        unexpected.push_back(name);
        return E_NOTIMPL;
    }
};

class RecordingBuffer : public IDirectSoundBuffer {
public:
    explicit RecordingBuffer(const DSBUFFERDESC& description)
        : description(description),
          memory(description.dwBufferBytes, 0xEE),
          frequency(description.lpwfxFormat->nSamplesPerSec)
    {
        if (description.dwFlags & DSBCAPS_CTRL3D) {
            buffer3D.reset(new Recording3DBuffer);
        }
    }
    virtual ~RecordingBuffer() = default;

    DSBUFFERDESC description;
    std::vector<BYTE> memory;
    DWORD frequency;
    LONG volume = 0;
    DWORD status = 0;
    // Answers of successive Restore calls; DS_OK once they run out.
    std::deque<HRESULT> restoreAnswers;
    HRESULT setFrequencyAnswer = DS_OK;
    std::unique_ptr<Recording3DBuffer> buffer3D;
    std::vector<std::string> calls;
    int releases = 0;

    int CountCalls(const std::string& call) const
    {
        return int(std::count(calls.begin(), calls.end(), call));
    }

    STDMETHOD(QueryInterface)(REFIID iid, void** object) override
    {
        if (iid == IID_IDirectSound3DBuffer && buffer3D) {
            *object = buffer3D.get();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override
    {
        ++releases;
        return 0;
    }
    STDMETHOD(GetStatus)(LPDWORD out) override
    {
        calls.push_back("GetStatus");
        *out = status;
        return DS_OK;
    }
    STDMETHOD(Restore)() override
    {
        calls.push_back("Restore");
        if (restoreAnswers.empty()) {
            status &= ~DWORD(DSBSTATUS_BUFFERLOST);
            return DS_OK;
        }
        HRESULT answer = restoreAnswers.front();
        restoreAnswers.pop_front();
        return answer;
    }
    STDMETHOD(Lock)(DWORD offset, DWORD bytes, LPVOID* first, LPDWORD firstBytes, LPVOID* second,
                    LPDWORD secondBytes, DWORD flags) override
    {
        calls.push_back("Lock " + std::to_string(offset) + " " + std::to_string(bytes) + " "
                        + std::to_string(flags));
        *first = memory.data() + offset;
        *firstBytes = bytes;
        if (second) {
            *second = nullptr;
            *secondBytes = 0;
        }
        return DS_OK;
    }
    STDMETHOD(Unlock)(LPVOID, DWORD, LPVOID, DWORD) override
    {
        calls.push_back("Unlock");
        return DS_OK;
    }
    STDMETHOD(GetFrequency)(LPDWORD out) override
    {
        calls.push_back("GetFrequency");
        *out = frequency;
        return DS_OK;
    }
    STDMETHOD(SetFrequency)(DWORD value) override
    {
        calls.push_back("SetFrequency " + std::to_string(value));
        if (SUCCEEDED(setFrequencyAnswer)) {
            frequency = value;
        }
        return setFrequencyAnswer;
    }
    STDMETHOD(SetVolume)(LONG value) override
    {
        calls.push_back("SetVolume " + std::to_string(value));
        volume = value;
        return DS_OK;
    }
    STDMETHOD(SetCurrentPosition)(DWORD position) override
    {
        calls.push_back("SetCurrentPosition " + std::to_string(position));
        return DS_OK;
    }
    STDMETHOD(Play)(DWORD reserved, DWORD priority, DWORD flags) override
    {
        calls.push_back("Play " + std::to_string(reserved) + " " + std::to_string(priority) + " "
                        + std::to_string(flags));
        status |= DSBSTATUS_PLAYING;
        return DS_OK;
    }
    STDMETHOD(Stop)() override
    {
        calls.push_back("Stop");
        status &= ~DWORD(DSBSTATUS_PLAYING);
        return DS_OK;
    }
    STDMETHOD(GetCaps)(LPDSBCAPS) override { return Unexpected("GetCaps"); }
    STDMETHOD(GetCurrentPosition)(LPDWORD, LPDWORD) override { return Unexpected("GetCurrentPosition"); }
    STDMETHOD(GetFormat)(LPWAVEFORMATEX, DWORD, LPDWORD) override { return Unexpected("GetFormat"); }
    STDMETHOD(GetVolume)(LPLONG) override { return Unexpected("GetVolume"); }
    STDMETHOD(GetPan)(LPLONG) override { return Unexpected("GetPan"); }
    STDMETHOD(Initialize)(LPDIRECTSOUND, LPCDSBUFFERDESC) override { return Unexpected("Initialize"); }
    STDMETHOD(SetFormat)(LPCWAVEFORMATEX) override { return Unexpected("SetFormat"); }
    STDMETHOD(SetPan)(LONG) override { return Unexpected("SetPan"); }

private:
    HRESULT Unexpected(const char* name)
    {
        calls.push_back(std::string("unexpected ") + name);
        return E_NOTIMPL;
    }
};

class RecordingDirectSound : public IDirectSound8 {
public:
    virtual ~RecordingDirectSound() = default;

    // Every description passed to CreateSoundBuffer, and the buffers made.
    std::vector<DSBUFFERDESC> descriptions;
    std::vector<std::unique_ptr<RecordingBuffer>> buffers;
    HRESULT createAnswer = DS_OK;

    RecordingBuffer& LastBuffer() { return *buffers.back(); }

    STDMETHOD(QueryInterface)(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override { return 0; }
    STDMETHOD(CreateSoundBuffer)(LPCDSBUFFERDESC description, LPLPDIRECTSOUNDBUFFER buffer, IUnknown*) override
    {
        descriptions.push_back(*description);
        if (FAILED(createAnswer)) {
            *buffer = nullptr;
            return createAnswer;
        }
        buffers.emplace_back(new RecordingBuffer(*description));
        *buffer = buffers.back().get();
        return DS_OK;
    }
    STDMETHOD(GetCaps)(LPDSCAPS) override { return E_NOTIMPL; }
    STDMETHOD(DuplicateSoundBuffer)(LPDIRECTSOUNDBUFFER, LPLPDIRECTSOUNDBUFFER) override { return E_NOTIMPL; }
    STDMETHOD(SetCooperativeLevel)(HWND, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(Compact)() override { return E_NOTIMPL; }
    STDMETHOD(GetSpeakerConfig)(LPDWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetSpeakerConfig)(DWORD) override { return E_NOTIMPL; }
    STDMETHOD(Initialize)(LPCGUID) override { return E_NOTIMPL; }
    STDMETHOD(VerifyCertification)(LPDWORD) override { return E_NOTIMPL; }
};

} // namespace sounddouble
