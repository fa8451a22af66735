#include "metafile/Dib.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

using tavlex::mf::ByteView;
using tavlex::mf::Dib;
using tavlex::mf::DibColourUse;
using tavlex::mf::DibDecodeOptions;
using tavlex::mf::DibImage;

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::uint32_t v) {
    b.push_back(v & 0xff);
    b.push_back((v >> 8) & 0xff);
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xffff);
    Put16(b, v >> 16);
}

// A header block: header of `size` bytes (40 info, 108 V4, 124 V5), then masks and table.
struct HeaderSpec {
    std::int32_t width;
    std::int32_t height;
    std::uint16_t bits;
    std::uint32_t compression = 0;
    std::uint32_t used = 0;
    std::uint32_t size = 40;
    std::vector<std::uint32_t> masks = {};
    std::vector<std::uint32_t> table = {};  // 0x00RRGGBB, or palette indices for Palette use
    bool indices = false;
    std::uint32_t sizeImage = 0;
};

Bytes Header(const HeaderSpec& s) {
    Bytes b;
    Put32(b, s.size);
    Put32(b, static_cast<std::uint32_t>(s.width));
    Put32(b, static_cast<std::uint32_t>(s.height));
    Put16(b, 1);
    Put16(b, s.bits);
    Put32(b, s.compression);
    Put32(b, s.sizeImage);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, s.used);
    Put32(b, 0);
    if (s.size == 40) {
        for (auto m : s.masks) Put32(b, m);
    } else {
        for (std::size_t i = 0; i < 4; ++i) Put32(b, i < s.masks.size() ? s.masks[i] : 0);
        b.resize(s.size, 0);
    }
    for (auto c : s.table) {
        if (s.indices) {
            Put16(b, c);
        } else {
            Put32(b, c);
        }
    }
    return b;
}

Bytes CoreHeader(std::uint16_t w, std::uint16_t h, std::uint16_t bits,
                 std::initializer_list<std::uint32_t> triples) {
    Bytes b;
    Put32(b, 12);
    Put16(b, w);
    Put16(b, h);
    Put16(b, 1);
    Put16(b, bits);
    for (auto c : triples) {
        b.push_back(c & 0xff);
        b.push_back((c >> 8) & 0xff);
        b.push_back((c >> 16) & 0xff);
    }
    return b;
}

constexpr QRgb R = 0xffff0000, G = 0xff00ff00, B = 0xff0000ff, K = 0xff000000, W = 0xffffffff;
constexpr QRgb T = 0;  // transparent: the destination shows through

// Pixels of the decoded image, row by row from the top, premultiplied ARGB.
std::vector<QRgb> Pixels(const DibImage& dib) {
    std::vector<QRgb> out;
    const QImage image = dib.image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) out.push_back(image.pixel(x, y));
    return out;
}

struct DecodeCase {
    std::string name;
    Bytes header;
    Bytes bits;
    int width;
    std::vector<QRgb> expected;
    DibDecodeOptions options = {};
};

std::ostream& operator<<(std::ostream& os, const DecodeCase& c) {
    return os << c.name;
}

class DibDecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DibDecodeTest, GivesTheExpectedPixels) {
    const DecodeCase& c = GetParam();
    const DibImage dib = Dib::Decode(ByteView(c.header.data(), c.header.size()),
                                     ByteView(c.bits.data(), c.bits.size()), c.options);
    ASSERT_FALSE(dib.IsNull());
    EXPECT_EQ(dib.image.width(), c.width);
    EXPECT_EQ(Pixels(dib), c.expected);
}

const QRgb kPalette[] = {0xff112233, 0xff445566, 0xff778899};

