#include "interface/tests/InterfaceTest.h"

#include "interface/FontFile.h"

#include "Render/PRenderObject.h"
#include "core/PDataFile.h"

#include <cstdio>
#include <cstring>

namespace {

// A text object of the plain-mesh kind with its own mesh.
class TextObject {
public:
    TextObject() : object("text"), mesh(&object) { object.SetComponent(CPGameObject::kKindMesh, RefPtr<IPObject>(&mesh)); }
    ~TextObject() { object.SetComponent(CPGameObject::kKindMesh, RefPtr<IPObject>()); }

    CPGameObject object;
    CPRenderObject mesh;
};

class Fonts : public InterfaceTest {
protected:
    Fonts() { AddTestFont("small"); }

    RefPtr<CPRenderObject> Build(const std::string& text, const std::string& font = "small")
    {
        return fonts.BuildText(&textObject.object, 100.0f, 50.0f, font, text);
    }
    const std::vector<Vertex48>& Vertices() { return textObject.mesh.GetWorldVertices(); }

    TextObject textObject;
};

struct TextCase {
    const char* text;
    // Top-left corner of each quad.
    std::vector<std::pair<float, float>> corners;
};

class TextMeshes : public Fonts, public testing::WithParamInterface<TextCase> {};

TEST_P(TextMeshes, PlaceOneQuadPerCharacter)
{
    ASSERT_EQ(Build(GetParam().text).Get(), &textObject.mesh);
    const auto& corners = GetParam().corners;
    ASSERT_EQ(Vertices().size(), corners.size() * 4);
    ASSERT_EQ(textObject.mesh.GetIndices().size(), corners.size() * 6);
    for (size_t quad = 0; quad < corners.size(); ++quad) {
        const Vertex48* v = &Vertices()[quad * 4];
        EXPECT_FLOAT_EQ(v[0].position.x, corners[quad].first) << quad;
        EXPECT_FLOAT_EQ(v[0].position.y, corners[quad].second) << quad;
        EXPECT_FLOAT_EQ(v[2].position.x, corners[quad].first + 10.0f) << quad;
        EXPECT_FLOAT_EQ(v[2].position.y, corners[quad].second + 16.0f) << quad;
        EXPECT_EQ(textObject.mesh.GetIndices()[quad * 6 + 5], quad * 4 + 3);
    }
    RefPtr<CPMaterial> material;
    textObject.mesh.GetMaterial(material);
    EXPECT_EQ(material.Get(), fonts.FindFont("small")->material.Get());
    EXPECT_EQ(textObject.mesh.GetLocalVertices().size(), Vertices().size());
}

INSTANTIATE_TEST_SUITE_P(Texts, TextMeshes,
                         testing::Values(TextCase{"AB", {{100, 50}, {108, 50}}},
                                         TextCase{"A^B", {{100, 50}, {100, 66}}},
                                         TextCase{"AB^^A", {{100, 50}, {108, 50}, {100, 82}}},
                                         TextCase{"^", {}}, TextCase{"", {}}));

TEST_F(Fonts, CutsEachGlyphFromTheTexture)
{
    Build("BA");
    const float expected[4][2] = {{0.3f, 0.5f}, {0.4f, 0.5f}, {0.4f, 0.75f}, {0.3f, 0.75f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(Vertices()[i].tex0.x, expected[i][0]);
        EXPECT_FLOAT_EQ(Vertices()[i].tex0.y, expected[i][1]);
        EXPECT_EQ(Vertices()[i].diffuse, 0xFFFFFFFFu);
    }
    EXPECT_FLOAT_EQ(Vertices()[4].tex0.x, 0.1f);
}

// The lists hold stale bytes of a longer text first, so a field left
// unwritten shows.
TEST_F(Fonts, WriteTheUnusedFieldsZeroAndTheSourceListAlike)
{
    Vertex48 stale;
    std::memset(static_cast<void*>(&stale), 0xAB, sizeof(stale));
    textObject.mesh.GetWorldVertices().assign(12, stale);
    textObject.mesh.GetLocalVertices().assign(12, stale);
    Build("AB");
    ASSERT_EQ(textObject.mesh.GetLocalVertices().size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        const Vertex48& vertex = Vertices()[i];
        EXPECT_EQ(vertex.position.z, 0.0f) << i;
        EXPECT_EQ(vertex.normal, D3DXVECTOR3(0.0f, 0.0f, 0.0f)) << i;
        EXPECT_EQ(vertex.diffuse, 0xFFFFFFFFu) << i;
        EXPECT_EQ(vertex.specular, 0u) << i;
        EXPECT_EQ(vertex.tex1, D3DXVECTOR2(0.0f, 0.0f)) << i;
        EXPECT_EQ(std::memcmp(&vertex, &textObject.mesh.GetLocalVertices()[i], sizeof(Vertex48)), 0) << i;
    }
}

TEST_F(Fonts, LeaveObjectsOfOtherKindsAlone)
{
    Build("AB");
    textObject.object.SetComponent(CPGameObject::kKindAnimated, RefPtr<IPObject>(&textObject.mesh));
    EXPECT_FALSE(Build("A"));
    EXPECT_EQ(Vertices().size(), 8u);
}

TEST_F(Fonts, UnknownFontGivesAnEmptyMeshAndNull)
{
    Build("AB");
    EXPECT_FALSE(Build("AB", "absent"));
    EXPECT_TRUE(Vertices().empty());
    EXPECT_TRUE(textObject.mesh.GetIndices().empty());
    EXPECT_TRUE(Logged());
}

TEST_F(Fonts, TextsBeyondSixteenBitIndicesDrawTheirFirstQuads)
{
    Build(std::string(CPFontManager::kMaxCharacters + 3, 'A'));
    EXPECT_EQ(Vertices().size(), 4u * CPFontManager::kMaxCharacters);
    EXPECT_EQ(textObject.mesh.GetIndices().back(), 65535);
    EXPECT_TRUE(Logged());
}

struct KeyCase {
    int key;
    const char* text;
};

class EditBoxKeys : public Fonts {};

TEST_F(EditBoxKeys, TypeUpToTheLimitAndRubOut)
{
    CPEditBox box(FontDesc(&textObject.object, "small", 10.0f, 20.0f), 3, "A");
    EXPECT_EQ(Vertices().size(), 8u) << "the text and its caret";
    const KeyCase keys[] = {{'b', "AB"}, {'7', "AB7"}, {'x', "AB7"}, {' ', "AB7"}, {CPEditBox::kBackspace, "AB"},
                            {' ', "AB "}, {'!', "AB "}, {'\t', "AB "}, {0x162, "AB "}, {8, "AB"},
                            {8, "A"}, {8, ""}, {8, ""}, {0x141, "A"}};
    for (const KeyCase& key : keys) {
        box.ProcessKey(key.key);
        EXPECT_EQ(box.GetText(), key.text) << key.key;
        EXPECT_EQ(Vertices().size(), 4 * (box.GetText().size() + 1)) << key.key;
    }
}

TEST_F(EditBoxKeys, SettingCutsToTheLimitWhileConstructingKeepsTheText)
{
    CPEditBox box(FontDesc(&textObject.object, "small", 10.0f, 20.0f), 3, "ABCDE");
    EXPECT_EQ(box.GetText(), "ABCDE");
    box.SetText("BBBBB");
    EXPECT_EQ(box.GetText(), "BBB");
    EXPECT_EQ(Vertices().size(), 16u);
    EXPECT_FLOAT_EQ(Vertices()[0].position.x, 10.0f);
}

class FontFiles : public InterfaceTest {};

TEST_F(FontFiles, ReadTextureLineHeightAndGlyphs)
{
    WriteFile("Data\\Fonts\\hand.fnt", "// a hand-written font\nhand.tga\n18.5\n65 0.125 0.25 0.375 0.5 11\n66 0 0 0.5 1 9.5\n");
    std::unique_ptr<CPFont> font = LoadFontFile(FontPath("hand"));
    ASSERT_TRUE(font);
    EXPECT_FLOAT_EQ(font->lineHeight, 18.5f);
    EXPECT_FLOAT_EQ(font->glyphs['A'].uLeft, 0.125f);
    EXPECT_FLOAT_EQ(font->glyphs['A'].vBottom, 0.5f);
    EXPECT_FLOAT_EQ(font->advance['A'], 11.0f);
    EXPECT_FLOAT_EQ(font->advance['B'], 9.5f);
    EXPECT_FLOAT_EQ(font->advance['C'], 0.0f);
    ASSERT_TRUE(font->material);
    EXPECT_EQ(font->material->GetType(), 200);
    EXPECT_FALSE(Logged());
}

TEST_F(FontFiles, WriterWritesTheLinesTheReaderReads)
{
    FontFileContents contents{"w.tga", 16.0f, {{65, {0.5f, 0.25f, 0.75f, 1.0f}, 10.0f}}};
    ASSERT_TRUE(WriteFontFile(FontPath("written"), contents));
    CPDataFile file(FontPath("written"), false);
    ASSERT_EQ(file.Load(), S_OK);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.GetData()), file.GetDataSize()),
              "w.tga\r\n16\r\n65 0.5 0.25 0.75 1 10\r\n");
    std::remove(FontPath("written").c_str());
}

