// Times a frame of the in-race display as a script does it against the same
// engine calls made from C++: the screen's update, 10 texts set, 20 windows
// shown or hidden and the screen's buffers rebuilt, on a screen of 200
// windows and 10 texts, with the frame's render queue emptied after each
// frame on both sides. The same script frame calling native functions that
// do nothing gives the interpreter's own floor: where that floor alone comes
// near the limit, the limit is the floor and a tenth. Each figure is the
// fastest of several rounds, the sides taking turns. Run it from a scratch
// folder: it writes a screen file under "Data\Interface" there.

#include "script/GameLog.h"
#include "script/ScriptArguments.h"
#include "script/ScriptHost.h"

#include "Render/PIVertexBuffer.h"
#include "Render/PRender.h"
#include "Render/PRenderObject.h"
#include "Render/PRenderQueue.h"
#include "core/PCommandManager.h"
#include "core/PTaskManager.h"
#include "game/PGameData.h"
#include "interface/InterfaceFileWriter.h"
#include "interface/PFontManager.h"
#include "interface/PInterface.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int kWindows = 200;
const int kTexts = 10;
const int kToggledWindows = 20;
const int kFrames = 400;
const int kRounds = 75;
const double kAllowedRatio = 1.5;
// The allowance over the interpreter's floor when that floor is high.
const double kAllowanceOverFloor = 1.1;
const char* const kScreenName = "benchhud";
const char* const kFontName = "benchfont";
// What the race display writes: clocks and counters of a few characters.
const char* const kTextValues[] = {"01:23.45", "9"};
// The frame's native functions; the floor's frame calls these names with
// the prefix, each bound to a function that does nothing.
const char* const kFrameFunctions[] = {"UpdateInterface", "SetText", "SetWindowVisible", "UpdateInterfaceBuffers"};
const std::string kEmptyPrefix = "Empty";

std::string WindowName(int index)
{
    return "w" + std::to_string(index);
}

std::string TextName(int index)
{
    return "t" + std::to_string(index);
}

void WriteScreen()
{
    CreateDirectoryA("Data", nullptr);
    CreateDirectoryA("Data\\Interface", nullptr);
    InterfaceFileWriter writer("game_interface", "hud.tga", 256.0f, 256.0f);
    for (int i = 0; i < kWindows; ++i) {
        const float x = static_cast<float>(i % 20 * 40);
        const float y = static_cast<float>(i / 20 * 40);
        writer.AddWindow({WindowName(i), x, y, 32, 32, 0, 0, 32, 32, "", ""});
    }
    for (int i = 0; i < kTexts; ++i) writer.AddText(TextName(i), kFontName, 10.0f, 20.0f * i, "race_clock", "");
    writer.Save(InterfaceFilePath(kScreenName));
}

void AddFont(CPFontManager& fonts)
{
    std::unique_ptr<CPFont> font(new CPFont());
    font->lineHeight = 16.0f;
    for (int code = 0; code < CPFont::kGlyphCount; ++code) font->advance[code] = 10.0f;
    fonts.AddFont(kFontName, std::move(font));
}

int DoNothing(lua_State*)
{
    return 0;
}

// The script's frame as a display script writes it, as the global function
// of that name: each element named by its own literal, the screen and the
// values in locals, each native function's name with the prefix.
std::string ScriptFrame(const std::string& function, const std::string& prefix)
{
    std::string code = "local screen = screen\n"
                       "local values = {'01:23.45', '9'}\n"
                       "function " + function + "(n)\n"
                       "  local even, odd = n % 2 == 0, n % 2 ~= 0\n"
                       "  local first, second = values[n % 2 + 1], values[(n + 1) % 2 + 1]\n"
                       "  " + prefix + "UpdateInterface(screen)\n";
    for (int i = 0; i < kTexts; ++i) {
        code += "  " + prefix + "SetText(screen, '" + TextName(i) + "', " + (i % 2 ? "second" : "first") + ")\n";
    }
    for (int i = 0; i < kToggledWindows; ++i) {
        code += "  " + prefix + "SetWindowVisible(screen, '" + WindowName(i) + "', " + (i % 2 ? "odd" : "even") +
                ")\n";
    }
    return code + "  " + prefix + "UpdateInterfaceBuffers(screen)\nend\n";
}

// Defines the frame and the floor's frame; false, with the error printed,
// when the interpreter refuses either.
bool DefineFrames(lua_State* state)
{
    for (const char* name : kFrameFunctions) lua_register(state, (kEmptyPrefix + name).c_str(), DoNothing);
    const std::string code = ScriptFrame("Frame", "") + ScriptFrame("EmptyFrame", kEmptyPrefix);
    if (luaL_dostring(state, code.c_str()) == 0) return true;
    std::printf("the benchmark script failed: %s\n", lua_tostring(state, -1));
    return false;
}

