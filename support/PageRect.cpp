#include "support/PageRect.h"

#include <algorithm>
#include <cmath>

namespace tavlex {

int ScaledEdgeOffset(int offset, double scale) {
    const double product = std::trunc(static_cast<double>(offset) * scale);
    if (!std::isfinite(product)) return 0;
    constexpr double kLimit = 1.0e9;
    return static_cast<int>(std::clamp(product, -kLimit, kLimit));
}

QRect ShiftedPageRect(const QRect& box, double scale, const QMargins& edgeOffsets) {
    const int left = box.left() + ScaledEdgeOffset(edgeOffsets.left(), scale);
    const int top = box.top() + ScaledEdgeOffset(edgeOffsets.top(), scale);
    const int right = box.left() + box.width() + ScaledEdgeOffset(edgeOffsets.right(), scale);
    const int bottom = box.top() + box.height() + ScaledEdgeOffset(edgeOffsets.bottom(), scale);
    return QRect(left, top, right - left, bottom - top);
}

double SheetScale(int sheetWidth, int paperWidth) {
    if (paperWidth <= 0) return 0;
    return std::round(static_cast<double>(sheetWidth) * 10000.0 / paperWidth) / 10000.0;
}

}  // namespace tavlex
