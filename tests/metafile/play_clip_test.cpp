// Clip combinations: rectangles, regions in device units, paths, and their modes.
#include "play_support.h"

#include <bit>

namespace tavlex::mf {
namespace {

using namespace testing;

// RGNDATA with the given rectangles (device units).
QByteArray RegionData(std::initializer_list<RectL> rects) {
    QByteArray r;
    PutU32(r, 32);
    PutU32(r, 1);
    PutU32(r, static_cast<std::uint32_t>(rects.size()));
    PutU32(r, static_cast<std::uint32_t>(rects.size() * 16));
    PutRect(r, {0, 0, 100, 100});
    for (const RectL& rect : rects) PutRect(r, rect);
    return r;
}

void SelectClipRegion(EmfWriter& w, std::initializer_list<RectL> rects, std::uint32_t mode) {
    const QByteArray data = RegionData(rects);
    QByteArray p;
    PutU32(p, static_cast<std::uint32_t>(data.size()));
    PutU32(p, mode);
    p.append(data);
    w.AddRecord(emr::ExtSelectClipRgn, p);
}

// Turns the world by 30 degrees for one clip record, then back: the clip stays as it was
// made.
void RotatedClip(EmfWriter& w, const std::function<void()>& clip) {
    const float c = 0.8660254f, s = 0.5f;
    QByteArray xform;
    for (const float v : {c, s, -s, c, 0.0f, 0.0f}) PutU32(xform, std::bit_cast<std::uint32_t>(v));
    w.AddRecord(emr::SetWorldTransform, xform);
    clip();
    QByteArray identity = xform;
    PutU32(identity, 1);  // MWT_IDENTITY
    w.AddRecord(emr::ModifyWorldTransform, identity);
}

constexpr RectL kHuge{-5'000'000, -5'000'000, 5'000'000, 5'000'000};

struct ClipCase {
    const char* name;
    std::function<void(EmfWriter&)> clip;
    // Probes at x = 15, 35, 55, 75 on row 50: true where the fill must show.
    std::array<bool, 4> painted;
};

class ClipTest : public ::testing::TestWithParam<ClipCase> {};

TEST_P(ClipTest, FillShowsOnlyInsideTheClip) {
    const ClipCase& c = GetParam();
    const QImage image = Render(BuildEmf([&](EmfWriter& w) {
        c.clip(w);
        RedFill(w);
        w.Rectangle({0, 0, 102, 102});
    }));
    const int xs[4] = {15, 35, 55, 75};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(IsRed(image.pixel(xs[i], 50)), c.painted[static_cast<std::size_t>(i)])
            << c.name << " x=" << xs[i];
}

INSTANTIATE_TEST_SUITE_P(
    Modes, ClipTest,
    ::testing::Values(
        ClipCase{"none", [](EmfWriter&) {}, {true, true, true, true}},
        ClipCase{"intersect",
                 [](EmfWriter& w) {
                     w.IntersectClipRect({30, 0, 60, 100});
                 },
                 {false, true, true, false}},
        ClipCase{"intersect twice",
                 [](EmfWriter& w) {
                     w.IntersectClipRect({30, 0, 60, 100});
                     w.IntersectClipRect({50, 0, 90, 100});
                 },
                 {false, false, true, false}},
        ClipCase{"exclude",
                 [](EmfWriter& w) {
                     w.AddRecord(emr::ExcludeClipRect, Payload({30, 0, 60, 100}));
                 },
                 {true, false, false, true}},
        // Polygons this tall once made an empty region (and leaked memory) inside Qt.
        ClipCase{"huge turned intersect keeps the page",
                 [](EmfWriter& w) { RotatedClip(w, [&] { w.IntersectClipRect(kHuge); }); },
                 {true, true, true, true}},
        ClipCase{"huge turned exclude removes the page",
                 [](EmfWriter& w) {
                     RotatedClip(w, [&] {
                         w.AddRecord(emr::ExcludeClipRect,
                                     Payload({kHuge.left, kHuge.top, kHuge.right, kHuge.bottom}));
                     });
                 },
                 {false, false, false, false}},
        ClipCase{"huge turned clip path keeps the page",
                 [](EmfWriter& w) {
                     RotatedClip(w, [&] {
                         w.AddRecord(emr::BeginPath, {});
                         w.Rectangle(kHuge);
                         w.AddRecord(emr::EndPath, {});
                         w.AddRecord(emr::SelectClipPath, Payload({5}));
                     });
                 },
                 {true, true, true, true}},
        ClipCase{"region copy",
                 [](EmfWriter& w) {
                     SelectClipRegion(w, {{10, 0, 20, 100}}, 5);
                 },
                 {true, false, false, false}},
        ClipCase{"region or",
                 [](EmfWriter& w) {
                     SelectClipRegion(w, {{10, 0, 20, 100}}, 5);
                     SelectClipRegion(w, {{70, 0, 80, 100}}, 2);
                 },
                 {true, false, false, true}},
        ClipCase{"region xor",
                 [](EmfWriter& w) {
                     SelectClipRegion(w, {{10, 0, 60, 100}}, 5);
                     SelectClipRegion(w, {{30, 0, 80, 100}}, 3);
                 },
                 {true, false, false, true}},
        ClipCase{"region diff",
                 [](EmfWriter& w) {
                     SelectClipRegion(w, {{10, 0, 60, 100}}, 5);
                     SelectClipRegion(w, {{30, 0, 40, 100}}, 4);
                 },
                 {true, false, true, false}},
        ClipCase{"region and of two rectangles",
                 [](EmfWriter& w) {
                     w.IntersectClipRect({0, 0, 60, 100});
                     SelectClipRegion(w, {{10, 0, 20, 100}, {50, 0, 80, 100}}, 1);
                 },
                 {true, false, true, false}},
        ClipCase{"region of unordered rectangles",
                 [](EmfWriter& w) {
                     SelectClipRegion(w, {{70, 0, 80, 100}, {10, 40, 20, 60}, {10, 0, 20, 50}}, 5);
                 },
                 {true, false, false, true}},
        ClipCase{"copy of nothing resets",
                 [](EmfWriter& w) {
                     w.IntersectClipRect({30, 0, 40, 100});
                     QByteArray p;
                     PutU32(p, 0);
                     PutU32(p, 5);
                     w.AddRecord(emr::ExtSelectClipRgn, p);
                 },
                 {true, true, true, true}},
        ClipCase{"offset",
                 [](EmfWriter& w) {
                     w.IntersectClipRect({10, 0, 20, 100});
                     w.AddRecord(emr::OffsetClipRgn, Payload({60, 0}));
                 },
                 {false, false, false, true}},
        ClipCase{"restored with the state",
                 [](EmfWriter& w) {
                     w.SaveDC();
                     w.IntersectClipRect({30, 0, 40, 100});
                     w.RestoreDC(-1);
                 },
                 {true, true, true, true}},
        ClipCase{"path",
                 [](EmfWriter& w) {
                     w.AddRecord(emr::BeginPath, {});
                     w.Rectangle({30, 10, 60, 90});
                     w.AddRecord(emr::EndPath, {});
                     w.AddRecord(emr::SelectClipPath, Payload({5}));
                 },
                 {false, true, true, false}},
        ClipCase{"clip rectangle in logical units",
                 [](EmfWriter& w) {
                     w.SetMapMode(8);
                     w.SetWindowExtEx(50, 100);
                     w.SetViewportExtEx(100, 100);
                     w.IntersectClipRect({15, 0, 30, 100});
                 },
                 {false, true, true, false}},
        ClipCase{"region stays in device units",
                 [](EmfWriter& w) {
                     w.SetMapMode(8);
                     w.SetWindowExtEx(50, 100);
                     w.SetViewportExtEx(100, 100);
                     SelectClipRegion(w, {{30, 0, 60, 100}}, 5);
                 },
                 {false, true, true, false}}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

// The caller's own clip stays in force underneath the metafile's.
TEST(ClipTest, PaintersClipIsKept) {
    const QByteArray emf = BuildEmf([](EmfWriter& w) {
        w.IntersectClipRect({0, 0, 60, 100});
        RedFill(w);
        w.Rectangle({0, 0, 102, 102});
    });
    QImage image(101, 101, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setClipRect(QRect(40, 0, 61, 101));
    Play(Metafile::Load(emf), painter, QRect(0, 0, 101, 101));
    EXPECT_TRUE(painter.hasClipping());
    painter.end();
    EXPECT_TRUE(IsWhite(image.pixel(20, 50)));
    EXPECT_TRUE(IsRed(image.pixel(50, 50)));
    EXPECT_TRUE(IsWhite(image.pixel(80, 50)));
}

}  // namespace
}  // namespace tavlex::mf
