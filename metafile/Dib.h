#pragma once

#include "metafile/ByteView.h"

#include <QImage>
#include <QRect>
#include <QRgb>

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace tavlex::mf {

// Compression values of a device-independent bitmap header.
enum DibCompression : std::uint32_t {
    kBiRgb = 0,
    kBiRle8 = 1,
    kBiRle4 = 2,
    kBiBitfields = 3,
    kBiJpeg = 4,
    kBiPng = 5,
    kBiAlphaBitfields = 6,
};

// How the colour table of a bitmap is read (the usage field of the bitmap records).
enum class DibColourUse : std::uint32_t {
    Rgb = 0,      // the table holds RGB quads
    Palette = 1,  // the table holds 16-bit indices into the current logical palette
};

// The fields of a bitmap header that decoding needs, whichever of the header forms it came in.
struct DibHeader {
    std::uint32_t headerSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;  // always positive here; topDown says which way the rows run
    bool topDown = false;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t sizeImage = 0;
    std::uint32_t colourCount = 0;  // entries the colour table holds after the header (and masks)
    std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha for bit fields
    bool core = false;                      // 12-byte header: 3-byte table entries

    // Bytes of one stored row of an uncompressed bitmap, DWORD aligned.
    std::int64_t Stride() const { return ((std::int64_t{width} * bitCount + 31) / 32) * 4; }
    // Offset of the colour table within the header block.
    std::uint32_t TableOffset() const;
};

struct DibDecodeOptions {
    DibColourUse use = DibColourUse::Rgb;
    // The current logical palette, for DibColourUse::Palette.
    std::span<const QRgb> palette;
    // Decoded bytes still allowed on this page; decreased by what the decode allocates. A
    // decode that would exceed it fails before allocating. Null: no page budget.
    std::int64_t* budget = nullptr;
    // Keep the fourth byte of 32-bit pixels as premultiplied alpha (what AlphaBlend reads);
    // every other operation ignores it, as the platform does.
    bool keepAlpha = false;
    // For a monochrome bitmap drawn as a device bitmap: 0 bits take the text colour and 1 bits
    // the background colour instead of the colour table.
    std::optional<std::pair<QRgb, QRgb>> monochromeColours;
    // Rows the bits actually hold, counted from the first stored row (the bottom row of a
    // bottom-up bitmap); -1: all of them. Rows beyond are left transparent.
    std::int32_t storedRows = -1;
    // Run-length pixels the codes skip: transparent (the destination shows through), or the
    // colour of entry 0 as when the platform stretches such a bitmap.
    bool rleHolesTransparent = true;
};

// The decoded part of a bitmap: image pixels cover `rect` of the whole bitmap, whose top-left is
// (0, 0) and whose rows run downwards whatever their stored order.
struct DibImage {
    QImage image;  // Format_RGB32, or Format_ARGB32_Premultiplied when some pixels are transparent
    QRect rect;
    bool IsNull() const { return image.isNull(); }
};

// Decodes device-independent bitmaps: the header block (header, masks, colour table) and the
// bits are separate views, as in the bitmap records. Nothing is read outside either view;
// invalid data gives a null result, never an exception.
class Dib {
  public:
    // Reads and validates a header (core, info, V2–V5 forms).
    static std::optional<DibHeader> ReadHeader(ByteView headerBlock);

    // Decodes the whole bitmap, or only `region` of it (in top-down bitmap coordinates; clipped
    // to the bitmap). Compressed bitmaps are decoded whole and then cut.
    static DibImage Decode(ByteView headerBlock, ByteView bits, const DibDecodeOptions& options,
                           const QRect* region = nullptr);

    // Decodes `source` (bitmap pixels, inside the bitmap) of an uncompressed bitmap straight
    // into an image of `size`, no larger than the source either way: each pixel the average of
    // the source area it covers, the shrink that HALFTONE does. The bitmap is never held
    // decoded whole; the budget is charged for the result only. Null for compressed bitmaps,
    // enlargements and invalid data.
    static QImage DecodeScaled(ByteView headerBlock, ByteView bits, const DibDecodeOptions& options,
                               const QRect& source, const QSize& size);

    // The colour table as opaque colours (black for entries the block does not hold).
    static std::vector<QRgb> ColourTable(const DibHeader& header, ByteView headerBlock,
                                         const DibDecodeOptions& options);
};

}  // namespace tavlex::mf
