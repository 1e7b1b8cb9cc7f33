#include "demo/DemoScreens.h"

#include "demo/DemoData.h"

#include "Render/TgaImage.h"
#include "interface/FontFile.h"
#include "interface/InterfaceFileWriter.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace {

// The screens' texture: four 32-pixel squares, the panel's colour and the
// button's three states.
const char* const kScreenTexture = "screens.tga";
const int kScreenTextureSize = 64;
const int kSquare = 32;
const uint32_t kSquareColours[] = {0xE0182838, 0xFF2F6FB0, 0xFF4F9FE0, 0xFF1F4F80};
enum Square { kPanel, kButtonNormal, kButtonHover, kButtonPressed };

// Glyphs of 5 × 7 dots, each dot 2 texels square, in 16-texel cells of a
// texture 16 cells wide; small letters draw as capitals.
const char* const kFontName = "main";
const char* const kFontTexture = "font.tga";
const int kDotRows = 7;
const int kDotColumns = 5;
const int kDotSize = 2;
const int kCell = 16;
const int kCellsAcross = 16;
const int kCellsDown = 4;
const float kAdvance = 14.0f;
const float kLineHeight = 16.0f;
const uint32_t kInk = 0xFFFFFFFF;
const uint32_t kClear = 0x00000000;

struct GlyphDots {
    char character;
    uint8_t rows[kDotRows]; // bit 4 is the leftmost dot
};

const GlyphDots kGlyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'A', {0x0E, 0x11, 0x11, 0x11, 0x1F, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {' ', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}}, {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'/', {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00}}, {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'$', {0x04, 0x0F, 0x14, 0x0E, 0x05, 0x1E, 0x04}}, {'!', {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}}, {',', {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}},
    {'_', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F}},
};

std::string TexturePath(const std::string& name)
{
    return "Data\\Textures\\" + name;
}

std::string ScreenTexture()
{
    std::vector<uint32_t> pixels(kScreenTextureSize * kScreenTextureSize);
    for (int y = 0; y < kScreenTextureSize; ++y) {
        for (int x = 0; x < kScreenTextureSize; ++x) {
            const int square = (y / kSquare) * (kScreenTextureSize / kSquare) + x / kSquare;
            pixels[y * kScreenTextureSize + x] = kSquareColours[square];
        }
    }
    return TgaImage(kScreenTextureSize, kScreenTextureSize, pixels);
}

void DrawGlyph(std::vector<uint32_t>& pixels, int cell, const GlyphDots& glyph)
{
    const int width = kCell * kCellsAcross;
    const int left = (cell % kCellsAcross) * kCell + 1, top = (cell / kCellsAcross) * kCell + 1;
    for (int row = 0; row < kDotRows; ++row) {
        for (int column = 0; column < kDotColumns; ++column) {
            if (!(glyph.rows[row] & (0x10 >> column))) continue;
            for (int dy = 0; dy < kDotSize; ++dy) {
                for (int dx = 0; dx < kDotSize; ++dx) {
                    pixels[(top + row * kDotSize + dy) * width + left + column * kDotSize + dx] = kInk;
                }
            }
        }
    }
}

FontFileGlyph GlyphLine(int code, int cell)
{
    const float width = static_cast<float>(kCell * kCellsAcross), height = static_cast<float>(kCell * kCellsDown);
    const float left = static_cast<float>((cell % kCellsAcross) * kCell);
    const float top = static_cast<float>((cell / kCellsAcross) * kCell);
    return FontFileGlyph{code, CPFont::Glyph{left / width, top / height, (left + kCell) / width, (top + kCell) / height},
                         kAdvance};
}

bool WriteFont(std::string& error)
{
    std::vector<uint32_t> pixels(kCell * kCellsAcross * kCell * kCellsDown, kClear);
    FontFileContents font{kFontTexture, kLineHeight, {}};
    int cell = 0;
    for (const GlyphDots& glyph : kGlyphs) {
        DrawGlyph(pixels, cell, glyph);
        const unsigned char character = static_cast<unsigned char>(glyph.character);
        font.glyphs.push_back(GlyphLine(character, cell));
        if (character >= 'A' && character <= 'Z') font.glyphs.push_back(GlyphLine(character - 'A' + 'a', cell));
        ++cell;
    }
    if (!WriteDemoFile(TexturePath(kFontTexture), TgaImage(kCell * kCellsAcross, kCell * kCellsDown, pixels), error)) {
        return false;
    }
    CreateDirectoryA(kFontFolder, nullptr);
    if (WriteFontFile(FontPath(kFontName), font)) return true;
    error = FontPath(kFontName) + " could not be written";
    return false;
}

WindowLine Window(const std::string& name, float x, float y, float w, float h, Square square)
{
    const float tx = static_cast<float>((square % 2) * kSquare), ty = static_cast<float>((square / 2) * kSquare);
    return WindowLine{name, x, y, w, h, tx, ty, static_cast<float>(kSquare), static_cast<float>(kSquare), "", ""};
}

InterfaceFileWriter MenuScreen()
{
    InterfaceFileWriter screen("main", kScreenTexture, kScreenTextureSize, kScreenTextureSize);
    screen.AddWindow(Window("panel", 170, 120, 300, 240, kPanel));
    screen.AddText("title", kFontName, 250, 160, "menu_title", "");
    screen.AddButton(Window("start", 240, 260, 160, 48, kButtonNormal), Window("start", 240, 260, 160, 48, kButtonHover),
                     Window("start", 240, 260, 160, 48, kButtonPressed));
    screen.AddText("start_caption", kFontName, 285, 276, "menu_start", "");
    return screen;
}

InterfaceFileWriter RaceScreen()
{
    InterfaceFileWriter screen("gamemenu", kScreenTexture, kScreenTextureSize, kScreenTextureSize);
    screen.AddWindow(Window("panel", 8, 8, 200, 104, kPanel));
    const char* const kTexts[] = {"place", "lap", "time", "life", "money"};
    float y = 12;
    for (const char* text : kTexts) {
        screen.AddText(text, kFontName, 16, y, "race_" + std::string(text), "");
        y += 19;
    }
    return screen;
}

const int kScoreLines = 5;

InterfaceFileWriter ScoreScreen()
{
    InterfaceFileWriter screen("jeep", kScreenTexture, kScreenTextureSize, kScreenTextureSize);
    screen.AddWindow(Window("panel", 120, 100, 400, 280, kPanel));
    screen.AddText("title", kFontName, 250, 120, "scores_title", "");
    for (int line = 1; line <= kScoreLines; ++line) {
        screen.AddText("score" + std::to_string(line), kFontName, 160, 140 + 36.0f * line, "scores_empty", "");
    }
    return screen;
}

bool WriteScreen(const std::string& name, const InterfaceFileWriter& screen, std::string& error)
{
    return WriteDemoFile(InterfaceFilePath(name), screen.GetText(), error);
}

} // namespace

bool WriteDemoScreens(std::string& error)
{
    return WriteDemoFile(TexturePath(kScreenTexture), ScreenTexture(), error) && WriteFont(error) &&
           WriteScreen("menu", MenuScreen(), error) && WriteScreen("race", RaceScreen(), error) &&
           WriteScreen("scores", ScoreScreen(), error);
}
