#pragma once

#include <d3d9.h>

class CPRender;

// Brings a lost device back. The device-loss listeners hear of a loss once,
// however many resets it takes; after the reset that works they hear of it
// in order and the renderer sets its default states again. A device whose
// reset failed stays lost and is never drawn on.
class DeviceRecovery {
public:
    // How long a frame waits while the device stays lost, so that the loop
    // does not spin at full speed.
    static const DWORD kLostFrameWaitMilliseconds = 50;

    DeviceRecovery(IDirect3DDevice9& device, D3DPRESENT_PARAMETERS& parameters, CPRender& render);

    // Whether the device can draw this frame. A device that can be reset is
    // reset first; one that stays lost answers false after the frame's wait.
    bool Ready();

    // Resets the device as after a loss; answers Reset's result.
    HRESULT Reset();

    // Whether the listeners were told of a loss that no reset has ended yet.
    bool IsLost() const { return m_lost; }

private:
    void TellLost();

    IDirect3DDevice9& m_device;
    D3DPRESENT_PARAMETERS& m_parameters;
    CPRender& m_render;
    bool m_lost;
};
