#pragma once

#include <d3d9.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

// One call made on a RecordingDevice: its name with its integer arguments,
// as Call() writes it, and the data that does not fit on that line.
struct DeviceCall {
    DeviceCall();

    std::string text;
    D3DMATRIX matrix;                    // SetTransform
    D3DLIGHT9 light;                     // SetLight
    D3DMATERIAL9 material;               // SetMaterial
    float z;                             // Clear
    IDirect3DBaseTexture9* texture;      // SetTexture
    const void* resource;                // SetStreamSource, SetIndices
    std::vector<unsigned char> vertices; // DrawPrimitiveUP, every vertex drawn; a
                                         // buffer's Unlock, the range locked
};

// "name(1, 2, 3)", or "name" without arguments: how a recorded call reads.
std::string Call(const char* name, std::initializer_list<unsigned long> arguments = {});

class RecordingDeviceCalls;

// A Direct3D 9 device that does nothing but record every call made on it,
// in order. Buffer creation answers the configured result and, when that
// is a success, makes a recording buffer whose locks answer the configured
// lock result and are recorded with the device's calls. Every call that the
// renderer does not make is recorded by name and fails.
class RecordingDevice {
public:
    RecordingDevice();
    ~RecordingDevice();

    IDirect3DDevice9* Get();
    const std::vector<DeviceCall>& Calls() const;
    std::vector<std::string> CallTexts() const;
    void ForgetCalls();
    void SetCreateResult(HRESULT result);
    void SetLockResult(HRESULT result);
    // Off, the device does nothing at all: calls are answered, not kept.
    void SetRecording(bool recording);
    // TestCooperativeLevel answers state (D3D_OK at first) until a Reset
    // works; Reset answers the results in turn and D3D_OK after them.
    void LoseDevice(HRESULT state, std::initializer_list<HRESULT> resetResults);

private:
    std::unique_ptr<RecordingDeviceCalls> m_device;
};
