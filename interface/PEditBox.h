#pragma once

#include "interface/FontDesc.h"

#include "core/PObject.h"

#include <string>

// A text entry field of a screen: typed letters, digits and spaces up to a
// length limit, drawn through its text object with a "_" after them. Keys
// reach it from the scripts.
class CPEditBox : public IPObject {
public:
    static const int kBackspace = 8;
    static const int kSpace = 32;

    CPEditBox(const FontDesc& font, int maxLength);
    // The given text is kept whole, even beyond the limit.
    CPEditBox(const FontDesc& font, int maxLength, const std::string& text);

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPEditBox"; }

    // Keeps the first maxLength characters of the text and redraws.
    void SetText(const std::string& text);
    // A letter or digit (upper-cased) or a space is added while there is
    // room, backspace removes the last character; other keys do nothing.
    void ProcessKey(int key);

    const std::string& GetText() const { return m_text; }
    int GetMaxLength() const { return m_maxLength; }
    const FontDesc& GetFont() const { return m_font; }

private:
    bool HasRoom() const;
    void Redraw();

    FontDesc m_font;
    std::string m_text;
    int m_maxLength;
};
