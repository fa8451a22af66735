// Inputs the fuzzers found that are built here rather than kept as files under tests/fuzz/
// (those are replayed by tests/fuzz/replay_test.cpp), each played as the fuzz target plays it:
// a small device under tight caps, with what must show checked.
#include "metafile/EmfBitmapRecordsDraw.h"
#include "play_support.h"
#include "tests/fuzz/FuzzPlayLimits.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

namespace {

using namespace tavlex::mf;
using namespace tavlex::mf::testing;

QByteArray Payload32(std::initializer_list<std::uint32_t> values) {
    QByteArray p;
    for (std::uint32_t v : values) PutU32(p, v);
    return p;
}

// One pixel stretched over a destination of the given height, smoothly (HALFTONE).
QByteArray TallStretch(std::int32_t height) {
    return BuildEmf([&](EmfWriter& w) {
        w.AddRecord(emr::SetStretchBltMode, Payload32({4}));
        QImage pixel(1, 1, QImage::Format_RGB32);
        pixel.fill(qRgb(200, 0, 0));
        w.StretchDIBits({0, -height / 2, 100, height / 2}, pixel);
    });
}

struct FuzzCase {
    std::string name;
    std::function<QByteArray()> input;
    // Checked on the 64 x 64 rendering; none: finishing is the test.
    std::function<void(const QImage&, const PlayResult&)> check;
};

class FuzzRegression : public ::testing::TestWithParam<FuzzCase> {};

TEST_P(FuzzRegression, PlaysWithinItsCaps) {
    const FuzzCase& c = GetParam();
    Metafile metafile;
    try {
        metafile = Metafile::Load(c.input());
    } catch (const MetafileError&) {
        if (c.check) FAIL() << "the input no longer loads";
        return;
    }
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const PlayResult result = Play(metafile, painter, QRect(0, 0, 64, 64), FuzzPlayLimits());
    painter.end();
    if (c.check) c.check(image, result);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FuzzRegression,
    ::testing::Values(
        // Scaled to the whole destination before the cut to the device: gigabytes of pixels.
        FuzzCase{"StretchTallerThanAnyDevice", [] { return TallStretch(67'108'921); },
                 [](const QImage& image, const PlayResult&) {
                     EXPECT_EQ(image.pixel(10, 32), qRgb(200, 0, 0));
                     EXPECT_EQ(image.pixel(60, 2), qRgb(200, 0, 0));
                 }},
        // Far beyond the int range on the device once mapped.
        FuzzCase{"StretchBeyondTheIntRange", [] { return TallStretch(2'000'000'000); },
                 [](const QImage& image, const PlayResult&) {
                     EXPECT_EQ(image.pixel(32, 32), qRgb(200, 0, 0));
                 }}),
    [](const ::testing::TestParamInfo<FuzzCase>& info) { return info.param.name; });

// The smooth path scales through an image: a pixel blown up over millions of device pixels
// must not ask for an image of that size.
TEST(FuzzRegressions, SmoothPlacementStaysNearTheDeviceSize) {
    QImage device(64, 64, QImage::Format_RGB32);
    QPainter painter(&device);
    const QTransform toTarget = QTransform::fromScale(64, 67'108'921).translate(0, -0.5);
    const auto placement = PlaceScaled(painter, QRectF(0, 0, 1, 1), toTarget, QRect(0, 0, 1, 1));
    if (placement) {
        EXPECT_LE(std::int64_t{placement->size.width()} * placement->size.height(),
                  std::int64_t{64} * 64 * 1024);
    }
}

}  // namespace
