#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

#include "support/Length.h"

namespace tavlex {
namespace {

struct RoundCase {
    FixedMm raw;
    std::int64_t rounded;
};

class RoundFixedTest : public testing::TestWithParam<RoundCase> {};

TEST_P(RoundFixedTest, HalvesAwayFromZero) {
    EXPECT_EQ(RoundFixed(GetParam().raw), GetParam().rounded);
}

INSTANTIATE_TEST_SUITE_P(Values, RoundFixedTest,
                         testing::Values(RoundCase{25000, 3}, RoundCase{-25000, -3},
                                         RoundCase{24999, 2}, RoundCase{-24999, -2},
                                         RoundCase{0, 0}, RoundCase{4999, 0}, RoundCase{5000, 1},
                                         RoundCase{-5000, -1}, RoundCase{90000, 9}));

struct ToPixelsCase {
    FixedMm mm;
    int pixelsPerInch;
    std::int32_t pixels;
};

class MillimetresToPixelsTest : public testing::TestWithParam<ToPixelsCase> {};

TEST_P(MillimetresToPixelsTest, MatchesTheScreenInch) {
    EXPECT_EQ(MillimetresToPixels(GetParam().mm, GetParam().pixelsPerInch), GetParam().pixels);
}

INSTANTIATE_TEST_SUITE_P(
    Values, MillimetresToPixelsTest,
    testing::Values(ToPixelsCase{2100000, 96, 794}, ToPixelsCase{2970000, 96, 1123},
                    ToPixelsCase{26000, 96, 10}, ToPixelsCase{-26000, 96, -10},
                    ToPixelsCase{2100000, 120, 992}, ToPixelsCase{0, 96, 0},
                    ToPixelsCase{132000, 96, 50}, ToPixelsCase{-8000, 96, -3},
                    // Where 0.39375 inch per centimetre and the exact inch (1 / 2.54) part:
                    // the exact inch would give 17, 28 and 33.
                    ToPixelsCase{46300, 96, 18}, ToPixelsCase{75400, 96, 29},
                    ToPixelsCase{70900, 120, 34}, ToPixelsCase{-46300, 96, -18},
                    // Values read from files may be absurd: they saturate, never overflow.
                    ToPixelsCase{std::numeric_limits<FixedMm>::max(), 96,
                                 std::numeric_limits<std::int32_t>::max()},
                    ToPixelsCase{std::numeric_limits<FixedMm>::min(), 96,
                                 std::numeric_limits<std::int32_t>::min()},
                    ToPixelsCase{std::int64_t{1} << 50, 4800,
                                 std::numeric_limits<std::int32_t>::max()}));

struct ToMillimetresCase {
    std::int32_t pixels;
    int pixelsPerInch;
    FixedMm mm;
};

class PixelsToMillimetresTest : public testing::TestWithParam<ToMillimetresCase> {};

TEST_P(PixelsToMillimetresTest, GivesWholeTenths) {
    EXPECT_EQ(PixelsToMillimetres(GetParam().pixels, GetParam().pixelsPerInch), GetParam().mm);
}

INSTANTIATE_TEST_SUITE_P(
    Values, PixelsToMillimetresTest,
    testing::Values(ToMillimetresCase{10, 96, 26000}, ToMillimetresCase{-10, 96, -26000},
                    ToMillimetresCase{50, 96, 132000}, ToMillimetresCase{0, 96, 0},
                    ToMillimetresCase{2, 96, 5000}, ToMillimetresCase{-3, 96, -8000},
                    // The exact inch would give 6.4, 19.1 and 6.4 mm.
                    ToMillimetresCase{24, 96, 63000}, ToMillimetresCase{72, 96, 190000},
                    ToMillimetresCase{30, 120, 63000}, ToMillimetresCase{-24, 96, -63000},
                    ToMillimetresCase{std::numeric_limits<std::int32_t>::max(), 96, 5681173669000},
                    ToMillimetresCase{std::numeric_limits<std::int32_t>::min(), 1,
                                      -545392672508000}));

TEST(LengthTest, MarginRangeSurvivesARoundTripAtBothResolutions) {
    for (const int pixelsPerInch : {96, 120}) {
        for (int px = -50; px <= 50; ++px) {
            const FixedMm mm = PixelsToMillimetres(px, pixelsPerInch);
            EXPECT_EQ(mm % 1000, 0);
            EXPECT_EQ(MillimetresToPixels(mm, pixelsPerInch), px) << px << " at " << pixelsPerInch;
            EXPECT_EQ(PixelsToMillimetres(-px, pixelsPerInch), -mm);
        }
    }
}

TEST(LengthTest, WithoutAnExplicitResolutionTheScreenIsAsked) {
    ::setenv("TAVLEX_SCREEN_DPI", "120", 1);
    EXPECT_EQ(MillimetresToPixels(2100000), 992);
    ::setenv("TAVLEX_SCREEN_DPI", "96", 1);
    EXPECT_EQ(MillimetresToPixels(2100000), 794);
    EXPECT_EQ(PixelsToMillimetres(10), 26000);
}

}  // namespace
}  // namespace tavlex
