#include "metafile/PageMapping.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace tavlex::mf {

ReferenceDevice ReferenceDevice::From(QSizeF pixels, QSizeF millimetres) {
    if (pixels.width() <= 0 || pixels.height() <= 0 || millimetres.width() <= 0 ||
        millimetres.height() <= 0)
        return {};
    return {pixels, millimetres};
}

void PageMapping::SetMapMode(int mode, const ReferenceDevice& device) {
    if (mode < mapmode::Text || mode > mapmode::Anisotropic) return;
    mapMode = mode;
    double units = 0;  // logical units per millimetre
    switch (mode) {
        case mapmode::Text:
            windowExt = QSizeF(1, 1);
            viewportExt = QSizeF(1, 1);
            return;
        case mapmode::LoMetric:
        case mapmode::Isotropic:  // starts as LoMetric
            units = 10;
            break;
        case mapmode::HiMetric:
            units = 100;
            break;
        case mapmode::LoEnglish:
            units = 100 / 25.4;
            break;
        case mapmode::HiEnglish:
            units = 1000 / 25.4;
            break;
        case mapmode::Twips:
            units = 1440 / 25.4;
            break;
        default:
            return;  // anisotropic: the extents stay
    }
    // The platform keeps whole logical units for the window, so the English modes and twips
    // are a little off their nominal scale.
    windowExt = QSizeF(std::round(device.millimetres.width() * units),
                       std::round(device.millimetres.height() * units));
    viewportExt = QSizeF(device.pixels.width(), -device.pixels.height());
}

void PageMapping::SetWindowExt(std::int32_t cx, std::int32_t cy, const ReferenceDevice& device) {
    if (cx == 0 || cy == 0 || !TakesExtents()) return;
    windowExt = QSizeF(cx, cy);
    FixIsotropic(device);
}

void PageMapping::SetViewportExt(std::int32_t cx, std::int32_t cy, const ReferenceDevice& device) {
    if (cx == 0 || cy == 0 || !TakesExtents()) return;
    viewportExt = QSizeF(cx, cy);
    FixIsotropic(device);
}

void PageMapping::ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom,
                                 const ReferenceDevice& device) {
    Scale(windowExt, xNum, xDenom, yNum, yDenom, device);
}

void PageMapping::ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom,
                                   const ReferenceDevice& device) {
    Scale(viewportExt, xNum, xDenom, yNum, yDenom, device);
}

void PageMapping::Scale(QSizeF& ext, double xNum, double xDenom, double yNum, double yDenom,
                        const ReferenceDevice& device) {
    if (!TakesExtents() || xNum == 0 || xDenom == 0 || yNum == 0 || yDenom == 0) return;
    ext = QSizeF(std::trunc(ext.width() * xNum / xDenom), std::trunc(ext.height() * yNum / yDenom));
    if (ext.width() == 0 || ext.height() == 0) ext = QSizeF(1, 1);
    FixIsotropic(device);
}

// Keeps the isotropic aspect: a logical unit is as long in millimetres across as down, so
// the viewport extent shrinks along the axis that would be longer, rounded to whole pixels.
void PageMapping::FixIsotropic(const ReferenceDevice& device) {
    if (mapMode != mapmode::Isotropic || windowExt.width() == 0 || windowExt.height() == 0) return;
    const double xdim = std::fabs(viewportExt.width() * device.millimetres.width() /
                                  (windowExt.width() * device.pixels.width()));
    const double ydim = std::fabs(viewportExt.height() * device.millimetres.height() /
                                  (windowExt.height() * device.pixels.height()));
    if (xdim == 0 || ydim == 0) return;
    if (xdim > ydim) {
        const double cx = std::floor(viewportExt.width() * ydim / xdim + 0.5);
        viewportExt.setWidth(cx != 0 ? cx : viewportExt.width() >= 0 ? 1 : -1);
    } else {
        const double cy = std::floor(viewportExt.height() * xdim / ydim + 0.5);
        viewportExt.setHeight(cy != 0 ? cy : viewportExt.height() >= 0 ? 1 : -1);
    }
}

QTransform PageMapping::Transform() const {
    const double sx = windowExt.width() != 0 ? viewportExt.width() / windowExt.width() : 1;
    const double sy = windowExt.height() != 0 ? viewportExt.height() / windowExt.height() : 1;
    return QTransform(sx, 0, 0, sy, viewportOrg.x() - windowOrg.x() * sx,
                      viewportOrg.y() - windowOrg.y() * sy);
}

void ApplyWorldTransform(QTransform& world, std::uint32_t type, ByteView r) {
    const std::uint32_t mode = type == emr::SetWorldTransform ? worldmode::Set : r.U32Or(32);
    if (mode == worldmode::Identity) {
        world = QTransform();
        return;
    }
    const auto m11 = r.F32(8), m12 = r.F32(12), m21 = r.F32(16), m22 = r.F32(20), dx = r.F32(24),
               dy = r.F32(28);
    if (!m11 || !m12 || !m21 || !m22 || !dx || !dy) return;
    const double v[6] = {*m11, *m12, *m21, *m22, *dx, *dy};
    const auto usable = [](double x) { return std::isfinite(x) && std::fabs(x) < 1e12; };
    if (!std::all_of(std::begin(v), std::end(v), usable)) return;
    const QTransform x(v[0], v[1], v[2], v[3], v[4], v[5]);
    if (mode == worldmode::LeftMultiply)
        world = x * world;
    else if (mode == worldmode::RightMultiply)
        world = world * x;
    else if (mode == worldmode::Set)
        world = x;
}

}  // namespace tavlex::mf
