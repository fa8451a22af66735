#include "metafile/PlaybackContext.h"
#include "metafile/RasterOp.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using tavlex::mf::ByteView;
using tavlex::mf::PlaybackContext;
using tavlex::mf::PlayBitmapRecord;
using tavlex::mf::PlayLimits;

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xff);
}
void PutFloat(Bytes& b, float f) {
    std::uint32_t v;
    std::memcpy(&v, &f, 4);
    Put32(b, v);
}
void Set32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xff;
}

// A bottom-up bitmap header block of the given depth, with a colour table of `table` entries.
Bytes Bmi(std::int32_t w, std::int32_t h, std::uint16_t bits, std::vector<QRgb> table = {}) {
    Bytes b;
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(w));
    Put32(b, static_cast<std::uint32_t>(h));
    Put32(b, 1u | (std::uint32_t{bits} << 16));
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, static_cast<std::uint32_t>(table.size()));
    Put32(b, 0);
    for (QRgb c : table) Put32(b, c & 0xffffff);
    return b;
}

// Rows of 32-bit pixels, given top row first, stored bottom-up.
Bytes Bits32(const std::vector<std::vector<std::uint32_t>>& rows) {
    Bytes b;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        for (std::uint32_t p : *row) Put32(b, p);
    return b;
}

// A record: fixed part of `fixed` bytes (type, size, bounds filled in), then the bitmaps.
struct Record {
    Bytes bytes;
    explicit Record(std::uint32_t type, std::size_t fixed) : bytes(fixed, 0) {
        Set32(bytes, 0, type);
    }
    void I(std::size_t at, std::int32_t v) { Set32(bytes, at, static_cast<std::uint32_t>(v)); }
    // Appends a bitmap and writes its offset/size fields at `fields`.
    void Bitmap(std::size_t fields, const Bytes& bmi, const Bytes& bits) {
        Set32(bytes, fields, static_cast<std::uint32_t>(bytes.size()));
        Set32(bytes, fields + 4, static_cast<std::uint32_t>(bmi.size()));
        bytes.insert(bytes.end(), bmi.begin(), bmi.end());
        Set32(bytes, fields + 8, static_cast<std::uint32_t>(bytes.size()));
        Set32(bytes, fields + 12, static_cast<std::uint32_t>(bits.size()));
        bytes.insert(bytes.end(), bits.begin(), bits.end());
        while (bytes.size() % 4) bytes.push_back(0);
    }
    void IdentityXform(std::size_t at) {
        Bytes x;
        for (float f : {1.f, 0.f, 0.f, 1.f, 0.f, 0.f}) PutFloat(x, f);
        std::copy(x.begin(), x.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    }
    ByteView View() {
        Set32(bytes, 4, static_cast<std::uint32_t>(bytes.size()));
        return ByteView(bytes.data(), bytes.size());
    }
};

Record StretchDiBits(QRect dest, QRect src, std::uint32_t rop, const Bytes& bmi,
                     const Bytes& bits) {
    Record r(81, 80);
    r.I(24, dest.x()), r.I(28, dest.y()), r.I(72, dest.width()), r.I(76, dest.height());
    r.I(32, src.x()), r.I(36, src.y()), r.I(40, src.width()), r.I(44, src.height());
    r.I(68, static_cast<std::int32_t>(rop));
    r.Bitmap(48, bmi, bits);
    return r;
}

// The blit records share their layout: BITBLT 100 bytes, the stretching ones 108, MASKBLT 128.
Record Blit(std::uint32_t type, QRect dest, QPoint src, QSize srcSize, std::uint32_t operation) {
    Record r(type, type == 76 ? 100 : (type == 78 ? 128 : 108));
    r.I(24, dest.x()), r.I(28, dest.y()), r.I(32, dest.width()), r.I(36, dest.height());
    r.I(40, static_cast<std::int32_t>(operation));
    r.I(44, src.x()), r.I(48, src.y());
    r.IdentityXform(52);
    if (type != 76 && type != 78) r.I(100, srcSize.width()), r.I(104, srcSize.height());
    return r;
}

// A device context over a small image: identity mapping unless a test sets one.
class ImageContext : public PlaybackContext {
  public:
    ImageContext(int w, int h, QRgb fill) : image_(w, h, QImage::Format_ARGB32_Premultiplied) {
        image_.fill(fill);
        painter_.begin(&image_);
    }
    QImage Result() {
        if (painter_.isActive()) painter_.end();
        return image_;
    }
    QRgb At(int x, int y) { return Result().pixel(x, y); }

