#include "metafile/EmfToWmf.h"

#include "metafile/EmfToWmfConverter.h"
#include "metafile/GdiDefs.h"
#include "metafile/Metafile.h"
#include "metafile/WmfEmbeddedEmf.h"

namespace tavlex::mf {

namespace emftowmf {

QTransform EmfToWmfConverter::Page() const {
    double sx = 1, sy = 1;
    switch (dc_.mapMode) {
        case mapmode::LoMetric:
            sx = pixelsPerMm_.width() / 10;
            sy = -pixelsPerMm_.height() / 10;
            break;
        case mapmode::HiMetric:
            sx = pixelsPerMm_.width() / 100;
            sy = -pixelsPerMm_.height() / 100;
            break;
        case mapmode::LoEnglish:
            sx = pixelsPerMm_.width() * 0.254;
            sy = -pixelsPerMm_.height() * 0.254;
            break;
        case mapmode::HiEnglish:
            sx = pixelsPerMm_.width() * 0.0254;
            sy = -pixelsPerMm_.height() * 0.0254;
            break;
        case mapmode::Twips:
            sx = pixelsPerMm_.width() * 25.4 / 1440;
            sy = -pixelsPerMm_.height() * 25.4 / 1440;
            break;
        case mapmode::Isotropic:
        case mapmode::Anisotropic: {
            if (dc_.windowExt.width() == 0 || dc_.windowExt.height() == 0) break;
            sx = dc_.viewportExt.width() / dc_.windowExt.width();
            sy = dc_.viewportExt.height() / dc_.windowExt.height();
            if (dc_.mapMode == mapmode::Isotropic) {
                const double m = std::min(std::abs(sx), std::abs(sy));
                sx = std::copysign(m, sx);
                sy = std::copysign(m, sy);
            }
            break;
        }
        default:
            break;
    }
    return QTransform(sx, 0, 0, sy, dc_.viewportOrg.x() - dc_.windowOrg.x() * sx,
                      dc_.viewportOrg.y() - dc_.windowOrg.y() * sy);
}

QPoint EmfToWmfConverter::Map(double x, double y) const {
    const QPointF p = Total().map(QPointF(x, y));
    return QPoint(Coord(p.x()), Coord(p.y()));
}

bool EmfToWmfConverter::Rotated() const {
    const QTransform t = Total();
    return std::abs(t.m12()) > 1e-9 || std::abs(t.m21()) > 1e-9;
}

double EmfToWmfConverter::ScaleX() const {
    const QTransform t = Total();
    return std::hypot(t.m11(), t.m12());
}

double EmfToWmfConverter::ScaleY() const {
    const QTransform t = Total();
    return std::hypot(t.m21(), t.m22());
}

QByteArray EmfToWmfConverter::Run() {
    if (emf_.U32Or(0) != emr::Header || emf_.U32Or(40) != kEmfSignature) {
        throw MetafileError(MetafileErrorKind::NotMetafile, "not an enhanced metafile", 0, 0);
    }
    const RectL frame{emf_.I32Or(24), emf_.I32Or(28), emf_.I32Or(32), emf_.I32Or(36)};
    const double devW = emf_.I32Or(72), devH = emf_.I32Or(76);
    const double mmW = emf_.I32Or(80), mmH = emf_.I32Or(84);
    if (devW > 0 && devH > 0 && mmW > 0 && mmH > 0) pixelsPerMm_ = QSizeF(devW / mmW, devH / mmH);

    // Twips unless the picture would not fit in 16-bit coordinates.
    const double frameW = std::max<double>(1, std::abs(double(frame.right) - frame.left));
    const double frameH = std::max<double>(1, std::abs(double(frame.bottom) - frame.top));
    const double inch =
        std::clamp(std::floor(32000.0 * 2540 / std::max(frameW, frameH)), 1.0, 1440.0);
    const int width = static_cast<int>(std::lround(frameW * inch / 2540));
    const int height = static_cast<int>(std::lround(frameH * inch / 2540));
    WmfWriter::Placeable placeable;
    placeable.right = static_cast<std::int16_t>(std::max(1, width));
    placeable.bottom = static_cast<std::int16_t>(std::max(1, height));
    placeable.inch = static_cast<std::uint16_t>(inch);
    out_ = std::make_unique<WmfWriter>(placeable);
    // The original travels along, as the platform's conversion carries it, for readers that
    // take it back; the records below are for every other reader.
    const std::uint32_t declared = emf_.U32Or(48);
    const std::size_t keep = declared >= 88 && declared <= emf_.size() ? declared : emf_.size();
    wmfembed::WriteEmbeddedEmf(*out_, QByteArray(reinterpret_cast<const char*>(emf_.data()),
                                                 static_cast<qsizetype>(keep)));
    out_->SetMapMode(8);
    out_->SetWindowOrg(0, 0);
    out_->SetWindowExt(placeable.right, placeable.bottom);

    // Reference pixels to metafile units, the frame's corner at the origin.
    const double kx = inch / (pixelsPerMm_.width() * 25.4);
    const double ky = inch / (pixelsPerMm_.height() * 25.4);
    const double fx = std::min(frame.left, frame.right) / 100.0 * pixelsPerMm_.width();
    const double fy = std::min(frame.top, frame.bottom) / 100.0 * pixelsPerMm_.height();
    toWmf_ = QTransform(kx, 0, 0, ky, -fx * kx, -fy * ky);

    std::uint64_t offset = emf_.U32Or(4);
    for (std::int64_t n = 0; n < kEmfToWmfLimits.maxRecords; ++n) {
        const auto type = emf_.U32(offset);
        const auto size = emf_.U32(offset + 4);
        if (!type || !size || *size < 8 || *size % 4 != 0) break;
        const auto record = emf_.Sub(offset, *size);
        if (!record || *type == emr::Eof) break;
        Record(*type, *record);
        if (out_->Size() > kEmfToWmfLimits.maxOutputBytes) break;
        offset += *size;
    }
    return out_->Finish();
}

int EmfToWmfConverter::MakeObject(const EmfObject& o) {
    // Objects kept for saved states fill the table; past its 16-bit size nothing new is made.
    if (out_->ObjectSlots() >= 65000) return -1;
    switch (o.kind) {
        case EmfObject::Kind::Pen: {
            int w = 0;
            if (o.width > 0) w = std::max(1, Coord(o.width * ScaleX()));
            return out_->CreatePenIndirect(o.style, w, o.color);
        }
        case EmfObject::Kind::Brush:
            return out_->CreateBrushIndirect(o.style, o.color, o.hatch);
        case EmfObject::Kind::PatternBrush:
            return out_->DibCreatePatternBrush(5, o.usage, o.dib);
        case EmfObject::Kind::Font: {
            LogFont f = o.font;
            f.height = Coord(f.height * ScaleY());
            f.width = Coord(f.width * ScaleX());
            // Angles turn counterclockwise in logical space; the metafile's space is not
            // mirrored, so a mapping that mirrors turns them the other way.
            if (Total().determinant() < 0) {
                f.escapement = (3600 - f.escapement % 3600) % 3600;
                f.orientation = (3600 - f.orientation % 3600) % 3600;
            }
            return out_->CreateFontIndirect(f);
        }
        case EmfObject::Kind::Palette:
            return -1;
    }
    return -1;
}

void EmfToWmfConverter::Retire(int slot) {
    if (slot >= 0) retired_.push_back(slot);
    FlushRetired();
}

// Objects a saved state may still select are deleted once no state is saved.
void EmfToWmfConverter::FlushRetired() {
    if (!saved_.empty()) return;
    for (int slot : retired_) {
        if (slot != dc_.pen && slot != dc_.brush && slot != dc_.font) out_->DeleteObject(slot);
    }
    retired_.erase(
        std::remove_if(retired_.begin(), retired_.end(),
                       [this](int s) { return s != dc_.pen && s != dc_.brush && s != dc_.font; }),
        retired_.end());
}

void EmfToWmfConverter::SelectStock(std::uint32_t index) {
    EmfObject o;
    switch (index) {
        case stock::WhiteBrush:
            o = BrushObject(brushstyle::Solid, 0xFFFFFF);
            break;
        case stock::LtGrayBrush:
            o = BrushObject(brushstyle::Solid, 0xC0C0C0);
            break;
        case stock::GrayBrush:
            o = BrushObject(brushstyle::Solid, 0x808080);
            break;
        case stock::DkGrayBrush:
            o = BrushObject(brushstyle::Solid, 0x404040);
            break;
        case stock::BlackBrush:
            o = BrushObject(brushstyle::Solid, 0x000000);
            break;
        case stock::NullBrush:
            o = BrushObject(brushstyle::Null, 0);
            break;
        case stock::WhitePen:
            o = PenObject(penstyle::Solid, 0, 0xFFFFFF);
            break;
        case stock::BlackPen:
            o = PenObject(penstyle::Solid, 0, 0x000000);
            break;
        case stock::NullPen:
            o = PenObject(penstyle::Null, 0, 0);
            break;
        case stock::DcBrush:
            o = BrushObject(brushstyle::Solid, 0xFFFFFF);
            break;
        case stock::DcPen:
            o = PenObject(penstyle::Solid, 0, 0x000000);
            break;
        case stock::OemFixedFont:
        case stock::AnsiFixedFont:
        case stock::AnsiVarFont:
        case stock::SystemFont:
        case stock::DeviceDefaultFont:
        case stock::SystemFixedFont:
            o.kind = EmfObject::Kind::Font;
            o.font.height = -Coord(16 / std::max(ScaleY(), 1e-6));
            o.font.faceName = index == stock::OemFixedFont || index == stock::AnsiFixedFont ||
                                      index == stock::SystemFixedFont
                                  ? "Courier New"
                                  : "Arial";
            break;
        default:
            return;
    }
    const int slot = MakeObject(o);
    if (slot < 0) return;
    out_->SelectObject(slot);
    int& current = o.kind == EmfObject::Kind::Pen     ? dc_.pen
                   : o.kind == EmfObject::Kind::Brush ? dc_.brush
                                                      : dc_.font;
    const int previous = current;
    current = slot;
    if (o.kind == EmfObject::Kind::Font) dc_.charSet = wmfcharset::kDefault;
    Retire(previous);
}

void EmfToWmfConverter::Select(std::uint32_t handle) {
    if (handle & kStockObject) {
        SelectStock(handle & ~kStockObject);
        return;
    }
    const auto it = objects_.find(handle);
    if (it == objects_.end()) return;
    const EmfObject& o = it->second;
    if (o.kind == EmfObject::Kind::Palette) return;
    const int slot = MakeObject(o);
    if (slot < 0) return;
    out_->SelectObject(slot);
    int& current = o.kind == EmfObject::Kind::Pen    ? dc_.pen
                   : o.kind == EmfObject::Kind::Font ? dc_.font
                                                     : dc_.brush;
    const int previous = current;
    current = slot;
    if (o.kind == EmfObject::Kind::Font) dc_.charSet = o.font.charSet;
    Retire(previous);
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

// EMR_SMALLTEXTOUT: text without advances, its clip box optional, 8-bit or 16-bit.
void EmfToWmfConverter::SmallText(ByteView r) {
    const std::uint32_t chars = r.U32Or(16), options = r.U32Or(20);
    const bool hasRect = (options & 0x100) == 0, eightBit = (options & 0x200) != 0;
    const std::uint64_t at = hasRect ? 52 : 36;
    if (chars > 32767 || !r.Has(at, std::uint64_t{chars} * (eightBit ? 1 : 2))) return;
    RectL clip;
    if (hasRect) {
        const QPoint a = Map(r.I32Or(36), r.I32Or(40)), b = Map(r.I32Or(44), r.I32Or(48));
        clip = {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()),
                std::max(a.y(), b.y())};
    }
    QByteArray bytes;
    if ((options & 0x10) == 0) {
        if (eightBit) {
            bytes = *Slice(r, static_cast<std::uint32_t>(at), chars);
        } else {
            QString text;
            for (std::uint32_t i = 0; i < chars; ++i) {
                text.append(QChar(static_cast<char16_t>(r.U16Or(at + std::uint64_t{i} * 2))));
            }
            bytes = wmfcharset::Encode(text, dc_.charSet, {}).bytes;
        }
    }
    const QPoint p = Map(r.I32Or(8), r.I32Or(12));
    out_->ExtTextOut(p.x(), p.y(), bytes, static_cast<std::uint16_t>(hasRect ? options & 0x06 : 0),
                     clip, {});
}

void EmfToWmfConverter::Text(ByteView r, bool wide) {
    const std::uint32_t chars = r.U32Or(44);
    const std::uint32_t offString = r.U32Or(48);
    const std::uint32_t options = r.U32Or(52);
    const std::uint32_t offDx = r.U32Or(72);
    if (chars > 32767 || !r.Has(offString, std::uint64_t{chars} * (wide ? 2 : 1))) return;
    // Glyph indices of a font have no 8-bit text form: only the opaque box stays.
    if (options & 0x10) {
        if ((options & 0x02) == 0) return;
        const QPoint a = Map(r.I32Or(56), r.I32Or(60)), b = Map(r.I32Or(64), r.I32Or(68));
        const QPoint at = Map(r.I32Or(36), r.I32Or(40));
        out_->ExtTextOut(at.x(), at.y(), {}, 0x02,
                         {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()),
                          std::max(a.y(), b.y())},
                         {});
        return;
    }
    QVector<std::int32_t> dx;
    if (offDx != 0 && r.Has(offDx, std::uint64_t{chars} * 4)) {
        const double sx = ScaleX();
        // Advances are summed before rounding so that a run keeps its length.
        double sum = 0;
        std::int64_t placed = 0;
        for (std::uint32_t i = 0; i < chars; ++i) {
            sum += r.I32Or(offDx + std::uint64_t{i} * 4) * sx;
            const std::int64_t end = Coord(sum);
            dx.append(static_cast<std::int32_t>(end - placed));
            placed = end;
        }
    }
    QByteArray bytes;
    if (wide) {
        QString text;
        for (std::uint32_t i = 0; i < chars; ++i) {
            text.append(QChar(static_cast<char16_t>(r.U16Or(offString + std::uint64_t{i} * 2))));
        }
        const wmfcharset::ByteRun run = wmfcharset::Encode(text, dc_.charSet, dx);
        bytes = run.bytes;
        dx = run.dx;
    } else {
        bytes = *Slice(r, offString, chars);
    }
    const QPoint at = Map(r.I32Or(36), r.I32Or(40));
    RectL clip;
    if (options & 0x0006) {
        const QPoint a = Map(r.I32Or(56), r.I32Or(60));
        const QPoint b = Map(r.I32Or(64), r.I32Or(68));
        clip = {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()),
                std::max(a.y(), b.y())};
    }
    out_->ExtTextOut(at.x(), at.y(), bytes, static_cast<std::uint16_t>(options & 0x0006), clip, dx);
}