void CallFrame(lua_State* state, const char* function, int n)
{
    lua_getglobal(state, function);
    lua_pushnumber(state, n);
    lua_call(state, 1, 0);
}

// The same engine calls from C++, finding each element by its name.
class NativeFrame {
public:
    NativeFrame(CPInterface& screen, CPFontManager& fonts) : m_screen(screen), m_fonts(fonts)
    {
        for (int i = 0; i < kTexts; ++i) m_texts.push_back(TextName(i));
        for (int i = 0; i < kToggledWindows; ++i) m_windows.push_back(WindowName(i));
    }

    void Run(int n)
    {
        m_screen.Update();
        for (int i = 0; i < kTexts; ++i) {
            auto found = m_screen.GetTexts().find(m_texts[i]);
            if (found == m_screen.GetTexts().end()) continue;
            FontDesc& text = found->second;
            text.text = kTextValues[(n + i) % 2];
            m_fonts.BuildText(text.textObject, text.x, text.y, text.fontName, text.text);
        }
        for (int i = 0; i < kToggledWindows; ++i) {
            auto found = m_screen.GetElements().find(m_windows[i]);
            if (found != m_screen.GetElements().end()) found->second->SetVisible((n + i) % 2 == 0);
        }
        m_screen.UpdateBuffers();
    }

private:
    CPInterface& m_screen;
    CPFontManager& m_fonts;
    std::vector<std::string> m_texts;
    std::vector<std::string> m_windows;
};

template <class Frame>
double TimeFrames(CPRenderQueue& queue, Frame frame)
{
    const auto start = std::chrono::steady_clock::now();
    for (int n = 0; n < kFrames; ++n) {
        frame(n);
        queue.ClearFrame();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main()
{
    WriteScreen();
    GameLog log("screen_script_bench.log");
    CPCommandManager bus;
    CPTaskManager tasks;
    CPGameData data;
    CPRender render;
    CPIVertexBuffer buffer(std::vector<IDirect3DVertexBuffer9*>(), std::vector<IDirect3DIndexBuffer9*>(), 0, 0,
                           false);
    CPRenderQueue queue(&buffer);
    CPFontManager fonts;
    g_pCommandManager = &bus;
    g_pTaskManager = &tasks;
    g_pGameData = &data;
    g_pRender = &render;
    g_pFontManager = &fonts;
    render.SetRenderQueue(&queue);
    AddFont(fonts);
    {
        CPInterface screen;
        screen.Load(kScreenName, 0);
        if (screen.GetElements().size() < static_cast<size_t>(kWindows) ||
            screen.GetTexts().size() != static_cast<size_t>(kTexts)) {
            std::printf("the benchmark screen did not load: %d elements, %d texts\n",
                        static_cast<int>(screen.GetElements().size()), static_cast<int>(screen.GetTexts().size()));
            return 1;
        }
        ScriptHost scripts(log);
        lua_State* state = scripts.GetState();
        PushHandle(state, &screen);
        lua_setglobal(state, "screen");
        if (!DefineFrames(state)) return 1;
        NativeFrame native(screen, fonts);
        double script = 1e9, empty = 1e9, engine = 1e9;
        for (int round = 0; round < kRounds; ++round) {
            script = std::min(script, TimeFrames(queue, [&](int n) { CallFrame(state, "Frame", n); }));
            empty = std::min(empty, TimeFrames(queue, [&](int n) { CallFrame(state, "EmptyFrame", n); }));
            engine = std::min(engine, TimeFrames(queue, [&](int n) { native.Run(n); }));
        }
        const double floor = (empty + engine) / engine;
        const double limit = std::max(kAllowedRatio, floor * kAllowanceOverFloor);
        std::printf("%d frames: script %.1f us a frame, C++ %.1f us a frame, the script's calls of empty functions "
                    "%.1f us a frame\n",
                    kFrames, script / kFrames * 1e6, engine / kFrames * 1e6, empty / kFrames * 1e6);
        std::printf("floor of the script's calls: (empty calls + C++) / C++: %.3f\n", floor);
        std::printf("ratio screen frame from a script / from C++: %.3f (limit <= %.2f)\n", script / engine, limit);
    }
    render.SetRenderQueue(nullptr);
    g_pFontManager = nullptr;
    g_pRender = nullptr;
    g_pGameData = nullptr;
    g_pTaskManager = nullptr;
    g_pCommandManager = nullptr;
    return 0;
}
