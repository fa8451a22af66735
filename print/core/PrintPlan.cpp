#include "print/core/PrintPlan.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace tavlex {

DialogNumbering NumberingFor(std::int32_t pageOffset, std::int32_t pageCount) {
    DialogNumbering numbering;
    numbering.notice = pageOffset < 0;
    numbering.offset = pageOffset < 0 ? 0 : pageOffset;
    // 64-bit sums: offsets near the int range are stored values, not numbers anyone shows.
    const auto clamp = [](std::int64_t v) {
        return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    numbering.minPage = clamp(std::int64_t{numbering.offset} + 1);
    numbering.maxPage = clamp(std::int64_t{pageCount} + numbering.offset);
    return numbering;
}

QString NegativeOffsetNotice(std::int32_t pageOffset) {
    const std::int64_t first = std::int64_t{pageOffset} + 1;
    const std::int64_t added = std::llabs(std::int64_t{pageOffset});
    return QStringLiteral("ページ番号が ") + QString::number(first) +
           QStringLiteral(
               " から開始する特殊なデータですので\r\n印刷でページ指定する場合は実際のページに ") +
           QString::number(added) + QStringLiteral(" を加算してください。");
}

std::int64_t DotsPerPixel(int physicalWidth, std::int32_t paperWidth) {
    if (paperWidth <= 0) return 0;
    return std::llround(static_cast<double>(physicalWidth) * 10000.0 / paperWidth);
}

QRect TargetRectangle(const DeviceMetrics& device, std::int32_t paperWidth,
                      const QMargins& edgeOffsets) {
    const std::int64_t scale = DotsPerPixel(device.physicalWidth, paperWidth);
    if (scale <= 0) return {};
    // Exact in ten-thousandths, so that 0.29 x 100 gives 29 and not 28; division truncates
    // toward zero as the offsets must.
    const auto dots = [scale](int offset) {
        return static_cast<std::int64_t>(offset) * scale / 10000;
    };
    const std::int64_t left = -device.offsetX + dots(edgeOffsets.left());
    const std::int64_t top = -device.offsetY + dots(edgeOffsets.top());
    const std::int64_t right = device.physicalWidth - device.offsetX + dots(edgeOffsets.right());
    const std::int64_t bottom = device.physicalHeight - device.offsetY + dots(edgeOffsets.bottom());
    const auto fit = [](std::int64_t v) {
        return static_cast<int>(std::clamp<std::int64_t>(v, -(1 << 28), 1 << 28));
    };
    return QRect(QPoint(fit(left), fit(top)), QPoint(fit(right) - 1, fit(bottom) - 1));
}

}  // namespace tavlex
