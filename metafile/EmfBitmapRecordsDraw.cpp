#include "metafile/EmfBitmapRecordsDraw.h"

#include "metafile/RasterOp.h"

#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace tavlex::mf {

namespace {

bool HasRasterOps(QPainter& painter) {
    const QPaintEngine* engine = painter.paintEngine();
    return engine != nullptr && engine->hasFeature(QPaintEngine::RasterOpModes);
}

QRgb PatternColour(const QBrush& brush) {
    return brush.style() == Qt::NoBrush ? 0xff000000u : (brush.color().rgb() | 0xff000000u);
}

// Pixels equal to `key` become transparent; the rest keep their colour.
QImage KeyedOut(const QImage& image, QRgb key) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((row[x] | 0xff000000u) == (key | 0xff000000u) && qAlpha(row[x]) == 255) row[x] = 0;
        }
    }
    return out;
}

bool MaskSelects(const QImage& mask, int x, int y) {
    return (mask.pixel(x, y) & 0x00ffffffu) != 0;
}

// Pixels whose mask bit differs from `value` become transparent.
QImage MaskedOut(const QImage& image, const QImage& mask, bool value) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const bool selected = x < mask.width() && y < mask.height() && MaskSelects(mask, x, y);
            if (selected != value) row[x] = 0;
        }
    }
    return out;
}

// The pixels of the mask with the given value, as a region of image coordinates.
QRegion MaskRegion(const QImage& mask, bool value) {
    QList<QRect> runs;
    for (int y = 0; y < mask.height(); ++y) {
        int start = -1;
        for (int x = 0; x <= mask.width(); ++x) {
            const bool in = x < mask.width() && MaskSelects(mask, x, y) == value;
            if (in && start < 0) start = x;
            if (!in && start >= 0) {
                runs.append(QRect(start, y, x - start, 1));
                start = -1;
            }
        }
    }
    QRegion region;
    region.setRects(runs.constData(), static_cast<int>(runs.size()));
    return region;
}

// The operation where every source bit is `source`: a function of pattern and destination
// only, as a ternary operation that ignores the source.
std::uint8_t WithSource(std::uint8_t rop, bool source) {
    std::uint8_t out = 0;
    for (int k = 0; k < 8; ++k) {
        const int p = (k >> 2) & 1, d = k & 1;
        if ((rop >> (p * 4 + (source ? 2 : 0) + d)) & 1) out |= static_cast<std::uint8_t>(1 << k);
    }
    return out;
}

// White where the source counts as all ones (light pixels; exact for black and white ones).
QImage SourceSelection(const QImage& image) {
    QImage out(image.size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            dst[x] = qGray(src[x]) >= 128 ? 0xffffffffu : 0xff000000u;
    }
    return out;
}

void DrawPass(PlaybackContext& context, const BitmapDraw& draw, std::uint8_t rop,
              const QImage* mask, bool maskValue) {
    QPainter& painter = context.Painter();
    const auto splitOf = RasterOp::SplitOf(rop);
    if (!splitOf && mask == nullptr && draw.image.format() != QImage::Format_Indexed8) {
        // The source chooses, pixel by pixel, between two operations on pattern and
        // destination (the masked pattern fills of old programs); each is a composition.
        const QImage selection = SourceSelection(draw.image);
        DrawPass(context, draw, WithSource(rop, true), &selection, true);
        DrawPass(context, draw, WithSource(rop, false), &selection, false);
        return;
    }
    // Otherwise an operation that no composition expresses falls back to drawing the source.
    const RasterOp::Split split = splitOf.value_or(RasterOp::Split{});
    if (split.KeepsDestination()) return;

    QImage image = draw.image;
    RasterOp::ApplyInner(image, split.inner, PatternColour(context.CurrentBrush()));

    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    bool copyLike = true;
    if (!split.Copies()) {
        if (HasRasterOps(painter)) {
            mode = *split.Mode();
            copyLike = false;
        } else if (split.outer == 0x8 || split.outer == 0x2) {
            image = KeyedOut(image, split.outer == 0x8 ? 0xffffffffu : 0xff000000u);
        } else if (split.outer == 0xE || split.outer == 0xB) {
            image = KeyedOut(image, split.outer == 0xE ? 0xff000000u : 0xffffffffu);
        }
    }

    painter.save();
    if (mask != nullptr) {
        if (copyLike) {
            image = MaskedOut(image, *mask, maskValue);
        } else {
            // The clip is kept in device space: set it in image coordinates, then go back.
            const QTransform before = painter.worldTransform();
            painter.setWorldTransform(draw.toTarget, true);
            painter.setClipRegion(MaskRegion(*mask, maskValue), Qt::IntersectClip);
            painter.setWorldTransform(before);
        }
    }
    painter.setCompositionMode(mode);
    if (draw.opacity < 1) painter.setOpacity(painter.opacity() * draw.opacity);
    BlitImage(painter, image, draw.source, draw.toTarget, draw.smooth);
    painter.restore();
}

}  // namespace

