#include "metafile/EmfPlayer.h"

#include "metafile/GdiDefs.h"

#include <QElapsedTimer>
#include <QPaintEngine>
#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavlex::mf {

namespace {

double LinearScale(const QTransform& t) {
    return std::sqrt(std::fabs(t.m11() * t.m22() - t.m12() * t.m21()));
}

Qt::BrushStyle HatchStyle(std::uint32_t hatch) {
    switch (hatch) {
        case hatch::Horizontal:
            return Qt::HorPattern;
        case hatch::Vertical:
            return Qt::VerPattern;
        case hatch::FDiagonal:
            return Qt::FDiagPattern;
        case hatch::BDiagonal:
            return Qt::BDiagPattern;
        case hatch::Cross:
            return Qt::CrossPattern;
        case hatch::DiagCross:
            return Qt::DiagCrossPattern;
        default:
            return Qt::SolidPattern;
    }
}

// Angle (degrees, counterclockwise on screen) of the ellipse point on the ray from the centre
// of `box` through `p`, in the parametric form QPainterPath::arcTo expects.
double RayAngle(const QRectF& box, QPointF p) {
    const QPointF c = box.center();
    const double rx = std::max(box.width() / 2, 1e-9), ry = std::max(box.height() / 2, 1e-9);
    return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180 / std::numbers::pi;
}

}  // namespace

bool EmfPlayer::PenVisible() const {
    return (dc_.pen.style & penstyle::StyleMask) != penstyle::Null && dc_.rop2 != rop2::Nop;
}

QPen EmfPlayer::MakePen(const PenObject& pen) const {
    const std::uint32_t style = pen.style & penstyle::StyleMask;
    if (style == penstyle::Null) return QPen(Qt::NoPen);
    const bool geometric = pen.extended ? (pen.style & penstyle::Geometric) != 0 : pen.width > 0;
    double width = geometric ? pen.width * LinearScale(full_) : 0;
    const bool cosmetic = width < 1.5;
    QPen qpen(pen.colour);
    if (cosmetic) {
        qpen.setWidth(0);
        qpen.setCapStyle(Qt::FlatCap);  // the last pixel of a line is not drawn
        qpen.setJoinStyle(Qt::MiterJoin);
    } else {
        width = std::round(width);
        qpen.setWidthF(width);
        if (pen.extended) {
            const std::uint32_t cap = pen.style & penstyle::EndcapMask;
            const std::uint32_t join = pen.style & penstyle::JoinMask;
            qpen.setCapStyle(cap == penstyle::EndcapSquare ? Qt::SquareCap
                             : cap == penstyle::EndcapFlat ? Qt::FlatCap
                                                           : Qt::RoundCap);
            qpen.setJoinStyle(join == penstyle::JoinBevel   ? Qt::BevelJoin
                              : join == penstyle::JoinMiter ? Qt::MiterJoin
                                                            : Qt::RoundJoin);
            qpen.setMiterLimit(dc_.miterLimit);
        } else {
            qpen.setCapStyle(Qt::RoundCap);
            qpen.setJoinStyle(Qt::RoundJoin);
        }
    }
    // Dash lengths in units of the pen width, as Qt counts them.
    QList<qreal> dashes;
    const bool scaledDashes = geometric && pen.extended && !cosmetic;
    switch (style) {
        case penstyle::Dash:
            dashes = scaledDashes ? QList<qreal>{3, 1} : QList<qreal>{18, 6};
            break;
        case penstyle::Dot:
            dashes = scaledDashes ? QList<qreal>{1, 1} : QList<qreal>{3, 3};
            break;
        case penstyle::DashDot:
            dashes = scaledDashes ? QList<qreal>{3, 1, 1, 1} : QList<qreal>{9, 6, 3, 6};
            break;
        case penstyle::DashDotDot:
            dashes = scaledDashes ? QList<qreal>{3, 1, 1, 1, 1, 1} : QList<qreal>{9, 3, 3, 3, 3, 3};
            break;
        case penstyle::UserStyle: {
            const double unit = cosmetic ? 1 : width;
            const double scale = geometric ? LinearScale(full_) : 1;
            for (double d : pen.userDashes) dashes.append(std::max(0.01, d * scale / unit));
            if (dashes.size() % 2) dashes.append(dashes.back());
            break;
        }
        case penstyle::Alternate:
            dashes = {1, 1};
            break;
        default:
            break;
    }
    // Wide pens of the old kind are always solid.
    if (!dashes.isEmpty() && (cosmetic || pen.extended)) {
        if (!cosmetic && qpen.capStyle() != Qt::FlatCap) qpen.setCapStyle(Qt::FlatCap);
        qpen.setDashPattern(dashes);
    }
    return qpen;
}

