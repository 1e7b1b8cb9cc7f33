#include "interface/PEditBox.h"

#include "interface/PFontManager.h"

#include <windows.h>

namespace {

const char* const kCaret = "_";
const int kLowByte = 0xFF;

} // namespace

CPEditBox::CPEditBox(const FontDesc& font, int maxLength) : m_font(font), m_maxLength(maxLength)
{
    Redraw();
}

CPEditBox::CPEditBox(const FontDesc& font, int maxLength, const std::string& text)
    : m_font(font), m_text(text), m_maxLength(maxLength)
{
    Redraw();
}

void CPEditBox::SetText(const std::string& text)
{
    m_text = m_maxLength > 0 ? text.substr(0, static_cast<size_t>(m_maxLength)) : std::string();
    Redraw();
}

void CPEditBox::ProcessKey(int key)
{
    const char character = static_cast<char>(key & kLowByte);
    if (IsCharAlphaNumericA(character) && HasRoom()) {
        m_text += (character >= 'a' && character <= 'z') ? static_cast<char>(character - 'a' + 'A') : character;
    } else if ((key & kLowByte) == kSpace && HasRoom()) {
        m_text += ' ';
    } else if ((key & kLowByte) == kBackspace) {
        if (m_text.empty()) return;
        m_text.erase(m_text.size() - 1);
    } else {
        return;
    }
    Redraw();
}

bool CPEditBox::HasRoom() const
{
    return static_cast<int>(m_text.size()) < m_maxLength;
}

void CPEditBox::Redraw()
{
    if (GetFontManager() && m_font.textObject) {
        GetFontManager()->BuildText(m_font.textObject, m_font.x, m_font.y, m_font.fontName, m_text + kCaret);
    }
}
