#pragma once

#include "metafile/EmfObjects.h"

#include <QColor>
#include <QPointF>
#include <QRegion>
#include <QSizeF>
#include <QTransform>

#include <cstdint>
#include <optional>

namespace tavlex::mf {

// The attributes of a device context that SaveDC keeps and RestoreDC brings back.
struct DcState {
    int mapMode = 1;  // MM_TEXT
    QPointF windowOrg{0, 0};
    QPointF viewportOrg{0, 0};
    QSizeF windowExt{1, 1};
    QSizeF viewportExt{1, 1};
    QTransform world;
    int graphicsMode = 1;

    QPointF position{0, 0};  // current position, logical units

    PenObject pen;
    BrushObject brush;
    FontObject font;
    QList<QRgb> palette;

    QColor textColour = Qt::black;
    QColor backgroundColour = Qt::white;
    int backgroundMode = 2;  // OPAQUE
    int polyFillMode = 1;    // ALTERNATE
    int rop2 = 13;           // R2_COPYPEN
    int stretchBltMode = 1;  // BLACKONWHITE
    std::uint32_t textAlign = 0;
    int arcDirection = 1;  // AD_COUNTERCLOCKWISE
    double miterLimit = 10;

    // Clip in target coordinates; none: the whole surface.
    std::optional<QRegion> clip;
};

}  // namespace tavlex::mf