QBrush EmfPlayer::MakeBrush(const BrushObject& brush) const {
    switch (brush.style) {
        case brushstyle::Null:
            return QBrush(Qt::NoBrush);
        case brushstyle::Solid:
            return QBrush(brush.colour);
        case brushstyle::Hatched: {
            const Qt::BrushStyle hatch = HatchStyle(brush.hatch);
            return QBrush(brush.colour, hatch);
        }
        default:
            break;
    }
    if (brush.pattern.isNull()) return QBrush(brush.colour);
    if (brush.monochrome) {
        QImage image = brush.pattern.convertToFormat(QImage::Format_Mono);
        image.setColorCount(2);
        image.setColor(0, dc_.textColour.rgb());
        image.setColor(1, dc_.backgroundColour.rgb());
        return QBrush(image);
    }
    return QBrush(brush.pattern);
}

namespace {

struct RopScope {
    RopScope(QPainter& painter, int rop, QColor& colour, bool& skip) : painter(painter) {
        skip = rop == rop2::Nop;
        if (rop == rop2::Black) colour = Qt::black;
        if (rop == rop2::White) colour = Qt::white;
        if (rop == rop2::NotCopyPen)
            colour = QColor(255 - colour.red(), 255 - colour.green(), 255 - colour.blue());
        QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
        switch (rop) {
            case rop2::NotMergePen:
                mode = QPainter::RasterOp_NotSourceAndNotDestination;
                break;
            case rop2::MaskNotPen:
                mode = QPainter::RasterOp_NotSourceAndDestination;
                break;
            case rop2::MaskPenNot:
                mode = QPainter::RasterOp_SourceAndNotDestination;
                break;
            case rop2::Not:
                mode = QPainter::RasterOp_NotDestination;
                break;
            case rop2::XorPen:
                mode = QPainter::RasterOp_SourceXorDestination;
                break;
            case rop2::NotMaskPen:
                mode = QPainter::RasterOp_NotSourceOrNotDestination;
                break;
            case rop2::MaskPen:
                mode = QPainter::RasterOp_SourceAndDestination;
                break;
            case rop2::NotXorPen:
                mode = QPainter::RasterOp_NotSourceXorDestination;
                break;
            case rop2::MergeNotPen:
                mode = QPainter::RasterOp_NotSourceOrDestination;
                break;
            case rop2::MergePenNot:
                mode = QPainter::RasterOp_SourceOrNotDestination;
                break;
            case rop2::MergePen:
                mode = QPainter::RasterOp_SourceOrDestination;
                break;
            default:
                break;
        }
        if (mode != QPainter::CompositionMode_SourceOver && painter.paintEngine() &&
            painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
            painter.setCompositionMode(mode);
            changed = true;
        }
    }
    ~RopScope() {
        if (changed) painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    QPainter& painter;
    bool changed = false;
};

}  // namespace

void EmfPlayer::FillTarget(const QPainterPath& path, const QBrush& brush) {
    if (brush.style() == Qt::NoBrush || path.isEmpty()) return;
    QColor colour = brush.color();
    bool skip = false;
    RopScope rop(painter_, dc_.rop2, colour, skip);
    if (skip) return;
    QBrush b = brush;
    const bool hatched = b.style() > Qt::SolidPattern && b.style() < Qt::LinearGradientPattern;
    if (hatched || b.style() == Qt::SolidPattern) b.setColor(colour);
    InBands(path, 0, [&] {
        // Hatching on an opaque background: the gaps take the background colour.
        if (hatched && dc_.backgroundMode == dcmode::Opaque)
            painter_.fillPath(path, dc_.backgroundColour);
        painter_.fillPath(path, b);
    });
}

void EmfPlayer::StrokeTarget(const QPainterPath& path) {
    if (!PenVisible() || path.isEmpty()) return;
    QPen pen = MakePen(dc_.pen);
    QColor colour = pen.color();
    bool skip = false;
    RopScope rop(painter_, dc_.rop2, colour, skip);
    if (skip) return;
    pen.setColor(colour);
    // A miter may reach out miterLimit half-widths; a cosmetic pen's width is in device pixels.
    const qreal reach =
        (pen.isCosmetic() ? 0 : pen.widthF() * std::max<qreal>(pen.miterLimit(), 1)) + 1;
    // A thin line is cut at a clip's edge and drawn from there, which moves its pixels; only a
    // wide pen's outline, filled like any shape, can be drawn in bands.
    const bool wide = !pen.isCosmetic() && pen.widthF() * painter_.combinedTransform().m11() > 1;
    InBands(wide ? path : QPainterPath(), reach, [&] {
        if (pen.style() == Qt::CustomDashLine && dc_.backgroundMode == dcmode::Opaque &&
            pen.widthF() <= 1) {
            QPen gaps(dc_.backgroundColour, pen.widthF());
            gaps.setCapStyle(pen.capStyle());
            painter_.strokePath(path, gaps);  // gaps of styled lines take the background colour
        }
        // The platform widens an even-width pen towards the right and bottom of the centre line.
        if (pen.widthF() > 1 && static_cast<int>(pen.widthF()) % 2 == 0) {
            painter_.strokePath(path.translated(0.5, 0.5), pen);
            return;
        }
        painter_.strokePath(path, pen);
    });
}

namespace {

bool Whole(qreal v) {
    return v == std::round(v);
}

// The device rows a path may touch, in the painter's coordinates without its transform; empty
// when bands cannot cut it exactly: not a raster device, a rotation or shear, or a scale to
// device pixels that puts band edges between pixel rows.
QRect BandableArea(const QPainter& painter, const QRectF& reach) {
    const QPaintEngine* engine = painter.paintEngine();
    if (engine == nullptr || engine->type() != QPaintEngine::Raster ||
        engine->paintDevice() == nullptr)
        return {};
    if (painter.viewTransformEnabled() && painter.window() != painter.viewport()) return {};
    const QTransform toBase = painter.combinedTransform();
    if (toBase.type() > QTransform::TxScale || !toBase.isInvertible()) return {};
    const QTransform baseToPixels = toBase.inverted() * painter.deviceTransform();
    if (baseToPixels.type() > QTransform::TxScale || !baseToPixels.isInvertible() ||
        !Whole(baseToPixels.m11()) || !Whole(baseToPixels.m22()) || !Whole(baseToPixels.dx()) ||
        !Whole(baseToPixels.dy()))
        return {};
    const QPaintDevice& pixels = *engine->paintDevice();
    QRectF area = baseToPixels.inverted().mapRect(QRectF(0, 0, pixels.width(), pixels.height()));
    if (painter.hasClipping()) area &= toBase.mapRect(painter.clipBoundingRect());
    area &= toBase.mapRect(reach);
    return area.isEmpty() ? QRect() : area.toAlignedRect();
}

}  // namespace

void EmfPlayer::InBands(const QPainterPath& path, qreal reach, const std::function<void()>& draw) {
    const QRect area = path.elementCount() < limits_.bandedFrom
                           ? QRect()
                           : BandableArea(painter_, path.controlPointRect().adjusted(-reach, -reach,
                                                                                     reach, reach));
    if (area.isEmpty()) {
        draw();
        return;
    }
    // Each band walks every edge again, so bands are sized by what they cost: about 30 ms each,
    // short enough for a cancel to act at once, long enough that the walking stays a small
    // share. A cheap outline is done in a few bands, a self-crossing one in many.
    constexpr qint64 kBandNanos = 30'000'000;
    int rows = std::clamp(1'000'000 / std::max(1, path.elementCount()), 1, 64);
    const QTransform world = painter_.worldTransform();
    QElapsedTimer clock;
    for (int top = area.top(); top <= area.bottom();) {
        if (top > area.top() && OutOfTime()) return;
        clock.start();
        painter_.save();
        painter_.setWorldTransform(QTransform());  // the band is in device rows
        painter_.setClipRect(QRect(area.left(), top, area.width(), rows), Qt::IntersectClip);
        painter_.setWorldTransform(world);
        draw();
        painter_.restore();
        top += rows;
        const qint64 spent = std::max<qint64>(clock.nsecsElapsed(), 1);
        rows = static_cast<int>(std::clamp<qint64>(qint64{rows} * kBandNanos / spent, 1,
                                                   std::max(1, std::min(rows * 4, area.height()))));
    }
}

void EmfPlayer::Output(const QPainterPath& targetPath, bool fill, bool stroke) {
    if (inPath_) {
        path_.addPath(targetPath);
        return;
    }
    QPainterPath path = targetPath;
    path.setFillRule(dc_.polyFillMode == dcmode::Winding ? Qt::WindingFill : Qt::OddEvenFill);
    if (fill) FillTarget(path, MakeBrush(dc_.brush));
    if (stroke) StrokeTarget(path);
}

bool EmfPlayer::ReadPoints(ByteView r, std::uint64_t offset, std::uint64_t count, bool sixteen,
                           std::vector<QPointF>& out) {
    // A count the record cannot hold is damage to this record alone; one it holds but that
    // exceeds the cap stops the page.
    const std::uint64_t size = sixteen ? 4 : 8;
    if (count > r.size() / size || !r.Has(offset, count * size)) return false;
    if (count > static_cast<std::uint64_t>(limits_.maxPointsPerRecord)) {
        Stop(MetafileErrorKind::TooLarge, QStringLiteral("too many points in one record"));
        return false;
    }
    out.clear();
    out.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t o = offset + i * size;
        if (sixteen)
            out.emplace_back(r.I16Or(o), r.I16Or(o + 2));
        else
            out.emplace_back(r.I32Or(o), r.I32Or(o + 4));
    }
    return true;
}

