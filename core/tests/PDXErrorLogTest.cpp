#include "core/PDXErrorLog.h"

#include <d3d9.h>
#include <gtest/gtest.h>

namespace {

TEST(DXErrorReport, NamesAndDescribesResultCodes)
{
    EXPECT_STREQ(DXErrorName(D3DERR_INVALIDCALL), "D3DERR_INVALIDCALL");
    EXPECT_STRNE(DXErrorDescription(D3DERR_INVALIDCALL), "");
}

TEST(DXErrorReport, ReportsOnlyFailures)
{
    EXPECT_TRUE(ReportDXError(D3DERR_INVALIDCALL, "Render/PRender", 10));
    EXPECT_TRUE(ReportDXError(E_FAIL, "Sound/NSound", 20));
    EXPECT_FALSE(ReportDXError(S_OK, "Render/PRender", 30));
    EXPECT_FALSE(ReportDXError(S_FALSE, "Render/PRender", 40));
}

TEST(DXErrorReport, TheLogIsOneObject)
{
    EXPECT_EQ(&GetDXErrorLog(), &GetDXErrorLog());
}

} // namespace
