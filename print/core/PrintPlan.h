#pragma once

#include <QMargins>
#include <QRect>
#include <QString>

#include <cstdint>

namespace tavlex {

// How the print dialog numbers the pages of an album: displayed numbers when the album's page
// offset is not negative, plain positions otherwise (the user is told so first).
struct DialogNumbering {
    int offset = 0;  // subtracted from the dialog's numbers to get positions
    int minPage = 1;
    int maxPage = 1;
    bool notice = false;  // the negative-offset notice must be shown before the dialog
};
DialogNumbering NumberingFor(std::int32_t pageOffset, std::int32_t pageCount);

// The notice for an album whose page numbers start at pageOffset + 1 <= 0.
QString NegativeOffsetNotice(std::int32_t pageOffset);

// A printer page as the page loop sees it, in device dots, for the orientation in force.
struct DeviceMetrics {
    int physicalWidth = 0;  // the whole sheet
    int physicalHeight = 0;
    int offsetX = 0;  // unprintable left margin: the drawing origin sits here
    int offsetY = 0;  // unprintable top margin
    int dpiX = 0;
    int dpiY = 0;
};

// Device dots per screen pixel at 100 %: the sheet's width over the album's paper width in
// pixels, in ten-thousandths (rounded to nearest). 0 when the paper width is not positive.
std::int64_t DotsPerPixel(int physicalWidth, std::int32_t paperWidth);

// Where a page goes on the sheet, in device coordinates whose origin is the corner of the
// printable area: the whole physical sheet with each edge moved by its edge offset, scaled by
// DotsPerPixel and cut toward zero. Right and bottom are exclusive. Empty when the paper width
// is not positive.
QRect TargetRectangle(const DeviceMetrics& device, std::int32_t paperWidth,
                      const QMargins& edgeOffsets);

}  // namespace tavlex
