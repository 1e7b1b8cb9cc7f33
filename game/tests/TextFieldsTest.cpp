#include "game/TextFields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Quotes only where a field would not read back as itself. Reading trims
// every field but one of a single blank, quoted or not.
TEST(TextFields, QuoteFieldQuotesOnlyWhatWouldNotReadBack)
{
    struct Case {
        const char* field;
        const char* written;
        const char* read;
    };
    const Case cases[] = {
        {"", "", ""},
        {"NumPad 7", "NumPad 7", "NumPad 7"},
        {"a;b", "\"a;b\"", "a;b"},
        {"say \"hi\"", "\"say \"\"hi\"\"\"", "say \"hi\""},
        {" ", "\" \"", " "},
        {"\tlead", "\"\tlead\"", "lead"},
        {"trail ", "\"trail \"", "trail"},
    };
    for (const Case& c : cases) {
        const std::string written = QuoteField(c.field, ";");
        EXPECT_EQ(written, c.written) << c.field;
        EXPECT_EQ(SplitFields("x;" + written + ";y", ";", 3, true)[1], c.read) << c.field;
    }
}

} // namespace
