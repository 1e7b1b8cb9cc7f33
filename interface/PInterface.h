#pragma once

#include "interface/FontDesc.h"
#include "interface/NameCache.h"
#include "interface/PButton.h"
#include "interface/PEditBox.h"
#include "interface/PWindow.h"

#include "core/PGameObject.h"

#include <d3d9.h>

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CPRenderObject;
class CPTextReader;

// A menu or in-race display laid over the scene, read from an ".int" file:
// windows and buttons cut from one texture and drawn as one mesh, texts
// and edit boxes drawn as meshes of their own, a mouse cursor and a light.
// It is a game object: activating it starts it and deactivating it stops
// it. Pointer moves, hovering and clicks reach the scripts as commands.
class CPInterface : public CPGameObject {
public:
    static const int kMaterialTypeBase = 200;
    static const int kCursorMaterialType = 205;
    // One screen's mesh draws with 16-bit indices.
    static const int kMaxElements = 16384;

    typedef std::unordered_map<std::string, RefPtr<CPWindow>> ElementMap;
    typedef std::unordered_map<std::string, RefPtr<CPEditBox>> EditBoxMap;
    typedef std::unordered_map<std::string, FontDesc> TextMap;
    // The drawing order lies in one block: every hover walks it.
    typedef std::vector<RefPtr<CPWindow>> ElementList;

    CPInterface();
    ~CPInterface() override;

    const char* GetTypeName() override;
    // Starting and stopping the screen as a game object are its activation
    // and deactivation.
    void Start(int priority) override { Activate(priority); }
    void Stop() override { Deactivate(); }

    // Active from now on: the pointer position is reported as a move, then
    // the screen starts as a game object with the priority.
    virtual void Activate(int priority);
    virtual void Deactivate();
    // Reads "Data\Interface\<name>1024.int"; an unreadable file leaves an
    // empty screen.
    virtual void Load(const std::string& name, int number);
    // Submits the light and queues the screen with its visible children for
    // drawing in this frame.
    virtual void Update();
    // Active and started, without reporting the pointer.
    virtual void ActivateQuietly(int priority);

    // Rebuilds the screen's mesh from its visible windows and buttons, in
    // drawing order, each moved to its position.
    void UpdateBuffers();

    // The hover logic at a screen point.
    void HoverAt(float x, float y);
    void OnMouseMove(float x, float y);
    void SelectNextButton();
    void SelectPreviousButton();

    // A mouse button pressed: the topmost enabled, visible element under
    // the pointer takes it and is remembered for that button. The button's
    // release goes to that same element as a click at the release point.
    // Only while active: going inactive forgets every press.
    void PressAt(int mouseButton, float x, float y);
    void ReleaseAt(int mouseButton, float x, float y);

    // Operations by window or text name; a name the screen lacks is
    // ignored.
    void ShowWindowByName(const std::string& name, bool visible);
    // Replaces the text's string and rebuilds its quads.
    void SetTextByName(const std::string& name, const std::string& text);
    void SetWindowPosition(const std::string& name, float x, float y);
    // False, with x and y untouched, when there is no such window.
    bool GetWindowPosition(const std::string& name, float& x, float& y);
    // The window, text item or edit box of that name, or null when the
    // screen has none: the look-ups of scripts, which name the same items
    // by the same literals frame after frame and so find them again through
    // caches kept by the text's address.
    CPWindow* FindElementNamed(const char* name);
    FontDesc* FindTextNamed(const char* name);
    CPEditBox* FindEditBoxNamed(const char* name);

    // Hides the current cursor, takes the cursor of that name (an empty
    // entry when there is none), remembers the name, and shows the cursor
    // at the last pointer position.
    void SetCursorByName(const std::string& name);

