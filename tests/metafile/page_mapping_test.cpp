#include "metafile/ByteView.h"
#include "metafile/EmfWriter.h"
#include "metafile/GdiDefs.h"
#include "metafile/PageMapping.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <cstring>
#include <functional>
#include <limits>
#include <ostream>

namespace tavlex::mf {
namespace {

// A reference device whose pixels are not square and whose millimetres are not round in inches.
const ReferenceDevice kDevice = ReferenceDevice::From({1280, 1024}, {338, 270});

QPointF Pixel(const PageMapping& m, QPointF logical) {
    return m.Transform().map(logical);
}

struct FixedModeCase {
    int mode;
    QSizeF windowExt;  // whole logical units across the reference device
};

void PrintTo(const FixedModeCase& c, std::ostream* os) {
    *os << "map mode " << c.mode;
}

class FixedModeTest : public ::testing::TestWithParam<FixedModeCase> {};

// The window is the device's size in whole logical units, y growing upward.
TEST_P(FixedModeTest, WindowIsTheDeviceInWholeUnits) {
    PageMapping m;
    m.SetMapMode(GetParam().mode, kDevice);
    EXPECT_EQ(m.windowExt, GetParam().windowExt);
    EXPECT_EQ(m.viewportExt, QSizeF(1280, -1024));
    const QPointF corner = Pixel(m, {GetParam().windowExt.width(), GetParam().windowExt.height()});
    EXPECT_DOUBLE_EQ(corner.x(), 1280);
    EXPECT_DOUBLE_EQ(corner.y(), -1024);
    if (GetParam().mode == mapmode::Isotropic) return;
    // Extents are not taken in a fixed mode.
    m.SetWindowExt(5, 5, kDevice);
    m.SetViewportExt(5, 5, kDevice);
    m.ScaleWindowExt(2, 1, 2, 1, kDevice);
    EXPECT_EQ(m.windowExt, GetParam().windowExt);
    EXPECT_EQ(m.viewportExt, QSizeF(1280, -1024));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FixedModeTest,
    ::testing::Values(FixedModeCase{mapmode::LoMetric, {3380, 2700}},
                      FixedModeCase{mapmode::HiMetric, {33800, 27000}},
                      FixedModeCase{mapmode::LoEnglish, {1331, 1063}},    // 1330.7, 1062.99
                      FixedModeCase{mapmode::HiEnglish, {13307, 10630}},  // 13307.1, 10629.9
                      FixedModeCase{mapmode::Twips, {19162, 15307}},      // 19162.2, 15307.1
                      FixedModeCase{mapmode::Isotropic, {3380, 2700}}));  // starts as LoMetric

struct IsotropicCase {
    QSizeF window, viewport;
    QSizeF fixed;  // the viewport once fixed
};

void PrintTo(const IsotropicCase& c, std::ostream* os) {
    *os << "window " << c.window.width() << "x" << c.window.height() << ", viewport "
        << c.viewport.width() << "x" << c.viewport.height();
}

class IsotropicTest : public ::testing::TestWithParam<IsotropicCase> {};

// The viewport shrinks along the axis where a logical unit would be longer in millimetres,
// to whole pixels, keeping its sign; never to zero.
TEST_P(IsotropicTest, ViewportShrinksAlongTheLongerAxis) {
    const IsotropicCase& c = GetParam();
    PageMapping m;
    m.SetMapMode(mapmode::Isotropic, kDevice);
    m.SetWindowExt(static_cast<std::int32_t>(c.window.width()),
                   static_cast<std::int32_t>(c.window.height()), kDevice);
    m.SetViewportExt(static_cast<std::int32_t>(c.viewport.width()),
                     static_cast<std::int32_t>(c.viewport.height()), kDevice);
    EXPECT_EQ(m.viewportExt, c.fixed);
    EXPECT_EQ(m.windowExt, c.window);
}

INSTANTIATE_TEST_SUITE_P(
    Extents, IsotropicTest,
    ::testing::Values(
        // A page of the corpus: 0.076777 mm across against 0.076859 down; 619.34 rounds to 619.
        IsotropicCase{{3257, -2127}, {947, -620}, {947, -619}},
        // Along x instead; the sign stays.
        IsotropicCase{{1000, 1000}, {-900, 500}, {-499, 500}},
        // A logical unit that is already a millimetre each way stays as it is.
        IsotropicCase{{338, 270}, {1280, 1024}, {1280, 1024}},
        // A tiny extent rounds to one pixel rather than to nothing.
        IsotropicCase{{1, 1000000}, {1000, 1}, {1, 1}}));

TEST(PageMappingTest, AnisotropicKeepsWhatItGetsAndRefusesZero) {
    PageMapping m;
    m.SetMapMode(mapmode::Anisotropic, kDevice);
    EXPECT_EQ(m.windowExt, QSizeF(1, 1));  // the text mode's, kept
    m.SetWindowExt(2000, 1000, kDevice);
    m.SetViewportExt(500, 1000, kDevice);
    m.SetWindowExt(0, 7, kDevice);
    m.SetViewportExt(7, 0, kDevice);
    EXPECT_EQ(m.windowExt, QSizeF(2000, 1000));
    EXPECT_EQ(m.viewportExt, QSizeF(500, 1000));
    m.windowOrg = {100, 100};
    m.viewportOrg = {10, 20};
    EXPECT_EQ(Pixel(m, {100, 100}), QPointF(10, 20));
    EXPECT_EQ(Pixel(m, {2100, 1100}), QPointF(510, 1020));
    // From a fixed mode, the anisotropic mode starts with that mode's extents.
    m.SetMapMode(mapmode::LoMetric, kDevice);
    m.SetMapMode(mapmode::Anisotropic, kDevice);
    EXPECT_EQ(m.windowExt, QSizeF(3380, 2700));
    // The text mode is one logical unit a pixel again; a mode out of range changes nothing.
    m.SetMapMode(mapmode::Text, kDevice);
    m.SetMapMode(9, kDevice);
    m.SetMapMode(0, kDevice);
    EXPECT_EQ(m.mapMode, mapmode::Text);
    EXPECT_EQ(m.windowExt, QSizeF(1, 1));
    EXPECT_EQ(m.viewportExt, QSizeF(1, 1));
}

TEST(PageMappingTest, ScalingCutsTowardZeroAndNeverReachesIt) {
    PageMapping m;
    m.SetMapMode(mapmode::Anisotropic, kDevice);
    m.SetWindowExt(1000, -999, kDevice);
    m.ScaleWindowExt(1, 3, 2, 3, kDevice);
    EXPECT_EQ(m.windowExt, QSizeF(333, -666));
    m.ScaleWindowExt(1, 0, 1, 1, kDevice);  // refused
    m.ScaleWindowExt(0, 1, 1, 1, kDevice);  // refused
    EXPECT_EQ(m.windowExt, QSizeF(333, -666));
    m.ScaleViewportExt(1, 2, 1, 1, kDevice);  // 1 / 2 cuts to 0: both become 1
    EXPECT_EQ(m.viewportExt, QSizeF(1, 1));
}

TEST(ReferenceDeviceTest, UnusableSizesGiveNinetySixPixelsAnInch) {
    for (const auto& [px, mm] : {std::pair{QSizeF(0, 768), QSizeF(270, 203)},
                                 std::pair{QSizeF(1024, 768), QSizeF(270, -1)}}) {
        const ReferenceDevice d = ReferenceDevice::From(px, mm);
        EXPECT_NEAR(d.pixels.width() / d.millimetres.width() * 25.4, 96, 0.01);
        EXPECT_NEAR(d.pixels.height() / d.millimetres.height() * 25.4, 96, 0.01);
    }
    const ReferenceDevice d = ReferenceDevice::From({1280, 1024}, {338, 270});
    EXPECT_EQ(d.pixels, QSizeF(1280, 1024));
    EXPECT_EQ(d.millimetres, QSizeF(338, 270));
}

QByteArray WorldRecord(std::uint32_t mode, std::initializer_list<float> values) {
    QByteArray r;
    PutU32(r, mode == 0 ? emr::SetWorldTransform : emr::ModifyWorldTransform);
    PutU32(r, 0);
    for (float f : values) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        PutU32(r, bits);
    }
    if (mode != 0) PutU32(r, mode);
    return r;
}

void Apply(QTransform& world, const QByteArray& record) {
    const ByteView v(record.constData(), static_cast<std::size_t>(record.size()));
    ApplyWorldTransform(world, v.U32Or(0), v);
}

TEST(WorldTransformTest, ModesAndDamagedRecords) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    QTransform world;
    Apply(world, WorldRecord(0, {2, 0, 0, 2, 10, 0}));
    EXPECT_EQ(world, QTransform(2, 0, 0, 2, 10, 0));
    Apply(world, WorldRecord(worldmode::LeftMultiply, {1, 0, 0, 1, 5, 0}));
    EXPECT_EQ(world.map(QPointF(0, 0)), QPointF(20, 0));  // moved first, then scaled
    Apply(world, WorldRecord(worldmode::RightMultiply, {1, 0, 0, 1, 5, 0}));
    EXPECT_EQ(world.map(QPointF(0, 0)), QPointF(25, 0));
    const QTransform kept = world;
    Apply(world, WorldRecord(0, {nan, 0, 0, 1, 0, 0}));
    Apply(world, WorldRecord(worldmode::LeftMultiply, {1, 0, 0, inf, 0, 0}));
    Apply(world, WorldRecord(0, {1, 0, 0, 1e13f, 0, 0}));
    Apply(world, WorldRecord(0, {2, 0, 0}));  // three values of six
    EXPECT_EQ(world, kept);
    Apply(world, WorldRecord(worldmode::Identity, {nan, nan, nan, nan, nan, nan}));
    EXPECT_EQ(world, QTransform());
}

}  // namespace
}  // namespace tavlex::mf
