#include "core/PSettings.h"

#include "core/Settings.h"
#include "core/tests/FileTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <vector>

namespace {

// Every key with its default text, in the order the file lists them.
const char* const kDefaultFile =
    "fullScreen = 0\r\n"
    "friction = 0.2\r\n"
    "restitution = 0\r\n"
    "blur = 1\r\n"
    "shadows = 1\r\n"
    "bloom = 1\r\n"
    "weight_div = 0\r\n"
    "cam_speed = 0\r\n"
    "rolling = 0\r\n"
    "psystems = 25\r\n"
    "admin = 0\r\n"
    "screenBPP = 16\r\n"
    "musicVolume = 0.5\r\n"
    "weather = 1\r\n"
    "startmenu = 1\r\n"
    "texlod = -1\r\n"
    "dust = 1\r\n"
    "mouse = 0\r\n"
    "plane = 0.5\r\n"
    "contrast = 1\r\n"
    "bitrate = 8\r\n"
    "quadlevels = 0\r\n"
    "channels = 2\r\n"
    "distance = 200\r\n"
    "static = 0\r\n"
    "bboxes = 0\r\n"
    "soundVolume = 0.5\r\n"
    "screenWidth = 640\r\n"
    "frequency = 22050\r\n"
    "lensflare = 1\r\n"
    "wheel = 1\r\n"
    "screenHeight = 480\r\n";

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line + "\n");
    return lines;
}

// A store over the real globals; whatever a test changes is put back.
class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const std::string& line : SplitLines(kDefaultFile)) {
            std::string name = line.substr(0, line.find(' '));
            std::string text;
            m_store.FindDator(name)->ToText(text);
            m_saved.push_back({name, text});
        }
    }
    void TearDown() override
    {
        for (const auto& entry : m_saved) m_store.FindDator(entry.first)->SetFromText(entry.second);
    }

    std::string TextOf(const char* name)
    {
        std::string text;
        m_store.FindDator(name)->ToText(text);
        return text;
    }

    std::string SavedFile(const char* path)
    {
        m_store.Save(path);
        return ReadFileBytes(path);
    }

    CPSettings m_store;
    std::vector<std::pair<std::string, std::string>> m_saved;
};

TEST_F(SettingsStore, PublishesItselfWhileItLives)
{
    EXPECT_EQ(GetSettings(), &m_store);
    {
        CPSettings second;
        EXPECT_EQ(GetSettings(), &second);
    }
    EXPECT_EQ(GetSettings(), nullptr);
}

TEST_F(SettingsStore, SavesEveryKeyWithItsDefaultInHashOrder)
{
    EXPECT_EQ(SavedFile("defaults.cfg"), kDefaultFile);
}

TEST_F(SettingsStore, MissingOrEmptyFileLeavesTheDefaults)
{
    std::remove("absent.cfg");
    m_store.Load("absent.cfg");
    WriteFileBytes("empty.cfg", "");
    m_store.Load("empty.cfg");
    EXPECT_EQ(SavedFile("after-missing.cfg"), kDefaultFile);
}

TEST_F(SettingsStore, ReadsBackWhatItSavedInAnyLineOrder)
{
    const char* changes[] = {"screenWidth = 1280", "soundVolume = 0.125", "texlod = 2",
                             "friction = 0.75",    "-bloom",              "distance = -40"};
    for (const char* line : changes) m_store.ParseLine(line);
    std::string saved = SavedFile("changed.cfg");

    std::vector<std::string> lines = SplitLines(saved);
    std::string reversed;
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) reversed += *line;
    WriteFileBytes("reversed.cfg", reversed);
    for (const auto& entry : m_saved) m_store.FindDator(entry.first)->SetFromText(entry.second);
    ASSERT_EQ(SavedFile("reset.cfg"), kDefaultFile);

    m_store.Load("reversed.cfg");
    EXPECT_EQ(SavedFile("reloaded.cfg"), saved);
}

