#include "interface/PInterface.h"

#include "interface/InterfaceFields.h"
#include "interface/InterfaceLog.h"
#include "interface/PFontManager.h"
#include "interface/QuadMesh.h"

#include "Render/PRender.h"
#include "Render/PRenderObject.h"
#include "Render/PRenderQueue.h"
#include "core/PCommandManager.h"
#include "core/PDataFile.h"
#include "core/PTextReader.h"
#include "core/Settings.h"
#include "core/StringUtils.h"
#include "game/PActionsManager.h"
#include "game/PGameData.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

std::list<CPInterface*> InterfaceList;

namespace {

const char* const kInterfaceFolder = "Data\\Interface";
const int kDesignWidth = 1024;
const char* const kEffect = "interface.fx";
const char* const kSmoothEffect = "interface2.fx";
const char* const kSmoothWord = "smooth";
const char* const kLightOnWord = "on";
const char* const kCursorName = "cursor";
const char* const kTextObjectName = "text";
const char* const kCaret = "_";
const float kLightRange = 10000.0f;
const size_t kNameBuckets = 100;
// Scripts find windows and texts by name many times a frame: with few
// names a bucket, a look-up mostly ends at the bucket's first entry.
const float kNameLoadFactor = 0.25f;
const float kPixelCentre = 0.5f;
// A menu step hovers the chosen button just inside its top-left corner.
const float kMenuHoverInset = 1.0f;

// Light line: label, switch, direction x y z, colour r g b, optional "smooth".
const size_t kLightSwitchField = 1;
const size_t kLightDirectionField = 2;
const size_t kLightColourField = 5;
const size_t kLightNumberCount = 6;
const size_t kLightSmoothField = 8;
// Text entries: "name list", and the fields of each list.
const size_t kEditBoxFields = 4;
const size_t kEditBoxAnchor = 4;
const size_t kEditBoxInitialText = 5;
const size_t kTextFields = 4;
const size_t kTextAnchor = 4;

float ReadFloat(const std::vector<std::string>& tokens, size_t index)
{
    return index < tokens.size() ? static_cast<float>(std::atof(tokens[index].c_str())) : 0.0f;
}

// A text entry's definition line: its name, then its comma list.
bool ReadEntryLine(CPTextReader& reader, const char* keyword, std::string& name, std::vector<std::string>& fields)
{
    std::string line;
    if (!reader.ReadLine(line)) {
        LogInterfaceProblem("the definition line of a \"%s\" entry is missing at the end of the file", keyword);
        return false;
    }
    const std::vector<std::string> parts = SplitTokens(line, " ");
    name = parts.empty() ? std::string() : parts[0];
    fields = parts.size() > 1 ? SplitTokens(parts[1], ",") : std::vector<std::string>();
    return true;
}

float ScreenShare(float position, int screenSize)
{
    return screenSize > 0 ? position / static_cast<float>(screenSize) : 0.0f;
}

} // namespace

CPInterface::CPInterface()
    : CPGameObject("Interface"),
      m_mouseX(0.0f),
      m_mouseY(0.0f),
      m_renderObject(nullptr),
      m_elements(kNameBuckets),
      m_editBoxes(kNameBuckets),
      m_texts(kNameBuckets),
      m_nameMapChanges(0),
      m_light(),
      m_lightOn(false),
      m_cursors(kNameBuckets),
      m_active(false)
{
    InterfaceList.push_back(this);
    m_elements.max_load_factor(kNameLoadFactor);
    m_texts.max_load_factor(kNameLoadFactor);
    m_renderObject = Own(new CPRenderObject(this));
    SetComponent(kKindMesh, RefPtr<IPObject>(m_renderObject));
}

// What the screen holds goes before what it made, and what it made goes
// newest first, so nothing is let go of after it is destroyed.
CPInterface::~CPInterface()
{
    InterfaceList.remove(this);
    cursorName.clear();
    m_cursors.clear();
    m_cursor = nullptr;
    m_texts.clear();
    m_currentButton = nullptr;
    m_pressedElements.clear();
    m_editBoxes.clear();
    m_buttons.clear();
    m_drawList.clear();
    m_elements.clear();
    SetComponent(kKindMesh, RefPtr<IPObject>());
    while (!m_owned.empty()) m_owned.pop_back();
}

const char* CPInterface::GetTypeName()
{
    m_typeName = "CPInterface - " + GetName();
    return m_typeName.c_str();
}

void CPInterface::Activate(int priority)
{
    m_active = true;
    int x = 0;
    int y = 0;
    GetMousePosition(x, y);
    InterfaceMouseMove(static_cast<float>(x), static_cast<float>(y));
    CPGameObject::Start(priority);
}

