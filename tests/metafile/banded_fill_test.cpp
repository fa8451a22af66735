// One fill of a heavy outline is drawn in bands of rows so that a cancel or the time cap can stop
// it part way; the bands must not change a single pixel.

#include "metafile/GdiDefs.h"
#include "metafile/Limits.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <limits>
#include <thread>

#include "play_support.h"

namespace tavlex::mf::testing {
namespace {

// A self-crossing polygon over the whole square frame: every edge spans much of the page, the
// costly case for a scan-line fill.
QVector<QPoint> CrossingPoints(int count, int extent = 100) {
    QRandomGenerator random(7);
    QVector<QPoint> points;
    points.reserve(count);
    for (int i = 0; i < count; ++i)
        points.append(QPoint(random.bounded(extent + 1), random.bounded(extent + 1)));
    return points;
}

void AddValueRecord(EmfWriter& w, std::uint32_t type, std::uint32_t value) {
    QByteArray payload;
    PutU32(payload, value);
    w.AddRecord(type, payload);
}

struct BandCase {
    const char* name;
    std::function<void(EmfWriter&)> setUp;  // state before the polygon
    qreal pixelRatio = 1;
    int side = 401;  // the target's side, 101 for one device pixel per logical unit
};

class BandedFillTest : public ::testing::TestWithParam<BandCase> {};

QImage RenderAtRatio(const QByteArray& emf, const BandCase& c, const PlayLimits& limits) {
    const int pixels = static_cast<int>(c.side * c.pixelRatio);
    QImage image(pixels, pixels, QImage::Format_RGB32);
    image.setDevicePixelRatio(c.pixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    Play(Metafile::Load(emf), painter, QRect(0, 0, c.side, c.side), limits);
    return image;
}

// Counts how often the player asks whether to stop: once per record, and between bands.
PlayLimits Counting(int& asked, std::int64_t bandedFrom) {
    PlayLimits limits;
    limits.bandedFrom = bandedFrom;
    limits.cancelled = [&asked] {
        ++asked;
        return false;
    };
    return limits;
}

TEST_P(BandedFillTest, SamePixelsAsOneFill) {
    const BandCase& c = GetParam();
    const QByteArray emf = BuildEmf([&](EmfWriter& w) {
        w.CreateBrushIndirect(1, 0, ToColorRef(QColor(30, 90, 200)));
        w.SelectObject(1);
        c.setUp(w);
        w.Polygon(CrossingPoints(c.side > 101 ? 25'000 : 21'000));
    });
    int records = 0;
    int asked = 0;
    const QImage expected =
        RenderAtRatio(emf, c, Counting(records, std::numeric_limits<std::int64_t>::max()));
    const QImage actual = RenderAtRatio(emf, c, Counting(asked, PlayLimits{}.bandedFrom));
    EXPECT_GE(asked, records + 2) << "the polygon was not drawn in bands";
    ASSERT_EQ(actual.size(), expected.size());
    int differing = 0;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x)
            differing += actual.pixel(x, y) != expected.pixel(x, y);
    }
    EXPECT_EQ(differing, 0);
    // Not vacuous: the polygon drew something of the brush's colour.
    EXPECT_NE(expected.pixel(expected.width() / 2, expected.height() / 2), QColor(Qt::white).rgb());
}

INSTANTIATE_TEST_SUITE_P(
    Fills, BandedFillTest,
    ::testing::Values(BandCase{"AlternateFill", [](EmfWriter&) {}},
                      BandCase{"WindingFill",
                               [](EmfWriter& w) {
                                   AddValueRecord(w, emr::SetPolyFillMode, dcmode::Winding);
                               }},
                      BandCase{"HatchOnOpaqueBackground",
                               [](EmfWriter& w) {
                                   w.CreateBrushIndirect(2, 2, ToColorRef(QColor(200, 20, 20)), 5);
                                   w.SelectObject(2);
                                   w.SetBkMode(2);
                                   w.SetBkColor(ToColorRef(QColor(250, 240, 100)));
                               }},
                      BandCase{"XorPenAndBrush",
                               [](EmfWriter& w) { AddValueRecord(w, emr::SetRop2, rop2::XorPen); }},
                      BandCase{"WideEvenPen",
                               [](EmfWriter& w) {
                                   w.CreatePen(2, 0, 2, ToColorRef(QColor(10, 120, 10)));
                                   w.SelectObject(2);
                               }},
                      BandCase{"InsideAClip",
                               [](EmfWriter& w) {
                                   w.IntersectClipRect({20, 30, 70, 81});
                               }},
                      BandCase{"DoublePixelRatio", [](EmfWriter&) {}, 2}),
    [](const ::testing::TestParamInfo<BandCase>& info) { return std::string(info.param.name); });

// One polygon that takes seconds to fill, on a page of 801 x 1101 pixels.
QByteArray HeavyPage() {
    EmfWriter::Header header;
    header.bounds = {0, 0, 800, 1100};
    header.frame = {0, 0, 8000, 11000};
    header.devicePixels = QSize(1000, 1000);
    header.deviceMillimetres = QSize(100, 100);
    return BuildEmf(
        [](EmfWriter& w) {
            w.CreateBrushIndirect(1, 0, ToColorRef(QColor(30, 90, 200)));
            w.SelectObject(1);
            QVector<QPoint> points = CrossingPoints(200'000, 800);
            for (QPoint& p : points) p.setY(p.y() * 11 / 8);
            w.Polygon(points);
        },
        header);
}

// Stopping part way through the one record: by a cancel from another thread, and by the page's
// time cap. Either acts within a band, not when the whole fill is done (seconds later).
TEST(BandedFillStopTest, CancelAndTimeCapStopInsideOneRecord) {
    const QByteArray emf = HeavyPage();
    std::atomic<bool> cancel{false};
    std::atomic<bool> started{false};
    PlayLimits limits;
    limits.cancelled = [&] {
        started.store(true);
        return cancel.load();
    };
    PlayResult result;
    std::thread player(
        [&] { Render(emf, QRect(0, 0, 801, 1101), QSize(801, 1101), &result, limits); });
    while (!started.load()) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // into the polygon by now
    QElapsedTimer clock;
    clock.start();
    cancel.store(true);
    player.join();
    EXPECT_TRUE(result.cancelled);
    EXPECT_LT(clock.elapsed(), 2000) << "the fill went on after the cancel";

    PlayLimits capped;
    capped.maxMillis = 200;
    clock.restart();
    Render(emf, QRect(0, 0, 801, 1101), QSize(801, 1101), &result, capped);
    EXPECT_FALSE(result.cancelled);
    ASSERT_TRUE(result.stopKind.has_value());
    EXPECT_EQ(*result.stopKind, MetafileErrorKind::TooLarge);
    EXPECT_LT(clock.elapsed(), 2200) << "the time cap was not checked inside the fill";
}

}  // namespace
}  // namespace tavlex::mf::testing