void EmfPlayer::PolyRecord(std::uint32_t type, ByteView r) {
    std::vector<QPointF> pts;
    if (type == emr::LineTo) {
        pts.emplace_back(r.I32Or(8), r.I32Or(12));
    } else {
        const bool sixteen = type >= emr::PolyBezier16;
        if (!ReadPoints(r, 28, r.U32Or(24), sixteen, pts) || pts.empty()) return;
    }
    const bool bezier = type == emr::PolyBezier || type == emr::PolyBezier16 ||
                        type == emr::PolyBezierTo || type == emr::PolyBezierTo16;
    const bool fromCurrent = type == emr::LineTo || type == emr::PolyBezierTo ||
                             type == emr::PolyLineTo || type == emr::PolyBezierTo16 ||
                             type == emr::PolylineTo16;
    const bool polygon = type == emr::Polygon || type == emr::Polygon16;

    QPainterPath p;
    std::size_t i = 0;
    if (fromCurrent) {
        p.moveTo(Map(dc_.position));
    } else {
        p.moveTo(Map(pts[0]));
        i = 1;
    }
    if (bezier) {
        for (; i + 2 < pts.size(); i += 3) p.cubicTo(Map(pts[i]), Map(pts[i + 1]), Map(pts[i + 2]));
    } else {
        for (; i < pts.size(); ++i) p.lineTo(Map(pts[i]));
    }
    if (polygon) p.closeSubpath();
    if (fromCurrent) {
        dc_.position =
            bezier ? pts[(pts.size() / 3) * 3 == 0 ? 0 : (pts.size() / 3) * 3 - 1] : pts.back();
        if (inPath_) {
            // Continues the current figure instead of starting one.
            if (path_.elementCount() == 0) path_.moveTo(p.elementAt(0));
            for (int e = 1; e < p.elementCount(); ++e) {
                const auto el = p.elementAt(e);
                if (el.type == QPainterPath::CurveToElement && e + 2 < p.elementCount()) {
                    path_.cubicTo(el, p.elementAt(e + 1), p.elementAt(e + 2));
                    e += 2;
                } else {
                    path_.lineTo(el);
                }
            }
            return;
        }
    }
    Output(p, polygon, true);
}

