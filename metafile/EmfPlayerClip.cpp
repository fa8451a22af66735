#include "metafile/EmfPlayer.h"

#include "metafile/GdiDefs.h"

#include <algorithm>
#include <cmath>

namespace tavlex::mf {

namespace {

// Stands for "no clip" when a region has to be combined with it.
const QRect kEverything(-(1 << 24), -(1 << 24), 1 << 25, 1 << 25);

int ClampToInt(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(v, -double(1 << 24), double(1 << 24)));
}

// A target rectangle covering the pixels whose centres lie inside the mapped rectangle.
QRect PixelRect(const QRectF& r) {
    const QRectF n = r.normalized();
    const int l = ClampToInt(std::round(n.left())), t = ClampToInt(std::round(n.top()));
    const int rr = ClampToInt(std::round(n.right())), b = ClampToInt(std::round(n.bottom()));
    return QRect(QPoint(l, t), QPoint(rr - 1, b - 1));
}

}  // namespace

void EmfPlayer::ApplyClip() {
    painter_.setWorldTransform(painterBase_);
    if (!dc_.clip) {
        if (hadClip_)
            painter_.setClipPath(originalClip_, Qt::ReplaceClip);
        else
            painter_.setClipping(false);
        return;
    }
    if (hadClip_) {
        painter_.setClipPath(originalClip_, Qt::ReplaceClip);
        painter_.setClipRegion(*dc_.clip, Qt::IntersectClip);
    } else {
        painter_.setClipRegion(*dc_.clip, Qt::ReplaceClip);
    }
}

void EmfPlayer::CombineClip(const QRegion& region, int mode) {
    const QRegion current = dc_.clip ? *dc_.clip : QRegion(kEverything);
    switch (mode) {
        case regionmode::And:
            dc_.clip = current.intersected(region);
            break;
        case regionmode::Or:
            dc_.clip = current.united(region);
            break;
        case regionmode::Xor:
            dc_.clip = current.xored(region);
            break;
        case regionmode::Diff:
            dc_.clip = current.subtracted(region);
            break;
        case regionmode::Copy:
            dc_.clip = region;
            break;
        default:
            return;
    }
    ApplyClip();
}

QRegion EmfPlayer::LogicalRectRegion(ByteView r, std::uint64_t offset) const {
    const QRectF logical(QPointF(r.I32Or(offset), r.I32Or(offset + 4)),
                         QPointF(r.I32Or(offset + 8), r.I32Or(offset + 12)));
    if (full_.type() <= QTransform::TxScale) return QRegion(PixelRect(full_.mapRect(logical)));
    return PolygonRegion(full_.map(QPolygonF(logical)), Qt::OddEvenFill);
}

QRegion EmfPlayer::PolygonRegion(const QPolygonF& target, Qt::FillRule rule) const {
    // Qt makes an empty region of a polygon taller than 100000 pixels, and leaks memory doing
    // so; a tall polygon costs time by its height besides. What lies far from the target never
    // shows, so polygons are cut to a window around it first.
    if (regionWindow_.contains(target.boundingRect())) return QRegion(target.toPolygon(), rule);
    return QRegion(target.intersected(QPolygonF(regionWindow_)).toPolygon(), rule);
}

// RGNDATA: header (size 32, type 1, count, bytes, bounds), then `count` rectangles.
std::optional<QRegion> EmfPlayer::ReadRegion(ByteView r, std::uint64_t offset, std::uint64_t size,
                                             const QTransform& toTarget) {
    const auto data = r.Sub(offset, size);
    if (!data || !data->Has(0, 32)) return std::nullopt;
    const std::uint64_t headerSize = std::max<std::uint32_t>(32, data->U32Or(0));
    const std::uint64_t count = data->U32Or(8);
    if (count > static_cast<std::uint64_t>(limits_.maxPointsPerRecord) ||
        !data->Has(headerSize, count * 16)) {
        return std::nullopt;
    }
    std::vector<QRect> rects;
    rects.reserve(static_cast<std::size_t>(count));
    const bool simple = toTarget.type() <= QTransform::TxScale;
    QRegion complex;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t o = headerSize + i * 16;
        const QRectF rect(QPointF(data->I32Or(o), data->I32Or(o + 4)),
                          QPointF(data->I32Or(o + 8), data->I32Or(o + 12)));
        if (simple) {
            const QRect p = PixelRect(toTarget.mapRect(rect));
            if (p.isValid()) rects.push_back(p);
        } else {
            complex += PolygonRegion(toTarget.map(QPolygonF(rect)), Qt::OddEvenFill);
        }
    }
    if (!simple) return complex;
    // Rectangles in y-x banded order, as regions are stored, can be taken as they are.
    bool banded = true;
    for (std::size_t i = 1; i < rects.size() && banded; ++i) {
        const QRect& a = rects[i - 1];
        const QRect& b = rects[i];
        banded = b.top() > a.bottom() ||
                 (b.top() == a.top() && b.bottom() == a.bottom() && b.left() > a.right());
    }
    QRegion region;
    if (banded && !rects.empty()) region.setRects(rects.data(), static_cast<int>(rects.size()));
    if (!banded) {
        // Unite in a balanced tree: uniting one rectangle at a time costs quadratic time on
        // large regions.
        std::vector<QRegion> level;
        for (std::size_t i = 0; i < rects.size(); i += 32) {
            QRegion part;
            for (std::size_t k = i; k < std::min(rects.size(), i + 32); ++k) part += rects[k];
            level.push_back(part);
        }
        while (level.size() > 1) {
            if (clock_.elapsed() > limits_.maxMillis) {
                Stop(MetafileErrorKind::TooLarge, QStringLiteral("time cap reached"));
                return std::nullopt;
            }
            std::vector<QRegion> next;
            for (std::size_t i = 0; i < level.size(); i += 2)
                next.push_back(i + 1 < level.size() ? level[i].united(level[i + 1]) : level[i]);
            level.swap(next);
        }
        region = level.empty() ? QRegion() : level.front();
    }
    return region;
}

