#include "interface/FontFile.h"

#include "interface/InterfaceFields.h"
#include "interface/InterfaceLog.h"
#include "interface/PFontManager.h"

#include "core/PDataFile.h"
#include "core/PDataFileWriter.h"
#include "core/PTextReader.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

const char* const kFontFolder = "Data\\Fonts";

namespace {

const int kFontMaterialType = 200;
const char* const kFontEffect = "interface.fx";
const char* const kFontExtension = ".fnt";
const size_t kGlyphFields = 6;

bool ReadGlyphLine(const std::string& line, FontFileGlyph& glyph)
{
    std::vector<std::string> fields = SplitTokens(line, " ");
    fields.erase(std::remove(fields.begin(), fields.end(), std::string()), fields.end());
    if (fields.size() < kGlyphFields) return false;
    glyph.code = std::atoi(fields[0].c_str());
    glyph.rectangle.uLeft = static_cast<float>(std::atof(fields[1].c_str()));
    glyph.rectangle.vTop = static_cast<float>(std::atof(fields[2].c_str()));
    glyph.rectangle.uRight = static_cast<float>(std::atof(fields[3].c_str()));
    glyph.rectangle.vBottom = static_cast<float>(std::atof(fields[4].c_str()));
    glyph.advance = static_cast<float>(std::atof(fields[5].c_str()));
    return glyph.code >= 0 && glyph.code < CPFont::kGlyphCount;
}

} // namespace

std::string FontPath(const std::string& name)
{
    return std::string(kFontFolder) + "\\" + name + kFontExtension;
}

bool ReadFontFile(const std::string& path, FontFileContents& contents)
{
    CPDataFile file(path, false);
    if (FAILED(file.Load())) {
        LogInterfaceProblem("font file %s cannot be read", path.c_str());
        return false;
    }
    CPTextReader reader(file.GetData(), file.GetDataSize());
    std::string heightLine;
    if (!reader.ReadLine(contents.texture) || !reader.ReadLine(heightLine)) {
        LogInterfaceProblem("font file %s lacks its texture or line height line", path.c_str());
        return false;
    }
    contents.lineHeight = static_cast<float>(std::atof(heightLine.c_str()));
    contents.glyphs.clear();
    std::string line;
    while (reader.ReadLine(line)) {
        FontFileGlyph glyph = {};
        if (ReadGlyphLine(line, glyph)) {
            contents.glyphs.push_back(glyph);
        } else {
            LogInterfaceProblem("font file %s: glyph line \"%s\" left out", path.c_str(), line.c_str());
        }
    }
    return true;
}

std::unique_ptr<CPFont> MakeFont(const FontFileContents& contents)
{
    std::unique_ptr<CPFont> font(new CPFont());
    font->lineHeight = contents.lineHeight;
    for (const FontFileGlyph& glyph : contents.glyphs) {
        font->glyphs[glyph.code] = glyph.rectangle;
        font->advance[glyph.code] = glyph.advance;
    }
    if (GetMaterialManager()) {
        GetMaterialManager()->CreateMaterial(font->material, kFontMaterialType, kFontEffect,
                                             std::vector<std::string>(1, contents.texture));
    }
    return font;
}

std::unique_ptr<CPFont> LoadFontFile(const std::string& path)
{
    FontFileContents contents;
    if (!ReadFontFile(path, contents)) return std::unique_ptr<CPFont>();
    return MakeFont(contents);
}

bool WriteFontFile(const std::string& path, const FontFileContents& contents)
{
    std::string text = contents.texture + "\r\n";
    char line[256];
    std::snprintf(line, sizeof(line), "%.9g\r\n", contents.lineHeight);
    text += line;
    for (const FontFileGlyph& glyph : contents.glyphs) {
        std::snprintf(line, sizeof(line), "%d %.9g %.9g %.9g %.9g %.9g\r\n", glyph.code, glyph.rectangle.uLeft,
                      glyph.rectangle.vTop, glyph.rectangle.uRight, glyph.rectangle.vBottom, glyph.advance);
        text += line;
    }
    CPDataFileWriter writer(path, false);
    writer.Write(text.data(), text.size());
    return SUCCEEDED(writer.Save());
}

int LoadFontFolder(CPFontManager& manager)
{
    WIN32_FIND_DATAA found;
    const std::string pattern = std::string(kFontFolder) + "\\*" + kFontExtension;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int loaded = 0;
    do {
        const std::string fileName = found.cFileName;
        const size_t dot = fileName.rfind('.');
        std::unique_ptr<CPFont> font = LoadFontFile(std::string(kFontFolder) + "\\" + fileName);
        if (font) {
            manager.AddFont(fileName.substr(0, dot), std::move(font));
            ++loaded;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return loaded;
}