void EmfPlayer::PolyPolyRecord(std::uint32_t type, ByteView r) {
    const bool sixteen = type == emr::PolyPolyline16 || type == emr::PolyPolygon16;
    const bool polygon = type == emr::PolyPolygon || type == emr::PolyPolygon16;
    const std::uint64_t polys = r.U32Or(24), total = r.U32Or(28);
    if (polys > static_cast<std::uint64_t>(limits_.maxPointsPerRecord) || !r.Has(32, polys * 4))
        return;
    std::vector<QPointF> pts;
    if (!ReadPoints(r, 32 + polys * 4, total, sixteen, pts)) return;
    QPainterPath p;
    std::uint64_t at = 0;
    for (std::uint64_t k = 0; k < polys; ++k) {
        const std::uint64_t n = r.U32Or(32 + k * 4);
        if (n > total - at) break;
        for (std::uint64_t j = 0; j < n; ++j) {
            const QPointF q = Map(pts[static_cast<std::size_t>(at + j)]);
            if (j == 0)
                p.moveTo(q);
            else
                p.lineTo(q);
        }
        if (polygon && n > 0) p.closeSubpath();
        at += n;
    }
    Output(p, polygon, true);
}

void EmfPlayer::PolyDraw(ByteView r, bool sixteen) {
    const std::uint64_t count = r.U32Or(24);
    std::vector<QPointF> pts;
    if (!ReadPoints(r, 28, count, sixteen, pts)) return;
    const std::uint64_t typesAt = 28 + count * (sixteen ? 4 : 8);
    if (!r.Has(typesAt, count)) return;
    QPainterPath p;
    p.moveTo(Map(dc_.position));
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint8_t t = r.U8(typesAt + i).value_or(0);
        const QPointF q = pts[static_cast<std::size_t>(i)];
        switch (t & pointtype::MoveTo) {
            case pointtype::MoveTo:
                p.moveTo(Map(q));
                break;
            case pointtype::BezierTo:  // in threes
                if (i + 2 < count) {
                    p.cubicTo(Map(q), Map(pts[static_cast<std::size_t>(i + 1)]),
                              Map(pts[static_cast<std::size_t>(i + 2)]));
                    i += 2;
                }
                break;
            default:
                p.lineTo(Map(q));
                break;
        }
        dc_.position = pts[static_cast<std::size_t>(std::min(i, count - 1))];
        if (r.U8(typesAt + std::min(i, count - 1)).value_or(0) & pointtype::CloseFigure)
            p.closeSubpath();
    }
    Output(p, false, true);
}

