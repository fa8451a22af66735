#pragma once

#include <QCursor>

namespace tavlex {

// The program's own mouse cursors, drawn at run time (32 x 32).
enum ProgramCursorNumber {
    OpenHandCursor = 1,      // hot spot 16, 14
    PointingHandCursor = 2,  // hot spot 12, 1
    GrabbingHandCursor = 3,  // hot spot 16, 14
    MoveCursor = 4,          // four-way arrows, hot spot 16, 16: dragging the page
    MagnifierCursor = 5,     // hot spot 16, 16
};

// Cursor number 1 to 5; any other number gives the arrow. Built once, on first use (needs a
// running QGuiApplication).
QCursor ProgramCursor(int number);

// The picture (with its mask in the alpha channel) and hot spot behind a cursor, for inspection.
QPixmap ProgramCursorPixmap(int number);
QPoint ProgramCursorHotSpot(int number);

}  // namespace tavlex