DibDecodeOptions PaletteUse() {
    DibDecodeOptions o;
    o.use = DibColourUse::Palette;
    o.palette = kPalette;
    return o;
}
DibDecodeOptions Mono() {
    DibDecodeOptions o;
    o.monochromeColours = std::pair<QRgb, QRgb>(0x00ff00, 0x0000ff);
    return o;
}
DibDecodeOptions Alpha() {
    DibDecodeOptions o;
    o.keepAlpha = true;
    return o;
}
DibDecodeOptions StoredRows(int rows) {
    DibDecodeOptions o;
    o.storedRows = rows;
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    Uncompressed, DibDecodeTest,
    testing::Values(
        // Bottom-up: the first stored row is the bottom one; rows padded to four bytes.
        DecodeCase{"bpp1_bottom_up",
                   Header({.width = 3, .height = 2, .bits = 1, .table = {0xff0000, 0x0000ff}}),
                   {0b10100000, 0, 0, 0, 0b01000000, 0, 0, 0},
                   3,
                   {R, B, R, B, R, B}},
        DecodeCase{"bpp1_monochrome_as_text_and_background",
                   Header({.width = 2, .height = 1, .bits = 1, .table = {0xff0000, 0xffffff}}),
                   {0b01000000, 0, 0, 0},
                   2,
                   {G, B},
                   Mono()},
        // Three table entries: index 5 has none and shows black.
        DecodeCase{"bpp4_short_used_table",
                   Header({.width = 3,
                           .height = 1,
                           .bits = 4,
                           .used = 3,
                           .table = {0xff0000, 0x00ff00, 0x0000ff}}),
                   {0x12, 0x50, 0, 0},
                   3,
                   {G, B, K}},
        DecodeCase{
            "bpp8_top_down",
            Header({.width = 2, .height = -2, .bits = 8, .used = 2, .table = {0xffffff, 0x00ff00}}),
            {0, 1, 0, 0, 1, 0, 0, 0},
            2,
            {W, G, G, W}},
        DecodeCase{"bpp8_palette_indices",
                   Header({.width = 3,
                           .height = 1,
                           .bits = 8,
                           .used = 3,
                           .table = {2, 0, 4},
                           .indices = true}),
                   {0, 1, 2, 0},
                   3,
                   {0xff778899, 0xff112233, 0xff445566},  // index 4 wraps round the palette
                   PaletteUse()},
        DecodeCase{"bpp16_rgb555",
                   Header({.width = 3, .height = 1, .bits = 16}),
                   {0x00, 0x7c, 0x01, 0x00, 0xff, 0x7f, 0, 0},
                   3,
                   {R, 0xff000008, W}},
        DecodeCase{"bpp16_bitfields_565",
                   Header({.width = 3,
                           .height = 1,
                           .bits = 16,
                           .compression = 3,
                           .masks = {0xf800, 0x07e0, 0x001f}}),
                   {0x00, 0xf8, 0xe0, 0x07, 0x20, 0x00, 0, 0},
                   3,
                   {R, G, 0xff000400}},
        DecodeCase{"bpp16_v5_header_masks",
                   Header({.width = 1,
                           .height = 1,
                           .bits = 16,
                           .compression = 3,
                           .size = 124,
                           .masks = {0x001f, 0x07e0, 0xf800}}),
                   {0x1f, 0x00, 0, 0},
                   1,
                   {R}},
        DecodeCase{"bpp24_padding_bottom_up",
                   Header({.width = 2, .height = 2, .bits = 24}),
                   {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0},
                   2,
                   {B, W, R, G}},
        DecodeCase{"bpp32_ignores_fourth_byte",
                   Header({.width = 2, .height = 1, .bits = 32}),
                   {255, 0, 0, 0, 0, 0, 255, 0x80},
                   2,
                   {B, R}},
        DecodeCase{"bpp32_keeps_premultiplied_alpha",
                   Header({.width = 2, .height = 1, .bits = 32}),
                   {0, 0, 0x80, 0x80, 0xff, 0, 0, 0x40},
                   2,
                   {0x80800000, 0x40000040},  // a colour above its alpha is clamped
                   Alpha()},
        DecodeCase{"bpp32_ten_bit_fields",
                   Header({.width = 2,
                           .height = 1,
                           .bits = 32,
                           .compression = 3,
                           .masks = {0x000003ff, 0x000ffc00, 0x3ff00000}}),
                   {0xff, 0x03, 0, 0, 0x00, 0x00, 0x00, 0x20},
                   2,
                   {R, 0xff000080}},
        DecodeCase{"alpha_bitfields_opaque_unless_blending",
                   Header({.width = 1,
                           .height = 1,
                           .bits = 32,
                           .compression = 6,
                           .masks = {0xff0000, 0xff00, 0xff, 0xff000000}}),
                   {0xff, 0, 0, 0x00},
                   1,
                   {B}},
        DecodeCase{"core_header_triples",
                   CoreHeader(2, 1, 8, {0x00ff00, 0xff0000}),
                   {1, 0, 0, 0},
                   2,
                   {R, G}},
        // The table is cut off after the first entry: the second is black.
        DecodeCase{"table_cut_short",
                   Header({.width = 2, .height = 1, .bits = 1, .table = {0xffffff}}),
                   {0b01000000, 0, 0, 0},
                   2,
                   {W, K}},
        DecodeCase{"rows_missing_stay_transparent",
                   Header({.width = 1, .height = 3, .bits = 24}),
                   {255, 0, 0, 0, 0, 0, 255, 0},
                   1,
                   {T, R, B},
                   StoredRows(2)},
        DecodeCase{"bits_shorter_than_the_bitmap",
                   Header({.width = 1, .height = 2, .bits = 24}),
                   {255, 0, 0, 0, 0, 255},
                   1,
                   {T, B}}),
    [](const auto& info) { return info.param.name; });