// The box of Rectangle, Ellipse and RoundRect leaves out its right and bottom edges.
QPainterPath EmfPlayer::ShrunkBoxPath(const QRectF& logicalBox, std::uint32_t type, QSizeF corner) {
    QPainterPath p;
    if (full_.type() <= QTransform::TxScale && !inPath_) {
        const QRectF t = full_.mapRect(logicalBox).normalized();
        const double l = std::round(t.left()), top = std::round(t.top());
        // Playback runs in the advanced graphics mode (world transforms work in any file), which
        // keeps the right and bottom edges of fills and one-pixel outlines; a wide pen stays
        // centred on the last pixels the box covers. Placeable pages play as converted records.
        const double edge = PenVisible() && MakePen(dc_.pen).widthF() > 1 ? 1 : 0;
        const double w = std::max(0.0, std::round(t.right()) - edge - l);
        const double h = std::max(0.0, std::round(t.bottom()) - edge - top);
        const QRectF box(l, top, w, h);
        if (w < 2 || h < 2) {
            // A box of a pixel or two still shows as a dot, as the platform draws it.
            p.addRect(QRectF(l, top, std::max(w, 1.0), std::max(h, 1.0)));
            return p;
        }
        if (type == emr::Ellipse)
            p.addEllipse(box);
        else if (type == emr::RoundRect) {
            const double rx = std::fabs(corner.width() * full_.m11()) / 2;
            const double ry = std::fabs(corner.height() * full_.m22()) / 2;
            p.addRoundedRect(box, std::min(rx, w / 2), std::min(ry, h / 2));
        } else
            p.addRect(box);
        return p;
    }
    const QRectF box = logicalBox.normalized();
    if (type == emr::Ellipse)
        p.addEllipse(box);
    else if (type == emr::RoundRect)
        p.addRoundedRect(box, std::fabs(corner.width()) / 2, std::fabs(corner.height()) / 2);
    else
        p.addRect(box);
    return full_.map(p);
}

