#include "core/PFileFinder.h"

#include "core/tests/FileTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(CPFileFinder, FindsTheBareNameOfAMatchingFile)
{
    ASSERT_TRUE(CreateDirectoryA("saves", nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    WriteFileBytes("saves\\save3.sav", "slot 3");

    struct Row {
        const char* pattern;
        HRESULT result;
        const char* name;
    };
    const Row rows[] = {
        {"saves\\save3.sav", S_OK, "save3.sav"},
        {"saves\\save?.sav", S_OK, "save3.sav"},
        {"SAVES\\SAVE3.SAV", S_OK, "save3.sav"},
        {"saves\\*.sav", S_OK, "save3.sav"},
        {"saves\\save4.sav", E_FAIL, ""},
        {"no such folder\\*", E_FAIL, ""},
    };
    for (const Row& row : rows) {
        CPFileFinder finder(row.pattern);
        EXPECT_EQ(finder.FindFirst(), row.result) << row.pattern;
        EXPECT_EQ(finder.GetFileName(), row.name) << row.pattern;
    }
}

} // namespace
