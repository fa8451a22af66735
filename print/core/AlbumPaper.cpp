#include "print/core/AlbumPaper.h"

#include <QSizeF>

#include <algorithm>
#include <cmath>

namespace tavlex {

QPageSize AlbumPageSize(std::int32_t paperCode, std::int32_t widthMm, std::int32_t heightMm) {
    // Stored values may be anything: no sheet beyond 10 m a side.
    constexpr std::int32_t kMaxSideMm = 10000;
    const bool usable =
        widthMm > 0 && heightMm > 0 && widthMm <= kMaxSideMm && heightMm <= kMaxSideMm;
    const double shortSide = std::min(widthMm, heightMm);
    const double longSide = std::max(widthMm, heightMm);
    if (paperCode > 0 && paperCode != 256 && paperCode <= 0xffff) {
        const QPageSize standard(QPageSize::id(static_cast<int>(paperCode)));
        if (standard.isValid() && standard.id() != QPageSize::Custom) {
            const QSizeF mm = standard.size(QPageSize::Millimeter);
            const bool matches =
                !usable || (std::abs(std::min(mm.width(), mm.height()) - shortSide) <= 1.0 &&
                            std::abs(std::max(mm.width(), mm.height()) - longSide) <= 1.0);
            if (matches) return standard;
        }
    }
    if (!usable) return {};
    return QPageSize(QSizeF(shortSide, longSide), QPageSize::Millimeter, QString(),
                     QPageSize::ExactMatch);
}

}  // namespace tavlex
