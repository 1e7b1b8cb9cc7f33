#include "host/EngineHost.h"

#include "host/CommandQueueDrain.h"
#include "host/DeviceRecovery.h"
#include "host/FixedStepClocks.h"
#include "host/FrameDrawer.h"
#include "host/HostLog.h"
#include "host/MotionBlur.h"
#include "host/OpeningScene.h"
#include "host/ParticleBatch.h"
#include "host/RenderQueueRing.h"
#include "host/ScreenSize.h"

#include "DynamicSky/PDynamicSkyMaker.h"
#include "DynamicSky/VertexObject.h"
#include "Render/PAVIPlayer.h"
#include "Render/PAVIPlayer1.h"
#include "Render/PEffect.h"
#include "Render/PAnimationCache.h"
#include "Render/PMaterial.h"
#include "Render/PObjectLoader.h"
#include "Render/PParticleManager.h"
#include "Render/PPerspectiveCamera.h"
#include "Render/ParticleFile.h"
#include "Render/PRender.h"
#include "Render/PTexture.h"
#include "Render/RenderLog.h"
#include "Sound/PMusic.h"
#include "Sound/PSoundCache.h"
#include "Sound/PSoundManager.h"
#include "core/FrameClock.h"
#include "core/GlobalTimerTask.h"
#include "core/PCommandManager.h"
#include "core/PSettings.h"
#include "core/PTaskManager.h"
#include "core/PackArchiveFile.h"
#include "core/ProblemLog.h"
#include "core/Settings.h"
#include "core/ShuttingDown.h"
#include "game/AIManager.h"
#include "game/GameLog.h"
#include "game/PActionsManager.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PShotSpawner.h"
#include "game/ShotFile.h"
#include "interface/FontFile.h"
#include "interface/PFontManager.h"
#include "physics/PCarWorld.h"
#include "script/GameLog.h"
#include "script/ScriptHost.h"
#include "script/StartupData.h"

#include <d3dx9.h>

#include <algorithm>
#include <cstdio>
#include <unordered_set>

