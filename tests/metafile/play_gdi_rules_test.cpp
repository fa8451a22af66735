// Drawing rules of enhanced-metafile playback that show in the pixels.
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

}  // namespace
}  // namespace tavlex::mf
