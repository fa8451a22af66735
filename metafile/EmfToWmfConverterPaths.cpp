// Paths and the clip.

#include "metafile/EmfToWmfConverter.h"
#include "metafile/GdiDefs.h"

namespace tavlex::mf::emftowmf {

// Paths and the clip. A path is gathered in Windows-metafile units and written as polygons
// when it is filled or stroked.
bool EmfToWmfConverter::PathOrClipRecord(std::uint32_t type, ByteView r) {
    switch (type) {
        case emr::IntersectClipRect:
        case emr::ExcludeClipRect:
            ClipRect(type, r);
            return true;
        case emr::OffsetClipRgn: {
            const QPointF d =
                Total().map(QPointF(r.I32Or(8), r.I32Or(12))) - Total().map(QPointF(0, 0));
            QByteArray p;
            PutI16(p, static_cast<std::int16_t>(Coord(d.y())));
            PutI16(p, static_cast<std::int16_t>(Coord(d.x())));
            out_->AddRecord(wmr::OffsetClipRgn, p);
            return true;
        }
        case emr::ExtSelectClipRgn:
            Clip(r);
            return true;
        case emr::BeginPath:
            // A figure begun by a line starts at the current position.
            inPath_ = true;
            path_ = QPainterPath(Total().map(dc_.position));
            return true;
        case emr::EndPath: {
            // The path's own moves were not written: bring the current position up to date.
            inPath_ = false;
            const QPoint p = Map(dc_.position.x(), dc_.position.y());
            out_->MoveTo(p.x(), p.y());
            return true;
        }
        case emr::AbortPath:
            inPath_ = false;
            path_ = QPainterPath();
            return true;
        case emr::CloseFigure:
            if (inPath_) path_.closeSubpath();
            return true;
        case emr::FillPath:
        case emr::StrokePath:
        case emr::StrokeAndFillPath:
            DrawPath(type != emr::StrokePath, type != emr::FillPath);
            return true;
        case emr::SelectClipPath:
            ClipToPath();
            return true;
        default:
            return false;
    }
}

void EmfToWmfConverter::ClipRect(std::uint32_t type, ByteView r) {
    const QPoint a = Map(r.I32Or(8), r.I32Or(12));
    const QPoint b = Map(r.I32Or(16), r.I32Or(20));
    const int left = std::min(a.x(), b.x()), top = std::min(a.y(), b.y());
    const int right = std::max(a.x(), b.x()), bottom = std::max(a.y(), b.y());
    if (type == emr::IntersectClipRect) {
        out_->IntersectClipRect(left, top, right, bottom);
    } else {
        out_->ExcludeClipRect(left, top, right, bottom);
    }
}

// The Windows metafile has no clip path: its bounds stand in.
void EmfToWmfConverter::ClipToPath() {
    const QRectF box = path_.boundingRect();
    path_ = QPainterPath();
    if (box.isEmpty()) return;
    out_->IntersectClipRect(Coord(box.left()), Coord(box.top()), Coord(box.right()),
                            Coord(box.bottom()));
}

void EmfToWmfConverter::Clip(ByteView r) {
    const std::uint32_t size = r.U32Or(8);
    const std::uint32_t mode = r.U32Or(12);
    if (mode == regionmode::Copy && size == 0) {
        out_->AddRecord(wmr::SelectClipRegion, QByteArray(2, '\0'));
        return;
    }
    if ((mode != regionmode::And && mode != regionmode::Copy) || size < 32 || !r.Has(16, size))
        return;
    // Region rectangles are in device units: only the metafile-unit scaling applies. A
    // region of several rectangles is clipped to its bounds.
    const QRectF bounds = toWmf_.mapRect(
        QRectF(QPointF(r.I32Or(32), r.I32Or(36)), QPointF(r.I32Or(40), r.I32Or(44))));
    if (mode == regionmode::Copy) out_->AddRecord(wmr::SelectClipRegion, QByteArray(2, '\0'));
    out_->IntersectClipRect(Coord(bounds.left()), Coord(bounds.top()), Coord(bounds.right()),
                            Coord(bounds.bottom()));
}

void EmfToWmfConverter::DrawPath(bool fill, bool stroke) {
    const QList<QPolygonF> polygons = path_.toSubpathPolygons();
    path_ = QPainterPath();
    if (polygons.isEmpty()) return;
    if (fill && !stroke) {
        const int nullPen = out_->CreatePenIndirect(penstyle::Null, 0, 0);
        out_->SelectObject(nullPen);
        DrawPolygons(polygons, true);
        RestorePenAndBrush();
        out_->DeleteObject(nullPen);
        return;
    }
    if (fill) {
        DrawPolygons(polygons, true);
        return;
    }
    DrawPolygons(polygons, false);
}

}  // namespace tavlex::mf::emftowmf