void EmfPlayer::BoxRecord(std::uint32_t type, ByteView r) {
    if (!r.Has(8, 16)) return;
    const QRectF box(QPointF(r.I32Or(8), r.I32Or(12)), QPointF(r.I32Or(16), r.I32Or(20)));
    const QSizeF corner(r.I32Or(24), r.I32Or(28));
    Output(ShrunkBoxPath(box, type, corner), true, true);
}

void EmfPlayer::ArcRecord(std::uint32_t type, ByteView r) {
    if (!r.Has(8, 32)) return;
    const QRectF lbox(QPointF(r.I32Or(8), r.I32Or(12)), QPointF(r.I32Or(16), r.I32Or(20)));
    const QPointF ls(r.I32Or(24), r.I32Or(28)), le(r.I32Or(32), r.I32Or(36));
    // Angles in target space; the arc direction counts on screen in compatible mode and in
    // logical space (mirrored by a flipping transform) in advanced mode.
    const QRectF box = full_.mapRect(lbox).normalized();
    const QRectF shrunk = inPath_ ? box
                                  : QRectF(std::round(box.left()), std::round(box.top()),
                                           std::round(box.right()) - std::round(box.left()) - 1,
                                           std::round(box.bottom()) - std::round(box.top()) - 1);
    const QPointF s = Map(ls), e = Map(le);
    const double a0 = RayAngle(shrunk, s), a1 = RayAngle(shrunk, e);
    bool clockwise = dc_.arcDirection == dcmode::Clockwise;
    if (dc_.graphicsMode == dcmode::AdvancedGraphics && full_.determinant() < 0)
        clockwise = !clockwise;
    double sweep = a1 - a0;
    if (clockwise) {
        while (sweep >= 0) sweep -= 360;
        while (sweep < -360) sweep += 360;
    } else {
        while (sweep <= 0) sweep += 360;
        while (sweep > 360) sweep -= 360;
    }
    QPainterPath p;
    if (type == emr::Pie) {
        p.moveTo(shrunk.center());
        p.arcTo(shrunk, a0, sweep);
        p.closeSubpath();
    } else if (type == emr::ArcTo) {
        p.moveTo(Map(dc_.position));
        QPainterPath arc;
        arc.arcMoveTo(shrunk, a0);
        p.lineTo(arc.currentPosition());
        p.arcTo(shrunk, a0, sweep);
        // The current position moves to the arc's end.
        dc_.position = full_.inverted().map(p.currentPosition());
    } else {
        p.arcMoveTo(shrunk, a0);
        p.arcTo(shrunk, a0, sweep);
        if (type == emr::Chord) p.closeSubpath();
    }
    const bool closed = type == emr::Pie || type == emr::Chord;
    if (inPath_ && type == emr::ArcTo) {
        if (path_.elementCount() == 0) path_.moveTo(p.elementAt(0));
        path_.connectPath(p);
        return;
    }
    Output(p, closed, true);
}