void EmfToWmfConverter::Bitmap(std::uint32_t type, ByteView r) {
    std::int32_t xDest = r.I32Or(24), yDest = r.I32Or(28), cxDest = 0, cyDest = 0;
    std::int32_t xSrc = 0, ySrc = 0, cxSrc = 0, cySrc = 0;
    std::uint32_t offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0, usage = 0, rop = 0x00CC0020;
    bool fromTop = false;  // blits count the source from the top row
    switch (type) {
        case emr::BitBlt:
        case emr::StretchBlt:
            cxDest = r.I32Or(32);
            cyDest = r.I32Or(36);
            rop = r.U32Or(40);
            xSrc = r.I32Or(44);
            ySrc = r.I32Or(48);
            usage = r.U32Or(80);
            offBmi = r.U32Or(84);
            cbBmi = r.U32Or(88);
            offBits = r.U32Or(92);
            cbBits = r.U32Or(96);
            cxSrc = type == emr::StretchBlt ? r.I32Or(100) : cxDest;
            cySrc = type == emr::StretchBlt ? r.I32Or(104) : cyDest;
            fromTop = true;
            break;
        case emr::StretchDiBits:
        case emr::SetDiBitsToDevice:
            xSrc = r.I32Or(32);
            ySrc = r.I32Or(36);
            cxSrc = r.I32Or(40);
            cySrc = r.I32Or(44);
            offBmi = r.U32Or(48);
            cbBmi = r.U32Or(52);
            offBits = r.U32Or(56);
            cbBits = r.U32Or(60);
            usage = r.U32Or(64);
            if (type == emr::StretchDiBits) {
                rop = r.U32Or(68);
                cxDest = r.I32Or(72);
                cyDest = r.I32Or(76);
            } else {
                cxDest = cxSrc;
                cyDest = cySrc;
            }
            break;
        default:
            return;
    }
    const QPoint a = Map(xDest, yDest);
    const QPoint b = Map(double(xDest) + cxDest, double(yDest) + cyDest);
    if (cbBmi == 0) {
        out_->PatBlt(a.x(), a.y(), b.x() - a.x(), b.y() - a.y(), rop);
        return;
    }
    const auto info = Slice(r, offBmi, cbBmi);
    const auto bits = Slice(r, offBits, cbBits);
    if (!info || !bits || cbBmi < 12) return;
    const ByteView header(info->constData(), static_cast<std::size_t>(info->size()));
    const std::int32_t dibHeight = header.U32Or(0) == 12 ? header.I16Or(6) : header.I32Or(8);
    if (fromTop && dibHeight > 0) ySrc = dibHeight - ySrc - cySrc;
    out_->StretchDib(a.x(), a.y(), b.x() - a.x(), b.y() - a.y(), xSrc, ySrc, cxSrc, cySrc, rop,
                     static_cast<std::uint16_t>(usage), *info + *bits);
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

void EmfToWmfConverter::Record(std::uint32_t type, ByteView r) {
    auto u32 = [&r](std::uint64_t at) { return r.U32Or(at); };
    auto i32 = [&r](std::uint64_t at) { return r.I32Or(at); };
    switch (type) {
        case emr::SetMapMode:
            dc_.mapMode = i32(8);
            return;
        case emr::SetWindowExtEx:
            dc_.windowExt = QSizeF(i32(8), i32(12));
            return;
        case emr::SetWindowOrgEx:
            dc_.windowOrg = QPointF(i32(8), i32(12));
            return;
        case emr::SetViewportExtEx:
            dc_.viewportExt = QSizeF(i32(8), i32(12));
            return;
        case emr::SetViewportOrgEx:
            dc_.viewportOrg = QPointF(i32(8), i32(12));
            return;
        case emr::ScaleWindowExtEx:
        case emr::ScaleViewportExtEx: {
            if (i32(12) == 0 || i32(20) == 0) return;
            QSizeF& ext = type == emr::ScaleWindowExtEx ? dc_.windowExt : dc_.viewportExt;
            ext = QSizeF(ext.width() * i32(8) / i32(12), ext.height() * i32(16) / i32(20));
            return;
        }
        case emr::SetWorldTransform:
        case emr::ModifyWorldTransform: {
            const QTransform xf(r.F32(8).value_or(1), r.F32(12).value_or(0), r.F32(16).value_or(0),
                                r.F32(20).value_or(1), r.F32(24).value_or(0),
                                r.F32(28).value_or(0));
            const std::uint32_t mode = type == emr::SetWorldTransform ? worldmode::Set : u32(32);
            if (mode == worldmode::Identity) dc_.world = QTransform();
            if (mode == worldmode::LeftMultiply) dc_.world = xf * dc_.world;
            if (mode == worldmode::RightMultiply) dc_.world = dc_.world * xf;
            if (mode == worldmode::Set) dc_.world = xf;
            return;
        }
        case emr::SaveDc:
            if (saved_.size() >= kEmfToWmfLimits.maxSaveDepth) return;
            saved_.push_back(dc_);
            out_->SaveDC();
            return;
        case emr::RestoreDc: {
            const std::int64_t which = i32(8);
            const std::int64_t depth = static_cast<std::int64_t>(saved_.size());
            const std::int64_t target = which < 0 ? depth + which : which - 1;
            if (target < 0 || target >= depth) return;
            dc_ = saved_[static_cast<std::size_t>(target)];
            saved_.resize(static_cast<std::size_t>(target));
            out_->RestoreDC(static_cast<int>(target - depth));
            FlushRetired();
            return;
        }
        case emr::CreatePen: {
            const EmfObject o = PenObject(static_cast<std::uint16_t>(u32(12) & 0xFFFF),
                                          double(i32(16)), u32(24) & 0xFFFFFF);
            objects_[u32(8)] = o;
            return;
        }
        case emr::ExtCreatePen: {
            const std::uint32_t style = u32(28);
            EmfObject o = PenObject(static_cast<std::uint16_t>(style & 0xFFFF),
                                    (style & penstyle::Geometric) ? double(u32(32)) : 0.0,
                                    u32(40) & 0xFFFFFF);
            if (u32(36) == brushstyle::Null) o.style = penstyle::Null;
            // Dash patterns of the pen's own and alternate pixels have no Windows-metafile
            // form: dashes and dots come closest.
            const std::uint32_t kind = o.style & penstyle::StyleMask;
            const std::uint32_t rest = o.style & ~penstyle::StyleMask;
            if (kind == penstyle::UserStyle)
                o.style = static_cast<std::uint16_t>(rest | penstyle::Dash);
            if (kind == penstyle::Alternate)
                o.style = static_cast<std::uint16_t>(rest | penstyle::Dot);
            objects_[u32(8)] = o;
            return;
        }
        case emr::CreateBrushIndirect: {
            const EmfObject o = BrushObject(static_cast<std::uint16_t>(u32(12)), u32(16) & 0xFFFFFF,
                                            static_cast<std::uint16_t>(u32(20)));
            objects_[u32(8)] = o;
            return;
        }
        case emr::CreateMonoBrush:
        case emr::CreateDibPatternBrushPt: {
            const auto info = Slice(r, u32(16), u32(20));
            const auto bits = Slice(r, u32(24), u32(28));
            if (!info || !bits) return;
            EmfObject o;
            o.kind = EmfObject::Kind::PatternBrush;
            o.usage = static_cast<std::uint16_t>(u32(12));
            o.dib = *info + *bits;
            objects_[u32(8)] = o;
            return;
        }
        case emr::ExtCreateFontIndirectW: {
            EmfObject o;
            o.kind = EmfObject::Kind::Font;
            LogFont& f = o.font;
            f.height = i32(12);
            f.width = i32(16);
            f.escapement = i32(20);
            f.orientation = i32(24);
            f.weight = i32(28);
            f.italic = r.U8(32).value_or(0);
            f.underline = r.U8(33).value_or(0);
            f.strikeOut = r.U8(34).value_or(0);
            f.charSet = r.U8(35).value_or(1);
            f.outPrecision = r.U8(36).value_or(0);
            f.clipPrecision = r.U8(37).value_or(0);
            f.quality = r.U8(38).value_or(0);
            f.pitchAndFamily = r.U8(39).value_or(0);
            for (std::uint64_t i = 0; i < 32; ++i) {
                const std::uint16_t c = r.U16Or(40 + 2 * i);
                if (c == 0) break;
                f.faceName.append(QChar(static_cast<char16_t>(c)));
            }
            objects_[u32(8)] = o;
            return;
        }
        case emr::CreatePalette: {
            const std::uint32_t entries = r.U16Or(14);
            const auto data = Slice(r, 16, entries * 4);
            if (!data) return;
            EmfObject o;
            o.kind = EmfObject::Kind::Palette;
            if (out_->ObjectSlots() >= 65000) return;
            o.paletteSlot = out_->CreatePalette(*data);
            objects_[u32(8)] = o;
            return;
        }
        case emr::SelectPalette: {
            const auto it = objects_.find(u32(8));
            if (it != objects_.end() && it->second.kind == EmfObject::Kind::Palette) {
                out_->SelectPalette(it->second.paletteSlot);
            }
            return;
        }
        case emr::RealizePalette:
            out_->AddRecord(wmr::RealizePalette, {});
            return;
        case emr::SelectObject:
            Select(u32(8));
            return;
        case emr::DeleteObject: {
            const auto it = objects_.find(u32(8));
            if (it == objects_.end()) return;
            if (it->second.kind == EmfObject::Kind::Palette) Retire(it->second.paletteSlot);
            objects_.erase(it);
            return;
        }
        case emr::SetTextColor:
            out_->SetTextColor(u32(8) & 0xFFFFFF);
            return;
        case emr::SetBkColor:
            out_->SetBkColor(u32(8) & 0xFFFFFF);
            return;
        case emr::SetBkMode:
            out_->SetBkMode(static_cast<std::uint16_t>(u32(8)));
            return;
        case emr::SetTextAlign:
            out_->SetTextAlign(static_cast<std::uint16_t>(u32(8)));
            return;
        case emr::SetPolyFillMode:
            out_->SetPolyFillMode(static_cast<std::uint16_t>(u32(8)));
            return;
        case emr::SetRop2:
            out_->SetRop2(static_cast<std::uint16_t>(u32(8)));
            return;
        case emr::SetStretchBltMode:
            out_->SetStretchBltMode(static_cast<std::uint16_t>(u32(8)));
            return;
        case emr::MoveToEx: {
            dc_.position = QPointF(i32(8), i32(12));
            if (inPath_) {
                path_.moveTo(Total().map(dc_.position));
                return;
            }
            const QPoint p = Map(i32(8), i32(12));
            out_->MoveTo(p.x(), p.y());
            return;
        }
        case emr::LineTo: {
            dc_.position = QPointF(i32(8), i32(12));
            if (inPath_) {
                path_.lineTo(Total().map(dc_.position));
                return;
            }
            const QPoint p = Map(i32(8), i32(12));
            out_->LineTo(p.x(), p.y());
            return;
        }
        case emr::Rectangle:
        case emr::Ellipse:
        case emr::RoundRect:
        case emr::Arc:
        case emr::Chord:
        case emr::Pie:
            BoxShape(type, r);
            return;
        case emr::Polyline:
        case emr::Polygon:
        case emr::PolyLineTo:
        case emr::PolyBezier:
        case emr::PolyBezierTo:
            Points(type, r, false);
            return;
        case emr::Polyline16:
        case emr::Polygon16:
        case emr::PolylineTo16:
        case emr::PolyBezier16:
        case emr::PolyBezierTo16:
            Points(type, r, true);
            return;
        case emr::PolyPolygon:
        case emr::PolyPolyline:
            PolyPoly(type, r, false);
            return;
        case emr::PolyPolygon16:
        case emr::PolyPolyline16:
            PolyPoly(type, r, true);
            return;
        case emr::SetPixelV: {
            const QPoint p = Map(i32(8), i32(12));
            out_->SetPixel(p.x(), p.y(), u32(16) & 0xFFFFFF);
            return;
        }
        case emr::ExtTextOutW:
            Text(r, true);
            return;
        case emr::SmallTextOut:
            SmallText(r);
            return;
        case emr::ExtTextOutA:
            Text(r, false);
            return;
        case emr::BitBlt:
        case emr::StretchBlt:
        case emr::StretchDiBits:
        case emr::SetDiBitsToDevice:
            Bitmap(type, r);
            return;
        case emr::IntersectClipRect:
        case emr::ExcludeClipRect: {
            const QPoint a = Map(i32(8), i32(12));
            const QPoint b = Map(i32(16), i32(20));
            const int l = std::min(a.x(), b.x()), t = std::min(a.y(), b.y());
            const int rr = std::max(a.x(), b.x()), bb = std::max(a.y(), b.y());
            if (type == emr::IntersectClipRect) {
                out_->IntersectClipRect(l, t, rr, bb);
            } else {
                out_->ExcludeClipRect(l, t, rr, bb);
            }
            return;
        }
        case emr::SetArcDirection:
            dc_.arcDirection = i32(8);
            return;
        case emr::SetMapperFlags: {
            QByteArray p;
            PutU32(p, u32(8));
            out_->AddRecord(wmr::SetMapperFlags, p);
            return;
        }
        case emr::OffsetClipRgn: {
            const QPointF d = Total().map(QPointF(i32(8), i32(12))) - Total().map(QPointF(0, 0));
            QByteArray p;
            PutI16(p, static_cast<std::int16_t>(Coord(d.y())));
            PutI16(p, static_cast<std::int16_t>(Coord(d.x())));
            out_->AddRecord(wmr::OffsetClipRgn, p);
            return;
        }
        case emr::GradientFill:
            GradientFill(r);
            return;
        case emr::FillRgn:
        case emr::PaintRgn:
            RegionFill(type, r);
            return;
        case emr::ArcTo:
            ArcTo(r);
            return;
        case emr::ExtSelectClipRgn:
            Clip(r);
            return;
        case emr::BeginPath:
            // A figure begun by a line starts at the current position.
            inPath_ = true;
            path_ = QPainterPath(Total().map(dc_.position));
            return;
        case emr::EndPath: {
            // The path's own moves were not written: bring the current position up to date.
            inPath_ = false;
            const QPoint p = Map(dc_.position.x(), dc_.position.y());
            out_->MoveTo(p.x(), p.y());
            return;
        }
        case emr::AbortPath:
            inPath_ = false;
            path_ = QPainterPath();
            return;
        case emr::CloseFigure:
            if (inPath_) path_.closeSubpath();
            return;
        case emr::FillPath:
            DrawPath(true, false);
            return;
        case emr::StrokePath:
            DrawPath(false, true);
            return;
        case emr::StrokeAndFillPath:
            DrawPath(true, true);
            return;
        case emr::SelectClipPath: {
            const QRectF box = path_.boundingRect();
            path_ = QPainterPath();
            if (box.isEmpty()) return;
            out_->IntersectClipRect(Coord(box.left()), Coord(box.top()), Coord(box.right()),
                                    Coord(box.bottom()));
            return;
        }
        default:
            // Comments (EMF+ included), escapes and records without a Windows-metafile form
            // are left out, as the platform's conversion leaves them out.
            return;
    }
}

}  // namespace emftowmf

QByteArray ConvertToPlaceableWmf(const Metafile& metafile) {
    if (metafile.Kind() == MetafileKind::Placeable) return metafile.StoredBytes();
    const QByteArray& emf = metafile.EnhancedBytes();
    emftowmf::EmfToWmfConverter converter(
        ByteView(emf.constData(), static_cast<std::size_t>(emf.size())));
    return converter.Run();
}

}  // namespace tavlex::mf
