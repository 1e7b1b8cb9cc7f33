#pragma once

#include "core/PGameObject.h"

#include <string>

// A text on a screen: the object whose mesh draws it, the font, where its
// first character's top-left corner lies in screen pixels, and the text the
// scripts last set.
struct FontDesc {
    FontDesc() : x(0.0f), y(0.0f) {}
    FontDesc(CPGameObject* object, const std::string& font, float left, float top)
        : textObject(object), fontName(font), x(left), y(top)
    {
    }

    RefPtr<CPGameObject> textObject;
    std::string fontName;
    float x;
    float y;
    std::string text;
};