void EmfPlayer::AngleArc(ByteView r) {
    if (!r.Has(8, 20)) return;
    const QPointF c(r.I32Or(8), r.I32Or(12));
    const double radius = r.U32Or(16);
    const double start = r.F32(20).value_or(0), sweep = r.F32(24).value_or(0);
    if (!std::isfinite(start) || !std::isfinite(sweep) || radius > 1e9) return;
    const double sweepClamped = std::clamp(sweep, -3600.0, 3600.0);
    const int steps = std::max(2, static_cast<int>(std::fabs(sweepClamped) / 3));
    QPainterPath p;
    p.moveTo(Map(dc_.position));
    QPointF last;
    for (int i = 0; i <= steps; ++i) {
        const double a = (start + sweepClamped * i / steps) * std::numbers::pi / 180;
        last = QPointF(c.x() + radius * std::cos(a), c.y() - radius * std::sin(a));
        p.lineTo(Map(last));
    }
    dc_.position = last;
    if (inPath_) {
        path_.connectPath(p);
        return;
    }
    Output(p, false, true);
}

void EmfPlayer::SetPixel(ByteView r) {
    if (inPath_) return;
    const QPointF p = Map(QPointF(r.I32Or(8), r.I32Or(12)));
    const std::uint32_t ref = r.U32Or(16);
    painter_.fillRect(QRectF(std::floor(p.x()), std::floor(p.y()), 1, 1),
                      QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                             static_cast<int>((ref >> 16) & 0xFF)));
}

void EmfPlayer::PathRecord(std::uint32_t type, ByteView r) {
    const Qt::FillRule rule =
        dc_.polyFillMode == dcmode::Winding ? Qt::WindingFill : Qt::OddEvenFill;
    switch (type) {
        case emr::BeginPath:
            path_ = QPainterPath();
            inPath_ = true;
            break;
        case emr::EndPath:
            inPath_ = false;
            break;
        case emr::CloseFigure:
            if (inPath_) path_.closeSubpath();
            break;
        case emr::AbortPath:
            path_ = QPainterPath();
            inPath_ = false;
            break;
        case emr::FlattenPath:
            break;  // curves stay exact
        case emr::WidenPath: {
            if (inPath_ || !PenVisible()) break;
            const QPen pen = MakePen(dc_.pen);
            QPainterPathStroker stroker(pen);
            stroker.setWidth(std::max<qreal>(1, pen.widthF()));
            path_ = stroker.createStroke(path_);
            path_.setFillRule(Qt::WindingFill);
            break;
        }
        case emr::FillPath:
        case emr::StrokePath:
        case emr::StrokeAndFillPath: {
            if (inPath_) break;
            QPainterPath p = path_;
            if (p.fillRule() != Qt::WindingFill || type != emr::FillPath) p.setFillRule(rule);
            if (type != emr::StrokePath) {
                // Filling closes every open figure.
                FillTarget(p, MakeBrush(dc_.brush));
            }
            if (type != emr::FillPath) StrokeTarget(p);
            path_ = QPainterPath();
            break;
        }
        case emr::SelectClipPath: {
            if (inPath_) break;
            QPainterPath p = path_;
            p.setFillRule(rule);
            QRegion region;
            for (const QPolygonF& poly : p.toFillPolygons())
                region = region.xored(PolygonRegion(poly, rule));
            if (rule == Qt::WindingFill) {
                region = QRegion();
                for (const QPolygonF& poly : p.toFillPolygons())
                    region += PolygonRegion(poly, rule);
            }
            CombineClip(region, static_cast<int>(r.U32Or(8)));
            path_ = QPainterPath();
            break;
        }
        default:
            break;
    }
}

}  // namespace tavlex::mf
