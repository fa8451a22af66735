#include "metafile/Dib.h"
#include "metafile/EmfBitmapRecordsDraw.h"
#include "metafile/PlaybackContext.h"
#include "metafile/RasterOp.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

namespace tavlex::mf {

namespace {

constexpr std::uint32_t kSrcCopy = 0x00CC0020;

// Where a record keeps a bitmap: offsets and sizes of header block and bits.
struct BitmapFields {
    std::uint64_t offBmi, cbBmi, offBits, cbBits;
};

struct SourceBitmap {
    ByteView bmi;
    ByteView bits;
    DibHeader header;
};

// The bitmap a record carries; nothing when it has none (sizes 0) or the fields are damaged
// (`damaged` says which).
std::optional<SourceBitmap> ReadBitmap(ByteView r, const BitmapFields& f, bool& damaged) {
    damaged = false;
    const auto offBmi = r.U32(f.offBmi), cbBmi = r.U32(f.cbBmi);
    const auto offBits = r.U32(f.offBits), cbBits = r.U32(f.cbBits);
    if (!offBmi || !cbBmi || !offBits || !cbBits) {
        damaged = true;
        return std::nullopt;
    }
    if (*cbBmi == 0) return std::nullopt;
    const auto bmi = r.Sub(*offBmi, *cbBmi);
    const auto bits = r.Sub(*offBits, *cbBits);
    if (!bmi || !bits) {
        damaged = true;
        return std::nullopt;
    }
    const auto header = Dib::ReadHeader(*bmi);
    if (!header) {
        damaged = true;
        return std::nullopt;
    }
    return SourceBitmap{*bmi, *bits, *header};
}

DibDecodeOptions OptionsFor(PlaybackContext& context, std::uint32_t usage) {
    DibDecodeOptions options;
    options.use = usage == 1 ? DibColourUse::Palette : DibColourUse::Rgb;
    const QList<QRgb>& palette = context.Palette();
    options.palette = std::span<const QRgb>(palette.constData(), palette.size());
    return options;
}

// Decodes `region` of the bitmap against the page's bitmap cap. A bitmap over the cap is
// charged in full, which stops the page.
DibImage DecodeCharged(PlaybackContext& context, ByteView bmi, ByteView bits,
                       DibDecodeOptions options, const QRect* region) {
    const std::int64_t left = context.BitmapBytesLeft();
    std::int64_t budget = left;
    options.budget = &budget;
    DibImage image = Dib::Decode(bmi, bits, options, region);
    if (image.IsNull()) {
        if (const auto h = Dib::ReadHeader(bmi)) {
            QRect full(0, 0, h->width, h->height);
            const bool whole = h->compression != kBiRgb && h->compression != kBiBitfields &&
                               h->compression != kBiAlphaBitfields;
            if (region != nullptr && !whole) full &= *region;
            // Header sizes reach 2^62 pixels: saturate rather than overflow.
            const std::int64_t pixels = std::int64_t{full.width()} * full.height();
            const std::int64_t need =
                std::min(pixels, std::numeric_limits<std::int64_t>::max() / 4) * 4;
            if (need > left) context.ChargeBitmapBytes(need);
        }
        return image;
    }
    context.ChargeBitmapBytes(left - budget);
    return image;
}

// The draw of a decoded part of a bitmap: the source rectangle and the mapping to the target
// are moved from the whole bitmap's coordinates to the part's.
BitmapDraw DrawOfPart(const DibImage& image, const QRectF& sourceRect,
                      const QTransform& bitmapToTarget) {
    BitmapDraw draw;
    draw.image = image.image;
    draw.source = sourceRect.translated(-image.rect.topLeft());
    draw.toTarget = QTransform::fromTranslate(image.rect.left(), image.rect.top()) * bitmapToTarget;
    return draw;
}

// The part of `source` (bitmap pixels) that lands on pixels the painter can change, with two
// pixels to spare for filtering; decoding stops there.
QRect VisibleSource(QPainter& painter, const QTransform& bitmapToTarget, const QRectF& source,
                    const DibHeader& header) {
    // Cut in floating point first: the record's numbers can map far outside the int range.
    QRect rect = (source & QRectF(0, 0, header.width, header.height)).toAlignedRect();
    const QTransform toDevice = bitmapToTarget * painter.combinedTransform();
    if (!toDevice.isInvertible() || rect.isEmpty()) return rect;
    // Only a raster surface has a fixed extent; recordings (pictures) grow with what is drawn.
    const QPaintDevice* device = painter.device();
    const QPaintEngine* engine = painter.paintEngine();
    const bool bounded = engine != nullptr && engine->type() == QPaintEngine::Raster;
    std::optional<QRectF> visible;
    if (bounded) visible = QRectF(0, 0, device->width(), device->height());
    if (painter.hasClipping()) {
        const QRectF clip = painter.combinedTransform().mapRect(painter.clipBoundingRect());
        visible = visible ? (*visible & clip) : clip;
    }
    if (!visible) return rect;
    if (visible->isEmpty()) return {};
    const QRectF back = toDevice.inverted().mapRect(*visible) & QRectF(rect).adjusted(-3, -3, 3, 3);
    if (back.isEmpty()) return {};
    return rect & back.toAlignedRect().adjusted(-2, -2, 2, 2);
}

std::optional<QTransform> ReadXform(ByteView r, std::uint64_t offset) {
    float v[6];
    for (int i = 0; i < 6; ++i) {
        const auto f = r.F32(offset + 4 * i);
        if (!f || !std::isfinite(*f) || std::fabs(*f) > 1e7f) return std::nullopt;
        v[i] = *f;
    }
    const QTransform t(v[0], v[1], v[2], v[3], v[4], v[5]);
    if (t.isIdentity() || (v[0] == 0 && v[1] == 0 && v[2] == 0 && v[3] == 0)) return QTransform();
    if (!t.isInvertible()) return std::nullopt;
    return t;
}

bool Smooth(PlaybackContext& context, const QTransform& toTarget) {
    if (context.StretchBltMode() != stretchmode::Halftone) return false;
    const QTransform device = toTarget * context.DeviceToTarget().inverted();
    return !(std::fabs(std::fabs(device.m11()) - 1) < 1e-9 &&
             std::fabs(std::fabs(device.m22()) - 1) < 1e-9 && device.m12() == 0 &&
             device.m21() == 0);
}

// The photograph path: a plain copy that shrinks smoothly onto a raster device decodes the
// visible source pixels straight into device pixels, without the whole bitmap in between.
// False: the general path must draw it.
bool DrawShrunk(PlaybackContext& context, const SourceBitmap& source, DibDecodeOptions options,
                const QRectF& sourceRect, const QTransform& bitmapToTarget, std::uint32_t rop) {
    const DibHeader& h = source.header;
    if (RasterOp::Index(rop) != 0xCC || !Smooth(context, bitmapToTarget)) return false;
    if (h.compression != kBiRgb && h.compression != kBiBitfields) return false;
    QPainter& painter = context.Painter();
    const auto placement =
        PlaceScaled(painter, sourceRect, bitmapToTarget, QRect(0, 0, h.width, h.height));
    if (!placement) return false;
    if (placement->device.isEmpty() || placement->source.isEmpty()) return true;
    if (placement->size.width() > placement->source.width() ||
        placement->size.height() > placement->source.height())
        return false;
    const std::int64_t left = context.BitmapBytesLeft();
    std::int64_t budget = left;
    options.budget = &budget;
    const QImage scaled =
        Dib::DecodeScaled(source.bmi, source.bits, options, placement->source, placement->size);
    if (scaled.isNull()) return false;
    if (!context.ChargeBitmapBytes(left - budget)) return true;
    DrawAtDevice(painter, scaled, *placement);
    return true;
}

// A monochrome bitmap of black and white, drawn by the blit records, is a device bitmap on the
// platform: black takes the text colour and white the background colour.
void MonochromeAsDevice(PlaybackContext& context, const SourceBitmap& source,
                        DibDecodeOptions& options) {
    if (source.header.bitCount != 1) return;
    const std::vector<QRgb> table = Dib::ColourTable(source.header, source.bmi, options);
    const QRgb black = 0xff000000u, white = 0xffffffffu;
    const QRgb text = context.TextColour().rgb(), back = context.BackgroundColour().rgb();
    if (table[0] == black && table[1] == white) options.monochromeColours = {text, back};
    if (table[0] == white && table[1] == black) options.monochromeColours = {back, text};
}

// The mask of MaskBlt and PlgBlt, aligned with the decoded source image: the mask pixel of
// source pixel (x, y) is (x - xSrc + xMask, y - ySrc + yMask).
QImage AlignedMask(PlaybackContext& context, ByteView r, const BitmapFields& fields,
                   std::uint64_t xMaskAt, const QRect& imageRect, QPointF sourceOrigin) {
    bool damaged = false;
    const auto mask = ReadBitmap(r, fields, damaged);
    if (!mask) return {};
    DibDecodeOptions options;
    options.monochromeColours = std::pair<QRgb, QRgb>(0xff000000u, 0xffffffffu);
    const DibImage decoded = DecodeCharged(context, mask->bmi, mask->bits, options, nullptr);
    if (decoded.IsNull()) return {};
    // Outside the mask nothing is selected: copy() fills with zero. An offset beyond any
    // bitmap selects nothing either (and would overflow once added).
    constexpr double kFar = 1 << 30;
    QRect placed(-imageRect.width(), 0, imageRect.width(), imageRect.height());
    if (std::fabs(sourceOrigin.x()) < kFar && std::fabs(sourceOrigin.y()) < kFar) {
        const std::int64_t dx = std::int64_t{r.I32Or(xMaskAt)} - qRound(sourceOrigin.x());
        const std::int64_t dy = std::int64_t{r.I32Or(xMaskAt + 4)} - qRound(sourceOrigin.y());
        if (std::llabs(dx) < kFar && std::llabs(dy) < kFar)
            placed = imageRect.translated(static_cast<int>(dx), static_cast<int>(dy));
    }
    return decoded.image.copy(placed);
}

void FillRect(PlaybackContext& context, QRectF logical, std::uint32_t rop) {
    FillWithRop(context, context.LogicalToTarget().map(QPolygonF(logical.normalized())),
                RasterOp::Index(rop));
}

// The blit records (BitBlt, StretchBlt, MaskBlt, AlphaBlend, TransparentBlt) share a layout:
// destination at 24, the operation at 40, the source device context from 44.
bool PlayBlit(PlaybackContext& context, std::uint32_t type, ByteView r) {
    const std::int32_t xDest = r.I32Or(24), yDest = r.I32Or(28);
    const std::int32_t cxDest = r.I32Or(32), cyDest = r.I32Or(36);
    const std::uint32_t operation = r.U32Or(40);
    const bool stretched =
        type == emr::StretchBlt || type == emr::AlphaBlend || type == emr::TransparentBlt;
    if (!r.Has(0, stretched ? 108 : (type == emr::MaskBlt ? 128 : 100))) return false;
    const std::int32_t cxSrc = stretched ? r.I32Or(100) : cxDest;
    const std::int32_t cySrc = stretched ? r.I32Or(104) : cyDest;
    const std::uint32_t rop =
        type == emr::AlphaBlend || type == emr::TransparentBlt ? kSrcCopy : operation;

    bool damaged = false;
    const auto source = ReadBitmap(r, {84, 88, 92, 96}, damaged);
    if (damaged) return false;
    if (cxDest == 0 || cyDest == 0) return true;
    if (!source || !RasterOp::UsesSource(RasterOp::Index(rop))) {
        if (type == emr::BitBlt || type == emr::StretchBlt)
            FillRect(context, QRectF(xDest, yDest, cxDest, cyDest), rop);
        return true;
    }
    if (cxSrc == 0 || cySrc == 0) return true;
    const auto xformSrc = ReadXform(r, 52);
    if (!xformSrc) return false;

    // Source device context -> bitmap pixels is xformSrc; source logical -> destination
    // logical stretches (xSrc, ySrc, cxSrc, cySrc) onto the destination rectangle.
    const double xSrc = r.I32Or(44), ySrc = r.I32Or(48);
    const double sx = double(cxDest) / cxSrc, sy = double(cyDest) / cySrc;
    const QTransform srcToDest(sx, 0, 0, sy, xDest - xSrc * sx, yDest - ySrc * sy);
    const QTransform bitmapToTarget = xformSrc->inverted() * srcToDest * context.LogicalToTarget();
    const QRectF sourceRect = xformSrc->mapRect(QRectF(xSrc, ySrc, cxSrc, cySrc).normalized());

    DibDecodeOptions options = OptionsFor(context, r.U32Or(80));
    if (type == emr::AlphaBlend)
        options.keepAlpha = (r.U8(43).value_or(0) & 1) != 0;  // AC_SRC_ALPHA
    if (type != emr::AlphaBlend) MonochromeAsDevice(context, *source, options);
    if (type == emr::StretchBlt &&
        DrawShrunk(context, *source, options, sourceRect, bitmapToTarget, rop))
        return true;

    const QRect region =
        VisibleSource(context.Painter(), bitmapToTarget, sourceRect, source->header);
    if (region.isEmpty()) return true;
    const DibImage image = DecodeCharged(context, source->bmi, source->bits, options, &region);
    if (image.IsNull()) return false;

    BitmapDraw draw = DrawOfPart(image, sourceRect, bitmapToTarget);
    draw.rop = RasterOp::Index(rop);
    draw.smooth = type != emr::TransparentBlt && Smooth(context, draw.toTarget);
    if (type == emr::AlphaBlend) {
        draw.opacity = r.U8(42).value_or(255) / 255.0;  // SourceConstantAlpha
    }
    if (type == emr::TransparentBlt) {
        const std::uint32_t key = operation;  // COLORREF 0x00BBGGRR
        draw.colourKey = qRgb(key & 0xff, (key >> 8) & 0xff, (key >> 16) & 0xff);
    }
    if (type == emr::MaskBlt) {
        draw.backgroundRop = static_cast<std::uint8_t>(operation >> 24);
        draw.mask =
            AlignedMask(context, r, {112, 116, 120, 124}, 100, image.rect, sourceRect.topLeft());
        if (draw.mask.isNull())
            draw.backgroundRop = draw.rop;  // no mask: the foreground everywhere
    }
    DrawBitmap(context, std::move(draw));
    return true;
}

bool PlayPlgBlt(PlaybackContext& context, ByteView r) {
    if (!r.Has(0, 140)) return false;
    bool damaged = false;
    const auto source = ReadBitmap(r, {96, 100, 104, 108}, damaged);
    if (damaged) return false;
    if (!source) return true;
    const QPointF p0(r.I32Or(24), r.I32Or(28)), p1(r.I32Or(32), r.I32Or(36)),
        p2(r.I32Or(40), r.I32Or(44));
    const double xSrc = r.I32Or(48), ySrc = r.I32Or(52);
    const double cxSrc = r.I32Or(56), cySrc = r.I32Or(60);
    if (cxSrc == 0 || cySrc == 0) return true;
    const auto xformSrc = ReadXform(r, 64);
    if (!xformSrc) return false;
    // The parallelogram: the source's top-left to p0, top-right to p1, bottom-left to p2.
    const double m11 = (p1.x() - p0.x()) / cxSrc, m12 = (p1.y() - p0.y()) / cxSrc;
    const double m21 = (p2.x() - p0.x()) / cySrc, m22 = (p2.y() - p0.y()) / cySrc;
    const QTransform srcToDest(m11, m12, m21, m22, p0.x() - xSrc * m11 - ySrc * m21,
                               p0.y() - xSrc * m12 - ySrc * m22);
    const QTransform bitmapToTarget = xformSrc->inverted() * srcToDest * context.LogicalToTarget();
    const QRectF sourceRect = xformSrc->mapRect(QRectF(xSrc, ySrc, cxSrc, cySrc).normalized());

    DibDecodeOptions options = OptionsFor(context, r.U32Or(92));
    MonochromeAsDevice(context, *source, options);
    const QRect region =
        VisibleSource(context.Painter(), bitmapToTarget, sourceRect, source->header);
    if (region.isEmpty()) return true;
    const DibImage image = DecodeCharged(context, source->bmi, source->bits, options, &region);
    if (image.IsNull()) return false;
    BitmapDraw draw = DrawOfPart(image, sourceRect, bitmapToTarget);
    draw.smooth = Smooth(context, draw.toTarget);
    draw.mask =
        AlignedMask(context, r, {124, 128, 132, 136}, 112, image.rect, sourceRect.topLeft());
    draw.backgroundRop = draw.mask.isNull() ? 0xCC : 0xAA;
    DrawBitmap(context, std::move(draw));
    return true;
}

bool PlayStretchDiBits(PlaybackContext& context, ByteView r) {
    if (!r.Has(0, 80)) return false;
    const std::int32_t xDest = r.I32Or(24), yDest = r.I32Or(28);
    const std::int32_t xSrc = r.I32Or(32), ySrc = r.I32Or(36);
    const std::int32_t cxSrc = r.I32Or(40), cySrc = r.I32Or(44);
    const std::uint32_t rop = r.U32Or(68);
    const std::int32_t cxDest = r.I32Or(72), cyDest = r.I32Or(76);
    bool damaged = false;
    const auto source = ReadBitmap(r, {48, 52, 56, 60}, damaged);
    if (damaged) return false;
    if (cxDest == 0 || cyDest == 0) return true;
    if (!source || !RasterOp::UsesSource(RasterOp::Index(rop))) {
        FillRect(context, QRectF(xDest, yDest, cxDest, cyDest), rop);
        return true;
    }
    if (cxSrc == 0 || cySrc == 0) return true;
    const DibHeader& h = source->header;

    // Source rows count from the bottom of a bottom-up bitmap; the platform also counts them
    // so for a top-down one that is stretched or not drawn from its origin.
    const QRectF deviceDest = (context.LogicalToTarget() * context.DeviceToTarget().inverted())
                                  .mapRect(QRectF(xDest, yDest, cxDest, cyDest));
    // (A destination far beyond the int range is no plain copy, and must not be rounded to int.)
    auto roundsTo = [](double v, std::int32_t n) { return std::fabs(v) < 1e9 && qRound(v) == n; };
    const bool fromOrigin = xSrc == 0 && ySrc == 0 && roundsTo(deviceDest.width(), cxSrc) &&
                            roundsTo(deviceDest.height(), cySrc);
    const bool flip = !h.topDown || (rop == kSrcCopy && !fromOrigin);
    const double top = flip ? double(h.height) - ySrc - cySrc : ySrc;
    const double sx = double(cxDest) / cxSrc, sy = double(cyDest) / cySrc;
    const QTransform bitmapToTarget =
        QTransform(sx, 0, 0, sy, xDest - xSrc * sx, yDest - top * sy) * context.LogicalToTarget();
    const QRectF sourceRect = QRectF(xSrc, top, cxSrc, cySrc).normalized();

    DibDecodeOptions options = OptionsFor(context, r.U32Or(64));
    options.rleHolesTransparent = fromOrigin && rop == kSrcCopy;
    if (DrawShrunk(context, *source, options, sourceRect, bitmapToTarget, rop)) return true;
    const QRect region = VisibleSource(context.Painter(), bitmapToTarget, sourceRect, h);
    if (region.isEmpty()) return true;
    const DibImage image = DecodeCharged(context, source->bmi, source->bits, options, &region);
    if (image.IsNull()) return false;

    BitmapDraw draw = DrawOfPart(image, sourceRect, bitmapToTarget);
    draw.rop = RasterOp::Index(rop);
    draw.smooth = Smooth(context, draw.toTarget);
    DrawBitmap(context, std::move(draw));
    return true;
}

bool PlaySetDiBitsToDevice(PlaybackContext& context, ByteView r) {
    if (!r.Has(0, 76)) return false;
    bool damaged = false;
    const auto source = ReadBitmap(r, {48, 52, 56, 60}, damaged);
    if (damaged) return false;
    if (!source) return true;
    const DibHeader& h = source->header;
    const std::int64_t xSrc = r.I32Or(32), ySrc = r.I32Or(36);
    const std::int64_t cx = r.U32Or(40), cy = r.U32Or(44);
    std::int64_t start = r.U32Or(68), lines = r.U32Or(72);
    if (cx == 0 || cy == 0 || lines == 0) return true;
    const bool rle = h.compression == kBiRle8 || h.compression == kBiRle4;
    if (rle) start = 0, lines = h.height;
    if (start >= h.height) return true;
    if (!h.topDown) lines = std::min<std::int64_t>(lines, h.height - start);

    // The bits hold `lines` rows from `start` on; the source rectangle in the band's
    // top-down rows.
    std::int64_t bandTop = start + lines - (ySrc + cy);
    if (bandTop > 0) {
        if (bandTop >= lines) return true;
        if (!h.topDown) lines -= bandTop, bandTop = 0;
    }
    const std::int64_t bandHeight = h.topDown ? std::min<std::int64_t>(lines, h.height) : lines;
    if (bandHeight <= 0 || bandHeight > INT32_MAX) return true;

    // The band as a bitmap of its own: the header block with the band's height.
    std::vector<std::uint8_t> header(source->bmi.data(), source->bmi.data() + source->bmi.size());
    if (!rle) {
        if (h.core) {
            const auto height16 =
                static_cast<std::uint16_t>(std::min<std::int64_t>(bandHeight, 65535));
            header[6] = height16 & 0xff, header[7] = height16 >> 8;
        } else {
            const std::int32_t height32 = h.topDown ? -static_cast<std::int32_t>(bandHeight)
                                                    : static_cast<std::int32_t>(bandHeight);
            std::memcpy(header.data() + 8, &height32, 4);
        }
    }
    const ByteView band(header.data(), header.size());

    // No stretching: only the origin is mapped, and the rectangle keeps its size in pixels of
    // the device played onto (the stretch of the whole picture does not apply to it either).
    QPainter& painter = context.Painter();
    const QTransform targetToDevice = painter.combinedTransform();
    if (!targetToDevice.isInvertible()) return true;
    const QPointF origin =
        (context.LogicalToTarget() * targetToDevice).map(QPointF(r.I32Or(24), r.I32Or(28)));
    const QTransform bitmapToTarget =
        QTransform::fromTranslate(std::round(origin.x()) - double(xSrc),
                                  std::round(origin.y()) - double(bandTop)) *
        targetToDevice.inverted();
    const QRectF sourceRect{double(xSrc), double(bandTop), double(cx), double(cy)};
    DibHeader bandHeader = h;
    bandHeader.height = static_cast<std::int32_t>(rle ? h.height : bandHeight);
    const QRect region = VisibleSource(painter, bitmapToTarget, sourceRect, bandHeader);
    if (region.isEmpty()) return true;
    const DibImage image =
        DecodeCharged(context, band, source->bits, OptionsFor(context, r.U32Or(64)), &region);
    if (image.IsNull()) return false;
    BitmapDraw draw = DrawOfPart(image, sourceRect, bitmapToTarget);
    draw.smooth = Smooth(context, draw.toTarget);
    DrawBitmap(context, std::move(draw));
    return true;
}

// CREATEMONOBRUSH and CREATEDIBPATTERNBRUSHPT: slot, usage, then the bitmap.
bool PlayPatternBrush(PlaybackContext& context, std::uint32_t type, ByteView r) {
    if (!r.Has(0, 32)) return false;
    bool damaged = false;
    const auto source = ReadBitmap(r, {16, 20, 24, 28}, damaged);
    if (!source) return false;
    const std::uint32_t index = r.U32Or(8);
    const bool monochrome = type == emr::CreateMonoBrush && source->header.bitCount == 1;
    DibDecodeOptions options = OptionsFor(context, r.U32Or(12));
    if (monochrome) options.monochromeColours = std::pair<QRgb, QRgb>(0xff000000u, 0xffffffffu);
    const DibImage image = DecodeCharged(context, source->bmi, source->bits, options, nullptr);
    if (image.IsNull()) return false;
    if (!monochrome) {
        context.StorePatternBrush(index, image.image, false);
        return true;
    }
    // Bit 0 takes the text colour and bit 1 the background colour when the brush is used.
    QImage pattern(image.image.size(), QImage::Format_Mono);
    pattern.setColorCount(2);
    pattern.setColor(0, 0xff000000u);
    pattern.setColor(1, 0xffffffffu);
    for (int y = 0; y < pattern.height(); ++y)
        for (int x = 0; x < pattern.width(); ++x)
            pattern.setPixel(x, y, (image.image.pixel(x, y) & 0xffffff) != 0 ? 1 : 0);
    context.StorePatternBrush(index, pattern, true);
    return true;
}

}  // namespace

bool PlayBitmapRecord(PlaybackContext& context, std::uint32_t type, ByteView record) {
    switch (type) {
        case emr::BitBlt:
        case emr::StretchBlt:
        case emr::MaskBlt:
        case emr::AlphaBlend:
        case emr::TransparentBlt:
            return PlayBlit(context, type, record);
        case emr::PlgBlt:
            return PlayPlgBlt(context, record);
        case emr::SetDiBitsToDevice:
            return PlaySetDiBitsToDevice(context, record);
        case emr::StretchDiBits:
            return PlayStretchDiBits(context, record);
        case emr::CreateMonoBrush:
        case emr::CreateDibPatternBrushPt:
            return PlayPatternBrush(context, type, record);
        default:
            return false;
    }
}

}  // namespace tavlex::mf