void CPInterface::ActivateQuietly(int priority)
{
    m_active = true;
    CPGameObject::Start(priority);
}

// A press held while the screen goes inactive gets no click at its release.
void CPInterface::Deactivate()
{
    m_active = false;
    m_pressedElements.clear();
    CPGameObject::Stop();
}

void CPInterface::Load(const std::string& name, int number)
{
    SetName(name);
    UpdateTransform();
    char path[MAX_PATH];
    std::snprintf(path, sizeof(path), "%s\\%s%d.int", kInterfaceFolder, name.c_str(), kDesignWidth);
    CPDataFile file(path, false);
    if (FAILED(file.Load())) {
        LogInterfaceProblem("screen file %s cannot be read; the screen stays empty", path);
    } else {
        CPTextReader reader(file.GetData(), file.GetDataSize());
        std::string texture;
        std::string effect = kEffect;
        float textureWidth = 0.0f;
        float textureHeight = 0.0f;
        std::string receiver;
        if (!reader.ReadLine(receiver)) {
            LogInterfaceProblem("screen file %s is empty", path);
        } else {
            SetScriptHandler(GetCommandManager() ? GetCommandManager()->FindReceiver(receiver).Get() : nullptr);
            ReadHeader(reader, texture, textureWidth, textureHeight, effect);
            RequestMaterial(number + kMaterialTypeBase, effect, texture);
            ReadEntries(reader, texture, textureWidth, textureHeight);
        }
    }
    UpdateBuffers();
}

void CPInterface::ReadHeader(CPTextReader& reader, std::string& texture, float& textureWidth, float& textureHeight,
                             std::string& effect)
{
    std::string line;
    if (!reader.ReadLine(line)) {
        LogInterfaceProblem("screen %s has no texture line", GetName().c_str());
        return;
    }
    const std::vector<std::string> fields = SplitTokens(line, ",");
    texture = fields.empty() ? std::string() : fields[0];
    textureWidth = ReadFloat(fields, 1);
    textureHeight = ReadFloat(fields, 2);
    if (!(textureWidth > 0.0f) || !(textureHeight > 0.0f)) {
        LogInterfaceProblem("screen %s: texture size \"%s\" is not positive; texture coordinates are 0",
                            GetName().c_str(), line.c_str());
    }
    if (!reader.ReadLine(line)) {
        LogInterfaceProblem("screen %s has no light line", GetName().c_str());
        return;
    }
    ReadLightLine(line, effect);
}

void CPInterface::ReadLightLine(const std::string& line, std::string& effect)
{
    const std::vector<std::string> fields = SplitTokens(line, ",");
    m_lightOn = fields.size() > kLightSwitchField && fields[kLightSwitchField] == kLightOnWord;
    if (m_lightOn) {
        if (fields.size() < kLightDirectionField + kLightNumberCount) {
            LogInterfaceProblem("light line \"%s\" lacks numbers; they read as 0", line.c_str());
        }
        m_light = D3DLIGHT9();
        m_light.Type = D3DLIGHT_DIRECTIONAL;
        m_light.Direction.x = ReadFloat(fields, kLightDirectionField);
        m_light.Direction.y = ReadFloat(fields, kLightDirectionField + 1);
        m_light.Direction.z = ReadFloat(fields, kLightDirectionField + 2);
        const D3DCOLORVALUE colour = {ReadFloat(fields, kLightColourField), ReadFloat(fields, kLightColourField + 1),
                                      ReadFloat(fields, kLightColourField + 2), 0.0f};
        m_light.Diffuse = colour;
        m_light.Specular = colour;
        m_light.Range = kLightRange;
    }
    if (fields.size() > kLightSmoothField && fields[kLightSmoothField] == kSmoothWord) effect = kSmoothEffect;
}

void CPInterface::RequestMaterial(int type, const std::string& effect, const std::string& texture)
{
    if (!GetMaterialManager()) return;
    RefPtr<CPMaterial> material;
    GetMaterialManager()->CreateMaterial(material, type, effect, std::vector<std::string>(1, texture));
    m_renderObject->SetMaterial(material);
}

// Keywords are whole lines in any letter case; other lines are passed
// over. An entry whose definition lines are missing ends the file.
void CPInterface::ReadEntries(CPTextReader& reader, const std::string& texture, float textureWidth,
                              float textureHeight)
{
    std::string line;
    bool more = true;
    while (more && reader.ReadLine(line)) {
        StringToLower(line);
        if (line == "window") {
            more = ReadWindow(reader, texture, textureWidth, textureHeight);
        } else if (line == "button") {
            more = ReadButton(reader, textureWidth, textureHeight);
        } else if (line == "textedit") {
            more = ReadEditBox(reader);
        } else if (line == "text") {
            more = ReadText(reader);
        }
    }
}

