#pragma once

#include <QColor>
#include <QRect>

class QPainter;
class QPalette;

namespace tavlex {

// How one ring of a panel's edge is cut: raised (light at top-left), lowered (dark at top-left),
// none, or a flat space in the panel colour.
enum class BevelCut { None, Lowered, Raised, Space };

// Draws `width` nested rings of a 3-D frame, top-left in one colour and bottom-right in the other,
// shrinking rect by one pixel on each side per ring.
void DrawFrame3D(QPainter& painter, QRect& rect, const QColor& topLeft, const QColor& bottomRight,
                 int width);

// The edge of a panel: outer bevel, a border of the panel colour, inner bevel. Returns the
// rectangle left inside them.
QRect DrawPanelEdge(QPainter& painter, QRect rect, const QPalette& palette,
                    const QColor& panelColor, BevelCut outer, BevelCut inner, int bevelWidth,
                    int borderWidth);

}  // namespace tavlex