namespace {

const char* const kConfigFile = "config.cfg";
const char* const kDataFolder = "Data";
const char* const kShadowEffect = "shadow.fx";
const char* const kProgramTitle = "Hollowmere";
const int kOpeningSkyNumber = 0;
const int kLoadingComplete = 100;
const float kFullBrightness = 1.0f;
const int kTrueColourBPP = 32;
const double kMillisecondsPerSecond = 1000.0;
// The scripts' steps should take at most this share of a frame's time.
const double kLargestScriptShare = 0.1;
// What a run with a frame limit answers when a script failed during it.
const int kScriptErrorExitCode = 3;

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
      m_measuredSeconds(0.0),
      m_finalDeviceReferences(0),
      m_started(false)
{
    if (options.HasFixedDeltaTime()) m_fixedClocks.reset(new FixedStepClocks(options.fixedDeltaTime));
}

EngineHost::~EngineHost()
{
    Shutdown();
}

void EngineHost::OnShutdown(std::function<void()> undo)
{
    m_shutdownSteps.push_back(std::move(undo));
}

template <class T>
void EngineHost::Publish(T*& global, T* object)
{
    global = object;
    OnShutdown([&global] {
        delete global;
        global = nullptr;
    });
}

bool EngineHost::Start(HINSTANCE instance, std::string& error)
{
    m_started = true;
    m_settings.reset(new CPSettings());
    OnShutdown([this] { m_settings.reset(); });
    m_settings->Load(kConfigFile);
    KeepScreenSizeInRange(g_screenWidth, g_screenHeight);
    // Data files may come from the archives, so they are known before
    // anything loads.
    const int archives = RegisterPackArchivesIn("");
    if (archives == 0) ReportMissingDataFolder();

    if (!m_window.Create(instance, g_screenWidth, g_screenHeight, g_fullScreen != 0)) {
        error = "The game window could not be created.";
        return false;
    }
    OnShutdown([this] { m_window.Destroy(); });
    if (!CreateDevice(error)) return false;
    CreateRenderResources();

    Publish(g_pTaskManager, new CPTaskManager());
    g_pTaskManager->SetMainWindow(m_window.GetHandle());
    CreateSound();
    CreateSingleObjects();
    GetRender()->SetDefaultStates();
    OpenGameLog();
    ShowOpeningScene();
    StartScripts();

    QueryPerformanceFrequency(&m_clockFrequency);
    QueryPerformanceCounter(&m_lastFrameStart);
    return true;
}

// Without its data the game still runs but shows nothing of its own: the
// player, or the run without one, learns why.
void EngineHost::ReportMissingDataFolder()
{
    const DWORD attributes = GetFileAttributesA(kDataFolder);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
    const std::string line = std::string("no \"") + kDataFolder + "\" folder or pack archive in the working folder";
    LogHostLine(line);
    std::fprintf(stderr, "%s: %s\n", kProgramTitle, line.c_str());
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
    OnShutdown([this] { ReleaseInterface(m_direct3D); });
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
    OnShutdown([this] {
        m_finalDeviceReferences = m_device->Release();
        m_device = nullptr;
    });
    g_VertexDrawer.SetDevice(m_device);
    OnShutdown([] { g_VertexDrawer.SetDevice(nullptr); });
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

// The caches that resources come from, the renderer with the device and
// what it needs of it, and the shadow material made through the caches. The
// caches' resources outlive everything that holds them; the sky maker
// outlives the renderer, which destroys its sky through it.
void EngineHost::CreateRenderResources()
{
    Publish(g_pTextureCache, new CPTextureCache());
    OnShutdown([] { g_pTextureCache->DestroyAll(); });
    Publish(g_pEffectCache, new CPEffectCache());
    OnShutdown([] { g_pEffectCache->DestroyEffects(); });
    m_skyMaker.reset(new CPDynamicSkyMaker());
    OnShutdown([this] { m_skyMaker.reset(); });

    D3DCAPS9 caps = {};
    m_device->GetDeviceCaps(&caps);
    Publish(g_pRender, new CPRender());
    g_pRender->SetDevice(m_device);
    g_pRender->SetMaxAnisotropy(static_cast<int>(caps.MaxAnisotropy));
    g_pRender->SetMaxFade(kMaxFade);
    g_pRender->SetSkyMaker(m_skyMaker.get());
    m_deviceRecovery.reset(new DeviceRecovery(*m_device, m_presentParameters, *g_pRender));
    OnShutdown([this] { m_deviceRecovery.reset(); });
    m_motionBlur.reset(new MotionBlur(*g_pRender));
    OnShutdown([this] { m_motionBlur.reset(); });

    Publish(g_pMaterialManager, new CPMaterialManager());
    RefPtr<CPMaterial> shadow;
    g_pMaterialManager->CreateMaterial(shadow, kShadowMaterialType, kShadowEffect, std::vector<std::string>());
    g_pRender->SetShadowMaterial(shadow.Get());
    OnShutdown([] { g_pRender->SetShadowMaterial(nullptr); });
}

// Without a sound device the game runs silent: the cache makes no buffers.
void EngineHost::CreateSound()
{
    if (FAILED(DirectSoundCreate8(nullptr, &m_directSound, nullptr))) {
        m_directSound = nullptr;
    } else if (FAILED(m_directSound->SetCooperativeLevel(m_window.GetHandle(), DSSCL_PRIORITY))) {
        ReleaseInterface(m_directSound);
    }
    OnShutdown([this] { ReleaseInterface(m_directSound); });
    Publish(g_pSoundCache, new CPSoundCache(m_directSound));
    Publish(g_pSoundManager, new CPSoundManager(g_pSoundCache));
}

// The car world and the shot runner run as tasks from the start; the car
// world simulates nothing until a level gives it a simulator, and the
// shots' templates come from "Data\Shots.txt".
void EngineHost::CreateSingleObjects()
{
    m_renderQueue.reset(new RenderQueueRing(*g_pRender));
    OnShutdown([this] { m_renderQueue.reset(); });
    Publish(g_pAnimationCache, new CPAnimationCache());
    Publish(g_pObjectLoader, new CPObjectLoader());
    Publish(g_pCommandManager, new CPCommandManager());
    RegisterReceivers();
    Publish(g_pMusic, new CPMusic());
    Publish(g_pVideoPlayer, new CPVideoPlayer());
    Publish(g_pVideoPlayer1, new CPVideoPlayer1());
    CreateParticles();
    Publish(g_pFontManager, new CPFontManager());
    LoadFontFolder(*g_pFontManager);
    Publish(g_pGameData, new CPGameData());
    Publish(g_pActionsManager, new CPActionsManager());
    Publish(g_pAIManager, new AIManager());
    Publish(g_pShotSpawner, new CPShotSpawner());
    LoadShotTemplates(*g_pShotSpawner);
    g_pTaskManager->AddTask(g_pShotSpawner->GetRunner());
    Publish(g_pCarWorld, new CPCarWorld());
    g_pTaskManager->AddTask(g_pCarWorld);
    Publish(g_pGlobalTimer, new GlobalTimerTask());
    g_pTaskManager->AddTask(g_pGlobalTimer);
}

// The emitter definitions with a batch for each particle name they use.
void EngineHost::CreateParticles()
{
    Publish(g_pParticleManager, new CPParticleManager());
    const std::vector<NamedEmitter> emitters = LoadParticleDefinitions(*g_pParticleManager);
    m_particles.reset(new ParticleBatchSet(*g_pParticleManager, emitters, g_pTextureCache));
    OnShutdown([this] { m_particles.reset(); });
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
    OnShutdown([this] { m_receivers.clear(); });
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
    OnShutdown([this] {
        g_pRender->RemoveFromRenderList(m_worldCamera.get());
        m_worldCamera.reset();
    });
    GetRender()->SetSky(kOpeningSkyNumber);
    GetRender()->SetFade(kFullBrightness);
    m_openingScene.reset(new OpeningScene());
    OnShutdown([this] { m_openingScene.reset(); });
    g_pTaskManager->AddTask(m_openingScene->GetUpdater());
}

// The game log starts empty, before the opening scene loads anything. What
// the game's rules report (a save that could not be written, say) and what
// the renderer reports (a description naming a file outside the game's
// folders) go to the game log too, where a player or modder looks.
void EngineHost::OpenGameLog()
{
    m_gameLog.reset(new GameLog());
    for (ProblemLog* log : {&GetGameLog(), &GetRenderLog()}) {
        log->SetEcho([this](const std::string& line) { m_gameLog->WriteLine(line); });
    }
    OnShutdown([this] {
        GetGameLog().SetEcho(nullptr);
        GetRenderLog().SetEcho(nullptr);
        m_gameLog.reset();
    });
    m_gameLog->Clear();
}

// The game's data files, then the scripts.
void EngineHost::StartScripts()
{
    OnShutdown([this] { m_scripts.reset(); });
    LoadStartupData(*m_gameLog);
    m_scripts.reset(new ScriptHost(*m_gameLog));
    m_scripts->MeasureSteps(m_options.frameTimes);
    m_scripts->Start();
}

// A main script brings its own levels: once one exists the opening scene
// stops, its camera leaves the render list and the box goes.
void EngineHost::EndOpeningSceneOnceLevelExists()
{
    if (!m_openingScene || !m_scripts || !m_scripts->HasMainScript() || !GetLevel()) return;
    IPProcess* updater = m_openingScene->GetUpdater();
    updater->Stop();
    g_pTaskManager->GetTasks().remove_if([&](const RefPtr<IPProcess>& task) { return task.Get() == updater; });
    GetRender()->RemoveFromRenderList(m_worldCamera.get());
    m_openingScene.reset();
}

bool EngineHost::HadScriptError() const
{
    return m_scripts && m_scripts->HadError();
}

int EngineHost::Run()
{
    const int exitCode = RunFrames();
    if (m_options.frameTimes) PrintScriptShare();
    return exitCode;
}

// How much of the frames' time the scripts' steps took.
void EngineHost::PrintScriptShare() const
{
    const double steps = m_scripts ? m_scripts->GetStepSeconds() : 0.0;
    const double share = m_measuredSeconds > 0.0 ? steps / m_measuredSeconds : 0.0;
    std::printf("ratio script steps/frame time: %.3f (limit <= %.1f)\n", share, kLargestScriptShare);
    std::fflush(stdout);
}

int EngineHost::RunFrames()
{
    for (int frame = 1;; ++frame) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return 0;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (m_options.HasFrameLimit() && frame > m_options.frames) {
            return HadScriptError() ? kScriptErrorExitCode : 0;
        }
        if (frame == m_options.resetAt) ResetDevice();
        // The clock's time since the last frame began, printed as it is,
        // whether or not the frames run on a fixed time.
        const double measured = MeasureFrameTime();
        m_measuredSeconds += measured;
        const float deltaTime = m_options.HasFixedDeltaTime() ? m_options.fixedDeltaTime : ClampedStep(measured);
        const bool last = m_options.HasFrameLimit() && frame == m_options.frames;
        const bool screenshot = last && !m_options.screenshot.empty();
        if (!RunFrame(deltaTime, screenshot ? &m_options.screenshot : nullptr)) {
            std::fprintf(stderr, "%s: the screenshot %s could not be written\n", kProgramTitle,
                         m_options.screenshot.c_str());
            return 1;
        }
        if (m_fixedClocks) m_fixedClocks->Advance();
        if (m_options.frameTimes) {
            std::printf("frame %d: %.3f ms\n", frame, measured * kMillisecondsPerSecond);
            std::fflush(stdout);
        }
    }
}

double EngineHost::MeasureFrameTime()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const double seconds = static_cast<double>(now.QuadPart - m_lastFrameStart.QuadPart) /
                           static_cast<double>(m_clockFrequency.QuadPart);
    m_lastFrameStart = now;
    return seconds;
}

