#pragma once

#include "interface/tests/InterfaceTest.h"

// Screens for the script tests to drive.
class MenuScreenTest : public InterfaceTest {
protected:
    // A cursor, the button "play" at (100.5, 100.5) with its hover and
    // pressed looks further along the texture, and the window "frame" at
    // (300.5, 100.5), both 64 x 32.
    static InterfaceFileWriter MenuScreenWriter()
    {
        InterfaceFileWriter writer("menu", "menu.tga", 256.0f, 128.0f);
        writer.AddWindow(Line("cursor", 0.5f, 0.5f, 16, 16));
        WindowLine normal = Line("play", 100.5f, 100.5f, 64, 32), hover = normal, pressed = normal;
        hover.tx = 64;
        pressed.tx = 128;
        writer.AddButton(normal, hover, pressed);
        writer.AddWindow(Line("frame", 300.5f, 100.5f, 64, 32));
        return writer;
    }
};
