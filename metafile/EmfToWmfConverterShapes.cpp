// Lines, polygons, Bézier curves and shapes in a box.

#include "metafile/EmfToWmfConverter.h"
#include "metafile/GdiDefs.h"

namespace tavlex::mf::emftowmf {

// Lines, shapes, text, bitmaps and fills.
bool EmfToWmfConverter::DrawRecord(std::uint32_t type, ByteView r) {
    switch (type) {
        case emr::MoveToEx:
        case emr::LineTo:
            Line(type, QPointF(r.I32Or(8), r.I32Or(12)));
            return true;
        case emr::Rectangle:
        case emr::Ellipse:
        case emr::RoundRect:
        case emr::Arc:
        case emr::Chord:
        case emr::Pie:
            BoxShape(type, r);
            return true;
        case emr::Polyline:
        case emr::Polygon:
        case emr::PolyLineTo:
        case emr::PolyBezier:
        case emr::PolyBezierTo:
            Points(type, r, false);
            return true;
        case emr::Polyline16:
        case emr::Polygon16:
        case emr::PolylineTo16:
        case emr::PolyBezier16:
        case emr::PolyBezierTo16:
            Points(type, r, true);
            return true;
        case emr::PolyPolygon:
        case emr::PolyPolyline:
            PolyPoly(type, r, false);
            return true;
        case emr::PolyPolygon16:
        case emr::PolyPolyline16:
            PolyPoly(type, r, true);
            return true;
        case emr::SetPixelV: {
            const QPoint p = Map(r.I32Or(8), r.I32Or(12));
            out_->SetPixel(p.x(), p.y(), r.U32Or(16) & 0xFFFFFF);
            return true;
        }
        case emr::ExtTextOutW:
        case emr::ExtTextOutA:
            Text(r, type == emr::ExtTextOutW);
            return true;
        case emr::SmallTextOut:
            SmallText(r);
            return true;
        case emr::BitBlt:
        case emr::StretchBlt:
        case emr::StretchDiBits:
        case emr::SetDiBitsToDevice:
            Bitmap(type, r);
            return true;
        case emr::GradientFill:
            GradientFill(r);
            return true;
        case emr::FillRgn:
        case emr::PaintRgn:
            RegionFill(type, r);
            return true;
        case emr::ArcTo:
            ArcTo(r);
            return true;
        default:
            return false;
    }
}

// EMR_MOVETOEX and EMR_LINETO: the current position moves, in the path while one is open.
void EmfToWmfConverter::Line(std::uint32_t type, QPointF to) {
    dc_.position = to;
    const bool line = type == emr::LineTo;
    if (inPath_) {
        const QPointF p = Total().map(to);
        if (line) {
            path_.lineTo(p);
        } else {
            path_.moveTo(p);
        }
        return;
    }
    const QPoint p = Map(to.x(), to.y());
    if (line) {
        out_->LineTo(p.x(), p.y());
    } else {
        out_->MoveTo(p.x(), p.y());
    }
}

void EmfToWmfConverter::Points(std::uint32_t type, ByteView r, bool sixteen) {
    const std::uint32_t count = r.U32Or(24);
    const std::uint64_t step = sixteen ? 4 : 8;
    if (count > kEmfToWmfLimits.maxPointsPerRecord || !r.Has(28, count * step)) return;
    QPolygonF logical;
    logical.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t at = 28 + i * step;
        logical.append(sixteen ? QPointF(r.I16Or(at), r.I16Or(at + 2))
                               : QPointF(r.I32Or(at), r.I32Or(at + 4)));
    }
    const bool to = type == emr::PolyLineTo || type == emr::PolylineTo16 ||
                    type == emr::PolyBezierTo || type == emr::PolyBezierTo16;
    const bool bezier = type == emr::PolyBezier || type == emr::PolyBezier16 ||
                        type == emr::PolyBezierTo || type == emr::PolyBezierTo16;
    if (to) logical.prepend(dc_.position);
    if (logical.isEmpty()) return;
    QPolygonF shape = logical;
    if (bezier) {
        QPainterPath curve(logical[0]);
        for (qsizetype i = 1; i + 2 < logical.size(); i += 3) {
            curve.cubicTo(logical[i], logical[i + 1], logical[i + 2]);
        }
        shape = curve.toSubpathPolygons().value(0, QPolygonF{logical[0]});
    }
    if (to) dc_.position = logical.back();
    const bool polygon = type == emr::Polygon || type == emr::Polygon16;
    const QPolygonF mapped = Total().map(shape);
    if (inPath_) {
        if (to && !path_.isEmpty()) {
            for (qsizetype i = 1; i < mapped.size(); ++i) path_.lineTo(mapped[i]);
        } else {
            path_.addPolygon(mapped);
            if (polygon) path_.closeSubpath();
        }
        return;
    }
    DrawPolygons({mapped}, polygon);
    if (to) {
        const QPoint end = Map(dc_.position.x(), dc_.position.y());
        out_->MoveTo(end.x(), end.y());
    }
}

