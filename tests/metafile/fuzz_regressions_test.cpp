// Inputs the fuzzers found, each played as the fuzz target plays it: a small device under
// tight caps. Each once crashed, leaked, ran away or asked for gigabytes.
#include "metafile/EmfBitmapRecordsDraw.h"
#include "play_support.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

namespace {

using namespace tavlex::mf;
using namespace tavlex::mf::testing;

// The caps of the fuzz target.
PlayLimits FuzzLimits() {
    PlayLimits limits;
    limits.maxBitmapBytes = 16 << 20;
    limits.maxSaveDepth = 64;
    limits.maxObjects = 1024;
    limits.maxPointsPerRecord = 100'000;
    limits.maxRecords = 100'000;
    limits.maxMillis = 2000;
    return limits;
}

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

template <std::size_t N>
QByteArray Raw(const unsigned char (&bytes)[N]) {
    return QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(N));
}

// STRETCHDIBITS whose visible part maps back to a source rectangle beyond the int range.
const unsigned char kVisibleSourceBeyondInt[] = {
    0x01, 0x00, 0x00, 0x00, 0x6c, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x4b, 0x00, 0x00, 0x00, 0x38, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0xd0, 0x07, 0x00, 0x00, 0xdc, 0x05, 0x31, 0x00, 0x20, 0x45, 0x4d, 0x46, 0x00, 0x00, 0x01, 0x00,
    0xbc, 0x01, 0x00, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x07, 0x00, 0x00, 0x36, 0x04, 0x00, 0x00,
    0xfc, 0x01, 0x00, 0x00, 0x1e, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x0c, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x51, 0x00, 0x00, 0x00,
    0x9c, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4b, 0x00, 0x00, 0x00,
    0x38, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x03, 0x00, 0x10, 0x00, 0x50, 0x00, 0x00, 0x00,
    0x28, 0x00, 0x00, 0x00, 0x78, 0x00, 0x00, 0x00, 0x24, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf6, 0xff,
    0xdf, 0xff, 0x33, 0xff, 0xb3, 0xff, 0x00, 0x00, 0x39, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00,
    0x04, 0x00, 0x00, 0x00, 0x02, 0xff, 0xfd, 0x80, 0x01, 0x00, 0x18, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x11, 0x48, 0x75, 0x61, 0x54, 0x69, 0x61, 0x6e, 0x4b, 0x61, 0x69, 0x54, 0x69, 0x3f, 0x24, 0x00,
    0x00, 0xc8, 0x50, 0xb4, 0xc8, 0x00, 0x00, 0xc8, 0x00, 0x3c, 0xc8, 0x00, 0x78, 0xc8, 0x00, 0xb4,
    0x22, 0x00, 0x28, 0x00, 0x0c, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0x19, 0x00, 0x00, 0x00,
    0x0c, 0x00, 0x00, 0x0c, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x54, 0x00, 0x76, 0x00, 0x0e,
    0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x14,
    0x00, 0x00, 0x00,
};

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
    const PlayResult result = Play(metafile, painter, QRect(0, 0, 64, 64), FuzzLimits());
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
                 }},
        FuzzCase{"VisibleSourceBeyondTheIntRange", [] { return Raw(kVisibleSourceBeyondInt); },
                 nullptr}),
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
