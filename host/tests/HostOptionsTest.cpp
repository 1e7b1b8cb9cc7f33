#include "host/HostOptions.h"

#include <gtest/gtest.h>

namespace {

TEST(HostOptions, ReadsEveryOption)
{
    HostOptions options;
    std::string error;
    ASSERT_TRUE(ParseHostOptions({"--frames", "30", "--fixed-dt", "0.02", "--screenshot", "shot.bmp", "--frame-times",
                                  "--reset-at", "5"},
                                 options, error));
    EXPECT_EQ(options.frames, 30);
    EXPECT_FLOAT_EQ(options.fixedDeltaTime, 0.02f);
    EXPECT_EQ(options.screenshot, "shot.bmp");
    EXPECT_TRUE(options.frameTimes);
    EXPECT_EQ(options.resetAt, 5);

    HostOptions one;
    EXPECT_TRUE(ParseHostOptions({"--frames", "1", "--screenshot", "shot.bmp"}, one, error)) << error;
    HostOptions noFrames;
    EXPECT_TRUE(ParseHostOptions({"--frames", "0"}, noFrames, error)) << error;
    HostOptions longestFrame;
    EXPECT_TRUE(ParseHostOptions({"--fixed-dt", "0.25"}, longestFrame, error)) << error;
    EXPECT_EQ(longestFrame.fixedDeltaTime, 0.25f);

    HostOptions none;
    ASSERT_TRUE(ParseHostOptions({}, none, error));
    EXPECT_FALSE(none.HasFrameLimit());
    EXPECT_FALSE(none.HasFixedDeltaTime());
}

TEST(HostOptions, RefusesWhatItCannotRead)
{
    const std::vector<std::vector<std::string>> refused = {
        {"--fullscreen"}, {"--frames"}, {"--frames", "ten"}, {"--frames", "-1"}, {"--frames", "3x"},
        {"--fixed-dt", "-0.1"}, {"--fixed-dt", "nan"}, {"--fixed-dt", "inf"}, {"--fixed-dt", "infinity"},
        {"--fixed-dt", "1e39"}, {"--fixed-dt", "0.2500001"}, {"--fixed-dt", "1000000"}, {"--reset-at", ""},
        {"--screenshot", ""},
        // No frame is drawn that could be saved.
        {"--frames", "0", "--screenshot", "shot.bmp"}, {"--screenshot", "shot.bmp", "--frames", "0"},
    };
    for (const auto& arguments : refused) {
        HostOptions options;
        std::string error;
        EXPECT_FALSE(ParseHostOptions(arguments, options, error)) << arguments[0];
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
