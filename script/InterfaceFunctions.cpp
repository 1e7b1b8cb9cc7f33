#include "script/InterfaceFunctions.h"

#include "script/ScriptArguments.h"

#include "core/ShuttingDown.h"
#include "game/PGameData.h"
#include "interface/PFontManager.h"
#include "interface/PInterface.h"

#include <string>

namespace {

// Screens started from scripts run at this priority.
const int kScreenPriority = 450;
// Shop windows are placed by their centre pixel.
const float kShopWindowOffset = 0.5f;
const float kNotFound = -1.0f;
// Key codes the edit boxes never take, whatever the platform says of them.
const int kIgnoredKeys[] = {-88, -72};

CPInterface* ReadScreen(lua_State* state)
{
    return ReadHandle<CPInterface>(state, 1);
}

// The item that argument 2 names on the screen of argument 1, found with
// the screen's finder; null for a null screen, an absent name or an unknown
// one.
template <class Item>
Item* FindNamed(lua_State* state, Item* (CPInterface::*find)(const char*))
{
    CPInterface* screen = ReadScreen(state);
    const char* name = ReadText(state, 2);
    return screen && name ? (screen->*find)(name) : nullptr;
}

FontDesc* FindText(lua_State* state)
{
    return FindNamed(state, &CPInterface::FindTextNamed);
}

CPEditBox* FindEditBox(lua_State* state)
{
    return FindNamed(state, &CPInterface::FindEditBoxNamed);
}

void RebuildText(const FontDesc& text)
{
    if (CPFontManager* fonts = GetFontManager()) {
        fonts->BuildText(text.textObject, text.x, text.y, text.fontName, text.text);
    }
}

// Sets the named text item's text and redraws it; the new text goes
// straight into the item's own storage, with no copy made on the way.
void SetTextOf(lua_State* state, const char* text)
{
    FontDesc* item = FindText(state);
    if (!item || !text || ShuttingDown) return;
    item->text = text;
    RebuildText(*item);
}

// The localised text of the key argument; null without game data or a key,
// and while shutting down, when no key may enter the text table.
const char* LocalisedText(lua_State* state, int keyIndex)
{
    CPGameData* gameData = GetGameData();
    const char* key = ReadText(state, keyIndex);
    if (!gameData || !key || ShuttingDown) return nullptr;
    return gameData->GetText(key).c_str();
}

// Draws the text item's object with another font and text; the item itself
// is not changed.
void DrawTextInFont(lua_State* state, const char* text)
{
    const FontDesc* item = FindText(state);
    const char* fontName = ReadText(state, 3);
    if (!item || !fontName || !text || ShuttingDown) return;
    FontDesc drawn = *item;
    drawn.fontName = fontName;
    drawn.text = text;
    RebuildText(drawn);
}

int PushPosition(lua_State* state, float x, float y)
{
    lua_pushnumber(state, x);
    lua_pushnumber(state, y);
    return 2;
}

void PlaceWindow(lua_State* state, float offset)
{
    if (CPWindow* window = ReadScreenElement(state)) {
        window->x = ReadFloat(state, 3) - offset;
        window->y = ReadFloat(state, 4) - offset;
    }
}

bool IsIgnoredKey(int key)
{
    for (int ignored : kIgnoredKeys) {
        if (key == ignored) return true;
    }
    return false;
}

} // namespace

CPWindow* ReadScreenElement(lua_State* state)
{
    return FindNamed(state, &CPInterface::FindElementNamed);
}

int Script_CreateInterface(lua_State* state)
{
    const char* name = ReadText(state, 1);
    if (!name) return 0;
    CPInterface* screen = new CPInterface();
    screen->Load(name, ReadInt(state, 2));
    PushHandle(state, screen);
    return 1;
}

int Script_ActivateInterface(lua_State* state)
{
    if (CPInterface* screen = ReadScreen(state)) screen->Activate(kScreenPriority);
    return 0;
}

