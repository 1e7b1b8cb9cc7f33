#include "interface/InterfaceFileWriter.h"

#include "core/PDataFileWriter.h"

#include <windows.h>

#include <cstdio>

namespace {

const char* const kLineEnd = "\r\n";

std::string Number(float value)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.9g", value);
    return text;
}

std::string FormatWindow(const WindowLine& window)
{
    std::string line = window.name + " " + Number(window.x) + "," + Number(window.y) + "," + Number(window.w) + "," +
                       Number(window.h) + "," + Number(window.tx) + "," + Number(window.ty) + "," +
                       Number(window.tw) + "," + Number(window.th);
    if (!window.visibility.empty()) {
        line += "," + window.visibility;
        if (!window.layout.empty()) line += "," + window.layout;
    }
    return line + kLineEnd;
}

} // namespace

InterfaceFileWriter::InterfaceFileWriter(const std::string& receiver, const std::string& texture,
                                         float textureWidth, float textureHeight)
    : m_header(receiver + kLineEnd + texture + "," + Number(textureWidth) + "," + Number(textureHeight) +
               kLineEnd),
      m_light(std::string("light,off,0,0,0,0,0,0") + kLineEnd)
{
}

void InterfaceFileWriter::SetLight(const std::string& onWord, float dx, float dy, float dz, float r, float g,
                                   float b, bool smooth)
{
    m_light = "light," + onWord + "," + Number(dx) + "," + Number(dy) + "," + Number(dz) + "," + Number(r) + "," +
              Number(g) + "," + Number(b) + (smooth ? ",smooth" : "") + kLineEnd;
}

void InterfaceFileWriter::AddWindow(const WindowLine& window)
{
    m_entries += std::string("window") + kLineEnd + FormatWindow(window);
}

void InterfaceFileWriter::AddButton(const WindowLine& normal, const WindowLine& hover, const WindowLine& pressed)
{
    m_entries += std::string("button") + kLineEnd + FormatWindow(normal) + FormatWindow(hover) +
                 FormatWindow(pressed);
}

void InterfaceFileWriter::AddEditBox(const std::string& name, float x, float y, const std::string& font,
                                     int maxLength, const std::string& anchor, const std::string& initialText)
{
    std::string line = name + " " + Number(x) + "," + Number(y) + "," + font + "," + std::to_string(maxLength);
    if (!anchor.empty()) {
        line += "," + anchor;
        if (!initialText.empty()) line += "," + initialText;
    }
    m_entries += std::string("textedit") + kLineEnd + line + kLineEnd;
}

void InterfaceFileWriter::AddText(const std::string& name, const std::string& font, float x, float y,
                                  const std::string& key, const std::string& anchor)
{
    std::string line = name + " " + font + "," + Number(x) + "," + Number(y) + "," + key;
    if (!anchor.empty()) line += "," + anchor;
    m_entries += std::string("text") + kLineEnd + line + kLineEnd;
}

void InterfaceFileWriter::AddLine(const std::string& line)
{
    m_entries += line + kLineEnd;
}

std::string InterfaceFileWriter::GetText() const
{
    return m_header + m_light + m_entries;
}

bool InterfaceFileWriter::Save(const std::string& path) const
{
    const std::string text = GetText();
    CPDataFileWriter writer(path, false);
    writer.Write(text.data(), text.size());
    return SUCCEEDED(writer.Save());
}

std::string InterfaceFilePath(const std::string& name)
{
    return "Data\\Interface\\" + name + "1024.int";
}
