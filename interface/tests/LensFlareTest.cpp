#include "interface/tests/InterfaceTest.h"

#include "interface/PLensFlareInterface.h"

#include "Render/PRenderObject.h"

#include <climits>

namespace {

DWORD g_clock = 0;
DWORD FakeClock()
{
    return g_clock;
}

LensFlareElement Element(const std::string& texture, int percent, float scaleX, float scaleY, uint32_t colour,
                         int width, int height, int texX, int texY)
{
    LensFlareElement element = {};
    element.textureName = texture;
    element.percent = percent;
    element.scaleX = scaleX;
    element.scaleY = scaleY;
    element.colour = colour;
    element.width = width;
    element.height = height;
    element.texX = texX;
    element.texY = texY;
    return element;
}

class LensFlare : public InterfaceTest {
protected:
    LensFlare() { SetScreenSize(1024, 768); }

    CPLensFlareInterface* Load(const std::vector<LensFlareElement>& elements)
    {
        EXPECT_TRUE(WriteLensFlareFile("Data\\Interface\\flare.int", elements));
        return LoadText("");
    }

    CPLensFlareInterface* LoadText(const std::string& text)
    {
        if (!text.empty()) WriteFile("Data\\Interface\\flare.int", text);
        CPLensFlareInterface* flare = new CPLensFlareInterface();
        screens.emplace_back(flare);
        flare->Load("flare", 198);
        flare->SetFadeClock(FakeClock);
        return flare;
    }