float EngineHost::ClampedStep(double seconds)
{
    return seconds < kLongestFrameTime ? static_cast<float>(seconds) : kLongestFrameTime;
}

bool EngineHost::RunFrame(float deltaTime, const std::string* screenshot)
{
    // The global timer passes the time on to the frame clocks while it runs.
    g_pGlobalTimer->SetFrameTime(deltaTime);
    ++FrameNumber;
    // Before the tasks run, so that nothing of the scene is queued for drawing
    // when it goes.
    EndOpeningSceneOnceLevelExists();
    m_keyActions.SendChanges();
    RunTasks();
    m_particles->Update(FrameDeltaTime);
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

// Tasks added during the walk run from the next frame on, when the order is
// made anew. A task may take others out of the list and delete them (a
// script deleting the level): after any change the tasks still to run this
// frame are only those still listed.
void EngineHost::RunTasks()
{
    const CPTaskManager& manager = *g_pTaskManager;
    if (m_taskOrder.empty() || manager.GetChangeCount() != m_taskOrderChangeCount) {
        m_taskOrder.clear();
        std::unordered_set<IPProcess*> listed;
        for (const RefPtr<IPProcess>& task : manager.GetTasks()) {
            if (listed.insert(task.Get()).second) m_taskOrder.push_back(task.Get());
        }
        m_taskOrderChangeCount = manager.GetChangeCount();
    }
    unsigned seenChange = m_taskOrderChangeCount;
    for (size_t next = 0; next < m_taskOrder.size(); ++next) {
        IPProcess* task = m_taskOrder[next];
        if (task->IsRunning() && !task->IsStopped()) task->Execute();
        if (manager.GetChangeCount() == seenChange) continue;
        seenChange = manager.GetChangeCount();
        KeepListedTasksAfter(next);
    }
}

void EngineHost::KeepListedTasksAfter(size_t ran)
{
    const CPTaskManager& manager = *g_pTaskManager;
    std::unordered_set<const IPProcess*> listed;
    for (const RefPtr<IPProcess>& task : manager.GetTasks()) listed.insert(task.Get());
    m_taskOrder.erase(std::remove_if(m_taskOrder.begin() + ran + 1, m_taskOrder.end(),
                                     [&](const IPProcess* task) { return listed.count(task) == 0; }),
                      m_taskOrder.end());
}

// A device that is lost draws nothing until it can be reset; one whose
// reset failed stays lost, since drawing on it would fail later.
bool EngineHost::DeviceReady()
{
    return m_deviceRecovery->Ready();
}

HRESULT EngineHost::ResetDevice()
{
    return m_deviceRecovery->Reset();
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

// Every task stops and leaves the list first, since the list holds
// references to tasks that go with the objects below; then each step of
// start-up is undone, the last made first.
void EngineHost::Shutdown()
{
    if (!m_started) return;
    m_started = false;
    if (g_pTaskManager) {
        g_pTaskManager->KillAllTasks();
        g_pTaskManager->GetTasks().clear();
    }
    m_taskOrder.clear();
    while (!m_shutdownSteps.empty()) {
        const std::function<void()> undo = std::move(m_shutdownSteps.back());
        m_shutdownSteps.pop_back();
        undo();
    }
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
    ShuttingDown = true;
    host.Shutdown();
    return exitCode;
}
