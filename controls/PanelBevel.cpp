#include "controls/PanelBevel.h"

#include <QPainter>
#include <QPalette>

namespace tavlex {

void DrawFrame3D(QPainter& painter, QRect& rect, const QColor& topLeft, const QColor& bottomRight,
                 int width) {
    painter.save();
    for (int i = 0; i < width && rect.width() > 0 && rect.height() > 0; ++i) {
        painter.setPen(topLeft);
        painter.drawLine(rect.left(), rect.bottom(), rect.left(), rect.top());
        painter.drawLine(rect.left(), rect.top(), rect.right(), rect.top());
        painter.setPen(bottomRight);
        painter.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
        painter.drawLine(rect.right(), rect.bottom(), rect.left(), rect.bottom());
        rect.adjust(1, 1, -1, -1);
    }
    painter.restore();
}

static void DrawBevel(QPainter& painter, QRect& rect, const QPalette& palette,
                      const QColor& panelColor, BevelCut cut, int width) {
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    switch (cut) {
        case BevelCut::None:
            return;
        case BevelCut::Lowered:
            DrawFrame3D(painter, rect, dark, light, width);
            return;
        case BevelCut::Raised:
            DrawFrame3D(painter, rect, light, dark, width);
            return;
        case BevelCut::Space:
            DrawFrame3D(painter, rect, panelColor, panelColor, width);
            return;
    }
}

QRect DrawPanelEdge(QPainter& painter, QRect rect, const QPalette& palette,
                    const QColor& panelColor, BevelCut outer, BevelCut inner, int bevelWidth,
                    int borderWidth) {
    DrawBevel(painter, rect, palette, panelColor, outer, bevelWidth);
    DrawFrame3D(painter, rect, panelColor, panelColor, borderWidth);
    DrawBevel(painter, rect, palette, panelColor, inner, bevelWidth);
    return rect;
}

}  // namespace tavlex
