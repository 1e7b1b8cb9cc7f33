#include "host/EngineHost.h"

#include "host/CommandQueueDrain.h"
#include "host/FrameDrawer.h"
#include "host/MotionBlur.h"
#include "host/OpeningScene.h"
#include "host/ParticleBatch.h"
#include "host/ParticleFile.h"
#include "host/RenderQueueRing.h"

#include "DynamicSky/PDynamicSkyMaker.h"
#include "DynamicSky/VertexObject.h"
#include "Render/PAVIPlayer.h"
#include "Render/PAVIPlayer1.h"
#include "Render/PDeviceListener.h"
#include "Render/PEffect.h"
#include "Render/PAnimationCache.h"
#include "Render/PMaterial.h"
#include "Render/PObjectLoader.h"
#include "Render/PParticleManager.h"
#include "Render/PPerspectiveCamera.h"
#include "Render/PRender.h"
#include "Render/PTexture.h"
#include "Sound/PMusic.h"
#include "Sound/PSoundCache.h"
#include "Sound/PSoundManager.h"
#include "core/FrameClock.h"
#include "core/PCommandManager.h"
#include "core/PSettings.h"
#include "core/PTaskManager.h"
#include "core/PackArchiveFile.h"
#include "core/Settings.h"
#include "game/AIManager.h"
#include "game/PActionsManager.h"
#include "game/PGameData.h"
#include "game/PShotSpawner.h"
#include "interface/FontFile.h"
#include "interface/PFontManager.h"
#include "physics/PCarWorld.h"

#include <d3dx9.h>

#include <cstdio>

namespace {

const char* const kConfigFile = "config.cfg";
const char* const kShadowEffect = "shadow.fx";
const char* const kProgramTitle = "Hollowmere";
const int kOpeningSkyNumber = 0;
const int kLoadingComplete = 100;
const float kFullBrightness = 1.0f;
const int kTrueColourBPP = 32;
// The longest frame the clocks accept: a frame held up by a moved window or
// a debugger does not throw the game a second ahead.
const float kLongestFrame = 0.25f;
const double kMillisecondsPerSecond = 1000.0;

// The command receivers that the engine and the scripts address, by name
// and by category.
struct ReceiverName {
    const char* name;
    const char* category;
};
const ReceiverName kReceivers[] = {
    {"main", "main"},
    {"game_interface", "interface"},
    {"gamemenu", "interface"},
    {"jeep", "level"},
};

// The opening camera looks at the origin from a corner above it.
const D3DXVECTOR3 kOpeningEye(-9.0f, -12.0f, 6.0f);
const D3DXVECTOR3 kOpeningTarget(0.0f, 0.0f, 0.0f);
const D3DXVECTOR3 kWorldUp(0.0f, 0.0f, 1.0f);
const float kOpeningFieldOfView = 1.0f;
const float kOpeningNearPlane = 1.0f;
const float kOpeningFarPlane = 1000.0f;

template <class T>
void DeleteGlobal(T*& global)
{
    delete global;
    global = nullptr;
}

template <class Interface>
void ReleaseInterface(Interface*& object)
{
    if (object) object->Release();
    object = nullptr;
}

} // namespace

EngineHost::EngineHost(const HostOptions& options)
    : m_options(options),
      m_direct3D(nullptr),
      m_device(nullptr),
      m_presentParameters(),
      m_directSound(nullptr),
      m_taskOrderChangeCount(0),
      m_clockFrequency(),
      m_lastFrameStart(),
      m_finalDeviceReferences(0),
      m_started(false)
{
}

EngineHost::~EngineHost()
{
    Shutdown();
}

bool EngineHost::Start(HINSTANCE instance, std::string& error)
{
    m_started = true;
    m_settings.reset(new CPSettings());
    m_settings->Load(kConfigFile);
    // Data files may come from the archives, so they are known before
    // anything loads.
    RegisterPackArchivesIn("");

    if (!m_window.Create(instance, g_screenWidth, g_screenHeight, g_fullScreen != 0)) {
        error = "The game window could not be created.";
        return false;
    }
    if (!CreateDevice(error)) return false;
    CreateRenderResources();
    g_VertexDrawer.SetDevice(m_device);

    g_pTaskManager = new CPTaskManager();
    g_pTaskManager->SetMainWindow(m_window.GetHandle());
    CreateSound();
    CreateSingleObjects();
    GetRender()->SetDefaultStates();
    ShowOpeningScene();

    QueryPerformanceFrequency(&m_clockFrequency);
    QueryPerformanceCounter(&m_lastFrameStart);
    return true;
}

