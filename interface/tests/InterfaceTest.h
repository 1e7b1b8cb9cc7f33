#pragma once

#include "interface/InterfaceFileWriter.h"
#include "interface/InterfaceLog.h"
#include "interface/PFontManager.h"
#include "interface/PInterface.h"

#include "Render/tests/ResourceTest.h"
#include "core/CommandReceiver.h"
#include "core/PCommandManager.h"
#include "core/PTaskManager.h"
#include "core/Settings.h"
#include "game/PActionsManager.h"
#include "game/PGameData.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A receiver that keeps every command it is handed, for the test to read.
class TestReceiver : public CommandReceiver {
public:
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "TestReceiver"; }
    void Execute() override {}
    int GetTaskValue() override { return 0; }

    // The commands received since the last call, oldest first, each as
    // "name" or "name:param|param".
    std::vector<std::string> Take();
};

// Screens on the real command bus and task manager, with the renderer's
// resources on the test device, a font and the game data published, the
// screen size set, and the interface log emptied. The receiver "menu" is
// registered by name, "hud" under the category "interface".
class InterfaceTest : public ResourceTest {
protected:
    static const int kScreenNumber = 3;

    InterfaceTest();
    ~InterfaceTest() override;

    void SetScreenSize(int width, int height);
    // Writes the screen file and loads a new screen from it.
    CPInterface* LoadScreen(const InterfaceFileWriter& writer, const std::string& name = "menu");
    CPInterface* LoadScreenText(const std::string& text, const std::string& name = "menu");
    // A font of 10-pixel glyphs, 16 pixels high: "A" at u 0.1 to 0.2,
    // "B" at u 0.3 to 0.4, both at v 0.5 to 0.75.
    void AddTestFont(const std::string& name);
    bool Logged() const { return !GetInterfaceLog().empty(); }

    static WindowLine Line(const std::string& name, float x, float y, float w, float h);

    TestReceiver menu;
    TestReceiver hud;
    CPCommandManager commands;
    CPTaskManager tasks;
    CPFontManager fonts;
    CPGameData gameData;
    CPActionsManager actions;
    std::vector<std::unique_ptr<CPInterface>> screens;

private:
    int m_savedWidth;
    int m_savedHeight;
};