TEST_F(SettingsStore, LineFormsAndOddValues)
{
    struct Row {
        const char* key;
        const char* before;
        const char* line;
        const char* after;
    };
    const Row rows[] = {
        {"screenWidth", "640", "screenWidth=800", "800"},
        {"screenWidth", "640", " \tscreenWidth \t=\t 800 \t", "800"},
        {"bloom", "0", "+bloom", "1"},
        {"bloom", "1", "-bloom", "0"},
        {"bloom", "1", "bloom", "0"},
        {"bloom", "1", "+bloom = 5", "5"},
        {"bloom", "1", "-bloom = 5", "5"},
        {"soundVolume", "0.5", "+soundVolume", "1"},
        {"soundVolume", "0.5", "soundVolume = 0.25", "0.25"},
        {"soundVolume", "0.5", "soundVolume = 1e-3", "0.001"},
        {"texlod", "3", "texlod = -1", "-1"},
        {"screenBPP", "16", "screenBPP = 32 bits", "32"},
        {"screenWidth", "640", "screenWidth = 640x", "640"},
        {"screenWidth", "640", "screenWidth = 0.7", "0"},
        {"screenWidth", "640", "screenWidth = 12 = 13", "12"},
        // Values that are no number leave the variable as it was.
        {"screenWidth", "640", "screenWidth = abc", "640"},
        {"screenWidth", "640", "screenWidth =", "640"},
        {"screenWidth", "640", "screenWidth = 99999999999", "640"},
        {"soundVolume", "0.5", "soundVolume = .", "0.5"},
        // Names are matched exactly.
        {"screenWidth", "640", "ScreenWidth = 5", "640"},
        {"screenWidth", "640", "// screenWidth = 5", "640"},
        {"screenWidth", "640", "=5", "640"},
    };
    for (const Row& row : rows) {
        m_store.FindDator(row.key)->SetFromText(row.before);
        m_store.ParseLine(row.line);
        EXPECT_EQ(TextOf(row.key), row.after) << row.line;
    }
}

TEST_F(SettingsStore, SkipsLinesOf1024CharactersOrMoreAndReadsOn)
{
    struct Row {
        size_t length;
        const char* screenHeight;
    };
    const Row rows[] = {{1023, "600"}, {1024, "480"}, {5000, "480"}};
    for (const Row& row : rows) {
        std::string longLine = "screenHeight = 600";
        longLine.resize(row.length, ' ');
        WriteFileBytes("long.cfg", "screenWidth = 800\n" + longLine + "\nscreenBPP = 32\n");
        m_store.ParseLine("screenWidth = 640");
        m_store.ParseLine("screenHeight = 480");
        m_store.ParseLine("screenBPP = 16");
        m_store.Load("long.cfg");
        EXPECT_EQ(TextOf("screenWidth"), "800") << row.length;
        EXPECT_EQ(TextOf("screenHeight"), row.screenHeight) << row.length;
        EXPECT_EQ(TextOf("screenBPP"), "32") << row.length;
    }
}

TEST_F(SettingsStore, ReadsCarriageReturnLineEndsAndALastLineWithoutLineFeed)
{
    WriteFileBytes("crlf.cfg", "+fullScreen\r\n\r\nscreenWidth = 800\r\nscreenHeight = 600");
    m_store.Load("crlf.cfg");
    EXPECT_EQ(g_fullScreen, 1);
    EXPECT_EQ(g_screenWidth, 800);
    EXPECT_EQ(g_screenHeight, 600);
}

TEST_F(SettingsStore, DatorsReadAndWriteTheirGlobals)
{
    IPDator* width = m_store.FindDator("screenWidth");
    IPDator* volume = m_store.FindDator("soundVolume");
    EXPECT_STREQ(width->GetTypeName(), "CPDator");
    EXPECT_STREQ(volume->GetTypeName(), "CPDator");
    EXPECT_FALSE(width->IsList());
    EXPECT_EQ(m_store.FindDator("nokey"), nullptr);

    width->SetFromText("100");
    width->AddFromText("20");
    width->SubtractFromText("5");
    width->AddFromText("x");
    EXPECT_EQ(g_screenWidth, 115);
    volume->SetFromText("0.5");
    volume->SubtractFromText("0.25");
    EXPECT_FLOAT_EQ(g_soundVolume, 0.25f);

    EXPECT_TRUE(width->EqualsText("115"));
    EXPECT_TRUE(width->DiffersFromText("115 "));
    EXPECT_TRUE(volume->EqualsText("0.25"));
}

} // namespace