bool CPInterface::ReadWindow(CPTextReader& reader, const std::string& texture, float textureWidth,
                             float textureHeight)
{
    CPWindow* window = Own(new CPWindow(this));
    window->SetVisible(true);
    if (!window->Load(reader, textureWidth, textureHeight)) return false;
    if (window->name == kCursorName) {
        MakeCursor(*window, texture);
    } else {
        AddElement(window);
    }
    return true;
}

bool CPInterface::ReadButton(CPTextReader& reader, float textureWidth, float textureHeight)
{
    CPButton* button = Own(new CPButton(this));
    button->SetVisible(true);
    if (!button->Load(reader, textureWidth, textureHeight)) return false;
    AddElement(button);
    m_buttons.push_back(RefPtr<CPButton>(button));
    return true;
}

void CPInterface::AddElement(CPWindow* element)
{
    m_elements[element->name] = element;
    m_drawList.push_back(RefPtr<CPWindow>(element));
}

bool CPInterface::ReadEditBox(CPTextReader& reader)
{
    std::string name;
    std::vector<std::string> fields;
    if (!ReadEntryLine(reader, "textedit", name, fields)) return false;
    if (fields.size() < kEditBoxFields) {
        LogInterfaceProblem("edit box %s lacks position, font or length; left out", name.c_str());
        return true;
    }
    float x = ReadFloat(fields, 0) + kPixelCentre;
    float y = ReadFloat(fields, 1) + kPixelCentre;
    const std::string& font = fields[2];
    const int maxLength = std::atoi(fields[3].c_str());
    if (fields.size() > kEditBoxAnchor) ApplyAnchor(fields[kEditBoxAnchor], x, y);
    const bool hasText = fields.size() > kEditBoxInitialText;
    const std::string initialText = hasText ? fields[kEditBoxInitialText] : std::string();

    CPGameObject* textObject = MakeTextObject();
    const FontDesc description(textObject, font, x, y);
    CPEditBox* editBox = Own(hasText ? new CPEditBox(description, maxLength, initialText)
                                     : new CPEditBox(description, maxLength));
    m_editBoxes[name] = editBox;
    m_texts[name] = description;
    AddChild(RefPtr<CPGameObject>(textObject));
    if (GetFontManager()) GetFontManager()->BuildText(textObject, x, y, font, initialText + kCaret);
    return true;
}

bool CPInterface::ReadText(CPTextReader& reader)
{
    std::string name;
    std::vector<std::string> fields;
    if (!ReadEntryLine(reader, "text", name, fields)) return false;
    if (fields.size() < kTextFields) {
        LogInterfaceProblem("text %s lacks font, position or key; left out", name.c_str());
        return true;
    }
    const std::string& font = fields[0];
    float x = ReadFloat(fields, 1) + kPixelCentre;
    float y = ReadFloat(fields, 2) + kPixelCentre;
    if (fields.size() > kTextAnchor) ApplyAnchor(fields[kTextAnchor], x, y);

    CPGameObject* textObject = MakeTextObject();
    m_texts[name] = FontDesc(textObject, font, x, y);
    AddChild(RefPtr<CPGameObject>(textObject));
    const std::string text = GetGameData() ? GetGameData()->GetText(fields[3]) : std::string();
    if (GetFontManager()) GetFontManager()->BuildText(textObject, x, y, font, text);
    return true;
}

// The mesh is made first so that it outlives the object holding it.
CPGameObject* CPInterface::MakeTextObject()
{
    CPRenderObject* mesh = Own(new CPRenderObject(nullptr));
    CPGameObject* textObject = Own(new CPGameObject(kTextObjectName));
    mesh->SetOwner(textObject);
    textObject->SetComponent(kKindMesh, RefPtr<IPObject>(mesh));
    return textObject;
}