// Run-length codes: runs, end of line, delta, absolute runs (padded), end of bitmap; pixels
// the codes skip stay transparent.
INSTANTIATE_TEST_SUITE_P(
    RunLength, DibDecodeTest,
    testing::Values(DecodeCase{"rle8_runs_absolute_delta",
                               Header({.width = 4,
                                       .height = 3,
                                       .bits = 8,
                                       .compression = 1,
                                       .used = 3,
                                       .table = {0xff0000, 0x00ff00, 0x0000ff}}),
                               {2, 1, 0, 0,        // bottom row: two greens, end of line
                                0, 3, 2, 0, 1, 0,  // absolute run of three, padded
                                0, 2, 0, 1,        // delta one row up
                                1, 2, 0, 1},       // one blue, end of bitmap
                               4,
                               {T, T, T, B, B, R, G, T, G, G, T, T}},
                    DecodeCase{"rle4_alternating_nibbles",
                               Header({.width = 6,
                                       .height = 1,
                                       .bits = 4,
                                       .compression = 2,
                                       .used = 3,
                                       .table = {0xff0000, 0x00ff00, 0x0000ff}}),
                               {3, 0x12, 0, 3, 0x20, 0x10, 0, 1},
                               6,
                               {G, B, G, B, R, G}},
                    DecodeCase{"rle8_run_past_row_end_is_clipped",
                               Header({.width = 2,
                                       .height = 2,
                                       .bits = 8,
                                       .compression = 1,
                                       .used = 1,
                                       .table = {0xff0000}}),
                               {200, 0, 0, 0, 1, 0},
                               2,
                               {R, T, R, R}},
                    DecodeCase{"rle8_delta_beyond_image_ends",
                               Header({.width = 2,
                                       .height = 2,
                                       .bits = 8,
                                       .compression = 1,
                                       .used = 1,
                                       .table = {0x0000ff}}),
                               {1, 0, 0, 2, 0, 9, 1, 0},
                               2,
                               {T, T, B, T}},
                    DecodeCase{"rle8_truncated_absolute_run",
                               Header({.width = 4,
                                       .height = 1,
                                       .bits = 8,
                                       .compression = 1,
                                       .used = 1,
                                       .table = {0x00ff00}}),
                               {1, 0, 0, 6, 0, 0},
                               4,
                               {G, T, T, T}},
                    DecodeCase{"rle8_odd_trailing_byte",
                               Header({.width = 2,
                                       .height = 1,
                                       .bits = 8,
                                       .compression = 1,
                                       .used = 1,
                                       .table = {0x00ff00}}),
                               {2, 0, 0},
                               2,
                               {G, G}}),
    [](const auto& info) { return info.param.name; });

struct InvalidCase {
    std::string name;
    Bytes header;
    Bytes bits;
};
std::ostream& operator<<(std::ostream& os, const InvalidCase& c) {
    return os << c.name;
}

class DibInvalidTest : public testing::TestWithParam<InvalidCase> {};

TEST_P(DibInvalidTest, GivesNullAndSpendsNothing) {
    const InvalidCase& c = GetParam();
    std::int64_t budget = 1 << 20;
    DibDecodeOptions options;
    options.budget = &budget;
    const DibImage dib = Dib::Decode(ByteView(c.header.data(), c.header.size()),
                                     ByteView(c.bits.data(), c.bits.size()), options);
    EXPECT_TRUE(dib.IsNull());
    EXPECT_EQ(budget, 1 << 20);
}