void EmfPlayer::ClipRecord(std::uint32_t type, ByteView r) {
    switch (type) {
        case emr::IntersectClipRect:
            CombineClip(LogicalRectRegion(r, 8), regionmode::And);
            break;
        case emr::ExcludeClipRect:
            CombineClip(LogicalRectRegion(r, 8), regionmode::Diff);
            break;
        case emr::OffsetClipRgn: {
            if (!dc_.clip) break;
            const QPointF d =
                full_.map(QPointF(r.I32Or(8), r.I32Or(12))) - full_.map(QPointF(0, 0));
            dc_.clip->translate(ClampToInt(std::round(d.x())), ClampToInt(std::round(d.y())));
            ApplyClip();
            break;
        }
        case emr::ExtSelectClipRgn: {
            const std::uint32_t bytes = r.U32Or(8);
            const int mode = static_cast<int>(r.U32Or(12));
            if (mode == regionmode::Copy && bytes < 32) {  // no region: back to no clip
                dc_.clip.reset();
                ApplyClip();
                break;
            }
            // The region is in device units of the reference device.
            if (auto region = ReadRegion(r, 16, bytes, frameToTarget_)) CombineClip(*region, mode);
            break;
        }
        default:
            break;
    }
}

void EmfPlayer::RegionRecord(std::uint32_t type, ByteView r) {
    const std::uint32_t bytes = r.U32Or(24);
    std::uint64_t offset = 28;
    BrushObject brush = dc_.brush;
    if (type == emr::FillRgn || type == emr::FrameRgn) {
        const std::uint32_t index = r.U32Or(28);
        offset = type == emr::FrameRgn ? 40 : 32;
        if (index & kStockObject) {
            const BrushObject keep = dc_.brush;
            SelectObject(index);
            brush = dc_.brush;
            dc_.brush = keep;
        } else if (index < objects_.size()) {
            if (const auto* b = std::get_if<BrushObject>(&objects_[index]))
                brush = *b;
            else
                return;
        } else {
            return;
        }
    }
    // Regions of these records are in logical units.
    const auto region = ReadRegion(r, offset, bytes, full_);
    if (!region || region->isEmpty()) return;
    painter_.setWorldTransform(painterBase_);
    if (type == emr::InvertRgn) {
        painter_.save();
        painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
        for (const QRect& rect : *region) painter_.fillRect(rect, Qt::white);
        painter_.restore();
        return;
    }
    if (type == emr::FrameRgn) {
        const QPointF d = full_.map(QPointF(r.I32Or(32), r.I32Or(36))) - full_.map(QPointF(0, 0));
        const int w = std::max(1, ClampToInt(std::round(std::fabs(d.x()))));
        const int h = std::max(1, ClampToInt(std::round(std::fabs(d.y()))));
        QRegion inner = *region;
        inner = inner.intersected(region->translated(w, 0)).intersected(region->translated(-w, 0));
        inner = inner.intersected(region->translated(0, h)).intersected(region->translated(0, -h));
        QPainterPath frame;
        frame.addRegion(region->subtracted(inner));
        FillTarget(frame, MakeBrush(brush));
        return;
    }
    QPainterPath path;
    path.addRegion(*region);
    FillTarget(path, MakeBrush(brush));
}

}  // namespace tavlex::mf
