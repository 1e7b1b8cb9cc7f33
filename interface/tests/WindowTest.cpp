#include "interface/InterfaceLog.h"
#include "interface/PWindow.h"

#include "core/PTextReader.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const float kTextureWidth = 200.0f;
const float kTextureHeight = 100.0f;

class ScreenSize {
public:
    ScreenSize(int width, int height) : m_width(g_screenWidth), m_height(g_screenHeight)
    {
        g_screenWidth = width;
        g_screenHeight = height;
    }
    ~ScreenSize()
    {
        g_screenWidth = m_width;
        g_screenHeight = m_height;
    }

private:
    int m_width;
    int m_height;
};

bool LoadLine(CPWindow& window, const std::string& text)
{
    CPTextReader reader(text.data(), text.size());
    return window.Load(reader, kTextureWidth, kTextureHeight);
}

struct WindowLineCase {
    int screenWidth;
    int screenHeight;
    const char* line;
    float x, y, width, height;
    bool visible;
};

class WindowLines : public testing::TestWithParam<WindowLineCase> {};

TEST_P(WindowLines, PlaceSizeAndShowTheWindow)
{
    const WindowLineCase& row = GetParam();
    ScreenSize size(row.screenWidth, row.screenHeight);
    CPWindow window(nullptr);
    window.SetVisible(true);
    ASSERT_TRUE(LoadLine(window, row.line));
    EXPECT_EQ(window.name, "panel");
    EXPECT_FLOAT_EQ(window.x, row.x);
    EXPECT_FLOAT_EQ(window.y, row.y);
    const Vertex48* quad = window.GetVertices();
    EXPECT_FLOAT_EQ(quad[2].position.x, row.width);
    EXPECT_FLOAT_EQ(quad[2].position.y, row.height);
    EXPECT_EQ(window.visible, row.visible);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, WindowLines,
    testing::Values(
        // Eight numbers: half a pixel up and left, visible as the caller left it.
        WindowLineCase{800, 600, "panel 100,50,40,30,20,10,100,50", 99.5f, 49.5f, 40, 30, true},
        WindowLineCase{800, 600, "panel 100,50,40,30,20,10,100,50,false", 99.5f, 49.5f, 40, 30, false},
        WindowLineCase{800, 600, "panel 100,50,40,30,20,10,100,50,False", 99.5f, 49.5f, 40, 30, true},
        // "stretch" in the visibility place only shows the window.
        WindowLineCase{800, 600, "panel 100,50,40,30,20,10,100,50,stretch", 99.5f, 49.5f, 40, 30, true},
        // Stretching scales the size, never the position.
        WindowLineCase{800, 600, "panel 0,0,1024,768,20,10,100,50,true,stretch", -0.5f, -0.5f, 800, 600, true},
        WindowLineCase{800, 600, "panel 1000,700,40,30,20,10,100,50,true,rd", 775.5f, 531.5f, 40, 30, true},
        WindowLineCase{800, 600, "panel 1000,700,40,30,20,10,100,50,false,nowhere", 999.5f, 699.5f, 40, 30, false},
        WindowLineCase{1024, 768, "panel 1000,700,40,30,20,10,100,50,true,center", 999.5f, 699.5f, 40, 30,
                       true}));

struct AnchorCase {
    const char* anchor;
    int screenWidth;
    int screenHeight;
    float x;
    float y;
};

class Anchors : public testing::TestWithParam<AnchorCase> {};

TEST_P(Anchors, MoveADesignPointToTheRealScreen)
{
    const AnchorCase& row = GetParam();
    ScreenSize size(row.screenWidth, row.screenHeight);
    float x = 100.0f;
    float y = 50.0f;
    ApplyAnchor(row.anchor, x, y);
    EXPECT_FLOAT_EQ(x, row.x);
    EXPECT_FLOAT_EQ(y, row.y);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Anchors,
    testing::Values(AnchorCase{"lu", 800, 600, 100, 50}, AnchorCase{"ld", 800, 600, 100, -118},
                    AnchorCase{"ru", 800, 600, -124, 50}, AnchorCase{"rd", 800, 600, -124, -118},
                    AnchorCase{"cu", 800, 600, -12, 50}, AnchorCase{"cd", 800, 600, -12, -118},
                    AnchorCase{"center", 800, 600, -12, -34}, AnchorCase{"CENTER", 800, 600, 100, 50},
                    AnchorCase{"rd", 1024, 768, 100, 50}, AnchorCase{"center", 1024, 768, 100, 50},
                    AnchorCase{"cd", 1024, 768, 100, 50}));

TEST(Window, CutsItsTextureRectangleAndDrawsOpaqueWhite)
{
    CPWindow window(nullptr);
    ASSERT_TRUE(LoadLine(window, "panel 0,0,40,30,20,10,100,50"));
    const Vertex48* quad = window.GetVertices();
    const float expected[4][2] = {{0.1f, 0.1f}, {0.6f, 0.1f}, {0.6f, 0.6f}, {0.1f, 0.6f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(quad[i].tex0.x, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(quad[i].tex0.y, expected[i][1]) << i;
        EXPECT_EQ(quad[i].diffuse, 0xFFFFFFFFu);
        EXPECT_EQ(quad[i].specular, 0u);
        EXPECT_FLOAT_EQ(quad[i].normal.z, 0.0f);
    }
    const uint16_t indices[] = {0, 1, 2, 0, 2, 3};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(window.GetIndices()[i], indices[i]);
}

TEST(Window, HitsItsEdgesInclusively)
{
    CPWindow window(nullptr);
    ASSERT_TRUE(LoadLine(window, "panel 10.5,20.5,40,30,0,0,1,1"));
    const struct {
        float x, y;
        bool hit;
    } points[] = {{10, 20, true}, {50, 50, true}, {9.99f, 30, false}, {50.01f, 30, false},
                  {30, 19.99f, false}, {30, 50.01f, false}};
    for (const auto& point : points) EXPECT_EQ(window.HitTest(point.x, point.y), point.hit) << point.x << "," << point.y;
}

TEST(Window, WithoutAPositiveTextureSizeHasTextureCoordinatesZero)
{
    CPWindow window(nullptr);
    const std::string line = "panel 0,0,40,30,20,10,100,50";
    CPTextReader reader(line.data(), line.size());
    ASSERT_TRUE(window.Load(reader, 0.0f, -5.0f));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(window.GetVertices()[i].tex0.x, 0.0f);
        EXPECT_EQ(window.GetVertices()[i].tex0.y, 0.0f);
    }
    EXPECT_FLOAT_EQ(window.GetVertices()[2].position.x, 40.0f);
}

TEST(Window, ReportsAMissingOrShortDefinitionLine)
{
    ClearInterfaceLog();
    CPWindow window(nullptr);
    EXPECT_FALSE(LoadLine(window, "// nothing but a comment\n"));
    EXPECT_EQ(GetInterfaceLog().size(), 1u);
    EXPECT_TRUE(LoadLine(window, "panel 1,2,3"));
    EXPECT_EQ(GetInterfaceLog().size(), 2u);
    EXPECT_FLOAT_EQ(window.GetVertices()[2].position.y, 0.0f);
}

} // namespace