namespace {

// Device coordinates beyond this are out of any real device and of int range once scaled.
constexpr double kFarAway = 1 << 28;

// The device pixels that can change: the device, narrowed to the clip when there is one.
QRectF VisibleOnDevice(QPainter& painter) {
    const QPaintDevice* device = painter.device();
    QRectF visible(0, 0, device->width(), device->height());
    if (painter.hasClipping())
        visible &= painter.combinedTransform().mapRect(painter.clipBoundingRect());
    return visible;
}

bool WithinReach(const QRectF& rect) {
    return std::fabs(rect.left()) < kFarAway && std::fabs(rect.right()) < kFarAway &&
           std::fabs(rect.top()) < kFarAway && std::fabs(rect.bottom()) < kFarAway;
}

// The smooth scale goes through an image of the scaled size: beyond this many pixels (far more
// than the device shows, since the source is cut to the visible part first) the painter's own
// filter draws instead, so that a file cannot ask for gigabytes of scaled pixels.
bool ScaledSizeFits(const QSize& size, const QPaintDevice& device) {
    const std::int64_t area = std::int64_t{size.width()} * size.height();
    return area <= std::int64_t{16} * device.width() * device.height() + (1 << 20);
}

// Draws through the painter's own transform. A source that maps far beyond the device is cut to
// the part that lands on it first (with a pixel to spare for the filter, when that stays near),
// so that neither the painter nor its rasterizer see coordinates out of range.
void DrawTransformed(QPainter& painter, const QImage& image, QRectF source,
                     const QTransform& toTarget, bool smooth) {
    const QTransform toDevice = toTarget * painter.combinedTransform();
    if (painter.device() != nullptr && toDevice.isAffine() && toDevice.isInvertible() &&
        !WithinReach(toDevice.mapRect(source))) {
        const QRectF visible = VisibleOnDevice(painter);
        if (visible.isEmpty()) return;
        const QRectF back = toDevice.inverted().mapRect(visible) & source;
        if (back.isEmpty()) return;
        const QRectF spare = QRectF(back.toAlignedRect().adjusted(-1, -1, 1, 1)) & source;
        source = WithinReach(toDevice.mapRect(spare)) ? spare : (back & source);
        if (source.isEmpty()) return;
    }
    painter.save();
    painter.setWorldTransform(toTarget, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.drawImage(source, image, source);
    painter.restore();
}

}  // namespace

std::optional<ScaledPlacement> PlaceScaled(QPainter& painter, const QRectF& source,
                                           const QTransform& toTarget, const QRect& bounds) {
    const QTransform toDevice = toTarget * painter.combinedTransform();
    const QPaintEngine* engine = painter.paintEngine();
    const QPaintDevice* device = painter.device();
    if (engine == nullptr || device == nullptr || engine->type() != QPaintEngine::Raster ||
        !toDevice.isAffine() || !toDevice.isInvertible())
        return std::nullopt;
    constexpr double kFlat = 1e-9;
    const bool straight = std::fabs(toDevice.m12()) < kFlat && std::fabs(toDevice.m21()) < kFlat;
    const bool turned = std::fabs(toDevice.m11()) < kFlat && std::fabs(toDevice.m22()) < kFlat;
    if (!straight && !turned) return std::nullopt;
    if (!WithinReach(toDevice.mapRect(source))) return std::nullopt;
    auto sign = [](double v) { return v < 0 ? -1.0 : (v > 0 ? 1.0 : 0.0); };
    auto deviceRect = [&](const QRectF& rect) {
        const QRectF mapped = toDevice.mapRect(rect);
        const int left = qRound(mapped.left()), top = qRound(mapped.top());
        return QRect(left, top, qRound(mapped.right()) - left, qRound(mapped.bottom()) - top);
    };
    auto sizeFor = [&](const QRect& device) {
        return turned ? QSize(device.height(), device.width()) : device.size();
    };
    ScaledPlacement placement;
    placement.orientation = QTransform(sign(toDevice.m11()), sign(toDevice.m12()),
                                       sign(toDevice.m21()), sign(toDevice.m22()), 0, 0);
    placement.device = deviceRect(source);
    placement.size = sizeFor(placement.device);
    placement.source = (source & QRectF(bounds)).toAlignedRect();
    if (placement.device.isEmpty() || placement.source.isEmpty()) return placement;
    const QRect visible = placement.device & VisibleOnDevice(painter).toAlignedRect();
    if (visible.isEmpty()) {
        placement.device = QRect();
        return placement;
    }
    if (std::int64_t{visible.width()} * visible.height() * 4 <
        std::int64_t{placement.device.width()} * placement.device.height() * 3) {
        // Much of it is out of sight: the source pixels under the visible part, with a pixel
        // to spare for the filter at the edges.
        // Cut in floating point first: far from the device the preimage leaves the int range.
        const QRectF back = toDevice.inverted().mapRect(QRectF(visible)) &
                            QRectF(placement.source).adjusted(-2, -2, 2, 2);
        placement.source &= back.isEmpty() ? QRect() : back.toAlignedRect().adjusted(-1, -1, 1, 1);
        placement.device =
            placement.source.isEmpty() ? QRect() : deviceRect(QRectF(placement.source) & source);
        placement.size = sizeFor(placement.device);
    }
    // A few source pixels blown up far beyond the device (the spare pixels alone can be huge).
    if (!ScaledSizeFits(placement.size, *device)) return std::nullopt;
    return placement;
}

void DrawAtDevice(QPainter& painter, QImage scaled, const ScaledPlacement& placement) {
    if (scaled.isNull()) return;
    // Quarter turns and mirrors move whole pixels: exact on the already small image.
    if (!placement.orientation.isIdentity()) scaled = scaled.transformed(placement.orientation);
    painter.save();
    painter.resetTransform();
    painter.drawImage(placement.device.topLeft(), scaled);
    painter.restore();
}

void BlitImage(QPainter& painter, const QImage& image, const QRectF& source,
               const QTransform& toTarget, bool smooth) {
    if (image.isNull() || source.isEmpty()) return;
    const auto placement = smooth ? PlaceScaled(painter, source, toTarget, image.rect())
                                  : std::optional<ScaledPlacement>();
    if (!placement) {
        DrawTransformed(painter, image, source, toTarget, smooth);
        return;
    }
    // Scale once, straight to device pixels, and only what can be seen.
    const QRect part = placement->source;
    if (placement->device.isEmpty() || part.isEmpty()) return;
    // A view on the pixels of the part, without copying them.
    const QImage view =
        part == image.rect()
            ? image
            : QImage(image.constBits() + part.y() * image.bytesPerLine() +
                         part.x() * (image.depth() / 8),
                     part.width(), part.height(), image.bytesPerLine(), image.format());
    DrawAtDevice(painter,
                 view.scaled(placement->size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
                 *placement);
}

namespace {

// BLACKONWHITE and WHITEONBLACK: a shrink keeps every source pixel it drops by ANDing (ORing)
// it into the pixel that stays, so the thin black (white) lines of drawings and scanned text
// survive at small sizes. The draw is replaced by the combined pixels, one per device pixel,
// placed 1:1. Nothing when the bitmap is not shrunk or not axis-aligned on a raster device.
bool CombineShrink(QPainter& painter, BitmapDraw& draw, bool andPixels) {
    if (draw.image.hasAlphaChannel() || draw.opacity < 1 || !draw.mask.isNull()) return false;
    const auto placement = PlaceScaled(painter, draw.source, draw.toTarget, draw.image.rect());
    if (!placement || placement->device.isEmpty() || placement->source.isEmpty()) return false;
    const QRect part = placement->source;
    const QSize size = placement->size;
    if (size.width() >= part.width() && size.height() >= part.height()) return false;
    const QTransform deviceToTarget = painter.combinedTransform().inverted();
    const QImage source = draw.image.convertToFormat(QImage::Format_RGB32);
    QImage out(size, QImage::Format_RGB32);
    if (out.isNull()) return false;
    // The source pixels [first, next) of output pixel i along one axis.
    auto span = [](int i, int sourceLength, int outLength) {
        const auto first = static_cast<int>(std::int64_t{i} * sourceLength / outLength);
        const auto next = static_cast<int>(std::int64_t{i + 1} * sourceLength / outLength);
        return std::pair<int, int>(first, std::max(next, first + 1));
    };
    std::vector<std::pair<int, int>> columns(static_cast<std::size_t>(size.width()));
    for (int ox = 0; ox < size.width(); ++ox)
        columns[static_cast<std::size_t>(ox)] = span(ox, part.width(), size.width());
    const QRgb start = andPixels ? 0xffffffffu : 0xff000000u;
    for (int oy = 0; oy < size.height(); ++oy) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(oy));
        std::fill(row, row + size.width(), start);
        const auto [y0, y1] = span(oy, part.height(), size.height());
        for (int y = y0; y < y1; ++y) {
            const QRgb* line =
                reinterpret_cast<const QRgb*>(source.constScanLine(part.y() + y)) + part.x();
            for (int ox = 0; ox < size.width(); ++ox) {
                const auto [x0, x1] = columns[static_cast<std::size_t>(ox)];
                QRgb v = row[ox];
                for (int x = x0; x < x1; ++x) v = andPixels ? (v & line[x]) : (v | line[x]);
                row[ox] = v;
            }
        }
    }
    // Quarter turns and mirrors move whole pixels; then one image pixel is one device pixel.
    if (!placement->orientation.isIdentity()) out = out.transformed(placement->orientation);
    draw.image = out;
    draw.source = QRectF(out.rect());
    draw.toTarget =
        QTransform::fromTranslate(placement->device.x(), placement->device.y()) * deviceToTarget;
    return true;
}

}  // namespace

