// The print arithmetic: the dialog's numbering, the notice, and where a page lands on a sheet.

#include <gtest/gtest.h>

#include "print/core/AlbumPaper.h"
#include "print/core/PrintPlan.h"

namespace tavlex {
namespace {

struct NumberingCase {
    int offset, pages;
    int min, max, subtract;
    bool notice;
};

class NumberingTest : public testing::TestWithParam<NumberingCase> {};

TEST_P(NumberingTest, DialogOffersDisplayedNumbersOrPositions) {
    const NumberingCase c = GetParam();
    const DialogNumbering n = NumberingFor(c.offset, c.pages);
    EXPECT_EQ(n.minPage, c.min);
    EXPECT_EQ(n.maxPage, c.max);
    EXPECT_EQ(n.offset, c.subtract);
    EXPECT_EQ(n.notice, c.notice);
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, NumberingTest,
    testing::Values(NumberingCase{2, 10, 3, 12, 2, false}, NumberingCase{0, 10, 1, 10, 0, false},
                    NumberingCase{-3, 10, 1, 10, 0, true}, NumberingCase{-1, 1, 1, 1, 0, true},
                    // Stored offsets may be anything: no overflow.
                    NumberingCase{INT32_MAX, 5, INT32_MAX, INT32_MAX, INT32_MAX, false}));

TEST(NegativeOffsetNotice, NamesTheFirstNumberAndWhatToAdd) {
    EXPECT_EQ(NegativeOffsetNotice(-3),
              QStringLiteral("ページ番号が -2 から開始する特殊なデータですので\r\n"
                             "印刷でページ指定する場合は実際のページに 3 を加算してください。"));
    EXPECT_TRUE(NegativeOffsetNotice(-1).startsWith(QStringLiteral("ページ番号が 0 から")));
    EXPECT_TRUE(NegativeOffsetNotice(INT32_MIN).contains(QStringLiteral("2147483648 を加算")));
}

struct TargetCase {
    DeviceMetrics device;
    int paperWidth;
    QMargins offsets;  // left, top, right, bottom
    QRect expected;    // right/bottom exclusive as (left, top, width, height)
};

class TargetTest : public testing::TestWithParam<TargetCase> {};

TEST_P(TargetTest, SheetWithEdgesMovedByScaledOffsets) {
    const TargetCase c = GetParam();
    EXPECT_EQ(TargetRectangle(c.device, c.paperWidth, c.offsets), c.expected);
}

// A4 at 600 dpi: 4961 x 7016 dots; the album's A4 is 794 pixels wide at 96 dpi, so
// s = 6.2481 (rounded to four places).
constexpr DeviceMetrics kA4{4961, 7016, 0, 0, 600, 600};
constexpr DeviceMetrics kA4Offset{4961, 7016, 100, 120, 600, 600};
constexpr DeviceMetrics kA4Turned{7016, 4961, 0, 0, 600, 600};

INSTANTIATE_TEST_SUITE_P(
    Sheets, TargetTest,
    testing::Values(
        // No offsets: the whole physical sheet.
        TargetCase{kA4, 794, {}, QRect(0, 0, 4961, 7016)},
        // The origin is the printable corner: the sheet starts at minus the unprintable edge.
        TargetCase{kA4Offset, 794, {}, QRect(-100, -120, 4961, 7016)},
        // Left = right = 10 px shifts by trunc(10 x 6.2481) = 62 dots without resizing.
        TargetCase{kA4, 794, QMargins(10, 0, 10, 0), QRect(62, 0, 4961, 7016)},
        // Negative offsets cut toward zero: -3 x 6.2481 = -18.7 gives -18.
        TargetCase{kA4, 794, QMargins(-3, -3, 0, 0), QRect(-18, -18, 4979, 7034)},
        // A turned page divides by the album's portrait width as well: larger on paper.
        TargetCase{kA4Turned, 794, QMargins(10, 0, 10, 0), QRect(88, 0, 7016, 4961)},
        // s = 0.29 exactly: 100 x 0.29 must give 29, not 28.
        TargetCase{{29, 50, 0, 0, 72, 72}, 100, QMargins(100, 0, 0, 0), QRect(29, 0, 0, 50)},
        // No paper width: nothing to place.
        TargetCase{kA4, 0, {}, QRect()}));

TEST(AlbumPageSize, StandardCodeWhenItsSizeMatchesElseOwnSize) {
    EXPECT_EQ(AlbumPageSize(9, 210, 297).id(), QPageSize::A4);
    EXPECT_EQ(AlbumPageSize(9, 297, 210).id(), QPageSize::A4);  // landscape album
    EXPECT_EQ(AlbumPageSize(13, 182, 257).id(), QPageSize::JisB5);
    // User-defined size (0 and 256) and a code whose size disagrees: the album's millimetres,
    // portrait-defined.
    const QSizeF own = AlbumPageSize(256, 300, 200).size(QPageSize::Millimeter);
    EXPECT_NEAR(own.width(), 200, 0.5);
    EXPECT_NEAR(own.height(), 300, 0.5);
    EXPECT_NEAR(AlbumPageSize(9, 100, 150).size(QPageSize::Millimeter).width(), 100, 0.5);
    EXPECT_FALSE(AlbumPageSize(0, 0, 297).isValid());
    EXPECT_FALSE(AlbumPageSize(256, -5, 100000).isValid());
}

}  // namespace
}  // namespace tavlex
