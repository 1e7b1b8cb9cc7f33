#include "host/DeviceRecovery.h"

#include "Render/PDeviceListener.h"
#include "Render/PRender.h"

#include <windows.h>

#include <list>

DeviceRecovery::DeviceRecovery(IDirect3DDevice9& device, D3DPRESENT_PARAMETERS& parameters, CPRender& render)
    : m_device(device), m_parameters(parameters), m_render(render), m_lost(false)
{
}

bool DeviceRecovery::Ready()
{
    const HRESULT state = m_device.TestCooperativeLevel();
    if (state == D3D_OK) return true;
    if (state == D3DERR_DEVICENOTRESET && SUCCEEDED(Reset())) return true;
    Sleep(kLostFrameWaitMilliseconds);
    return false;
}

HRESULT DeviceRecovery::Reset()
{
    TellLost();
    const HRESULT result = m_device.Reset(&m_parameters);
    if (FAILED(result)) return result;
    m_lost = false;
    // A listener may leave the list while it is told; the walk keeps its own copy.
    const std::list<IPDeviceListener*> listeners = GetDeviceListeners();
    for (IPDeviceListener* listener : listeners) listener->OnResetDevice();
    m_render.SetDefaultStates();
    return result;
}

void DeviceRecovery::TellLost()
{
    if (m_lost) return;
    m_lost = true;
    const std::list<IPDeviceListener*> listeners = GetDeviceListeners();
    for (IPDeviceListener* listener : listeners) listener->OnLostDevice();
}
