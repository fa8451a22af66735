#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

#include <array>

namespace tavlex {

class Document;

// The zoom list shared by every document window: index 0 fits the width, 1 shows the whole page,
// 2..10 are fixed percents. The item texts are the list's own; their leading number is the
// percent (0 for the two computed entries).
inline constexpr int kZoomItemCount = 11;
inline constexpr int kZoomFitWidth = 0;
inline constexpr int kZoomWholePage = 1;
inline constexpr int kZoomActualSize = 7;
inline constexpr int kMinZoomPercent = 50;
inline constexpr int kMaxZoomPercent = 200;

QString ZoomItemText(int index);  // empty outside 0..10
// Captions of the zoom menu items (with their accelerators), same indices.
QString ZoomMenuCaption(int index);
// TextToInt of the item's text: 0 for the computed entries and for indices outside the list.
int ZoomItemPercent(int index);

// The page area's margin: 5 pixels on each side of the sheet.
inline constexpr int kSheetMargin = 5;

// The sheet as one layout places it inside the scroll area.
struct SheetLayout {
    int percent = 0;
    QSize sheet;    // width and height of the sheet (border included)
    QPoint origin;  // left, top in content coordinates
    QSize ranges;   // horizontal and vertical scroll range (content size)
    QSize client;   // the client size the layout was computed for
    bool horizontalBar = false;
    bool verticalBar = false;
};

// The zoom percent for list index `index` with the displayed paper size `paper` (pixels at 100 %)
// in a client area `client`. An index outside the list counts as whole page. The paper must
// not be empty.
int ZoomPercentFor(int index, QSize paper, QSize client);

// Sheet size, position and scroll ranges for a given percent in a given client area.
SheetLayout PlaceSheet(int percent, QSize paper, QSize client);

// The whole layout in a scroll area whose client is `area` without scroll bars: a bar is shown
// only when its range exceeds the client size, and when bars come or go the layout runs again
// on the smaller client. barWidth and barHeight are the vertical bar's width and the horizontal
// bar's height.
SheetLayout LayoutSheet(int index, QSize paper, QSize area, int barWidth, int barHeight);

// Displayed paper size: a turned page exchanges width and height.
QSize DisplayedPaper(int paperWidth, int paperHeight, bool turned);

// True when the current page of an orientation-capable album is turned against the album's usual
// orientation (the directory head's byte).
bool IsPageTurned(const Document& document, int page);

// Enlarge/reduce: the list index the command selects from percent, or -1 when none qualifies.
int EnlargeIndex(int percent);
int ReduceIndex(int percent);

// Whether the enlarge/reduce buttons are enabled.
inline bool CanEnlarge(int pageCount, int percent) {
    return pageCount > 0 && percent < kMaxZoomPercent;
}
inline bool CanReduce(int pageCount, int percent) {
    return pageCount > 0 && percent > kMinZoomPercent;
}

}  // namespace tavlex