// The cursor draws the window's quad at the pointer: its hot spot is the
// window's top-left corner.
void CPInterface::MakeCursor(CPWindow& window, const std::string& texture)
{
    CPRenderObject* mesh = Own(new CPRenderObject(nullptr));
    CPGameObject* cursor = Own(new CPGameObject(kCursorName));
    mesh->SetOwner(cursor);
    const Vertex48* vertices = window.GetVertices();
    const uint16_t* indices = window.GetIndices();
    mesh->GetLocalVertices().assign(vertices, vertices + CPWindow::kVertexCount);
    mesh->GetWorldVertices() = mesh->GetLocalVertices();
    mesh->GetIndices().assign(indices, indices + CPWindow::kIndexCount);
    const D3DXVECTOR3 centre = (vertices[3].position + vertices[0].position) * 0.5f;
    const D3DXVECTOR3 halfExtents = (vertices[3].position - vertices[0].position) * 0.5f;
    cursor->GetParts().push_back(CPBoundingBox(centre, halfExtents));
    if (GetMaterialManager()) {
        RefPtr<CPMaterial> material;
        GetMaterialManager()->CreateMaterial(material, kCursorMaterialType, kEffect,
                                             std::vector<std::string>(1, texture));
        mesh->SetMaterial(material);
    }
    cursor->SetComponent(kKindMesh, RefPtr<IPObject>(mesh));
    m_cursor = cursor;
    AddChild(RefPtr<CPGameObject>(cursor));
    m_cursors[kCursorName] = cursor;
}

void CPInterface::Update()
{
    CPRender* render = GetRender();
    if (!render) return;
    if (m_lightOn) render->AddLight(m_light);
    RefPtr<CPRenderQueue> queue = render->GetRenderQueue();
    if (queue) queue->AddObject(RefPtr<CPGameObject>(this));
}

// Each hover rebuilds the mesh, so the lists keep their storage and are
// written in place: both vertex lists in one walk over the elements, and of
// the indices only what a change in the number of drawn elements adds.
CPWindow* CPInterface::FindWindow(const std::string& name)
{
    auto found = m_elements.find(name);
    return found == m_elements.end() ? nullptr : found->second.Get();
}

CPWindow* CPInterface::FindElementNamed(const char* name)
{
    RefPtr<CPWindow>* element = m_elementCache.Find(m_elements, m_nameMapChanges, name);
    return element ? element->Get() : nullptr;
}

FontDesc* CPInterface::FindTextNamed(const char* name)
{
    return m_textCache.Find(m_texts, m_nameMapChanges, name);
}

CPEditBox* CPInterface::FindEditBoxNamed(const char* name)
{
    RefPtr<CPEditBox>* box = m_editBoxCache.Find(m_editBoxes, m_nameMapChanges, name);
    return box ? box->Get() : nullptr;
}

void CPInterface::ShowWindowByName(const std::string& name, bool visible)
{
    if (CPWindow* window = FindWindow(name)) window->SetVisible(visible);
}

void CPInterface::SetTextByName(const std::string& name, const std::string& text)
{
    auto found = m_texts.find(name);
    if (found == m_texts.end()) return;
    FontDesc& item = found->second;
    item.text = text;
    if (CPFontManager* fonts = GetFontManager()) fonts->BuildText(item.textObject, item.x, item.y, item.fontName, item.text);
}

void CPInterface::SetWindowPosition(const std::string& name, float x, float y)
{
    if (CPWindow* window = FindWindow(name)) {
        window->x = x;
        window->y = y;
    }
}

bool CPInterface::GetWindowPosition(const std::string& name, float& x, float& y)
{
    CPWindow* window = FindWindow(name);
    if (!window) return false;
    x = window->x;
    y = window->y;
    return true;
}

void CPInterface::SetCursorByName(const std::string& name)
{
    if (m_cursor) m_cursor->SetVisible(false);
    m_cursor = m_cursors[name];
    cursorName = name;
    if (m_cursor) {
        m_cursor->SetVisible(true);
        m_cursor->SetPosition(m_mouseX, m_mouseY, 0.0f);
        m_cursor->UpdateTransform();
    }
}

void CPInterface::UpdateBuffers()
{
    std::vector<Vertex48>& vertices = m_renderObject->GetWorldVertices();
    std::vector<Vertex48>& source = m_renderObject->GetLocalVertices();
    const size_t most = std::min(m_drawList.size(), static_cast<size_t>(kMaxElements));
    vertices.resize(most * kQuadVertexCount);
    source.resize(most * kQuadVertexCount);
    Vertex48* vertex = vertices.data();
    Vertex48* sourceVertex = source.data();
    size_t drawn = 0;
    for (const RefPtr<CPWindow>& element : m_drawList) {
        if (!element->visible) continue;
        if (drawn == most) {
            LogInterfaceProblem("screen %s has more than %d visible elements; the rest are not drawn",
                                GetName().c_str(), kMaxElements);
            break;
        }
        PlaceQuad(vertex, sourceVertex, element->GetVertices(), element->x, element->y);
        vertex += kQuadVertexCount;
        sourceVertex += kQuadVertexCount;
        ++drawn;
    }
    vertices.resize(drawn * kQuadVertexCount);
    source.resize(drawn * kQuadVertexCount);
    SetQuadIndexCount(m_renderObject->GetIndices(), drawn);
}

