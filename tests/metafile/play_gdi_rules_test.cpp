// Drawing rules of enhanced-metafile playback that show in the pixels: the edges a box keeps
// and how gradient records shade.
#include "play_support.h"

namespace tavlex::mf {
namespace {

using namespace testing;

struct BoxCase {
    const char* name;
    std::function<void(EmfWriter&, const RectL&)> draw;
};

class BoxEdgeTest : public ::testing::TestWithParam<BoxCase> {};

// Playback runs in the advanced graphics mode: a box drawn with a one-pixel pen covers its
// right and bottom coordinates too, not one pixel less.
TEST_P(BoxEdgeTest, OutlineIncludesRightAndBottomEdges) {
    const BoxCase& c = GetParam();
    const QImage image = Render(BuildEmf([&](EmfWriter& w) {
        w.CreatePen(1, 0, 0, kRed);
        w.SelectObject(1);
        w.SelectObject(kNullBrush);
        c.draw(w, {10, 20, 50, 60});
    }));
    const std::vector<int> columns = InkColumns(image, 0, 100);
    const std::vector<int> rows = InkRows(image, 0, 100);
    ASSERT_FALSE(columns.empty()) << c.name;
    ASSERT_FALSE(rows.empty()) << c.name;
    EXPECT_EQ(columns.front(), 10) << c.name;
    EXPECT_EQ(columns.back(), 50) << c.name;
    EXPECT_EQ(rows.front(), 20) << c.name;
    EXPECT_EQ(rows.back(), 60) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, BoxEdgeTest,
    ::testing::Values(BoxCase{"rectangle", [](EmfWriter& w, const RectL& b) { w.Rectangle(b); }},
                      BoxCase{"ellipse", [](EmfWriter& w, const RectL& b) { w.Ellipse(b); }},
                      BoxCase{"round rectangle",
                              [](EmfWriter& w, const RectL& b) {
                                  QByteArray p;
                                  PutRect(p, b);
                                  PutI32(p, 8);
                                  PutI32(p, 8);
                                  w.AddRecord(emr::RoundRect, p);
                              }}),
    [](const ::testing::TestParamInfo<BoxCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (ch == ' ') ch = '_';
        return name;
    });

TEST(BoxEdges, WidePenIsCentredOnTheLastCoveredPixels) {
    const QImage image = Render(BuildEmf([](EmfWriter& w) {
        w.CreatePen(1, 0, 5, kRed);
        w.SelectObject(1);
        w.SelectObject(kNullBrush);
        w.Rectangle({10, 20, 50, 60});
    }));
    const std::vector<int> columns = InkColumns(image, 0, 100);
    const std::vector<int> rows = InkRows(image, 0, 100);
    ASSERT_FALSE(columns.empty());
    ASSERT_FALSE(rows.empty());
    // Five pixels wide around columns 10 and 49, rows 20 and 59.
    EXPECT_EQ(columns.front(), 8);
    EXPECT_EQ(columns.back(), 51);
    EXPECT_EQ(rows.front(), 18);
    EXPECT_EQ(rows.back(), 61);
}

struct GradientVertex {
    std::int32_t x, y;
    std::uint16_t red, green, blue;
};

// EMR_GRADIENTFILL with the given vertices and index groups (two per rectangle, three per
// triangle); rectangles get the padding the record carries after them.
QByteArray GradientRecord(std::uint32_t mode, const std::vector<GradientVertex>& vertices,
                          const std::vector<std::uint32_t>& indices) {
    QByteArray p;
    PutRect(p, {0, 0, -1, -1});
    const std::size_t group = mode == 2 ? 3 : 2;
    PutU32(p, static_cast<std::uint32_t>(vertices.size()));
    PutU32(p, static_cast<std::uint32_t>(indices.size() / group));
    PutU32(p, mode);
    for (const GradientVertex& v : vertices) {
        PutI32(p, v.x);
        PutI32(p, v.y);
        PutU16(p, v.red);
        PutU16(p, v.green);
        PutU16(p, v.blue);
        PutU16(p, 0);
    }
    for (std::uint32_t i : indices) PutU32(p, i);
    if (mode != 2)
        for (std::size_t i = 0; i < indices.size() / group; ++i) PutU32(p, 0);
    return p;
}

QByteArray GradientPage(std::uint32_t mode, const std::vector<GradientVertex>& vertices,
                        const std::vector<std::uint32_t>& indices) {
    return BuildEmf([&](EmfWriter& w) {
        // The pen, brush and raster operation of the DC take no part in a gradient.
        w.CreatePen(1, 0, 5, 0x00FF00);
        w.SelectObject(1);
        w.AddRecord(emr::SetRop2, Payload({1}));  // R2_BLACK
        w.AddRecord(emr::GradientFill, GradientRecord(mode, vertices, indices));
    });
}

constexpr std::uint16_t kFull = 0xFF00;

TEST(GradientFill, HorizontalRectangleShadesFromLeftColourToRightColour) {
    const QImage image =
        Render(GradientPage(0, {{10, 20, kFull, 0, 0}, {90, 60, 0, 0, kFull}}, {0, 1}));
    const QRgb left = image.pixel(11, 40), middle = image.pixel(50, 40),
               right = image.pixel(88, 40);
    EXPECT_GT(qRed(left), 230);
    EXPECT_LT(qBlue(left), 25);
    EXPECT_NEAR(qRed(middle), 128, 12);
    EXPECT_NEAR(qBlue(middle), 128, 12);
    EXPECT_GT(qBlue(right), 230);
    EXPECT_LT(qRed(right), 25);
    EXPECT_EQ(qGreen(middle), 0);  // no pen outline
    EXPECT_TRUE(IsWhite(image.pixel(50, 15)));
    EXPECT_TRUE(IsWhite(image.pixel(50, 65)));
    EXPECT_TRUE(IsWhite(image.pixel(5, 40)));
}

TEST(GradientFill, VerticalRectanglesShadeTopToBottom) {
    // Two bands, black to white and white to black.
    const QImage image = Render(GradientPage(1,
                                             {{10, 10, 0, 0, 0},
                                              {90, 50, kFull, kFull, kFull},
                                              {10, 50, kFull, kFull, kFull},
                                              {90, 90, 0, 0, 0}},
                                             {0, 1, 2, 3}));
    EXPECT_LT(qGray(image.pixel(50, 11)), 25);
    EXPECT_NEAR(qGray(image.pixel(50, 30)), 128, 12);
    EXPECT_GT(qGray(image.pixel(50, 51)), 230);
    EXPECT_NEAR(qGray(image.pixel(50, 70)), 128, 12);
    EXPECT_LT(qGray(image.pixel(50, 88)), 25);
}

TEST(GradientFill, TriangleBlendsItsCornerColours) {
    const QImage image = Render(GradientPage(
        2, {{10, 10, kFull, 0, 0}, {90, 10, 0, kFull, 0}, {10, 90, 0, 0, kFull}}, {0, 1, 2}));
    EXPECT_GT(qRed(image.pixel(12, 12)), 200);
    EXPECT_GT(qGreen(image.pixel(85, 12)), 200);
    EXPECT_GT(qBlue(image.pixel(12, 85)), 200);
    const QRgb centre = image.pixel(36, 36);  // near the centroid: a third of each
    EXPECT_NEAR(qRed(centre), 85, 20);
    EXPECT_NEAR(qGreen(centre), 85, 20);
    EXPECT_NEAR(qBlue(centre), 85, 20);
    EXPECT_TRUE(IsWhite(image.pixel(80, 80)));  // beyond the long edge
}

TEST(GradientFill, DamagedRecordsDrawNothing) {
    // Indices past the vertices, counts past the record, an unknown mode.
    const std::vector<QByteArray> pages = {
        GradientPage(0, {{10, 10, kFull, 0, 0}, {90, 90, 0, 0, kFull}}, {0, 5}),
        GradientPage(3, {{10, 10, kFull, 0, 0}, {90, 90, 0, 0, kFull}}, {0, 1}),
        BuildEmf([](EmfWriter& w) {
            QByteArray p =
                GradientRecord(0, {{10, 10, kFull, 0, 0}, {90, 90, 0, 0, kFull}}, {0, 1});
            p.replace(16, 4, QByteArray("\xff\xff\xff\x0f", 4));  // vertex count
            w.AddRecord(emr::GradientFill, p);
        })};
    for (const QByteArray& page : pages) {
        const QImage image = Render(page);
        EXPECT_TRUE(IsWhite(image.pixel(50, 50)));
    }
}

}  // namespace
}  // namespace tavlex::mf
