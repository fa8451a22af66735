#pragma once

#include "metafile/EmfObjects.h"
#include "metafile/GdiDefs.h"
#include "metafile/PageMapping.h"

#include <QColor>
#include <QPointF>
#include <QRegion>
#include <QSizeF>
#include <QTransform>

#include <cstdint>
#include <optional>

namespace tavlex::mf {

// The attributes of a device context that SaveDC keeps and RestoreDC brings back.
struct PlayerDcState {
    PageMapping page;
    QTransform world;
    int graphicsMode = dcmode::CompatibleGraphics;

    QPointF position{0, 0};  // current position, logical units

    PenObject pen;
    BrushObject brush;
    FontObject font;
    QList<QRgb> palette;

    QColor textColour = Qt::black;
    QColor backgroundColour = Qt::white;
    int backgroundMode = dcmode::Opaque;
    int polyFillMode = dcmode::Alternate;
    int rop2 = rop2::CopyPen;
    int stretchBltMode = stretchmode::BlackOnWhite;
    std::uint32_t textAlign = 0;
    int arcDirection = dcmode::CounterClockwise;
    double miterLimit = 10;

    // Clip in target coordinates; none: the whole surface.
    std::optional<QRegion> clip;
};

}  // namespace tavlex::mf