Bytes Header40(std::int32_t w, std::int32_t h, std::uint16_t bits, std::uint32_t compression = 0) {
    return Header({.width = w, .height = h, .bits = bits, .compression = compression});
}

INSTANTIATE_TEST_SUITE_P(
    Refused, DibInvalidTest,
    testing::Values(
        InvalidCase{"zero_width", Header40(0, 1, 24), Bytes(4)},
        InvalidCase{"zero_height", Header40(1, 0, 24), Bytes(4)},
        InvalidCase{"negative_width", Header40(-4, 1, 24), Bytes(16)},
        InvalidCase{"most_negative_height", Header40(1, INT32_MIN, 24), Bytes(4)},
        InvalidCase{"seven_bits", Header40(1, 1, 7), Bytes(4)},
        InvalidCase{"bitfields_at_24_bits", Header40(1, 1, 24, 3), Bytes(4)},
        InvalidCase{"rle_top_down", Header40(2, -2, 8, 1), Bytes{0, 1}},
        InvalidCase{"rle_with_wrong_depth", Header40(2, 2, 4, 1), Bytes{0, 1}},
        InvalidCase{"unknown_compression", Header40(1, 1, 32, 11), Bytes(4)},
        InvalidCase{"header_size_39",
                    [] {
                        Bytes b = Header40(1, 1, 24);
                        b[0] = 39;
                        return b;
                    }(),
                    Bytes(4)},
        InvalidCase{"header_block_truncated", Bytes{40, 0, 0, 0, 1, 0}, Bytes(4)},
        InvalidCase{"bitfield_masks_missing", Header40(1, 1, 16, 3), Bytes(4)},
        InvalidCase{"no_complete_row", Header40(2, 1, 24), Bytes(7)},
        // Width × bits per pixel overflows 32 bits; the stride must not wrap to something small.
        InvalidCase{"stride_overflows_32_bits", Header40(0x7fffffff, 1, 32), Bytes(16)},
        InvalidCase{"huge_dimensions_few_bits", Header40(60000, 60000, 24), Bytes(180000)},
        InvalidCase{"over_budget", Header40(1024, 1024, 8), Bytes(1024 * 1024)},
        InvalidCase{"png_damaged", Header({.width = 4, .height = 4, .bits = 0, .compression = 5}),
                    Bytes{0x89, 'P', 'N', 'G', 1, 2, 3}},
        InvalidCase{"jpeg_empty", Header({.width = 4, .height = 4, .bits = 0, .compression = 4}),
                    Bytes{}}),
    [](const auto& info) { return info.param.name; });

TEST(DibDecode, BudgetIsSpentOnTheDecodedBytes) {
    const Bytes header = Header40(2, 2, 24);
    const Bytes bits(16, 0x7f);
    std::int64_t budget = 100;
    DibDecodeOptions options;
    options.budget = &budget;
    ASSERT_FALSE(Dib::Decode(ByteView(header.data(), header.size()),
                             ByteView(bits.data(), bits.size()), options)
                     .IsNull());
    EXPECT_EQ(budget, 100 - 16);
    budget = 15;
    EXPECT_TRUE(Dib::Decode(ByteView(header.data(), header.size()),
                            ByteView(bits.data(), bits.size()), options)
                    .IsNull());
}