// Full screen works only where the display offers the size; anywhere else
// the game falls back to a window of that size.
bool EngineHost::CreateDevice(std::string& error)
{
    m_direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!m_direct3D) {
        error = "Direct3D 9 is not available.";
        return false;
    }
    const DWORD flags = D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE;
    HRESULT result = D3DERR_NOTAVAILABLE;
    if (g_fullScreen) {
        ResetPresentParameters(true);
        result = m_direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_window.GetHandle(), flags,
                                          &m_presentParameters, &m_device);
    }
    if (FAILED(result)) {
        ResetPresentParameters(false);
        result = m_direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_window.GetHandle(), flags,
                                          &m_presentParameters, &m_device);
    }
    if (FAILED(result)) {
        m_device = nullptr;
        error = "No Direct3D 9 device could be created.";
        return false;
    }
    return true;
}

void EngineHost::ResetPresentParameters(bool fullScreen)
{
    m_presentParameters = D3DPRESENT_PARAMETERS();
    m_presentParameters.BackBufferWidth = static_cast<UINT>(g_screenWidth);
    m_presentParameters.BackBufferHeight = static_cast<UINT>(g_screenHeight);
    m_presentParameters.BackBufferCount = 1;
    m_presentParameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    m_presentParameters.hDeviceWindow = m_window.GetHandle();
    m_presentParameters.Windowed = fullScreen ? FALSE : TRUE;
    m_presentParameters.EnableAutoDepthStencil = TRUE;
    m_presentParameters.AutoDepthStencilFormat = D3DFMT_D16;
    m_presentParameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    m_presentParameters.BackBufferFormat =
        !fullScreen ? D3DFMT_UNKNOWN : g_screenBPP == kTrueColourBPP ? D3DFMT_X8R8G8B8 : D3DFMT_R5G6B5;
}

// The renderer with the device and what it needs of it, the caches that
// resources come from and the shadow material made through them.
void EngineHost::CreateRenderResources()
{
    D3DCAPS9 caps = {};
    m_device->GetDeviceCaps(&caps);
    g_pRender = new CPRender();
    g_pRender->SetDevice(m_device);
    g_pRender->SetMaxAnisotropy(static_cast<int>(caps.MaxAnisotropy));
    g_pRender->SetMaxFade(kMaxFade);
    m_motionBlur.reset(new MotionBlur(*g_pRender));

    g_pTextureCache = new CPTextureCache();
    g_pEffectCache = new CPEffectCache();
    g_pMaterialManager = new CPMaterialManager();
    RefPtr<CPMaterial> shadow;
    g_pMaterialManager->CreateMaterial(shadow, kShadowMaterialType, kShadowEffect, std::vector<std::string>());
    g_pRender->SetShadowMaterial(shadow.Get());
}

// Without a sound device the game runs silent: the cache makes no buffers.
void EngineHost::CreateSound()
{
    if (FAILED(DirectSoundCreate8(nullptr, &m_directSound, nullptr))) {
        m_directSound = nullptr;
    } else if (FAILED(m_directSound->SetCooperativeLevel(m_window.GetHandle(), DSSCL_PRIORITY))) {
        ReleaseInterface(m_directSound);
    }
    g_pSoundCache = new CPSoundCache(m_directSound);
    g_pSoundManager = new CPSoundManager(g_pSoundCache);
}

// The car world runs as a task from the start; it simulates nothing until
// a level gives it a simulator.
void EngineHost::CreateSingleObjects()
{
    m_renderQueue.reset(new RenderQueueRing(*g_pRender));
    g_pAnimationCache = new CPAnimationCache();
    g_pObjectLoader = new CPObjectLoader();
    g_pCommandManager = new CPCommandManager();
    RegisterReceivers();
    g_pMusic = new CPMusic();
    g_pVideoPlayer = new CPVideoPlayer();
    g_pVideoPlayer1 = new CPVideoPlayer1();
    CreateParticles();
    g_pFontManager = new CPFontManager();
    LoadFontFolder(*g_pFontManager);
    g_pGameData = new CPGameData();
    g_pActionsManager = new CPActionsManager();
    g_pAIManager = new AIManager();
    m_skyMaker.reset(new CPDynamicSkyMaker());
    g_pRender->SetSkyMaker(m_skyMaker.get());
    g_pShotSpawner = new CPShotSpawner();
    g_pCarWorld = new CPCarWorld();
    g_pTaskManager->AddTask(g_pCarWorld);
}

