#include "Render/tests/TestDevice.h"

namespace {

const char* const kWindowClass = "HollowmereTestDevice";
const int kBackBufferSize = 64;

HWND CreateHiddenWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);
    return CreateWindowA(kWindowClass, "", WS_OVERLAPPEDWINDOW, 0, 0, kBackBufferSize,
                         kBackBufferSize, nullptr, nullptr, windowClass.hInstance, nullptr);
}

IDirect3DDevice9* CreateTestDevice()
{
    HWND window = CreateHiddenWindow();
    IDirect3D9* direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!window || !direct3D) return nullptr;

    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = kBackBufferSize;
    parameters.BackBufferHeight = kBackBufferSize;
    parameters.BackBufferFormat = D3DFMT_UNKNOWN;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    parameters.Windowed = TRUE;
    IDirect3DDevice9* device = nullptr;
    direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                           D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE,
                           &parameters, &device);
    return device;
}

} // namespace

IDirect3DDevice9* GetTestDevice()
{
    static IDirect3DDevice9* device = CreateTestDevice();
    return device;
}