TEST(DibDecode, TopDownAndBottomUpGiveTheSameImage) {
    Bytes bottomUp, topDown;
    for (int stored = 0; stored < 3; ++stored)
        for (int x = 0; x < 3; ++x) {
            bottomUp.insert(bottomUp.end(),
                            {std::uint8_t(x * 40), std::uint8_t(stored * 90), std::uint8_t(7)});
        }
    for (int row = 2; row >= 0; --row) {
        for (int x = 0; x < 3; ++x) {
            topDown.insert(topDown.end(),
                           {std::uint8_t(x * 40), std::uint8_t(row * 90), std::uint8_t(7)});
        }
    }
    // Restore the row padding of each 9-byte row.
    auto pad = [](const Bytes& packed) {
        Bytes out;
        for (int r = 0; r < 3; ++r) {
            out.insert(out.end(), packed.begin() + r * 9, packed.begin() + r * 9 + 9);
            out.insert(out.end(), 3, 0);
        }
        return out;
    };
    const Bytes up = Header40(3, 3, 24), down = Header40(3, -3, 24);
    const Bytes a = pad(bottomUp), b = pad(topDown);
    const DibImage first =
        Dib::Decode(ByteView(up.data(), up.size()), ByteView(a.data(), a.size()), {});
    const DibImage second =
        Dib::Decode(ByteView(down.data(), down.size()), ByteView(b.data(), b.size()), {});
    ASSERT_FALSE(first.IsNull());
    EXPECT_EQ(first.image, second.image);
    EXPECT_EQ(qGreen(first.image.pixel(0, 0)), 180);  // the last stored row of a bottom-up bitmap
}

TEST(DibDecode, RegionDecodesOnlyThatPart) {
    const Bytes full = Header({.width = 4,
                               .height = -2,
                               .bits = 8,
                               .used = 4,
                               .table = {0x000000, 0xff0000, 0x00ff00, 0x0000ff}});
    const Bytes bits{0, 1, 2, 3, 3, 2, 1, 0};
    const QRect region(1, 1, 5, 5);
    std::int64_t budget = 1000;
    DibDecodeOptions options;
    options.budget = &budget;
    const DibImage dib = Dib::Decode(ByteView(full.data(), full.size()),
                                     ByteView(bits.data(), bits.size()), options, &region);
    ASSERT_FALSE(dib.IsNull());
    EXPECT_EQ(dib.rect, QRect(1, 1, 3, 1));
    EXPECT_EQ(Pixels(dib), (std::vector<QRgb>{G, R, K}));
    EXPECT_EQ(budget, 1000 - 12);
}

Bytes Encoded(const QImage& image, const char* format) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format, 95));
    return Bytes(data.begin(), data.end());
}

TEST(DibDecode, EmbeddedPngAndJpeg) {
    QImage source(8, 8, QImage::Format_RGB32);
    source.fill(QColor(200, 40, 10));
    for (int x = 0; x < 8; ++x) source.setPixel(x, 0, qRgb(0, 0, 250));

    const Bytes png = Encoded(source, "png");
    const Bytes pngHeader = Header({.width = 8,
                                    .height = 8,
                                    .bits = 0,
                                    .compression = 5,
                                    .sizeImage = static_cast<std::uint32_t>(png.size())});
    Bytes pngBits = png;
    pngBits.resize(png.size() + 13, 0xcc);  // bytes past the stored size are not image data
    const DibImage fromPng = Dib::Decode(ByteView(pngHeader.data(), pngHeader.size()),
                                         ByteView(pngBits.data(), pngBits.size()), {});
    ASSERT_FALSE(fromPng.IsNull());
    EXPECT_EQ(fromPng.image.convertToFormat(QImage::Format_RGB32), source);

    const Bytes jpeg = Encoded(source, "jpeg");
    const Bytes jpegHeader = Header({.width = 8, .height = 8, .bits = 0, .compression = 4});
    const DibImage fromJpeg = Dib::Decode(ByteView(jpegHeader.data(), jpegHeader.size()),
                                          ByteView(jpeg.data(), jpeg.size()), {});
    ASSERT_FALSE(fromJpeg.IsNull());
    const QRgb middle = fromJpeg.image.pixel(4, 5);
    EXPECT_NEAR(qRed(middle), 200, 8);
    EXPECT_NEAR(qGreen(middle), 40, 8);
    EXPECT_NEAR(qBlue(middle), 10, 8);
}

}  // namespace

