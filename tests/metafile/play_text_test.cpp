// Text placement: alignment, spacing arrays, backgrounds, 8-bit text; and the pens.
#include "play_support.h"

#include "metafile/EmfObjects.h"
#include "metafile/FontMapper.h"

namespace tavlex::mf {
namespace {

using namespace testing;

constexpr std::uint32_t kTaRight = 2, kTaCenter = 6, kTaBottom = 8, kTaBaseline = 24;
constexpr std::uint32_t kTaUpdateCp = 1;

void SelectFont(EmfWriter& w, std::int32_t height, const QString& face = "Arial",
                std::uint8_t charSet = 0) {
    LogFont f;
    f.height = height;
    f.weight = 400;
    f.charSet = charSet;
    f.faceName = face;
    w.ExtCreateFontIndirectW(1, f);
    w.SelectObject(1);
    w.SetBkMode(1);  // TRANSPARENT
}

struct AlignCase {
    const char* name;
    std::uint32_t align;
    QPoint reference;
};

class TextAlignTest : public ::testing::TestWithParam<AlignCase> {};

// Two bars spaced by the array land at 10 and 50 whichever way the run is aligned.
TEST_P(TextAlignTest, SpacingArrayPlacesEveryGlyph) {
    const AlignCase& c = GetParam();
    const QImage image = Render(BuildEmf([&](EmfWriter& w) {
        SelectFont(w, -20);
        w.SetTextAlign(c.align | kTaBaseline);
        w.ExtTextOutW(c.reference, "II", {40, 40});
    }));
    const std::vector<int> columns = InkColumns(image, 0, 100);
    ASSERT_FALSE(columns.empty()) << c.name;
    EXPECT_NEAR(columns.front(), 11, 2) << c.name;
    EXPECT_NEAR(columns.back(), 53, 3) << c.name;
    for (int x : columns) EXPECT_TRUE(x < 20 || x > 45) << c.name << " ink at " << x;
}

INSTANTIATE_TEST_SUITE_P(Horizontal, TextAlignTest,
                         ::testing::Values(AlignCase{"left", 0, {10, 60}},
                                           AlignCase{"right", kTaRight, {90, 60}},
                                           AlignCase{"center", kTaCenter, {50, 60}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct VerticalCase {
    const char* name;
    std::uint32_t align;
    int inkTop, inkBottom;  // expected rows of a capital's ink for a 20-pixel em at y = 40
};

class TextVerticalTest : public ::testing::TestWithParam<VerticalCase> {};

TEST_P(TextVerticalTest, ReferenceLineFollowsTheAlignment) {
    const VerticalCase& c = GetParam();
    const QImage image = Render(BuildEmf([&](EmfWriter& w) {
        SelectFont(w, -20);
        w.SetTextAlign(c.align);
        w.ExtTextOutW(QPoint(10, 40), "H");
    }));
    const std::vector<int> rows = InkRows(image, 0, 100);
    ASSERT_FALSE(rows.empty()) << c.name;
    EXPECT_NEAR(rows.front(), c.inkTop, 2) << c.name;
    EXPECT_NEAR(rows.back(), c.inkBottom, 2) << c.name;
}

// Arial: ascent 0.905 em, descent 0.212 em, capitals 0.716 em high.
INSTANTIATE_TEST_SUITE_P(Vertical, TextVerticalTest,
                         ::testing::Values(VerticalCase{"top", 0, 44, 57},
                                           VerticalCase{"baseline", kTaBaseline, 26, 39},
                                           VerticalCase{"bottom", kTaBottom, 22, 35}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextTest, OpaqueRectangleTakesTheBackgroundColour) {
    const QImage image = Render(BuildEmf([](EmfWriter& w) {
        SelectFont(w, -10);
        w.SetBkColor(kBlue);
        w.ExtTextOutW(QPoint(20, 20), "", {}, 0x2, {20, 20, 60, 40});
    }));
    EXPECT_TRUE(IsBlue(image.pixel(40, 30)));
    EXPECT_TRUE(IsWhite(image.pixel(70, 30)));
}

TEST(TextTest, ClippedTextStaysInsideItsRectangle) {
    const QImage image = Render(BuildEmf([](EmfWriter& w) {
        SelectFont(w, -40);
        w.SetTextAlign(kTaBaseline);
        w.ExtTextOutW(QPoint(10, 60), "HHHH", {}, 0x4, {0, 0, 40, 100});
    }));
    const std::vector<int> columns = InkColumns(image, 0, 100);
    ASSERT_FALSE(columns.empty());
    EXPECT_LT(columns.back(), 40);
}

struct CurrentPositionCase {
    const char* name;
    std::uint32_t align;
    int firstInk, lastInk;  // columns
};

void PrintTo(const CurrentPositionCase& c, std::ostream* os) {
    *os << c.name;
}

class CurrentPositionTest : public ::testing::TestWithParam<CurrentPositionCase> {};

// Two runs of one bar, each 20 wide, from the current position at x = 50: left-aligned the
// second follows the first, right-aligned it goes before it, and centred runs leave the
// position where it was, so both stand on the same place.
TEST_P(CurrentPositionTest, EachRunMovesThePositionAsItsAlignmentSays) {
    const CurrentPositionCase& c = GetParam();
    const QImage image = Render(BuildEmf([&](EmfWriter& w) {
        SelectFont(w, -20);
        w.SetTextAlign(kTaUpdateCp | kTaBaseline | c.align);
        w.MoveToEx(50, 60);
        w.ExtTextOutW(QPoint(0, 0), "I", {20});
        w.ExtTextOutW(QPoint(0, 0), "I", {20});
    }));
    const std::vector<int> columns = InkColumns(image, 0, 100);
    ASSERT_FALSE(columns.empty()) << c.name;
    EXPECT_NEAR(columns.front(), c.firstInk, 2) << c.name;
    EXPECT_NEAR(columns.back(), c.lastInk, 2) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Alignments, CurrentPositionTest,
                         ::testing::Values(CurrentPositionCase{"left", 0, 51, 73},
                                           CurrentPositionCase{"right", kTaRight, 11, 33},
                                           CurrentPositionCase{"center", kTaCenter, 41, 43}),
                         [](const auto& info) { return std::string(info.param.name); });

// In opaque background mode the run's character cells, from the ascent down to the descent,
// take the background colour; there is no rectangle in the record.
TEST(TextTest, OpaqueBackgroundModeFillsTheCharacterCells) {
    const QImage image = Render(BuildEmf([](EmfWriter& w) {
        SelectFont(w, -20);
        w.SetBkMode(2);  // OPAQUE
        w.SetBkColor(kBlue);
        w.SetTextAlign(kTaBaseline);
        w.ExtTextOutW(QPoint(10, 60), "I", {40});
    }));
    // Arial: the cell runs from 18 pixels above the baseline to 4 below it.
    EXPECT_TRUE(IsBlue(image.pixel(30, 45)));
    EXPECT_TRUE(IsBlue(image.pixel(45, 62)));
    EXPECT_TRUE(IsWhite(image.pixel(30, 38)));
    EXPECT_TRUE(IsWhite(image.pixel(30, 67)));
    EXPECT_TRUE(IsWhite(image.pixel(55, 50)));
    EXPECT_TRUE(IsWhite(image.pixel(5, 50)));
}

// A font's width widens its glyphs against the face's own: twice the width, twice as wide.
TEST(TextTest, FontWidthStretchesTheGlyphs) {
    const auto inkWidth = [](std::int32_t width) {
        const QImage image = Render(BuildEmf([&](EmfWriter& w) {
            LogFont f;
            f.height = -20;
            f.width = width;
            f.faceName = "Arial";
            w.ExtCreateFontIndirectW(1, f);
            w.SelectObject(1);
            w.SetBkMode(1);
            w.SetTextAlign(kTaBaseline);
            w.ExtTextOutW(QPoint(5, 60), "HH");
        }));
        const std::vector<int> columns = InkColumns(image, 0, 100);
        return columns.empty() ? 0 : columns.back() - columns.front() + 1;
    };
    const int narrow = inkWidth(6), wide = inkWidth(12);
    ASSERT_GT(narrow, 0);
    EXPECT_NEAR(static_cast<double>(wide) / narrow, 2.0, 0.25) << narrow << " and " << wide;
}

// Text turned a quarter up under a mapping that doubles y: its spacing and the current position
// run along logical y, so they double on the page as well. Both runs put their second bar 40
// pixels above the first.
TEST(TextTest, RotatedTextAdvancesAlongItsOwnScale) {
    auto rotated = [](EmfWriter& w) {
        w.SetMapMode(8);  // MM_ANISOTROPIC
        w.SetWindowExtEx(100, 50);
        w.SetViewportExtEx(100, 100);
        LogFont f;
        f.height = -10;
        f.escapement = 900;
        f.orientation = 900;
        f.faceName = "Arial";
        w.ExtCreateFontIndirectW(1, f);
        w.SelectObject(1);
        w.SetBkMode(1);
    };
    const QImage spaced = Render(BuildEmf([&](EmfWriter& w) {
        rotated(w);
        w.SetTextAlign(kTaBaseline);
        w.ExtTextOutW(QPoint(40, 45), "II", {20, 20});
    }));
    const QImage chained = Render(BuildEmf([&](EmfWriter& w) {
        rotated(w);
        w.SetTextAlign(kTaUpdateCp | kTaBaseline);
        w.MoveToEx(40, 45);
        w.ExtTextOutW(QPoint(0, 0), "I", {20});
        w.ExtTextOutW(QPoint(0, 0), "I", {20});
    }));
    for (const QImage* image : {&spaced, &chained}) {
        const std::vector<int> rows = InkRows(*image, 15, 45);
        ASSERT_FALSE(rows.empty());
        EXPECT_NEAR(rows.back(), 88, 3);
        EXPECT_NEAR(rows.front(), 48, 3);
        for (int y : rows) EXPECT_TRUE(y < 55 || y > 75) << "ink at row " << y;
        EXPECT_TRUE(InkColumns(*image, 0, 100).back() <= 45);
    }
}

// The 8-bit form in a Japanese font is Shift-JIS, two spacing entries per double-byte glyph.
TEST(TextTest, ShiftJisTextIsDecodedPerCharacter) {
    FontObject font;
    font.charSet = 128;
    std::vector<int> starts;
    const QString text = FontMapper::Decode(QByteArrayView("A\x93\xfa\x96\x7b", 5), font, &starts);
    EXPECT_EQ(text, QString::fromUtf8("A日本"));
    EXPECT_EQ(starts, (std::vector<int>{0, 1, 3}));

    font.charSet = 1;
    font.face = QString::fromUtf8("ＭＳ 明朝");
    EXPECT_EQ(FontMapper::Decode(QByteArrayView("\x93\xfa", 2), font, nullptr),
              QString::fromUtf8("日"));
    font.face = "Arial";
    EXPECT_EQ(FontMapper::Decode(QByteArrayView("\xe9", 1), font, nullptr), QString::fromUtf8("é"));
}

TEST(TextTest, JapaneseFacesMapToTheIpaFonts) {
    const struct {
        const char* face;
        const char* family;
    } cases[] = {{"ＭＳ 明朝", "IPAMincho"},     {"ＭＳ Ｐ明朝", "IPAPMincho"},
                 {"ＭＳ ゴシック", "IPAGothic"}, {"ＭＳ Ｐゴシック", "IPAPGothic"},
                 {"MS Mincho", "IPAMincho"},     {"MS UI Gothic", "IPAPGothic"}};
    for (const auto& c : cases) {
        FontObject font;
        font.face = QString::fromUtf8(c.face);
        EXPECT_EQ(FontMapper::Families(font).value(0), QString::fromLatin1(c.family)) << c.face;
        EXPECT_TRUE(FontMapper::IsJapaneseFace(font.face)) << c.face;
    }
}

TEST(TextTest, AnsiTextInAJapaneseFontDraws) {
    const QImage image = Render(BuildEmf([](EmfWriter& w) {
        SelectFont(w, -30, QString::fromUtf8("ＭＳ ゴシック"), 128);
        QByteArray p;
        PutRect(p, {0, 0, -1, -1});
        PutU32(p, 1);
        PutU32(p, 0);
        PutU32(p, 0);
        for (std::int32_t v : {10, 20}) PutI32(p, v);  // reference
        PutU32(p, 4);                                  // bytes
        PutU32(p, 76);                                 // string offset
        PutU32(p, 0);
        PutRect(p, {0, 0, -1, -1});
        PutU32(p, 80);  // spacing offset
        p.append("\x93\xfa\x96\x7b", 4);
        for (std::int32_t v : {40, 0, 40, 0}) PutI32(p, v);
        w.AddRecord(emr::ExtTextOutA, p);
    }));
    const std::vector<int> columns = InkColumns(image, 0, 100);
    ASSERT_FALSE(columns.empty());
    EXPECT_GE(columns.front(), 9);
    EXPECT_GE(columns.back(), 55);  // the second glyph starts 40 pixels on
}

struct PenCase {
    const char* name;
    std::uint32_t style;
    std::int32_t width;
    int minRows, maxRows;          // thickness across the line
    int minCoverage, maxCoverage;  // inked columns of 0..100 along it
};

class PenTest : public ::testing::TestWithParam<PenCase> {};

TEST_P(PenTest, StyleAndWidth) {
    const PenCase& c = GetParam();
    const QImage image = Render(BuildEmf([&](EmfWriter& w) {
        w.CreatePen(1, c.style, c.width, 0);
        w.SelectObject(1);
        w.SetBkMode(1);
        w.MoveToEx(0, 50);
        w.LineTo(101, 50);
    }));
    const int rows = static_cast<int>(InkRows(image, 30, 30).size());
    const int coverage = static_cast<int>(InkColumns(image, 30, 70).size());
    EXPECT_GE(rows, c.minRows) << c.name;
    EXPECT_LE(rows, c.maxRows) << c.name;
    EXPECT_GE(coverage, c.minCoverage) << c.name;
    EXPECT_LE(coverage, c.maxCoverage) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Styles, PenTest,
                         ::testing::Values(PenCase{"solid", 0, 0, 1, 1, 100, 101},
                                           PenCase{"wide", 0, 10, 9, 11, 100, 101},
                                           PenCase{"dash", 1, 0, 0, 1, 70, 80},  // 18 on, 6 off
                                           PenCase{"dot", 2, 0, 0, 1, 45, 55},   // 3 on, 3 off
                                           PenCase{"null", 5, 0, 0, 0, 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavlex::mf
