#include "interface/tests/InterfaceTest.h"

#include "interface/PFont.h"

#include <windows.h>

std::vector<std::string> TestReceiver::Take()
{
    std::vector<std::string> taken;
    while (SetNextCommand()) {
        std::string entry = *GetCurrentCommand();
        const std::vector<std::string>& params = *GetCurrentParams();
        for (size_t i = 0; i < params.size(); ++i) entry += (i == 0 ? ":" : "|") + params[i];
        taken.push_back(entry);
    }
    return taken;
}

InterfaceTest::InterfaceTest() : m_savedWidth(g_screenWidth), m_savedHeight(g_screenHeight)
{
    CreateDirectoryA("Data\\Interface", nullptr);
    CreateDirectoryA("Data\\Fonts", nullptr);
    g_pCommandManager = &commands;
    g_pTaskManager = &tasks;
    g_pFontManager = &fonts;
    g_pGameData = &gameData;
    g_pActionsManager = &actions;
    commands.RegisterReceiver("menu", &menu);
    commands.AddToCategory("interface", &hud);
    menu.Start();
    hud.Start();
    ClearInterfaceLog();
}

// Screens go first: they hold texts and materials of the published objects.
InterfaceTest::~InterfaceTest()
{
    screens.clear();
    g_pActionsManager = nullptr;
    g_pGameData = nullptr;
    g_pFontManager = nullptr;
    g_pTaskManager = nullptr;
    g_pCommandManager = nullptr;
    g_screenWidth = m_savedWidth;
    g_screenHeight = m_savedHeight;
}

void InterfaceTest::SetScreenSize(int width, int height)
{
    g_screenWidth = width;
    g_screenHeight = height;
}

CPInterface* InterfaceTest::LoadScreen(const InterfaceFileWriter& writer, const std::string& name)
{
    return LoadScreenText(writer.GetText(), name);
}

CPInterface* InterfaceTest::LoadScreenText(const std::string& text, const std::string& name)
{
    WriteFile(InterfaceFilePath(name), text);
    screens.emplace_back(new CPInterface());
    screens.back()->Load(name, kScreenNumber);
    return screens.back().get();
}

void InterfaceTest::AddTestFont(const std::string& name)
{
    std::unique_ptr<CPFont> font(new CPFont());
    font->lineHeight = 16.0f;
    font->glyphs['A'] = {0.1f, 0.5f, 0.2f, 0.75f};
    font->glyphs['B'] = {0.3f, 0.5f, 0.4f, 0.75f};
    for (int code = 0; code < CPFont::kGlyphCount; ++code) font->advance[code] = 10.0f;
    materialManager.CreateMaterial(font->material, 200, "interface.fx", {name + ".tga"});
    fonts.AddFont(name, std::move(font));
}

WindowLine InterfaceTest::Line(const std::string& name, float x, float y, float w, float h)
{
    return WindowLine{name, x, y, w, h, 0.0f, 0.0f, w, h, "", ""};
}