namespace {

// The exact area average of `source` shrunk to w × h, in doubles: what a smooth shrink means.
QRgb BoxAverage(const QImage& source, const QRect& from, int w, int h, int ox, int oy) {
    const double sx = double(from.width()) / w, sy = double(from.height()) / h;
    double sum[3] = {0, 0, 0}, area = 0;
    for (int y = from.top(); y <= from.bottom(); ++y) {
        const double ry = std::max(0.0, std::min(y + 1.0 - from.top(), (oy + 1) * sy) -
                                            std::max(double(y - from.top()), oy * sy));
        for (int x = from.left(); x <= from.right(); ++x) {
            const double rx = std::max(0.0, std::min(x + 1.0 - from.left(), (ox + 1) * sx) -
                                                std::max(double(x - from.left()), ox * sx));
            const QRgb p = source.pixel(x, y);
            sum[0] += qRed(p) * rx * ry, sum[1] += qGreen(p) * rx * ry,
                sum[2] += qBlue(p) * rx * ry;
            area += rx * ry;
        }
    }
    return qRgb(qRound(sum[0] / area), qRound(sum[1] / area), qRound(sum[2] / area));
}

struct ShrinkCase {
    int bits;
    QRect source;
    QSize size;
    int width = 13;  // wide enough rows take the wide-register paths as well as the tail
};

class DibShrinkTest : public testing::TestWithParam<ShrinkCase> {};

// Decoding straight into a smaller image averages the covered source area (within rounding),
// for the raw 24-bit rows and for converted ones alike.
TEST_P(DibShrinkTest, AveragesTheCoveredArea) {
    const ShrinkCase& c = GetParam();
    const int w = c.width, h = 11;
    QImage expectedSource(w, h, QImage::Format_RGB32);
    Bytes bits;
    const int stride = ((w * c.bits + 31) / 32) * 4;
    bits.resize(static_cast<std::size_t>(stride) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const QRgb p =
                qRgb((x * 37 + y * 11) & 0xff, (x * 5 + y * 29) & 0xff, (x * y * 7) & 0xff);
            expectedSource.setPixel(x, y, p);
            std::uint8_t* at = bits.data() + std::size_t(h - 1 - y) * stride + x * (c.bits / 8);
            at[0] = qBlue(p), at[1] = qGreen(p), at[2] = qRed(p);
        }
    }
    const Bytes header = Header40(w, h, static_cast<std::uint16_t>(c.bits));
    std::int64_t budget = 1 << 20;
    DibDecodeOptions options;
    options.budget = &budget;
    const QImage shrunk =
        Dib::DecodeScaled(ByteView(header.data(), header.size()),
                          ByteView(bits.data(), bits.size()), options, c.source, c.size);
    ASSERT_FALSE(shrunk.isNull());
    ASSERT_EQ(shrunk.size(), c.size);
    EXPECT_EQ(budget, (1 << 20) - c.size.width() * c.size.height() * 4);
    for (int y = 0; y < c.size.height(); ++y) {
        for (int x = 0; x < c.size.width(); ++x) {
            const QRgb want =
                BoxAverage(expectedSource, c.source, c.size.width(), c.size.height(), x, y);
            const QRgb got = shrunk.pixel(x, y);
            EXPECT_NEAR(qRed(got), qRed(want), 2) << x << "," << y;
            EXPECT_NEAR(qGreen(got), qGreen(want), 2) << x << "," << y;
            EXPECT_NEAR(qBlue(got), qBlue(want), 2) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, DibShrinkTest,
                         testing::Values(ShrinkCase{24, QRect(0, 0, 13, 11), QSize(4, 3)},
                                         ShrinkCase{24, QRect(2, 3, 9, 7), QSize(9, 2)},
                                         ShrinkCase{32, QRect(0, 0, 13, 11), QSize(5, 5)},
                                         ShrinkCase{32, QRect(1, 1, 12, 10), QSize(1, 1)},
                                         ShrinkCase{24, QRect(0, 0, 45, 11), QSize(7, 3), 45},
                                         ShrinkCase{32, QRect(3, 0, 40, 11), QSize(40, 4), 45}));

TEST(DibShrink, RefusesEnlargementsAndSourcesOutsideTheBitmap) {
    const Bytes header = Header40(4, 4, 24);
    const Bytes bits(48, 0x40);
    const ByteView h(header.data(), header.size()), b(bits.data(), bits.size());
    EXPECT_TRUE(Dib::DecodeScaled(h, b, {}, QRect(0, 0, 4, 4), QSize(5, 4)).isNull());
    EXPECT_TRUE(Dib::DecodeScaled(h, b, {}, QRect(1, 0, 4, 4), QSize(2, 2)).isNull());
    EXPECT_FALSE(Dib::DecodeScaled(h, b, {}, QRect(0, 0, 4, 4), QSize(2, 2)).isNull());
}

}  // namespace