void DrawBitmap(PlaybackContext& context, BitmapDraw draw) {
    if (draw.image.isNull() || draw.source.isEmpty()) return;
    if (draw.colourKey) draw.image = KeyedOut(draw.image, *draw.colourKey);
    const int stretchMode = context.StretchBltMode();
    if (!draw.smooth && (stretchMode == kBlackOnWhite || stretchMode == kWhiteOnBlack))
        CombineShrink(context.Painter(), draw, stretchMode == kBlackOnWhite);
    if (draw.mask.isNull()) {
        DrawPass(context, draw, draw.rop, nullptr, true);
        return;
    }
    DrawPass(context, draw, draw.backgroundRop, &draw.mask, false);
    DrawPass(context, draw, draw.rop, &draw.mask, true);
}

void FillWithRop(PlaybackContext& context, const QPolygonF& area, std::uint8_t rop) {
    QPainter& painter = context.Painter();
    const RasterOp::Split split = RasterOp::SplitOf(rop).value_or(RasterOp::Split{0xC, 0xC});
    if (split.KeepsDestination()) return;
    const QBrush current = context.CurrentBrush();
    QBrush brush = current;
    if (split.inner != 0xC || current.style() == Qt::NoBrush) {
        brush =
            QBrush(QColor::fromRgb(RasterOp::InnerColour(split.inner, PatternColour(current), 0)));
    }
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    if (!split.Copies()) {
        if (!HasRasterOps(painter)) return;  // paper keeps what is there
        mode = *split.Mode();
    }
    painter.save();
    painter.setCompositionMode(mode);
    painter.setPen(Qt::NoPen);
    painter.setBrush(brush);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawPolygon(area);
    painter.restore();
}

}  // namespace tavlex::mf
