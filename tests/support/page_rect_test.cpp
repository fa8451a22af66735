// Where a page lands: edge offsets scaled in double and cut toward zero, on screen and on paper.
#include <gtest/gtest.h>

#include <climits>

#include "support/PageRect.h"
#include "tests/support/PageRectCases.h"

using namespace tavlex;

namespace {

class EdgeOffsetScaling : public testing::TestWithParam<test::EdgeCase> {};

TEST_P(EdgeOffsetScaling, TruncatesTheDoubleProduct) {
    const test::EdgeCase& c = GetParam();
    const double scale = c.percent / 100.0;
    EXPECT_EQ(ScaledEdgeOffset(c.offset, scale), c.scaled) << c.what;
    // Every edge moves by its own offset; right and bottom stay exclusive.
    const QRect rect = ShiftedPageRect(QRect(0, 0, 400, 500), scale,
                                       QMargins(c.offset, c.offset, c.offset, c.offset));
    EXPECT_EQ(rect.left(), c.scaled);
    EXPECT_EQ(rect.top(), c.scaled);
    EXPECT_EQ(rect.left() + rect.width(), 400 + c.scaled);
    EXPECT_EQ(rect.top() + rect.height(), 500 + c.scaled);
}

INSTANTIATE_TEST_SUITE_P(Cases, EdgeOffsetScaling, testing::ValuesIn(test::kEdgeCases));

TEST(ShiftedPageRect, MovesEachEdgeFromAnOriginOffTheSheet) {
    // As printing places a page: the sheet starts at minus the unprintable offsets.
    const QRect rect =
        ShiftedPageRect(QRect(-20, -30, 1000, 1400), 1.2594, QMargins(25, 13, -25, 0));
    EXPECT_EQ(rect, QRect(-20 + 31, -30 + 16, 1000 - 31 - 31, 1400 - 16));
}

TEST(ShiftedPageRect, HugeOffsetsAreHeldInsteadOfOverflowing) {
    EXPECT_EQ(ScaledEdgeOffset(INT_MAX, 2.0), 1000000000);
    EXPECT_EQ(ScaledEdgeOffset(INT_MIN, 2.0), -1000000000);
}

TEST(SheetScale, RoundsToFourDecimals) {
    EXPECT_DOUBLE_EQ(SheetScale(1000, 794), 1.2594);  // 1.25944..
    EXPECT_DOUBLE_EQ(SheetScale(397, 794), 0.5);
    EXPECT_DOUBLE_EQ(SheetScale(1061, 794), 1.3363);  // 1.336272.. rounds up
    EXPECT_EQ(SheetScale(1000, 0), 0.0);
}

}  // namespace