    QPainter& Painter() override { return painter_; }
    QTransform LogicalToTarget() const override { return logical; }
    QTransform DeviceToTarget() const override { return device; }
    int StretchBltMode() const override { return stretchMode; }
    int Rop2() const override { return 13; }
    QColor TextColour() const override { return text; }
    QColor BackgroundColour() const override { return background; }
    int BackgroundMode() const override { return 2; }
    QBrush CurrentBrush() const override { return brush; }
    const QList<QRgb>& Palette() const override { return palette_; }
    bool ChargeBitmapBytes(std::int64_t bytes) override {
        if (bytes > left) {
            capReached = true;
            return false;
        }
        left -= bytes;
        return true;
    }
    std::int64_t BitmapBytesLeft() const override { return left; }
    void StorePatternBrush(std::uint32_t index, const QImage& pattern, bool mono) override {
        storedIndex = index;
        stored = pattern;
        storedMono = mono;
    }
    const PlayLimits& Limits() const override { return limits_; }

    QTransform logical;
    QTransform device;
    int stretchMode = 3;  // COLORONCOLOR
    QColor text = Qt::black;
    QColor background = Qt::white;
    QBrush brush = QBrush(Qt::white);
    std::int64_t left = 1 << 20;
    bool capReached = false;
    std::uint32_t storedIndex = 0;
    QImage stored;
    bool storedMono = false;

  private:
    QImage image_;
    QPainter painter_;
    QList<QRgb> palette_;
    PlayLimits limits_;
};

constexpr QRgb R = 0xffff0000, G = 0xff00ff00, B = 0xff0000ff, W = 0xffffffff, K = 0xff000000;

// Pixels of a 4×4 result, top row first.
std::vector<QRgb> Grid(ImageContext& c) {
    std::vector<QRgb> out;
    const QImage image = c.Result();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) out.push_back(image.pixel(x, y));
    return out;
}

struct PlacementCase {
    std::string name;
    QRect dest;
    QRect src;
    std::vector<QRgb> expected;
};
std::ostream& operator<<(std::ostream& os, const PlacementCase& c) {
    return os << c.name;
}

class StretchDiBitsPlacement : public testing::TestWithParam<PlacementCase> {};

