#include "script/tests/ScriptTest.h"

#include "script/GameLog.h"
#include "script/ScriptHost.h"

#include "core/ShellOpen.h"

#include "Render/tests/ResourceTest.h"

#include <windows.h>

#include <cstdio>
#include <fstream>

namespace {

using Texts = std::vector<std::string>;

Texts g_opened;

void RecordOpen(const char* target)
{
    g_opened.push_back(target);
}

// The shell replaced by a recorder of what it is asked to open.
class ShellFunctions : public ScriptTest {
protected:
    ShellFunctions()
    {
        g_opened.clear();
        SetShellOpenFunction(RecordOpen);
        std::ofstream(kPresentFile) << "read me";
    }
    ~ShellFunctions() override
    {
        SetShellOpenFunction(nullptr);
        std::remove(kPresentFile);
    }

    static constexpr const char* kPresentFile = "present_readme.txt";
};

TEST_F(ShellFunctions, GoURLOpensOnlyAFileThatCanBeRead)
{
    Results("GoURL('missing_readme.txt') GoURL('present_readme.txt')");
    EXPECT_EQ(g_opened, Texts({"present_readme.txt"}));
}

TEST_F(ShellFunctions, GoURLlinkOpensTheAddressUntested)
{
    Results("GoURLlink('https://www.example.com/hollowmere/')");
    EXPECT_EQ(g_opened, Texts({"https://www.example.com/hollowmere/"}));
}

// The shell here faults on targets of about 1,000 characters and more, as it
// reads them: with the value of each %NAME% environment variable put in.
// Such a target is refused with a line in the log.
TEST_F(ShellFunctions, TargetsLongerThanTheShellTakesAreRefusedWithALogLine)
{
    const std::string site = "https://www.example.com/";
    const std::string longest = site + std::string(800 - site.size(), 'a');
    lua_pushstring(state, longest.c_str());
    lua_setglobal(state, "longest");
    ASSERT_TRUE(SetEnvironmentVariableA("HM_ADDRESS_PART", std::string(499, 'e').c_str()));
    ASSERT_TRUE(scripts.RunText("GoURLlink(longest)\n"
                                "GoURLlink(longest .. 'b')\n"
                                "GoURL(string.rep('c', 4096))\n"
                                "GoURLlink(string.rep('d', 4096))\n"
                                "GoURLlink('%HM_ADDRESS_PART%/%HM_ADDRESS_PART%')\n"
                                "GoURLlink('%HM_NO_SUCH_VARIABLE%')\n",
                                "test"));
    SetEnvironmentVariableA("HM_ADDRESS_PART", nullptr);
    EXPECT_EQ(g_opened, Texts({longest, "%HM_NO_SUCH_VARIABLE%"}));
    EXPECT_EQ(ReadLog(), "test:2: GoURLlink refuses a target of 801 characters (800 at most)\n"
                         "test:3: GoURL refuses a target of 4096 characters (800 at most)\n"
                         "test:4: GoURLlink refuses a target of 4096 characters (800 at most)\n"
                         "test:5: GoURLlink refuses a target of 999 characters (800 at most)\n");
}

// The real shell, given a file that does not exist or a web address of a
// scheme that nothing handles, opens nothing and answers at once. The two
// take different ways through the shell, and both fault on targets not far
// beyond the longest one let through (from 997 characters here).
TEST_F(ShellFunctions, TheShellReturnsFromTheLongestTargetAndIsNeverHandedALongerOne)
{
    SetShellOpenFunction(nullptr);
    const std::string missing = "no_such_page_";
    const std::string longest = missing + std::string(800 - missing.size(), 'a');
    const std::string site = "x-hollowmere-none://host/page?q=";
    const std::string longestAddress = site + std::string(800 - site.size(), 'a');
    lua_pushstring(state, longest.c_str());
    lua_setglobal(state, "longest");
    lua_pushstring(state, longestAddress.c_str());
    lua_setglobal(state, "longestAddress");
    ASSERT_TRUE(scripts.RunText("GoURLlink(longest)\n"
                                "GoURLlink(longestAddress)\n"
                                "GoURLlink(longest .. 'b')\n"
                                "GoURLlink(string.rep('d', 2083))\n",
                                "test"));
    EXPECT_EQ(ReadLog(), "test:3: GoURLlink refuses a target of 801 characters (800 at most)\n"
                         "test:4: GoURLlink refuses a target of 2083 characters (800 at most)\n");
}

TEST_F(ShellFunctions, IsFileExistsAnswersWhetherTheFileCanBeRead)
{
    EXPECT_EQ(Results("return IsFileExists('present_readme.txt'), IsFileExists('missing_readme.txt')"),
              Texts({"true", "false"}));
    EXPECT_NE(ErrorOf("IsFileExists()"), "");
    EXPECT_TRUE(g_opened.empty());
}

TEST_F(ShellFunctions, BothRaiseAnErrorWithoutATextAndOpenNothing)
{
    EXPECT_NE(ErrorOf("GoURL()"), "");
    EXPECT_NE(ErrorOf("GoURLlink({})"), "");
    EXPECT_TRUE(g_opened.empty());
}

// Images measured on the renderer's test device.
class TextureSize : public ResourceTest {
protected:
    TextureSize() : log("texture_size.log"), scripts(log) {}

    Texts Size(const char* path)
    {
        return ChunkResults(scripts.GetState(), std::string("return GetTextureSize('") + path + "')");
    }

    GameLog log;
    ScriptHost scripts;
};

TEST_F(TextureSize, AnswersTheImagesOwnWidthAndHeight)
{
    WriteTga("Data\\Textures\\narrow.tga", 3, 5);
    EXPECT_EQ(Size("Data\\\\Textures\\\\narrow.tga"), Texts({"3", "5"}));
}

TEST_F(TextureSize, AnswersZerosForGarbageAndForAMissingFile)
{
    WriteFile("Data\\Textures\\garbage.tga", "this is no image at all");
    EXPECT_EQ(Size("Data\\\\Textures\\\\garbage.tga"), Texts({"0", "0"}));
    EXPECT_EQ(Size("Data\\\\Textures\\\\missing.tga"), Texts({"0", "0"}));
}

} // namespace