    CPRenderObject* GetRenderObject() const { return m_renderObject; }
    // Whoever is handed a name map may change it, so the caches above forget
    // what they found in it. A map kept across a finder's look-up is asked
    // for again before it is changed.
    ElementMap& GetElements()
    {
        ++m_nameMapChanges;
        return m_elements;
    }
    ElementList& GetDrawList() { return m_drawList; }
    std::list<RefPtr<CPButton>>& GetButtons() { return m_buttons; }
    EditBoxMap& GetEditBoxes()
    {
        ++m_nameMapChanges;
        return m_editBoxes;
    }
    TextMap& GetTexts()
    {
        ++m_nameMapChanges;
        return m_texts;
    }
    std::unordered_map<std::string, RefPtr<CPGameObject>>& GetCursors() { return m_cursors; }
    CPWindow* GetCurrentButton() const { return m_currentButton.Get(); }
    void SetCurrentButton(CPWindow* element) { m_currentButton = element; }
    CPGameObject* GetCursor() const { return m_cursor.Get(); }
    void SetCursor(CPGameObject* cursor) { m_cursor = cursor; }
    const D3DLIGHT9& GetLight() const { return m_light; }
    bool IsLightOn() const { return m_lightOn; }
    bool IsActive() const { return m_active; }
    float GetMouseX() const { return m_mouseX; }
    float GetMouseY() const { return m_mouseY; }

    std::string cursorName;

protected:
    // Objects the screen makes (windows, buttons, edit boxes, cursor and
    // text objects with their meshes) are destroyed with it, newest first.
    template <class T>
    T* Own(T* object)
    {
        m_owned.emplace_back(object);
        return object;
    }
    void RequestMaterial(int type, const std::string& effect, const std::string& texture);
    // The screen's own name map and lists, where windows and buttons go.
    void AddElement(CPWindow* element);

private:
    void ReadHeader(CPTextReader& reader, std::string& texture, float& textureWidth, float& textureHeight,
                    std::string& effect);
    void ReadLightLine(const std::string& line, std::string& effect);
    void ReadEntries(CPTextReader& reader, const std::string& texture, float textureWidth, float textureHeight);
    bool ReadWindow(CPTextReader& reader, const std::string& texture, float textureWidth, float textureHeight);
    bool ReadButton(CPTextReader& reader, float textureWidth, float textureHeight);
    bool ReadEditBox(CPTextReader& reader);
    bool ReadText(CPTextReader& reader);
    void MakeCursor(CPWindow& window, const std::string& texture);
    CPGameObject* MakeTextObject();
    CPWindow* TopmostElementAt(float x, float y);
    CPWindow* FindWindow(const std::string& name);
    // Steps through the buttons from the current one, wrapping, or from an
    // end when there is no current button; hovers what it finds.
    template <class Iterator>
    void SelectButton(Iterator first, Iterator last);

    float m_mouseX;
    float m_mouseY;
    CPRenderObject* m_renderObject;
    ElementMap m_elements;
    ElementList m_drawList;
    std::list<RefPtr<CPButton>> m_buttons;
    EditBoxMap m_editBoxes;
    RefPtr<CPWindow> m_currentButton;
    TextMap m_texts;
    // Entries the screen adds itself never move the ones there, so only the
    // maps handed out count as changes.
    uint64_t m_nameMapChanges;
    NameCache<ElementMap> m_elementCache;
    NameCache<TextMap> m_textCache;
    NameCache<EditBoxMap> m_editBoxCache;
    D3DLIGHT9 m_light;
    bool m_lightOn;
    RefPtr<CPGameObject> m_cursor;
    std::unordered_map<std::string, RefPtr<CPGameObject>> m_cursors;
    bool m_active;
    // The element each held mouse button was pressed on, by button number.
    std::unordered_map<int, RefPtr<CPWindow>> m_pressedElements;
    std::string m_typeName;
    std::vector<std::unique_ptr<IPObject>> m_owned;
};

// Every screen in the order they were made; each screen enters itself on
// construction and leaves on destruction.
extern std::list<CPInterface*> InterfaceList;

// The host's entry for pointer movement, in screen pixels: "mouse_move" to
// the "interface" receivers, then every screen's pointer handling.
void InterfaceMouseMove(float x, float y);
// The host's entries for mouse buttons (0 left, 1 right), on every screen.
void InterfaceMouseDown(int mouseButton, float x, float y);
void InterfaceMouseUp(int mouseButton, float x, float y);
// Keyboard menu steps on every screen.
void SelectNextMenuButton();
void SelectPreviousMenuButton();
