// Records of the enhanced metafile that the Windows metafile has no form for and that become
// plain shapes: gradient fills, region fills and arcs that continue the current position.

#include "metafile/EmfToWmfConverter.h"
#include "metafile/GdiDefs.h"
#include "metafile/StockObjects.h"

namespace tavlex::mf::emftowmf {

namespace {

constexpr int kGradientBands = 48;

std::uint32_t Rgb16(ByteView r, std::uint64_t at) {
    return static_cast<std::uint32_t>(r.U16Or(at) >> 8) |
           (static_cast<std::uint32_t>(r.U16Or(at + 2) >> 8) << 8) |
           (static_cast<std::uint32_t>(r.U16Or(at + 4) >> 8) << 16);
}

std::uint32_t Mix(std::uint32_t a, std::uint32_t b, double t) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const double ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= static_cast<std::uint32_t>(std::lround(ca + (cb - ca) * t)) << shift;
    }
    return out;
}

}  // namespace

// After drawing with objects of its own the DC gets back what the metafile selected; where
// nothing was selected yet, the defaults (black pen, white brush) stand in.
void EmfToWmfConverter::RestorePenAndBrush() {
    if (dc_.pen < 0) dc_.pen = MakeObject(PenObject(0, 0, 0));
    if (dc_.brush < 0) dc_.brush = MakeObject(BrushObject(0, 0xFFFFFF));
    if (dc_.pen >= 0) out_->SelectObject(dc_.pen);
    if (dc_.brush >= 0) out_->SelectObject(dc_.brush);
}

// Rectangles in bands of solid colour, triangles in their mean colour, without outline.
void EmfToWmfConverter::GradientFill(ByteView r) {
    const std::uint32_t vertices = r.U32Or(24), meshes = r.U32Or(28), mode = r.U32Or(32);
    const std::uint64_t meshAt = 36 + std::uint64_t{vertices} * 16;
    const std::uint64_t meshSize = mode == gradientmode::Triangle ? 12 : 8;
    if (vertices > kEmfToWmfLimits.maxPointsPerRecord ||
        meshes > kEmfToWmfLimits.maxPointsPerRecord || mode > gradientmode::Triangle ||
        !r.Has(36, std::uint64_t{vertices} * 16) || !r.Has(meshAt, meshes * meshSize)) {
        return;
    }
    auto vertex = [&](std::uint32_t i) {
        return QPointF(r.I32Or(36 + std::uint64_t{i} * 16), r.I32Or(40 + std::uint64_t{i} * 16));
    };
    auto colour = [&](std::uint32_t i) { return Rgb16(r, 44 + std::uint64_t{i} * 16); };
    const int nullPen = out_->CreatePenIndirect(penstyle::Null, 0, 0);
    out_->SelectObject(nullPen);
    int brush = -1;
    auto fill = [&](std::uint32_t colorRef, const QPolygonF& logical) {
        const int next = out_->CreateBrushIndirect(0, colorRef, 0);
        out_->SelectObject(next);
        if (brush >= 0) out_->DeleteObject(brush);
        brush = next;
        DrawPolygons({Total().map(logical)}, true);
    };
    for (std::uint32_t m = 0; m < meshes; ++m) {
        const std::uint64_t at = meshAt + m * meshSize;
        const std::uint32_t a = r.U32Or(at), b = r.U32Or(at + 4);
        if (a >= vertices || b >= vertices) continue;
        if (mode == gradientmode::Triangle) {
            const std::uint32_t c = r.U32Or(at + 8);
            if (c >= vertices) continue;
            const std::uint32_t ab = Mix(colour(a), colour(b), 0.5);
            fill(Mix(ab, colour(c), 1.0 / 3), QPolygonF({vertex(a), vertex(b), vertex(c)}));
            continue;
        }
        const QRectF box = QRectF(vertex(a), vertex(b)).normalized();
        for (int k = 0; k < kGradientBands; ++k) {
            const double t0 = double(k) / kGradientBands, t1 = double(k + 1) / kGradientBands;
            const QRectF band = mode == 0
                                    ? QRectF(QPointF(box.left() + box.width() * t0, box.top()),
                                             QPointF(box.left() + box.width() * t1, box.bottom()))
                                    : QRectF(QPointF(box.left(), box.top() + box.height() * t0),
                                             QPointF(box.right(), box.top() + box.height() * t1));
            fill(Mix(colour(a), colour(b), (t0 + t1) / 2), QPolygonF(band));
        }
    }
    RestorePenAndBrush();
    out_->DeleteObject(nullPen);
    if (brush >= 0) out_->DeleteObject(brush);
}

