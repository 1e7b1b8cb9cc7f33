#pragma once

#include <string>

// One window definition line of a screen file. The visibility and layout
// words are written only when given (a layout only after a visibility).
struct WindowLine {
    std::string name;
    float x, y, w, h;
    float tx, ty, tw, th;
    std::string visibility;
    std::string layout;
};

// Builds a screen's ".int" file: the receiver, texture and light header,
// then entries in the order they are added.
class InterfaceFileWriter {
public:
    InterfaceFileWriter(const std::string& receiver, const std::string& texture, float textureWidth,
                        float textureHeight);

    // The light line; without one the light is "off".
    void SetLight(const std::string& onWord, float dx, float dy, float dz, float r, float g, float b,
                  bool smooth);
    void AddWindow(const WindowLine& window);
    void AddButton(const WindowLine& normal, const WindowLine& hover, const WindowLine& pressed);
    // An empty anchor writes no anchor and no initial text; an initial text
    // needs an anchor before it.
    void AddEditBox(const std::string& name, float x, float y, const std::string& font, int maxLength,
                    const std::string& anchor, const std::string& initialText);
    void AddText(const std::string& name, const std::string& font, float x, float y, const std::string& key,
                 const std::string& anchor);
    // Any line as it is, keyword lines in other spellings included.
    void AddLine(const std::string& line);

    std::string GetText() const;
    // Writes the file; false when it cannot be written.
    bool Save(const std::string& path) const;

private:
    std::string m_header;
    std::string m_light;
    std::string m_entries;
};

// The path a screen of that name is read from.
std::string InterfaceFilePath(const std::string& name);
