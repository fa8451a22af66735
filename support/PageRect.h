#pragma once

#include <QMargins>
#include <QRect>

namespace tavlex {

// The rectangle a page's picture is stretched over: box with each edge moved by its edge offset
// times scale, cut toward zero (right and bottom exclusive). The products are taken in double,
// as the screen (scale = zoom percent / 100) and the printer (scale = SheetScale) both take them,
// so that the viewer, printing and the command-line tool place a page alike to the pixel.
// Products beyond +-10^9 pixels are held there.
QRect ShiftedPageRect(const QRect& box, double scale, const QMargins& edgeOffsets);

// One edge: trunc(offset x scale).
int ScaledEdgeOffset(int offset, double scale);

// Device pixels per screen pixel at 100 %: sheetWidth / paperWidth rounded to four decimals
// (nearest). 0 when paperWidth is not positive.
double SheetScale(int sheetWidth, int paperWidth);

}  // namespace tavlex
