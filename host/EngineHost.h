#pragma once

#include "host/GameWindow.h"
#include "host/HostOptions.h"
#include "host/KeyActionSender.h"

#include <windows.h>
#include <mmsystem.h>
#include <d3d9.h>
#include <dsound.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CPDynamicSkyMaker;
class CPPerspectiveCamera;
class CPSettings;
class CommandQueueDrain;
class DeviceRecovery;
class FixedStepClocks;
class GameLog;
class ScriptHost;
class MotionBlur;
class OpeningScene;
class ParticleBatchSet;
class RenderQueueRing;
class IPProcess;

// Runs the engine as the game: makes the window, the devices and the
// engine's single objects and publishes them, runs the frame loop over the
// task manager, resets the device when it is lost, and lets everything go
// again at the end, in reverse.
class EngineHost {
public:
    static const int kMaxFade = 255;
    static const int kShadowMaterialType = 16;
    static const int kWorldCameraKey = 16;

    explicit EngineHost(const HostOptions& options);
    ~EngineHost();
    EngineHost(const EngineHost&) = delete;
    EngineHost& operator=(const EngineHost&) = delete;

    // Start-up, in order: settings, pack archives, window, device and
    // renderer, the task manager's window, sound, the single objects, the
    // default states, the game log, the opening scene and the scripts.
    // False, with the reason, when the window or the device cannot be made.
    bool Start(HINSTANCE instance, std::string& error);

    // Frames until the window closes or the frame limit is reached; the
    // program's exit code. With frame times printed, the run ends with the
    // share of the frames' time that the scripts' steps took.
    int Run();

    // One frame: the clocks, every running task in list order, then, while
    // the device can draw, the frame drawn and presented. With a screenshot
    // path the frame's picture is saved as a BMP file before it is
    // presented; false when that could not be done.
    bool RunFrame(float deltaTime, const std::string* screenshot = nullptr);

    // Draws the frame from the renderer without presenting it.
    void DrawFrame();

    // Calls Execute on every task in list order that runs and is not marked
    // stopped, once a frame even when it is listed twice. The order is
    // copied once per change of the list, since stepping an array is much
    // cheaper than stepping the list's nodes; a task added during the walk
    // runs from the next frame on.
    void RunTasks();
    // Drops from the order the tasks after the one that ran that left the list.
    void KeepListedTasksAfter(size_t ran);

    // Tells every device listener of the loss in order (once a loss),
    // resets the device and, when that worked, tells them of the reset in
    // order and restores the default states. Answers Reset's result.
    HRESULT ResetDevice();

    // Stops every task and lets go of everything in reverse order of making,
    // also after a start that failed half way; safe to call twice.
    void Shutdown();

    bool SaveScreenshot(const std::string& path);

    // Whether a script has failed since start-up.
    bool HadScriptError() const;
    ScriptHost* GetScripts() const { return m_scripts.get(); }

    HWND GetWindow() const { return m_window.GetHandle(); }
    IDirect3DDevice9* GetDevice() const { return m_device; }
    // What the device's last Release answered at shutdown: 0 when nothing
    // else still held it.
    ULONG GetFinalDeviceReferences() const { return m_finalDeviceReferences; }

private:
    // Remembers how to undo a step of start-up; Shutdown undoes the steps
    // from the last to the first.
    void OnShutdown(std::function<void()> undo);
    // Sets a published single object that Shutdown deletes and sets null.
    template <class T>
    void Publish(T*& global, T* object);
    void ReportMissingDataFolder();
    bool CreateDevice(std::string& error);
    void ResetPresentParameters(bool fullScreen);
    void CreateRenderResources();
    void CreateSound();
    void CreateSingleObjects();
    void CreateParticles();
    void RegisterReceivers();
    void OpenGameLog();
    void ShowOpeningScene();
    void StartScripts();
    void EndOpeningSceneOnceLevelExists();
    bool DeviceReady();
    int RunFrames();
    void PrintScriptShare() const;
    // Seconds since the last frame began, by the clock.
    double MeasureFrameTime();
    // The game's step for a frame that lasted seconds: at most the longest.
    static float ClampedStep(double seconds);

    HostOptions m_options;
    std::unique_ptr<CPSettings> m_settings;
    GameWindow m_window;
    IDirect3D9* m_direct3D;
    IDirect3DDevice9* m_device;
    D3DPRESENT_PARAMETERS m_presentParameters;
    IDirectSound8* m_directSound;
    std::vector<std::unique_ptr<CommandQueueDrain>> m_receivers;
    std::unique_ptr<CPPerspectiveCamera> m_worldCamera;
    std::unique_ptr<DeviceRecovery> m_deviceRecovery;
    std::unique_ptr<MotionBlur> m_motionBlur;
    std::unique_ptr<RenderQueueRing> m_renderQueue;
    std::unique_ptr<CPDynamicSkyMaker> m_skyMaker;
    std::unique_ptr<ParticleBatchSet> m_particles;
    std::unique_ptr<OpeningScene> m_openingScene;
    std::unique_ptr<GameLog> m_gameLog;
    std::unique_ptr<ScriptHost> m_scripts;
    // Only for runs on a fixed frame time.
    std::unique_ptr<FixedStepClocks> m_fixedClocks;
    KeyActionSender m_keyActions;
    std::vector<IPProcess*> m_taskOrder;
    unsigned m_taskOrderChangeCount;
    LARGE_INTEGER m_clockFrequency;
    LARGE_INTEGER m_lastFrameStart;
    double m_measuredSeconds;
    ULONG m_finalDeviceReferences;
    std::vector<std::function<void()>> m_shutdownSteps;
    bool m_started;
};

// The game program: options from the command line, start-up, the frame
// loop and the end; answers the exit code.
int RunGameProgram(HINSTANCE instance, const std::vector<std::string>& arguments);