// The lit button goes out whenever it is not the topmost element under the
// pointer, also where it lies under another element: otherwise a button
// partly covered by a window stays lit while the pointer is on the window.
void CPInterface::HoverAt(float x, float y)
{
    bool changed = false;
    CPWindow* element = TopmostElementAt(x, y);
    if (m_currentButton && m_currentButton.Get() != element) {
        RefPtr<CPWindow> left = m_currentButton;
        m_currentButton = nullptr;
        changed = left->OnMouseOut(x, y);
    }
    if (element) {
        m_currentButton = element;
        if (element->OnMouseOver(x, y)) {
            UpdateBuffers();
            return;
        }
        m_currentButton = nullptr;
    }
    if (changed) UpdateBuffers();
}

CPWindow* CPInterface::TopmostElementAt(float x, float y)
{
    for (ElementList::reverse_iterator it = m_drawList.rbegin(); it != m_drawList.rend(); ++it) {
        CPWindow* element = it->Get();
        if (element->enabled && element->visible && element->HitTest(x, y)) return element;
    }
    return nullptr;
}

void CPInterface::OnMouseMove(float x, float y)
{
    m_mouseX = x;
    m_mouseY = y;
    if (!m_active || !m_cursor) return;
    m_cursor->SetPosition(x, y, 0.0f);
    m_cursor->UpdateTransform();
    HoverAt(x, y);
}

void CPInterface::SelectNextButton()
{
    SelectButton(m_buttons.begin(), m_buttons.end());
}

void CPInterface::SelectPreviousButton()
{
    SelectButton(m_buttons.rbegin(), m_buttons.rend());
}

// From the current button the search wraps around once at most and may
// come back to the current button itself; without one it runs from the
// first button in the step's direction and does not wrap.
template <class Iterator>
void CPInterface::SelectButton(Iterator first, Iterator last)
{
    if (!m_active || first == last) return;
    auto usable = [](const RefPtr<CPButton>& button) { return button->enabled && button->visible; };
    Iterator current = std::find_if(first, last, [this](const RefPtr<CPButton>& button) {
        return static_cast<CPWindow*>(button.Get()) == m_currentButton.Get();
    });
    Iterator chosen = last;
    if (current == last) {
        chosen = std::find_if(first, last, usable);
    } else {
        Iterator step = current;
        do {
            if (++step == last) step = first;
            if (usable(*step)) chosen = step;
        } while (chosen == last && step != current);
    }
    if (chosen == last) return;
    HoverAt((*chosen)->x + kMenuHoverInset, (*chosen)->y + kMenuHoverInset);
}

void CPInterface::PressAt(int mouseButton, float x, float y)
{
    if (!m_active) return;
    RefPtr<CPWindow> pressed = TopmostElementAt(x, y);
    m_pressedElements[mouseButton] = pressed;
    if (pressed && pressed->OnMouseDown(mouseButton, x, y)) UpdateBuffers();
}

void CPInterface::ReleaseAt(int mouseButton, float x, float y)
{
    auto held = m_pressedElements.find(mouseButton);
    if (held == m_pressedElements.end()) return;
    RefPtr<CPWindow> pressed = held->second;
    m_pressedElements.erase(held);
    if (pressed && pressed->OnClick(mouseButton, x, y)) UpdateBuffers();
}

void InterfaceMouseMove(float x, float y)
{
    if (GetCommandManager()) {
        char params[64];
        std::snprintf(params, sizeof(params), "%.2f,%.2f", ScreenShare(x, g_screenWidth),
                      ScreenShare(y, g_screenHeight));
        GetCommandManager()->SendCommandByCategory("interface", "mouse_move", params);
    }
    for (CPInterface* screen : InterfaceList) screen->OnMouseMove(x, y);
}

void InterfaceMouseDown(int mouseButton, float x, float y)
{
    for (CPInterface* screen : InterfaceList) screen->PressAt(mouseButton, x, y);
}

void InterfaceMouseUp(int mouseButton, float x, float y)
{
    for (CPInterface* screen : InterfaceList) screen->ReleaseAt(mouseButton, x, y);
}

void SelectNextMenuButton()
{
    for (CPInterface* screen : InterfaceList) screen->SelectNextButton();
}

void SelectPreviousMenuButton()
{
    for (CPInterface* screen : InterfaceList) screen->SelectPreviousButton();
}