void EmfToWmfConverter::DrawPolygons(const QList<QPolygonF>& polygons, bool closed) {
    auto toInt = [](const QPolygonF& p) {
        QVector<QPoint> v;
        v.reserve(p.size());
        for (const QPointF& q : p) {
            v.append(QPoint(Coord(q.x()), Coord(q.y())));
        }
        return v;
    };
    if (closed) {
        if (polygons.size() == 1) {
            out_->Polygon(toInt(polygons[0]));
        } else {
            QVector<QVector<QPoint>> all;
            for (const QPolygonF& p : polygons) all.append(toInt(p));
            out_->PolyPolygon(all);
        }
        return;
    }
    for (const QPolygonF& p : polygons) out_->Polyline(toInt(p));
}

void EmfToWmfConverter::PolyPoly(std::uint32_t type, ByteView r, bool sixteen) {
    const std::uint32_t polys = r.U32Or(24);
    const std::uint32_t total = r.U32Or(28);
    const std::uint64_t step = sixteen ? 4 : 8;
    if (polys > kEmfToWmfLimits.maxPointsPerRecord || total > kEmfToWmfLimits.maxPointsPerRecord)
        return;
    const std::uint64_t pointsAt = 32 + std::uint64_t{polys} * 4;
    if (!r.Has(32, std::uint64_t{polys} * 4) || !r.Has(pointsAt, total * step)) return;
    const QTransform t = Total();
    QList<QPolygonF> polygons;
    std::uint64_t next = 0;
    for (std::uint32_t i = 0; i < polys; ++i) {
        const std::uint32_t n = r.U32Or(32 + std::uint64_t{i} * 4);
        if (next + n > total) return;
        QPolygonF poly;
        for (std::uint32_t k = 0; k < n; ++k, ++next) {
            const std::uint64_t at = pointsAt + next * step;
            poly.append(t.map(sixteen ? QPointF(r.I16Or(at), r.I16Or(at + 2))
                                      : QPointF(r.I32Or(at), r.I32Or(at + 4))));
        }
        polygons.append(poly);
    }
    const bool closed = type == emr::PolyPolygon || type == emr::PolyPolygon16;
    if (inPath_) {
        for (const QPolygonF& p : polygons) {
            path_.addPolygon(p);
            if (closed) path_.closeSubpath();
        }
        return;
    }
    DrawPolygons(polygons, closed);
}

void EmfToWmfConverter::BoxShape(std::uint32_t type, ByteView r) {
    const QRectF box(QPointF(r.I32Or(8), r.I32Or(12)), QPointF(r.I32Or(16), r.I32Or(20)));
    if (inPath_ || Rotated()) {
        QPainterPath shape;
        if (type == emr::Rectangle) {
            shape.addRect(box.normalized());
        } else if (type == emr::Ellipse) {
            shape.addEllipse(box.normalized());
        } else if (type == emr::RoundRect) {
            shape.addRoundedRect(box.normalized(), r.I32Or(24) / 2.0, r.I32Or(28) / 2.0);
        } else {
            return;  // arcs under rotation are left out
        }
        const QPainterPath mapped = Total().map(shape);
        if (inPath_) {
            path_.addPath(mapped);
        } else {
            DrawPolygons(mapped.toFillPolygons(), true);
        }
        return;
    }
    const QPoint a = Map(box.left(), box.top());
    const QPoint b = Map(box.right(), box.bottom());
    switch (type) {
        case emr::Rectangle:
            out_->Rectangle(a.x(), a.y(), b.x(), b.y());
            return;
        case emr::Ellipse:
            out_->Ellipse(a.x(), a.y(), b.x(), b.y());
            return;
        case emr::RoundRect: {
            const int w = Coord(r.I32Or(24) * ScaleX());
            const int h = Coord(r.I32Or(28) * ScaleY());
            out_->RoundRect(a.x(), a.y(), b.x(), b.y(), w, h);
            return;
        }
        default: {
            QPoint s = Map(r.I32Or(24), r.I32Or(28));
            QPoint e = Map(r.I32Or(32), r.I32Or(36));
            // Windows-metafile arcs run counterclockwise only.
            if (dc_.arcDirection == dcmode::Clockwise) std::swap(s, e);
            const std::uint16_t function = type == emr::Arc     ? wmr::Arc
                                           : type == emr::Chord ? wmr::Chord
                                                                : wmr::Pie;
            out_->ArcLike(function, a.x(), a.y(), b.x(), b.y(), s.x(), s.y(), e.x(), e.y());
            return;
        }
    }
}

}  // namespace tavlex::mf::emftowmf
