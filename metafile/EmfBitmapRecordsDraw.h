#pragma once

#include "metafile/PlaybackContext.h"

#include <QImage>
#include <QPolygonF>
#include <QRectF>
#include <QTransform>

#include <cstdint>
#include <optional>

class QPainter;

namespace tavlex::mf {

// Stretch modes of the device context that shape how a shrink combines pixels.
constexpr int kBlackOnWhite = 1;
constexpr int kWhiteOnBlack = 2;

// One bitmap drawn by a bitmap record: which part of the decoded image goes where, and how it
// combines with what is already there.
struct BitmapDraw {
    QImage image;         // decoded pixels, top row first
    QRectF source;        // the part to draw, in image pixels
    QTransform toTarget;  // image pixels -> target coordinates (before the painter's own)
    std::uint8_t rop = 0xCC;
    bool smooth = false;  // HALFTONE: average the pixels a shrink drops
    qreal opacity = 1;    // AlphaBlend's constant alpha
    QImage mask;          // optional: the record's mask, same size as image, Format_Mono-like
                          // (non-black pixels select foreground)
    std::uint8_t backgroundRop = 0xAA;  // MaskBlt: the operation where the mask is 0
    std::optional<QRgb> colourKey;      // TransparentBlt: source pixels of this colour are skipped
};

// Draws the bitmap with its raster operation: the split into a computed source and a
// composition mode where the painter can do it; on paint engines without raster operations
// (printers, PDF) a copy, except that AND-like operations drop white and OR-like ones black,
// so that the usual two-pass transparency still shows on paper.
void DrawBitmap(PlaybackContext& context, BitmapDraw draw);

// A record without a source bitmap: the raster operation on pattern and destination over
// `area` (target coordinates).
void FillWithRop(PlaybackContext& context, const QPolygonF& area, std::uint8_t rop);

// Where a smooth draw on a raster device lands when the bitmap's axes stay on the device's
// (scaled, mirrored or turned by quarter turns): the source pixels that show (inside `bounds`),
// the size they scale to in their own orientation, and the device pixels they fill once
// `orientation` (a unit quarter turn or mirror) is applied.
struct ScaledPlacement {
    QRect source;
    QSize size;
    QRect device;
    QTransform orientation;
};
std::optional<ScaledPlacement> PlaceScaled(QPainter& painter, const QRectF& source,
                                           const QTransform& toTarget, const QRect& bounds);
// Draws an image already scaled to `placement.size`, turned and mirrored as the placement says.
void DrawAtDevice(QPainter& painter, QImage scaled, const ScaledPlacement& placement);

// The image scaled and placed in one step: for smooth drawing on raster devices with an
// axis-aligned transform, only the visible part is scaled, once, straight to device pixels.
void BlitImage(QPainter& painter, const QImage& image, const QRectF& source,
               const QTransform& toTarget, bool smooth);

}  // namespace tavlex::mf