struct CorruptFont {
    const char* what;
    const char* text;
    bool loads;
    float advanceOfA;
};

class CorruptFonts : public FontFiles, public testing::WithParamInterface<CorruptFont> {};

TEST_P(CorruptFonts, LogAndKeepTheWholeGlyphs)
{
    WriteFile("Data\\Fonts\\bad.fnt", GetParam().text);
    std::unique_ptr<CPFont> font = LoadFontFile(FontPath("bad"));
    EXPECT_TRUE(Logged()) << GetParam().what;
    ASSERT_EQ(static_cast<bool>(font), GetParam().loads) << GetParam().what;
    if (font) {
        EXPECT_FLOAT_EQ(font->advance['A'], GetParam().advanceOfA) << GetParam().what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, CorruptFonts,
    testing::Values(CorruptFont{"empty", "", false, 0}, CorruptFont{"texture only", "t.tga\n", false, 0},
                    CorruptFont{"short glyph", "t.tga\n16\n65 0 0 1\n66 0 0 1 1 5\n", true, 0},
                    CorruptFont{"code past a byte", "t.tga\n16\n256 0 0 1 1 5\n65 0 0 1 1 7\n", true, 7},
                    CorruptFont{"negative code", "t.tga\n16\n-1 0 0 1 1 5\n", true, 0}));

TEST_F(FontFiles, MissingFileIsRefused)
{
    EXPECT_FALSE(LoadFontFile(FontPath("absent")));
    EXPECT_TRUE(Logged());
}

TEST_F(FontFiles, TheFolderLoadsEveryReadableFontByName)
{
    WriteFile("Data\\Fonts\\one.fnt", "one.tga\n12\n65 0 0 1 1 6\n");
    WriteFile("Data\\Fonts\\two.fnt", "two.tga\n14\n");
    WriteFile("Data\\Fonts\\broken.fnt", "broken.tga\n");
    CPFontManager manager;
    EXPECT_EQ(LoadFontFolder(manager), 2);
    ASSERT_NE(manager.FindFont("one"), nullptr);
    EXPECT_FLOAT_EQ(manager.FindFont("one")->advance['A'], 6.0f);
    EXPECT_FLOAT_EQ(manager.FindFont("two")->lineHeight, 14.0f);
    EXPECT_EQ(manager.FindFont("broken"), nullptr);
}

} // namespace