    static const Vertex48* Quad(CPLensFlareInterface* flare, int element)
    {
        return &flare->GetRenderObject()->GetWorldVertices()[element * 4];
    }
};

TEST_F(LensFlare, ScalesFileSizesToTheScreen)
{
    WriteFile("Data\\Effects\\lensflare.fx", "effect technique main");
    CPLensFlareInterface* flare = Load({Element("flare.tga", 0, 1.0f, 0.5f, 0, 64, 64, 10, 20)});
    ASSERT_EQ(flare->GetFlareElements().size(), 1u);
    const LensFlareElement& element = flare->GetFlareElements()[0];
    EXPECT_EQ(element.width, 153);
    EXPECT_EQ(element.height, 153);
    EXPECT_EQ(element.texX, 24);
    EXPECT_EQ(element.texY, 48);
    EXPECT_EQ(element.halfWidth, 76);
    EXPECT_EQ(element.halfHeight, 38);
    const Vertex48* quad = Quad(flare, 0);
    EXPECT_FLOAT_EQ(quad[2].position.x - quad[0].position.x, 153.0f);
    EXPECT_FLOAT_EQ(quad[2].position.y - quad[0].position.y, 76.0f);
    EXPECT_FLOAT_EQ(quad[1].tex0.x, (24.0f + 153.0f) / (1024.0f * 1.2f));
    EXPECT_FLOAT_EQ(quad[2].tex0.y, (24.0f + 76.0f) / (768.0f * 0.5f * 1.6f));

    RefPtr<CPMaterial> material;
    flare->GetRenderObject()->GetMaterial(material);
    ASSERT_TRUE(material);
    EXPECT_EQ(material->GetType(), 398);
    EXPECT_EQ(material->GetEffect()->GetName(), "lensflare.fx");
    EXPECT_FALSE(flare->GetScriptHandler());
}

struct PlacementCase {
    int percent;
    int sourceX;
    int sourceY;
    float x;
    float y;
};

class Placement : public LensFlare, public testing::WithParamInterface<PlacementCase> {};

// Elements 100 file pixels square: 240 on the screen, half 120.
TEST_P(Placement, StringsElementsThroughTheScreenCentre)
{
    const PlacementCase& row = GetParam();
    CPLensFlareInterface* flare = Load({Element("f.tga", row.percent, 1.0f, 1.0f, 0xFFFFFF, 100, 100, 0, 0)});
    flare->SetSourcePosition(row.sourceX, row.sourceY);
    flare->Update();
    CPWindow* window = flare->GetDrawList().front().Get();
    EXPECT_FLOAT_EQ(window->x, row.x);
    EXPECT_FLOAT_EQ(window->y, row.y);
    EXPECT_FLOAT_EQ(Quad(flare, 0)[0].position.x, row.x);
}

INSTANTIATE_TEST_SUITE_P(Table, Placement,
                         testing::Values(PlacementCase{0, 100, 50, -20, -70},
                                         PlacementCase{100, 100, 50, 392, 264},
                                         PlacementCase{200, 100, 50, 804, 598},
                                         PlacementCase{77, 512, 384, 392, 264},
                                         PlacementCase{33, 100, 50, 115, 40},
                                         PlacementCase{33, 1000, 700, 719, 476}));

TEST_F(LensFlare, FadesByTheClockAndKeepsOnlyTheFileColour)
{
    CPLensFlareInterface* flare =
        Load({Element("f.tga", 0, 1, 1, 0x12FFFFFF, 10, 10, 0, 0), Element("f.tga", 50, 1, 1, 0x80336699, 10, 10, 0, 0)});
    g_clock = 1000;
    const struct {
        bool shining;
        float alpha;
    } steps[] = {{true, 50}, {true, 100}, {true, 150}, {true, 200}, {true, 250}, {true, 255}, {false, 205}};
    for (const auto& step : steps) {
        flare->SetShining(step.shining);
        flare->Update();
        EXPECT_FLOAT_EQ(flare->GetAlpha(), step.alpha);
    }
    EXPECT_EQ(Quad(flare, 0)[3].diffuse, 0xCDFFFFFFu);
    EXPECT_EQ(Quad(flare, 1)[0].diffuse, 0xCD336699u);
    g_clock = 7;
    flare->Update();
    EXPECT_FLOAT_EQ(flare->GetAlpha(), 204.65f);
    EXPECT_EQ(Quad(flare, 1)[0].diffuse, 0xCC336699u);
}

TEST_F(LensFlare, TheSystemClockSwitchesTheFlareAtOnce)
{
    CPLensFlareInterface* flare = Load({Element("f.tga", 0, 1, 1, 0, 10, 10, 0, 0)});
    flare->SetFadeClock(CPLensFlareInterface::SystemClock);
    flare->SetShining(true);
    flare->Update();
    EXPECT_FLOAT_EQ(flare->GetAlpha(), 255.0f);
    flare->SetShining(false);
    flare->Update();
    EXPECT_FLOAT_EQ(flare->GetAlpha(), 0.0f);
}

TEST_F(LensFlare, AnEmptyFileAsksForNoMaterial)
{
    CPLensFlareInterface* flare = LoadText("// no elements\n");
    RefPtr<CPMaterial> material;
    flare->GetRenderObject()->GetMaterial(material);
    EXPECT_FALSE(material);
    EXPECT_TRUE(Logged());
    flare->Update();
    EXPECT_EQ(flare->GetRenderObject()->GetVertexCount(), 0);
}

TEST_F(LensFlare, ShortLinesAreLeftOutAndLogged)
{
    CPLensFlareInterface* flare = LoadText("f.tga\t0\t1\t1\t0\t10\t10\t0\nf.tga\t0\t1\t1\t0\t10\t10\t0\t0\n");
    EXPECT_EQ(flare->GetFlareElements().size(), 1u);
    EXPECT_EQ(flare->GetDrawList().size(), 1u);
    EXPECT_TRUE(Logged());
}

// Sizes are worked out in double: a file size times the screen beyond 32
// bits keeps its value, and a size the screen cannot hold is clamped to the
// integer range and logged.
TEST_F(LensFlare, SizesBeyondTheIntegerRangeAreClampedAndLogged)
{
    struct Case {
        const char* what;
        const char* line;
        int width, height, texX, halfWidth, halfHeight;
        bool logged;
    };
    const Case cases[] = {
        {"file sizes times the screen beyond 32 bits", "f.tga\t0\t1\t1\t0\t20000001\t1000001\t-3000001\t0",
         48000002, 2400002, -7200002, 24000001, 1200001, false},
        {"scales beyond the range", "f.tga\t0\t-1e30\t1e30\t0\t1000\t10\t10\t10", 2400, 24, 24, -1073741824,
         1073741823, true},
        {"a file size beyond the range below zero", "f.tga\t0\t1\t1\t0\t-99999999999\t10\t0\t0", INT_MIN, 24, 0,
         -1073741824, 12, true},
        {"a file size beyond the range", "f.tga\t0\t1\t1\t0\t99999999999\t10\t0\t0", 2147483647, 24, 0,
         1073741823, 12, true},
    };
    for (const Case& c : cases) {
        ClearInterfaceLog();
        CPLensFlareInterface* flare = LoadText(std::string(c.line) + "\n");
        ASSERT_EQ(flare->GetFlareElements().size(), 1u) << c.what;
        const LensFlareElement& element = flare->GetFlareElements()[0];
        EXPECT_EQ(element.width, c.width) << c.what;
        EXPECT_EQ(element.height, c.height) << c.what;
        EXPECT_EQ(element.texX, c.texX) << c.what;
        EXPECT_EQ(element.halfWidth, c.halfWidth) << c.what;
        EXPECT_EQ(element.halfHeight, c.halfHeight) << c.what;
        EXPECT_EQ(Logged(), c.logged) << c.what;
        EXPECT_GE(Quad(flare, 0)[0].tex0.y, 0.0f) << c.what << ": a clamped texture offset keeps its sign";
    }
}

TEST_F(LensFlare, ScalesThatAreNotFiniteLeaveTheLineOut)
{
    for (const char* scale : {"nan", "inf", "-inf", "1e39"}) {
        ClearInterfaceLog();
        const std::string bad = std::string("f.tga\t0\t1\t") + scale + "\t0\t10\t10\t0\t0\n";
        CPLensFlareInterface* flare = LoadText(bad + "g.tga\t50\t1\t1\t0\t10\t10\t0\t0\n");
        ASSERT_EQ(flare->GetFlareElements().size(), 1u) << scale;
        EXPECT_EQ(flare->GetFlareElements()[0].textureName, "g.tga") << scale;
        EXPECT_EQ(flare->GetDrawList().size(), 1u) << scale;
        EXPECT_TRUE(Logged()) << scale;
    }
}

TEST_F(LensFlare, ZeroScaleGivesTextureCoordinatesZero)
{
    CPLensFlareInterface* flare = Load({Element("f.tga", 0, 0.0f, 1.0f, 0, 10, 10, 5, 5)});
    EXPECT_TRUE(Logged());
    EXPECT_EQ(Quad(flare, 0)[1].tex0.x, 0.0f);
}

} // namespace