// The emitter definitions with a batch for each particle name they use.
void EngineHost::CreateParticles()
{
    g_pParticleManager = new CPParticleManager();
    const std::vector<NamedEmitter> emitters = LoadParticleDefinitions(*g_pParticleManager);
    m_particles.reset(new ParticleBatchSet(*g_pParticleManager, emitters, g_pTextureCache));
}

void EngineHost::RegisterReceivers()
{
    for (const ReceiverName& named : kReceivers) {
        std::unique_ptr<CommandQueueDrain> receiver(new CommandQueueDrain());
        g_pCommandManager->RegisterReceiver(named.name, receiver.get());
        g_pCommandManager->AddToCategory(named.category, receiver.get());
        g_pTaskManager->AddTask(receiver.get());
        m_receivers.push_back(std::move(receiver));
    }
}

// Until scripts load levels: the loading screen, then a camera over the
// origin with the first sky and the turning box, at full brightness.
void EngineHost::ShowOpeningScene()
{
    GetRender()->DrawLoadingScreen(kLoadingComplete);
    m_worldCamera.reset(new CPPerspectiveCamera());
    m_worldCamera->SetEye(kOpeningEye);
    m_worldCamera->SetTarget(kOpeningTarget);
    m_worldCamera->SetUp(kWorldUp);
    m_worldCamera->SetFieldOfView(kOpeningFieldOfView);
    m_worldCamera->SetNearPlane(kOpeningNearPlane);
    m_worldCamera->SetFarPlane(kOpeningFarPlane);
    m_worldCamera->UpdateMatrices();
    GetRender()->AddToRenderList(kWorldCameraKey, m_worldCamera.get());
    GetRender()->SetSky(kOpeningSkyNumber);
    GetRender()->SetFade(kFullBrightness);
    m_openingScene.reset(new OpeningScene());
    g_pTaskManager->AddTask(m_openingScene->GetUpdater());
}

int EngineHost::Run()
{
    for (int frame = 1;; ++frame) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return 0;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (m_options.HasFrameLimit() && frame > m_options.frames) return 0;
        if (frame == m_options.resetAt) ResetDevice();
        // The clock's time since the last frame began, whether or not the
        // frames run on a fixed time.
        const float measured = MeasureFrameTime();
        const float deltaTime = m_options.HasFixedDeltaTime() ? m_options.fixedDeltaTime : measured;
        const bool last = m_options.HasFrameLimit() && frame == m_options.frames;
        const bool screenshot = last && !m_options.screenshot.empty();
        if (!RunFrame(deltaTime, screenshot ? &m_options.screenshot : nullptr)) return 1;
        if (m_options.frameTimes) {
            std::printf("frame %d: %.3f ms\n", frame, measured * kMillisecondsPerSecond);
            std::fflush(stdout);
        }
    }
}

float EngineHost::MeasureFrameTime()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const double seconds = static_cast<double>(now.QuadPart - m_lastFrameStart.QuadPart) /
                           static_cast<double>(m_clockFrequency.QuadPart);
    m_lastFrameStart = now;
    return seconds < kLongestFrame ? static_cast<float>(seconds) : kLongestFrame;
}

bool EngineHost::RunFrame(float deltaTime, const std::string* screenshot)
{
    FrameDeltaTime = deltaTime;
    FullTime += deltaTime;
    ++FrameNumber;
    m_keyActions.SendChanges();
    RunTasks();
    m_particles->Update(deltaTime);
    if (!DeviceReady()) {
        FrameDrawer(*GetRender()).EmptyFrameState();
        return screenshot == nullptr;
    }
    DrawFrame();
    // The back buffer is read before Present, which may discard it.
    const bool saved = screenshot == nullptr || SaveScreenshot(*screenshot);
    m_device->Present(nullptr, nullptr, nullptr, nullptr);
    return saved;
}

void EngineHost::DrawFrame()
{
    FrameDrawer(*GetRender(), m_motionBlur.get(), m_particles.get()).Draw();
}

void EngineHost::RunTasks()
{
    const CPTaskManager& manager = *g_pTaskManager;
    if (m_taskOrder.empty() || manager.GetChangeCount() != m_taskOrderChangeCount) {
        m_taskOrder.clear();
        for (const RefPtr<IPProcess>& task : manager.GetTasks()) m_taskOrder.push_back(task.Get());
        m_taskOrderChangeCount = manager.GetChangeCount();
    }
    for (IPProcess* task : m_taskOrder) {
        if (task->IsRunning()) task->Execute();
    }
}