// A 2×2 bitmap, red green over blue white, drawn into a 4×4 white image.
TEST_P(StretchDiBitsPlacement, PutsThePixelsWhereTheRecordSays) {
    const PlacementCase& c = GetParam();
    ImageContext context(4, 4, W);
    Record r = StretchDiBits(c.dest, c.src, 0x00CC0020, Bmi(2, 2, 32),
                             Bits32({{0xff0000, 0x00ff00}, {0x0000ff, 0xffffff}}));
    ASSERT_TRUE(PlayBitmapRecord(context, 81, r.View()));
    EXPECT_EQ(Grid(context), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StretchDiBitsPlacement,
    testing::Values(PlacementCase{"doubled",
                                  {0, 0, 4, 4},
                                  {0, 0, 2, 2},
                                  {R, R, G, G, R, R, G, G, B, B, W, W, B, B, W, W}},
                    PlacementCase{"mirrored_horizontally",
                                  {4, 0, -4, 4},
                                  {0, 0, 2, 2},
                                  {G, G, R, R, G, G, R, R, W, W, B, B, W, W, B, B}},
                    PlacementCase{"mirrored_vertically",
                                  {0, 4, 4, -4},
                                  {0, 0, 2, 2},
                                  {B, B, W, W, B, B, W, W, R, R, G, G, R, R, G, G}},
                    // Source rows of a bottom-up bitmap count from the bottom: row 0 is blue white.
                    PlacementCase{"source_rect_bottom_row",
                                  {0, 0, 4, 2},
                                  {0, 0, 2, 1},
                                  {B, B, W, W, B, B, W, W, W, W, W, W, W, W, W, W}},
                    PlacementCase{"source_rect_one_pixel",
                                  {1, 1, 2, 2},
                                  {1, 1, 1, 1},
                                  {W, W, W, W, W, G, G, W, W, G, G, W, W, W, W, W}},
                    PlacementCase{"source_partly_outside_the_bitmap",
                                  {0, 0, 4, 4},
                                  {1, 0, 2, 2},
                                  {G, G, W, W, G, G, W, W, W, W, W, W, W, W, W, W}}),
    [](const auto& info) { return info.param.name; });

struct RopCase {
    std::string name;
    std::uint32_t rop;
    std::function<std::uint32_t(std::uint32_t p, std::uint32_t s, std::uint32_t d)> expected;
};
std::ostream& operator<<(std::ostream& os, const RopCase& c) {
    return os << c.name;
}

class RasterOperations : public testing::TestWithParam<RopCase> {};

constexpr std::uint32_t kP = 0x0f0ff0, kS = 0x55aa0f, kD = 0x3366cc;

// One source pixel onto one destination pixel with a solid brush: the result is the
// operation's bitwise formula, whichever way it is carried out.
TEST_P(RasterOperations, CombinePatternSourceAndDestination) {
    const RopCase& c = GetParam();
    ImageContext context(2, 1, 0xff000000u | kD);
    context.brush = QBrush(QColor::fromRgb(kP));
    Record r = Blit(76, {0, 0, 1, 1}, {0, 0}, {1, 1}, c.rop);
    r.Bitmap(84, Bmi(1, 1, 32), Bits32({{kS}}));
    ASSERT_TRUE(PlayBitmapRecord(context, 76, r.View()));
    EXPECT_EQ(context.At(0, 0), 0xff000000u | (c.expected(kP, kS, kD) & 0xffffff))
        << std::hex << context.At(0, 0);
    EXPECT_EQ(context.At(1, 0), 0xff000000u | kD);  // outside the destination rectangle
}

INSTANTIATE_TEST_SUITE_P(
    Common, RasterOperations,
    testing::Values(
        RopCase{"SRCCOPY", 0x00CC0020, [](auto, auto s, auto) { return s; }},
        RopCase{"SRCPAINT", 0x00EE0086, [](auto, auto s, auto d) { return s | d; }},
        RopCase{"SRCAND", 0x008800C6, [](auto, auto s, auto d) { return s & d; }},
        RopCase{"SRCINVERT", 0x00660046, [](auto, auto s, auto d) { return s ^ d; }},
        RopCase{"SRCERASE", 0x00440328, [](auto, auto s, auto d) { return s & ~d; }},
        RopCase{"NOTSRCCOPY", 0x00330008, [](auto, auto s, auto) { return ~s; }},
        RopCase{"NOTSRCERASE", 0x001100A6, [](auto, auto s, auto d) { return ~(s | d); }},
        RopCase{"MERGECOPY", 0x00C000CA, [](auto p, auto s, auto) { return p & s; }},
        RopCase{"MERGEPAINT", 0x00BB0226, [](auto, auto s, auto d) { return ~s | d; }},
        RopCase{"PATCOPY", 0x00F00021, [](auto p, auto, auto) { return p; }},
        RopCase{"PATPAINT", 0x00FB0A09, [](auto p, auto s, auto d) { return p | ~s | d; }},
        RopCase{"PATINVERT", 0x005A0049, [](auto p, auto, auto d) { return p ^ d; }},
        RopCase{"DSTINVERT", 0x00550009, [](auto, auto, auto d) { return ~d; }},
        RopCase{"BLACKNESS", 0x00000042, [](auto, auto, auto) { return 0u; }},
        RopCase{"WHITENESS", 0x00FF0062, [](auto, auto, auto) { return 0xffffffu; }},
        RopCase{"NOP", 0x00AA0029, [](auto, auto, auto d) { return d; }}),
    [](const auto& info) { return info.param.name; });

// Without a source bitmap the blit fills with the brush under the operation.
TEST(BitmapRecords, BitBltWithoutBitmapFillsWithTheBrush) {
    ImageContext context(4, 4, W);
    context.brush = QBrush(QColor(R));
    Record r = Blit(76, {1, 1, 2, 2}, {0, 0}, {}, 0x00F00021);
    ASSERT_TRUE(PlayBitmapRecord(context, 76, r.View()));
    EXPECT_EQ(Grid(context), (std::vector<QRgb>{W, W, W, W, W, R, R, W, W, R, R, W, W, W, W, W}));
}

TEST(BitmapRecords, TernaryOperationsMatchTheirTruthTables) {
    // PSDPxax, the classic transparent-blit operation: ((D ^ P) & S) ^ D... or its table.
    for (std::uint8_t rop : {std::uint8_t{0xB8}, std::uint8_t{0xE2}, std::uint8_t{0x96}}) {
        for (std::uint32_t bits = 0; bits < 8; ++bits) {
            const std::uint32_t p = (bits & 4) ? ~0u : 0, s = (bits & 2) ? ~0u : 0,
                                d = (bits & 1) ? ~0u : 0;
            EXPECT_EQ(tavlex::mf::RasterOp::Apply(rop, p, s, d) & 1, (rop >> bits) & 1u);
        }
    }
    // Splits of the common operations need no destination pixels beyond one composition.
    EXPECT_TRUE(tavlex::mf::RasterOp::SplitOf(0xEE).has_value());
    EXPECT_FALSE(tavlex::mf::RasterOp::SplitOf(0xB8).has_value());
}

TEST(BitmapRecords, MaskBltUsesForegroundAndBackgroundOperations) {
    ImageContext context(2, 1, B);
    context.brush = QBrush(QColor(G));
    // Foreground SRCCOPY where the mask is 1; background PATCOPY where it is 0.
    Record r = Blit(78, {0, 0, 2, 1}, {0, 0}, {}, 0xF0CC0020);
    r.Bitmap(84, Bmi(2, 1, 32), Bits32({{0xff0000, 0xff0000}}));
    r.Bitmap(112, Bmi(2, 1, 1, {0x000000, 0xffffff}), Bytes{0x80, 0, 0, 0});
    ASSERT_TRUE(PlayBitmapRecord(context, 78, r.View()));
    EXPECT_EQ(context.At(0, 0), R);
    EXPECT_EQ(context.At(1, 0), G);
}

TEST(BitmapRecords, MaskBltBackgroundNopKeepsTheDestination) {
    ImageContext context(2, 1, B);
    Record r = Blit(78, {0, 0, 2, 1}, {0, 0}, {}, 0xAACC0020);
    r.Bitmap(84, Bmi(2, 1, 32), Bits32({{0xff0000, 0xff0000}}));
    r.Bitmap(112, Bmi(2, 1, 1, {0x000000, 0xffffff}), Bytes{0x40, 0, 0, 0});
    ASSERT_TRUE(PlayBitmapRecord(context, 78, r.View()));
    EXPECT_EQ(context.At(0, 0), B);
    EXPECT_EQ(context.At(1, 0), R);
}

TEST(BitmapRecords, AlphaBlendPerPixelAndConstantAlpha) {
    {
        ImageContext context(1, 1, W);
        Record r = Blit(114, {0, 0, 1, 1}, {0, 0}, {1, 1}, 0x01FF0000);  // AC_SRC_ALPHA, 255
        r.Bitmap(84, Bmi(1, 1, 32), Bits32({{0x80800000}}));             // premultiplied red
        ASSERT_TRUE(PlayBitmapRecord(context, 114, r.View()));
        const QRgb p = context.At(0, 0);
        EXPECT_NEAR(qRed(p), 255, 2);
        EXPECT_NEAR(qGreen(p), 127, 2);
        EXPECT_NEAR(qBlue(p), 127, 2);
    }
    {
        ImageContext context(1, 1, B);
        Record r = Blit(114, {0, 0, 1, 1}, {0, 0}, {1, 1}, 0x00800000);  // constant alpha 128
        r.Bitmap(84, Bmi(1, 1, 32), Bits32({{0x00ff0000}}));             // its alpha is ignored
        ASSERT_TRUE(PlayBitmapRecord(context, 114, r.View()));
        const QRgb p = context.At(0, 0);
        EXPECT_NEAR(qRed(p), 128, 2);
        EXPECT_NEAR(qBlue(p), 127, 2);
    }
}

TEST(BitmapRecords, TransparentBltSkipsTheKeyColour) {
    ImageContext context(2, 1, B);
    Record r = Blit(116, {0, 0, 2, 1}, {0, 0}, {2, 1}, 0x0000FF00);  // key: green
    r.Bitmap(84, Bmi(2, 1, 32), Bits32({{0x00ff00, 0xff0000}}));
    ASSERT_TRUE(PlayBitmapRecord(context, 116, r.View()));
    EXPECT_EQ(context.At(0, 0), B);
    EXPECT_EQ(context.At(1, 0), R);
}

TEST(BitmapRecords, MonochromeBlitTakesTextAndBackgroundColours) {
    ImageContext context(2, 1, W);
    context.text = QColor(R);
    context.background = QColor(G);
    Record r = Blit(76, {0, 0, 2, 1}, {0, 0}, {}, 0x00CC0020);
    r.Bitmap(84, Bmi(2, 1, 1, {0x000000, 0xffffff}), Bytes{0x40, 0, 0, 0});
    ASSERT_TRUE(PlayBitmapRecord(context, 76, r.View()));
    EXPECT_EQ(context.At(0, 0), R);  // black: text colour
    EXPECT_EQ(context.At(1, 0), G);  // white: background colour
}

TEST(BitmapRecords, HalftoneAveragesWhatAShrinkDrops) {
    const Bytes bits = Bits32({{0x000000, 0xffffff}});
    for (int mode : {3, 4}) {
        ImageContext context(1, 1, R);
        context.stretchMode = mode;
        Record r = StretchDiBits({0, 0, 1, 1}, {0, 0, 2, 1}, 0x00CC0020, Bmi(2, 1, 32), bits);
        ASSERT_TRUE(PlayBitmapRecord(context, 81, r.View()));
        const int grey = qGreen(context.At(0, 0));
        if (mode == 4) {
            EXPECT_NEAR(grey, 128, 3);
        } else {
            EXPECT_TRUE(grey == 0 || grey == 255) << grey;
        }
    }
}

// BLACKONWHITE keeps a one-pixel black line that a shrink by four would drop, WHITEONBLACK a
// white one, on a mirrored destination too; COLORONCOLOR and HALFTONE do not combine that way.
TEST(BitmapRecords, ShrinkKeepsLinesInBlackOnWhiteAndWhiteOnBlack) {
    const std::vector<std::uint32_t> blackLine = {0xffffff, 0xffffff, 0xffffff, 0x000000,
                                                  0xffffff, 0xffffff, 0xffffff, 0xffffff};
    std::vector<std::uint32_t> whiteLine;
    for (std::uint32_t p : blackLine) whiteLine.push_back(p ^ 0xffffff);
    struct Case {
        int mode;
        const std::vector<std::uint32_t>* row;
        QRect dest;
        int lineAt;  // the destination column that should show the line; -1: no check
        QRgb line, rest;
    };
    for (const Case& c :
         {Case{1, &blackLine, {0, 0, 2, 2}, 0, K, W}, Case{1, &blackLine, {2, 0, -2, 2}, 1, K, W},
          Case{2, &whiteLine, {0, 0, 2, 2}, 0, W, K}}) {
        ImageContext context(2, 2, R);
        context.stretchMode = c.mode;
        Record r = StretchDiBits(c.dest, {0, 0, 8, 2}, 0x00CC0020, Bmi(8, 2, 32),
                                 Bits32({*c.row, *c.row}));
        ASSERT_TRUE(PlayBitmapRecord(context, 81, r.View()));
        for (int y = 0; y < 2; ++y) {
            EXPECT_EQ(context.At(c.lineAt, y), c.line) << "mode " << c.mode << " row " << y;
            EXPECT_EQ(context.At(1 - c.lineAt, y), c.rest) << "mode " << c.mode << " row " << y;
        }
    }
    for (int mode : {3, 4}) {
        ImageContext context(2, 2, R);
        context.stretchMode = mode;
        Record r = StretchDiBits({0, 0, 2, 2}, {0, 0, 8, 2}, 0x00CC0020, Bmi(8, 2, 32),
                                 Bits32({blackLine, blackLine}));
        ASSERT_TRUE(PlayBitmapRecord(context, 81, r.View()));
        EXPECT_NE(context.At(0, 0), K) << "mode " << mode;
    }
}

TEST(BitmapRecords, WorldTransformRotatesTheBitmap) {
    ImageContext context(2, 2, W);
    // A quarter turn: logical x runs down, logical y runs left.
    context.logical = QTransform(0, 1, -1, 0, 2, 0);
    Record r = StretchDiBits({0, 0, 2, 1}, {0, 0, 2, 1}, 0x00CC0020, Bmi(2, 1, 32),
                             Bits32({{0xff0000, 0x0000ff}}));
    ASSERT_TRUE(PlayBitmapRecord(context, 81, r.View()));
    EXPECT_EQ(context.At(1, 0), R);
    EXPECT_EQ(context.At(1, 1), B);
    EXPECT_EQ(context.At(0, 0), W);
}

TEST(BitmapRecords, SetDiBitsToDeviceDrawsTheBandItHolds) {
    ImageContext context(2, 4, W);
    // A 2×4 bottom-up bitmap of which the record holds scans 1 and 2 (from the bottom).
    Record r(80, 76);
    r.I(24, 0), r.I(28, 0), r.I(32, 0), r.I(36, 0), r.I(40, 2), r.I(44, 4);
    r.I(68, 1), r.I(72, 2);
    r.Bitmap(48, Bmi(2, 4, 32), Bits32({{0x0000ff, 0x0000ff}, {0xff0000, 0xff0000}}));
    ASSERT_TRUE(PlayBitmapRecord(context, 80, r.View()));
    EXPECT_EQ(context.At(0, 0), W);  // scan 3: not in the record
    EXPECT_EQ(context.At(0, 1), B);  // scan 2
    EXPECT_EQ(context.At(1, 2), R);  // scan 1
    EXPECT_EQ(context.At(0, 3), W);  // scan 0: not in the record
}

TEST(BitmapRecords, MonochromePatternBrushIsStoredAsTwoColourPattern) {
    ImageContext context(1, 1, W);
    Record r(93, 32);
    r.I(8, 5);
    r.I(12, 0);
    r.Bitmap(16, Bmi(8, 1, 1, {0x000000, 0xffffff}), Bytes{0xf0, 0, 0, 0});
    ASSERT_TRUE(PlayBitmapRecord(context, 93, r.View()));
    EXPECT_EQ(context.storedIndex, 5u);
    EXPECT_TRUE(context.storedMono);
    ASSERT_EQ(context.stored.format(), QImage::Format_Mono);
    EXPECT_EQ(context.stored.pixelIndex(0, 0), 1);
    EXPECT_EQ(context.stored.pixelIndex(7, 0), 0);
}

struct DamagedCase {
    std::string name;
    std::function<void(Record&)> damage;
};
std::ostream& operator<<(std::ostream& os, const DamagedCase& c) {
    return os << c.name;
}

class DamagedStretchDiBits : public testing::TestWithParam<DamagedCase> {};

// A damaged record draws nothing and says so; nothing is read outside it.
TEST_P(DamagedStretchDiBits, IsRefusedWithoutDrawing) {
    ImageContext context(2, 2, W);
    Record r = StretchDiBits({0, 0, 2, 2}, {0, 0, 2, 2}, 0x00CC0020, Bmi(2, 2, 32),
                             Bits32({{0xff0000, 0xff0000}, {0xff0000, 0xff0000}}));
    GetParam().damage(r);
    EXPECT_FALSE(PlayBitmapRecord(context, 81, r.View()));
    EXPECT_EQ(context.At(0, 0), W);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DamagedStretchDiBits,
    testing::Values(DamagedCase{"header_offset_past_the_end",
                                [](Record& r) { r.I(48, 0x7ffffff0); }},
                    DamagedCase{"header_size_past_the_end", [](Record& r) { r.I(52, 0x1000); }},
                    DamagedCase{"bits_wrap_32_bits", [](Record& r) { r.I(60, -8); }},
                    DamagedCase{"bits_too_short", [](Record& r) { r.I(60, 4); }},
                    DamagedCase{"header_garbage", [](Record& r) { r.I(80, 7); }},
                    DamagedCase{"record_cut_short", [](Record& r) { r.bytes.resize(64); }}),
    [](const auto& info) { return info.param.name; });

TEST(BitmapRecords, BitmapOverThePageCapStopsWithoutDecoding) {
    ImageContext context(2, 2, W);
    context.left = 8;  // fewer bytes than the 2×2 bitmap decodes into
    Record r = StretchDiBits({0, 0, 2, 2}, {0, 0, 2, 2}, 0x00CC0020, Bmi(2, 2, 32),
                             Bits32({{0xff0000, 0xff0000}, {0xff0000, 0xff0000}}));
    EXPECT_FALSE(PlayBitmapRecord(context, 81, r.View()));
    EXPECT_TRUE(context.capReached);
    EXPECT_EQ(context.At(0, 0), W);
}

// DSPDxax: the brush where the source is white, the destination where it is black; no single
// composition does it, so the source selects between the two.
TEST(BitmapRecords, SourceSelectsBetweenPatternAndDestination) {
    ImageContext context(3, 1, B);
    context.brush = QBrush(QColor(R));
    Record r = Blit(76, {0, 0, 3, 1}, {0, 0}, {}, 0x00E20746);
    r.Bitmap(84, Bmi(3, 1, 32), Bits32({{0xffffff, 0x000000, 0xffffff}}));
    ASSERT_TRUE(PlayBitmapRecord(context, 76, r.View()));
    EXPECT_EQ(context.At(0, 0), R);
    EXPECT_EQ(context.At(1, 0), B);
    EXPECT_EQ(context.At(2, 0), R);
}

// A page turned by a quarter: the smooth shrink still decodes straight to device pixels and
// turns the small result.
TEST(BitmapRecords, HalftoneShrinkOnAQuarterTurn) {
    ImageContext context(1, 2, W);
    context.stretchMode = 4;
    context.logical = QTransform(0, 1, -1, 0, 1, 0);
    const Bytes bits = Bits32(
        {{0xff0000, 0xff0000, 0x0000ff, 0x0000ff}, {0xff0000, 0xff0000, 0x0000ff, 0x0000ff}});
    Record r = StretchDiBits({0, 0, 2, 1}, {0, 0, 4, 2}, 0x00CC0020, Bmi(4, 2, 32), bits);
    ASSERT_TRUE(PlayBitmapRecord(context, 81, r.View()));
    EXPECT_EQ(context.At(0, 0), R);
    EXPECT_EQ(context.At(0, 1), B);
}

}  // namespace
