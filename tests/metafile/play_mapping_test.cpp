// Where records land: mapping modes, extents, origins, world transforms, the stretch of the
// frame onto the target and the saved device-context states.
#include "play_support.h"

#include <algorithm>
#include <cmath>

namespace tavlex::mf {
namespace {

using namespace testing;

struct MappingCase {
    const char* name;
    std::function<void(EmfWriter&)> setup;
    RectL box;  // must land on device pixels (10, 10)-(50, 50)
};

class MappingTest : public ::testing::TestWithParam<MappingCase> {};

TEST_P(MappingTest, BoxLandsOnTheSameDevicePixels) {
    const MappingCase& c = GetParam();
    const QImage image = Render(BuildEmf([&](EmfWriter& w) {
        c.setup(w);
        RedFill(w);
        w.Rectangle(c.box);
    }));
    EXPECT_TRUE(IsRed(image.pixel(12, 12))) << c.name;
    EXPECT_TRUE(IsRed(image.pixel(30, 30))) << c.name;
    EXPECT_TRUE(IsRed(image.pixel(47, 47))) << c.name;
    EXPECT_TRUE(IsWhite(image.pixel(7, 30))) << c.name;
    EXPECT_TRUE(IsWhite(image.pixel(30, 7))) << c.name;
    EXPECT_TRUE(IsWhite(image.pixel(53, 30))) << c.name;
    EXPECT_TRUE(IsWhite(image.pixel(30, 53))) << c.name;
}

void AddXform(EmfWriter& w, std::uint32_t type, std::initializer_list<float> m, int mode = -1) {
    QByteArray p;
    for (float f : m) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        PutU32(p, bits);
    }
    if (mode >= 0) PutU32(p, static_cast<std::uint32_t>(mode));
    w.AddRecord(type, p);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, MappingTest,
    ::testing::Values(
        MappingCase{"text", [](EmfWriter&) {}, {10, 10, 50, 50}},
        // 10 device pixels per millimetre: the metric and English modes count upwards.
        MappingCase{"lometric", [](EmfWriter& w) { w.SetMapMode(2); }, {10, -10, 50, -50}},
        MappingCase{"himetric", [](EmfWriter& w) { w.SetMapMode(3); }, {100, -100, 500, -500}},
        MappingCase{"loenglish", [](EmfWriter& w) { w.SetMapMode(4); }, {4, -4, 20, -20}},
        MappingCase{"hienglish", [](EmfWriter& w) { w.SetMapMode(5); }, {40, -40, 197, -197}},
        MappingCase{"twips", [](EmfWriter& w) { w.SetMapMode(6); }, {57, -57, 284, -284}},
        MappingCase{"anisotropic",
                    [](EmfWriter& w) {
                        w.SetMapMode(8);
                        w.SetWindowExtEx(200, 100);
                        w.SetViewportExtEx(100, 100);
                    },
                    {20, 10, 100, 50}},
        // The isotropic mode shrinks the viewport so that both axes scale alike.
        MappingCase{"isotropic",
                    [](EmfWriter& w) {
                        w.SetMapMode(7);
                        w.SetWindowExtEx(200, 100);
                        w.SetViewportExtEx(100, 100);
                    },
                    {20, 20, 100, 100}},
        MappingCase{"extents ignored in text mode",
                    [](EmfWriter& w) {
                        w.SetWindowExtEx(200, 100);
                        w.SetViewportExtEx(100, 100);
                    },
                    {10, 10, 50, 50}},
        MappingCase{
            "window origin", [](EmfWriter& w) { w.SetWindowOrgEx(-10, -10); }, {0, 0, 40, 40}},
        MappingCase{
            "viewport origin", [](EmfWriter& w) { w.SetViewportOrgEx(10, 10); }, {0, 0, 40, 40}},
        MappingCase{"anisotropic flipped with origins",
                    [](EmfWriter& w) {
                        w.SetMapMode(8);
                        w.SetWindowOrgEx(0, 100);
                        w.SetWindowExtEx(100, -100);
                        w.SetViewportExtEx(100, 100);
                    },
                    {10, 90, 50, 50}},
        MappingCase{"world scale",
                    [](EmfWriter& w) {
                        AddXform(w, emr::SetWorldTransform, {2, 0, 0, 2, 0, 0});
                    },
                    {5, 5, 25, 25}},
        MappingCase{"world left multiply",
                    [](EmfWriter& w) {
                        AddXform(w, emr::SetWorldTransform, {1, 0, 0, 1, 10, 0});
                        AddXform(w, emr::ModifyWorldTransform, {2, 0, 0, 2, 0, 0}, 2);
                    },
                    {0, 5, 20, 25}},
        MappingCase{"world reset",
                    [](EmfWriter& w) {
                        AddXform(w, emr::SetWorldTransform, {3, 0, 0, 3, 7, 7});
                        AddXform(w, emr::ModifyWorldTransform, {1, 0, 0, 1, 0, 0}, 1);
                    },
                    {10, 10, 50, 50}},
        MappingCase{"scaled viewport extent",
                    [](EmfWriter& w) {
                        w.SetMapMode(8);
                        w.SetWindowExtEx(100, 100);
                        w.SetViewportExtEx(100, 100);
                        w.AddRecord(emr::ScaleViewportExtEx, Payload({1, 2, 1, 2}));
                    },
                    {20, 20, 100, 100}}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

// The frame's right and bottom edges are inclusive: they land on the target's last pixel.
TEST(StretchTest, FrameEdgesLandOnTheTargetsOuterPixels) {
    const QByteArray emf = BuildEmf([](EmfWriter& w) {
        w.MoveToEx(0, 0);
        w.LineTo(0, 101);  // left edge
        w.MoveToEx(100, 0);
        w.LineTo(100, 101);  // right edge, inclusive
        w.MoveToEx(0, 100);
        w.LineTo(101, 100);  // bottom edge, inclusive
    });
    for (const QRect target : {QRect(0, 0, 201, 101), QRect(10, 20, 51, 81)}) {
        const QImage image = Render(emf, target, QSize(230, 120));
        const int midY = target.top() + target.height() / 2;
        EXPECT_TRUE(IsInk(image, target.left(), midY)) << target.width();
        EXPECT_TRUE(IsInk(image, target.right(), midY)) << target.width();
        EXPECT_FALSE(IsInk(image, target.right() + 1, midY)) << target.width();
        if (target.left() > 0) {
            EXPECT_FALSE(IsInk(image, target.left() - 1, midY));
        }
        const int midX = target.left() + target.width() / 3;
        EXPECT_TRUE(IsInk(image, midX, target.bottom())) << target.width();
        EXPECT_FALSE(IsInk(image, midX, target.bottom() + 1)) << target.width();
    }
}

// A cosmetic pen stays one pixel wide however far the picture is stretched.
TEST(StretchTest, CosmeticPenStaysOnePixel) {
    const QByteArray emf = BuildEmf([](EmfWriter& w) {
        w.MoveToEx(0, 50);
        w.LineTo(100, 50);
    });
    const QImage image = Render(emf, QRect(0, 0, 401, 401), QSize(401, 401));
    EXPECT_EQ(InkRows(image, 100, 100).size(), 1u);
}

// A frame with a negative origin still maps its own top-left corner onto the target's.
TEST(StretchTest, NegativeFrameOriginMapsOntoTarget) {
    EmfWriter::Header h = SquareHeader();
    h.frame = {-1000, -500, 0, 500};
    h.bounds = {-100, -50, 0, 50};
    const QImage image = Render(BuildEmf(
        [](EmfWriter& w) {
            RedFill(w);
            w.Rectangle({-90, -40, -50, 0});
        },
        h));
    EXPECT_TRUE(IsRed(image.pixel(30, 30)));
    EXPECT_TRUE(IsWhite(image.pixel(70, 70)));
}

// The aspect ratio is not kept: a square frame fills a wide target.
TEST(StretchTest, AspectFollowsTheTarget) {
    const QImage image = Render(BuildEmf([](EmfWriter& w) {
                                    RedFill(w);
                                    w.Rectangle({0, 0, 102, 102});
                                }),
                                QRect(0, 0, 301, 51), QSize(301, 51));
    EXPECT_TRUE(IsRed(image.pixel(1, 1)));
    EXPECT_TRUE(IsRed(image.pixel(299, 49)));
}

TEST(SaveDcTest, RestoreBringsBackObjectsMappingAndClip) {
    const QImage image = Render(BuildEmf([](EmfWriter& w) {
        RedFill(w);
        w.SaveDC();
        w.CreateBrushIndirect(2, 0, kBlue);
        w.SelectObject(2);
        w.SetWindowOrgEx(-50, 0);
        w.IntersectClipRect({0, 0, 5, 5});
        w.SaveDC();
        w.SetWindowOrgEx(-70, 0);
        w.RestoreDC(-2);
        w.Rectangle({10, 10, 50, 50});
    }));
    EXPECT_TRUE(IsRed(image.pixel(30, 30)));
    EXPECT_TRUE(IsWhite(image.pixel(70, 30)));
}

TEST(SaveDcTest, RestoreBeyondTheStackIsIgnored) {
    const QImage image = Render(BuildEmf([](EmfWriter& w) {
        RedFill(w);
        w.SaveDC();
        w.CreateBrushIndirect(2, 0, kBlue);
        w.SelectObject(2);
        w.RestoreDC(-5);  // refused: the blue brush stays
        w.Rectangle({10, 10, 50, 50});
    }));
    EXPECT_TRUE(IsBlue(image.pixel(30, 30)));
}

// Bytes still arriving: playback asks for each record's end, in order, before reading it; a
// page whose bytes stop arriving keeps what was drawn from those that came.
TEST(ArrivingBytes, PlaybackWaitsForEachRecordAndKeepsWhatArrived) {
    auto red = [](EmfWriter& w) {
        w.CreateBrushIndirect(1, 0, 0x0000ff);
        w.SelectObject(1);
        w.Rectangle({10, 10, 40, 90});
    };
    const QByteArray first = BuildEmf(red);
    const QByteArray both = BuildEmf([&](EmfWriter& w) {
        red(w);
        w.Rectangle({60, 10, 90, 90});
    });
    const std::uint64_t redEnd = static_cast<std::uint64_t>(first.size()) - 20;  // before EOF

    std::vector<std::uint64_t> asked;
    const Metafile whole = Metafile::Load(both, [&](std::uint64_t end) {
        asked.push_back(end);
        return true;
    });
    asked.clear();  // the header, while loading
    QImage image(101, 101, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    EXPECT_TRUE(Play(whole, painter, QRect(0, 0, 101, 101)).complete);
    painter.end();
    EXPECT_EQ(image.pixel(25, 50), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(75, 50), qRgb(255, 0, 0));
    ASSERT_FALSE(asked.empty());
    EXPECT_TRUE(std::is_sorted(asked.begin(), asked.end()));
    EXPECT_GE(asked.back(), static_cast<std::uint64_t>(both.size()) - 20);

    // The next record's type and size have come, but not the rest of it.
    const Metafile cut = Metafile::Load(both, [&](std::uint64_t end) { return end <= redEnd + 8; });
    image.fill(Qt::white);
    painter.begin(&image);
    const PlayResult result = Play(cut, painter, QRect(0, 0, 101, 101));
    painter.end();
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(image.pixel(25, 50), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(75, 50), qRgb(255, 255, 255));

    // Bytes that never come are no metafile; a whole page needs no waiting afterwards.
    try {
        Metafile::Load(both, [](std::uint64_t) { return false; });
        ADD_FAILURE() << "loaded bytes that never came";
    } catch (const MetafileError& e) {
        EXPECT_EQ(e.Kind(), MetafileErrorKind::NotArrived);
    }
    EXPECT_FALSE(Metafile::Load(both).PendingArrival());
}

}  // namespace
}  // namespace tavlex::mf