// A device that is lost draws nothing until it can be reset; one whose
// reset failed stays lost, since drawing on it would fail later.
bool EngineHost::DeviceReady()
{
    const HRESULT state = m_device->TestCooperativeLevel();
    if (state == D3D_OK) return true;
    if (state == D3DERR_DEVICENOTRESET) return SUCCEEDED(ResetDevice());
    return false;
}

HRESULT EngineHost::ResetDevice()
{
    // A listener may leave the list while it is told; the walk keeps its own copy.
    const std::list<IPDeviceListener*> listeners = GetDeviceListeners();
    for (IPDeviceListener* listener : listeners) listener->OnLostDevice();
    const HRESULT result = m_device->Reset(&m_presentParameters);
    if (FAILED(result)) return result;
    for (IPDeviceListener* listener : GetDeviceListeners()) listener->OnResetDevice();
    GetRender()->SetDefaultStates();
    return result;
}

bool EngineHost::SaveScreenshot(const std::string& path)
{
    IDirect3DSurface9* target = nullptr;
    IDirect3DSurface9* copy = nullptr;
    D3DSURFACE_DESC description = {};
    bool saved = SUCCEEDED(m_device->GetRenderTarget(0, &target)) && SUCCEEDED(target->GetDesc(&description)) &&
                 SUCCEEDED(m_device->CreateOffscreenPlainSurface(description.Width, description.Height,
                                                                 description.Format, D3DPOOL_SYSTEMMEM, &copy,
                                                                 nullptr)) &&
                 SUCCEEDED(m_device->GetRenderTargetData(target, copy)) &&
                 SUCCEEDED(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_BMP, copy, nullptr, nullptr));
    ReleaseInterface(copy);
    ReleaseInterface(target);
    return saved;
}

// Mostly the reverse of start-up. The task list holds references to the
// tasks, so it goes before them; the renderer's list holds the opening
// camera, so the camera goes after the renderer; the caches' resources go
// before the device they were made on.
void EngineHost::Shutdown()
{
    if (!m_started) return;
    m_started = false;
    if (g_pTaskManager) g_pTaskManager->KillAllTasks();
    m_taskOrder.clear();
    DeleteGlobal(g_pTaskManager);

    DeleteGlobal(g_pCarWorld);
    DeleteGlobal(g_pShotSpawner);
    DeleteGlobal(g_pAIManager);
    DeleteGlobal(g_pActionsManager);
    DeleteGlobal(g_pGameData);
    DeleteGlobal(g_pFontManager);
    m_particles.reset();
    DeleteGlobal(g_pParticleManager);
    DeleteGlobal(g_pVideoPlayer1);
    DeleteGlobal(g_pVideoPlayer);
    DeleteGlobal(g_pMusic);
    DeleteGlobal(g_pCommandManager);
    m_receivers.clear();
    m_renderQueue.reset();
    m_openingScene.reset();
    DeleteGlobal(g_pSoundManager);
    DeleteGlobal(g_pSoundCache);
    ReleaseInterface(m_directSound);
    DeleteGlobal(g_pObjectLoader);
    DeleteGlobal(g_pAnimationCache);

    if (g_pRender) g_pRender->SetShadowMaterial(nullptr);
    DeleteGlobal(g_pMaterialManager);
    if (g_pEffectCache) g_pEffectCache->DestroyEffects();
    if (g_pTextureCache) g_pTextureCache->DestroyAll();
    m_motionBlur.reset();
    // The renderer destroys its sky through the maker.
    DeleteGlobal(g_pRender);
    m_skyMaker.reset();
    g_VertexDrawer.SetDevice(nullptr);
    m_worldCamera.reset();
    DeleteGlobal(g_pEffectCache);
    DeleteGlobal(g_pTextureCache);
    if (m_device) m_finalDeviceReferences = m_device->Release();
    m_device = nullptr;
    ReleaseInterface(m_direct3D);
    m_window.Destroy();
    m_settings.reset();
}

int RunGameProgram(HINSTANCE instance, const std::vector<std::string>& arguments)
{
    HostOptions options;
    std::string error;
    if (!ParseHostOptions(arguments, options, error)) {
        std::fprintf(stderr, "%s: %s\n", kProgramTitle, error.c_str());
        return 2;
    }
    EngineHost host(options);
    if (!host.Start(instance, error)) {
        // A run without a player has nobody to close a message box.
        if (options.HasFrameLimit()) {
            std::fprintf(stderr, "%s: %s\n", kProgramTitle, error.c_str());
        } else {
            MessageBoxA(nullptr, error.c_str(), kProgramTitle, MB_OK | MB_ICONERROR);
        }
        return 1;
    }
    const int exitCode = host.Run();
    host.Shutdown();
    return exitCode;
}