int Script_SilentActivateInterface(lua_State* state)
{
    if (CPInterface* screen = ReadScreen(state)) screen->ActivateQuietly(kScreenPriority);
    return 0;
}

int Script_UpdateInterface(lua_State* state)
{
    if (CPInterface* screen = ReadScreen(state)) screen->Update();
    return 0;
}

int Script_UpdateInterfaceBuffers(lua_State* state)
{
    if (CPInterface* screen = ReadScreen(state)) screen->UpdateBuffers();
    return 0;
}

int Script_SetWindowVisible(lua_State* state)
{
    if (CPWindow* window = ReadScreenElement(state)) window->SetVisible(ReadBool(state, 3));
    return 0;
}

int Script_SetWindowPosition(lua_State* state)
{
    PlaceWindow(state, 0.0f);
    return 0;
}

int Script_SetWindowPositionShop(lua_State* state)
{
    PlaceWindow(state, kShopWindowOffset);
    return 0;
}

int Script_GetWindowPosition(lua_State* state)
{
    CPInterface* screen = ReadScreen(state);
    const char* name = ReadText(state, 2);
    float x = kNotFound;
    float y = kNotFound;
    if (screen && name) screen->GetWindowPosition(name, x, y);
    return PushPosition(state, x, y);
}

int Script_SetTextPosition(lua_State* state)
{
    if (FontDesc* text = FindText(state)) {
        text->x = ReadFloat(state, 3);
        text->y = ReadFloat(state, 4);
        RebuildText(*text);
    }
    return 0;
}

int Script_GetTextPosition(lua_State* state)
{
    FontDesc* text = FindText(state);
    return text ? PushPosition(state, text->x, text->y) : PushPosition(state, kNotFound, kNotFound);
}

int Script_SetText(lua_State* state)
{
    SetTextOf(state, ReadText(state, 3));
    return 0;
}

int Script_SetTextString(lua_State* state)
{
    SetTextOf(state, LocalisedText(state, 3));
    return 0;
}

int Script_SetEditBoxText(lua_State* state)
{
    CPEditBox* box = FindEditBox(state);
    const char* text = ReadText(state, 3);
    if (box && text) box->SetText(text);
    return 0;
}

int Script_EditBoxProcessKey(lua_State* state)
{
    CPEditBox* box = FindEditBox(state);
    const int key = ReadInt(state, 3);
    if (box && !IsIgnoredKey(key)) box->ProcessKey(key);
    return 0;
}

int Script_EditBoxTextLength(lua_State* state)
{
    if (!ReadScreen(state)) return 0;
    CPEditBox* box = FindEditBox(state);
    lua_pushnumber(state, box ? static_cast<double>(box->GetText().size()) : 0.0);
    return 1;
}

int Script_GetEditBoxText(lua_State* state)
{
    if (!ReadScreen(state)) return 0;
    CPEditBox* box = FindEditBox(state);
    lua_pushstring(state, box ? box->GetText().c_str() : "");
    return 1;
}

int Script_SetCursor(lua_State* state)
{
    CPInterface* screen = ReadScreen(state);
    const char* name = ReadText(state, 2);
    if (screen && name) screen->SetCursorByName(name);
    return 0;
}

int Script_SetFont(lua_State* state)
{
    DrawTextInFont(state, ReadText(state, 4));
    return 0;
}

int Script_SetFontString(lua_State* state)
{
    DrawTextInFont(state, LocalisedText(state, 4));
    return 0;
}

int Script_DeselectCurrentButton(lua_State* state)
{
    CPInterface* screen = ReadScreen(state);
    CPWindow* current = screen ? screen->GetCurrentButton() : nullptr;
    if (!current) return 0;
    for (const RefPtr<CPButton>& button : screen->GetButtons()) {
        if (button.Get() != current) continue;
        button->OnMouseOut(screen->GetMouseX(), screen->GetMouseY());
        screen->SetCurrentButton(nullptr);
        return 0;
    }
    return 0;
}
