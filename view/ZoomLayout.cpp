#include "view/ZoomLayout.h"

#include <algorithm>
#include <cmath>

#include "album/Document.h"
#include "support/Text.h"

namespace tavlex {
namespace {

// Long double keeps the products and quotients as exact as the layout has always had them
// (80-bit on this platform), so that 794 x 0.52 truncates to 412 and not one less.
using Real = long double;

int Trunc(Real value) {
    if (!std::isfinite(value)) return 0;
    constexpr Real kLimit = 1.0e9L;
    return static_cast<int>(std::clamp(value, -kLimit, kLimit));
}

}  // namespace

QString ZoomItemText(int index) {
    static const std::array<QString, kZoomItemCount> texts = {
        QStringLiteral(" 幅に合わせる"), QStringLiteral(" 全体表示"),     QStringLiteral(" 50 %"),
        QStringLiteral(" 60 %"),         QStringLiteral(" 70 %"),         QStringLiteral(" 80 %"),
        QStringLiteral(" 90 %"),         QStringLiteral(" 100 % (実寸)"), QStringLiteral(" 120 %"),
        QStringLiteral(" 150 %"),        QStringLiteral(" 200 %"),
    };
    if (index < 0 || index >= kZoomItemCount) return {};
    return texts[static_cast<std::size_t>(index)];
}

QString ZoomMenuCaption(int index) {
    static const std::array<QString, kZoomItemCount> captions = {
        QStringLiteral("幅に合わせる(&J)"), QStringLiteral("全体表示(&A)"),
        QStringLiteral("&1 50 %"),          QStringLiteral("&2 60 %"),
        QStringLiteral("&3 70 %"),          QStringLiteral("&4 80 %"),
        QStringLiteral("&5 90 %"),          QStringLiteral("&6 100 % (実寸)"),
        QStringLiteral("&7 120 %"),         QStringLiteral("&8 150 %"),
        QStringLiteral("&9 200 %"),
    };
    if (index < 0 || index >= kZoomItemCount) return {};
    return captions[static_cast<std::size_t>(index)];
}

int ZoomItemPercent(int index) {
    return TextToInt(QStringView(ZoomItemText(index)));
}

int ZoomPercentFor(int index, QSize paper, QSize client) {
    const Real byWidth = Real(client.width() - 2 * kSheetMargin) / Real(paper.width()) * 100;
    const Real byHeight = Real(client.height() - 2 * kSheetMargin) / Real(paper.height()) * 100;
    if (index == kZoomFitWidth) return Trunc(byWidth);
    const int fixed = ZoomItemPercent(index);
    if (fixed > 0) return fixed;
    // Whole page, and the fallback for an index that names no entry.
    return std::min(Trunc(byWidth), Trunc(byHeight));
}

SheetLayout PlaceSheet(int percent, QSize paper, QSize client) {
    SheetLayout layout;
    layout.percent = percent;
    layout.client = client;
    const Real scale = Real(percent) / 100;
    const int w = std::max(0, Trunc(Real(paper.width()) * scale));
    const int h = std::max(0, Trunc(Real(paper.height()) * scale));
    layout.sheet = QSize(w, h);
    const int left = std::max(kSheetMargin, (client.width() - w) / 2);
    const int top = std::max(kSheetMargin, Trunc(Real(client.height() - h) / Real(2.5)));
    layout.origin = QPoint(left, top);
    layout.ranges = QSize(left + w + kSheetMargin, top + h + kSheetMargin);
    return layout;
}

SheetLayout LayoutSheet(int index, QSize paper, QSize area, int barWidth, int barHeight) {
    bool vertical = false;
    bool horizontal = false;
    auto clientFor = [&](bool v, bool h) {
        return QSize(area.width() - (v ? barWidth : 0), area.height() - (h ? barHeight : 0));
    };
    // Each bar that comes or goes changes the client and the layout runs again. Four states
    // exist; a layout that would flip between them settles on showing the bars it ever needed,
    // which keeps every part of the sheet reachable.
    bool everVertical = false;
    bool everHorizontal = false;
    for (int round = 0; round < 4; ++round) {
        const QSize client = clientFor(vertical, horizontal);
        SheetLayout layout = PlaceSheet(ZoomPercentFor(index, paper, client), paper, client);
        const bool needVertical = layout.ranges.height() > client.height();
        const bool needHorizontal = layout.ranges.width() > client.width();
        if (needVertical == vertical && needHorizontal == horizontal) {
            layout.verticalBar = vertical;
            layout.horizontalBar = horizontal;
            return layout;
        }
        vertical = needVertical;
        horizontal = needHorizontal;
        everVertical = everVertical || vertical;
        everHorizontal = everHorizontal || horizontal;
    }
    const QSize client = clientFor(everVertical, everHorizontal);
    SheetLayout layout = PlaceSheet(ZoomPercentFor(index, paper, client), paper, client);
    layout.verticalBar = everVertical;
    layout.horizontalBar = everHorizontal;
    return layout;
}

QSize DisplayedPaper(int paperWidth, int paperHeight, bool turned) {
    return turned ? QSize(paperHeight, paperWidth) : QSize(paperWidth, paperHeight);
}

bool IsPageTurned(const Document& document, int page) {
    if (!document.HasPageOrientation) return false;
    const auto& directory = document.PageDirectory;
    if (page < 1 || static_cast<std::size_t>(page) >= directory.size()) return false;
    return directory[static_cast<std::size_t>(page)].Orientation != directory[0].Orientation;
}

int EnlargeIndex(int percent) {
    for (int i = 0; i < kZoomItemCount; ++i) {
        const int value = ZoomItemPercent(i);
        if (value > 0 && value > percent) return i;
    }
    return -1;
}

int ReduceIndex(int percent) {
    for (int i = kZoomItemCount - 1; i >= 0; --i) {
        const int value = ZoomItemPercent(i);
        if (value > 0 && value < percent) return i;
    }
    return -1;
}

}  // namespace tavlex