// EMR_FILLRGN with its own brush, EMR_PAINTRGN with the current one; the region's rectangles
// are in logical units.
void EmfToWmfConverter::RegionFill(std::uint32_t type, ByteView r) {
    const bool own = type == emr::FillRgn;
    const std::uint64_t dataAt = own ? 32 : 28;
    const std::uint32_t count = r.U32Or(dataAt + 8);
    if (count > kEmfToWmfLimits.maxRegionRects || !r.Has(dataAt + 32, std::uint64_t{count} * 16))
        return;
    QList<QPolygonF> rects;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t at = dataAt + 32 + std::uint64_t{i} * 16;
        const QRectF box(QPointF(r.I32Or(at), r.I32Or(at + 4)),
                         QPointF(r.I32Or(at + 8), r.I32Or(at + 12)));
        rects.append(Total().map(QPolygonF(box)));
    }
    if (rects.isEmpty()) return;
    int brush = -1;
    if (own) {
        const std::uint32_t handle = r.U32Or(28);
        if (handle & kStockObject) {
            const StockObject stock = StockObjectAt(handle & ~kStockObject);
            if (stock.kind != StockObject::Kind::Brush || stock.style != brushstyle::Solid) return;
            brush = MakeObject(BrushObject(brushstyle::Solid, stock.colour));
        } else {
            const auto it = objects_.find(handle);
            if (it == objects_.end() || (it->second.kind != EmfObject::Kind::Brush &&
                                         it->second.kind != EmfObject::Kind::PatternBrush)) {
                return;
            }
            brush = MakeObject(it->second);
        }
        if (brush < 0) return;
        out_->SelectObject(brush);
    }
    const int nullPen = out_->CreatePenIndirect(penstyle::Null, 0, 0);
    out_->SelectObject(nullPen);
    DrawPolygons(rects, true);
    RestorePenAndBrush();
    out_->DeleteObject(nullPen);
    if (brush >= 0) out_->DeleteObject(brush);
}

// A line from the current position to the arc's start, the arc, and the current position at
// its end.
void EmfToWmfConverter::ArcTo(ByteView r) {
    const QRectF box =
        QRectF(QPointF(r.I32Or(8), r.I32Or(12)), QPointF(r.I32Or(16), r.I32Or(20))).normalized();
    if (box.width() <= 0 || box.height() <= 0) return;
    const QPointF centre = box.center();
    auto onEllipse = [&](QPointF p) {
        const QPointF d = p - centre;
        const double k = std::hypot(d.x() / (box.width() / 2), d.y() / (box.height() / 2));
        return k > 0 ? centre + d / k : QPointF(box.right(), centre.y());
    };
    const QPointF start = onEllipse(QPointF(r.I32Or(24), r.I32Or(28)));
    const QPointF end = onEllipse(QPointF(r.I32Or(32), r.I32Or(36)));
    const QPoint s = Map(start.x(), start.y()), e = Map(end.x(), end.y());
    dc_.position = end;
    if (inPath_) {
        path_.lineTo(Total().map(start));
        path_.lineTo(Total().map(end));
        return;
    }
    out_->LineTo(s.x(), s.y());
    const QPoint a = Map(box.left(), box.top()), b = Map(box.right(), box.bottom());
    if (dc_.arcDirection == dcmode::Clockwise) {
        out_->ArcLike(wmr::Arc, a.x(), a.y(), b.x(), b.y(), e.x(), e.y(), s.x(), s.y());
    } else {
        out_->ArcLike(wmr::Arc, a.x(), a.y(), b.x(), b.y(), s.x(), s.y(), e.x(), e.y());
    }
    out_->MoveTo(e.x(), e.y());
}

}  // namespace tavlex::mf::emftowmf
