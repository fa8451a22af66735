#include "metafile/EmfPlayer.h"

#include "metafile/GdiDefs.h"
#include "metafile/StockObjects.h"

#include <QPaintEngine>

#include <algorithm>
#include <cmath>

namespace tavlex::mf {

namespace {

QColor ColourRef(std::uint32_t ref) {
    return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                  static_cast<int>((ref >> 16) & 0xFF));
}

bool Finite(double v) {
    return std::isfinite(v) && std::fabs(v) < 1e12;
}

}  // namespace

EmfPlayer::EmfPlayer(const Metafile& metafile, QPainter& painter, const QRect& target,
                     const PlayLimits& limits)
    : metafile_(metafile), painter_(painter), limits_(limits) {
    refPixels_ = metafile.ReferencePixels();
    refMillimetres_ = metafile.ReferenceMillimetres();
    if (refPixels_.width() <= 0 || refPixels_.height() <= 0 || refMillimetres_.width() <= 0 ||
        refMillimetres_.height() <= 0) {
        refPixels_ = QSizeF(1024, 768);  // 96 pixels per inch
        refMillimetres_ = QSizeF(270.93, 203.2);
    }
    // The frame (0.01 mm, inclusive) in pixels of the reference device, mapped onto the target
    // whose right and bottom are taken one pixel inside.
    const double pxPerHmmX = refPixels_.width() / (refMillimetres_.width() * 100.0);
    const double pxPerHmmY = refPixels_.height() / (refMillimetres_.height() * 100.0);
    const QRect frame = metafile.Frame();
    double fx0 = frame.left() * pxPerHmmX;
    double fy0 = frame.top() * pxPerHmmY;
    double fw = (static_cast<double>(frame.right()) - frame.left()) * pxPerHmmX;
    double fh = (static_cast<double>(frame.bottom()) - frame.top()) * pxPerHmmY;
    const QRect bounds = metafile.Bounds();
    if (std::fabs(fw) < 1e-9 || std::fabs(fh) < 1e-9) {
        fx0 = bounds.left();
        fy0 = bounds.top();
        fw = static_cast<double>(bounds.right()) - bounds.left();
        fh = static_cast<double>(bounds.bottom()) - bounds.top();
    }
    const double tw = target.right() - target.left();
    const double th = target.bottom() - target.top();
    const double sx = std::fabs(fw) < 1e-9 ? 1.0 : tw / fw;
    const double sy = std::fabs(fh) < 1e-9 ? 1.0 : th / fh;
    frameToTarget_ = QTransform(sx, 0, 0, sy, target.left() - fx0 * sx, target.top() - fy0 * sy);
    // A margin of the target's size keeps regions whole where an offset may move them into view.
    const double margin =
        std::clamp<double>(std::max({target.width(), target.height(), 1024}), 1024, 30000);
    regionWindow_ = QRectF(target).adjusted(-margin, -margin, margin, margin);
    if (regionWindow_.height() > 90000) {
        regionWindow_.setTop(regionWindow_.center().y() - 45000);
        regionWindow_.setHeight(90000);
    }
    UpdateTransform();
}

PlayResult EmfPlayer::Run() {
    clock_.start();
    painter_.save();
    painterBase_ = painter_.worldTransform();
    hadClip_ = painter_.hasClipping();
    if (hadClip_) originalClip_ = painter_.clipPath();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);

    const QByteArray& bytes = metafile_.EnhancedBytes();
    const ByteView data(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const std::uint32_t handles = data.U16(56).value_or(1);
    objects_.resize(std::clamp<std::size_t>(
        handles, 1, static_cast<std::size_t>(std::max(1, limits_.maxObjects))));

    const Metafile::Arrival& arrival = metafile_.PendingArrival();
    std::uint64_t offset = 0;
    std::int64_t count = 0;
    while (!stopped_ && offset < data.size()) {
        if (limits_.cancelled && limits_.cancelled()) {
            stopped_ = true;
            result_.complete = false;
            result_.cancelled = true;
            result_.stopReason = QStringLiteral("cancelled");
            result_.stopRecord = static_cast<std::uint64_t>(count);
            result_.stopOffset = offset;
            break;
        }
        if (arrival && !arrival(offset + 8)) {
            Stop(MetafileErrorKind::NotArrived,
                 QStringLiteral("the bytes from %1 did not arrive").arg(offset));
            break;
        }
        result_.stopRecord = static_cast<std::uint64_t>(count);
        result_.stopOffset = offset;
        const auto type = data.U32(offset);
        const auto size = data.U32(offset + 4);
        if (!type || !size) {
            Stop(MetafileErrorKind::Truncated,
                 QStringLiteral("truncated record at %1").arg(offset));
            break;
        }
        if (*size < 8 || *size % 4 != 0 || !data.Has(offset, *size)) {
            Stop(MetafileErrorKind::BadRecord,
                 QStringLiteral("damaged record size %1 at %2").arg(*size).arg(offset));
            break;
        }
        if (++count > limits_.maxRecords) {
            Stop(MetafileErrorKind::TooLarge, QStringLiteral("record cap reached"));
            break;
        }
        if ((count & 255) == 0 && clock_.elapsed() > limits_.maxMillis) {
            Stop(MetafileErrorKind::TooLarge, QStringLiteral("time cap reached"));
            break;
        }
        if (*type == emr::Eof) break;
        if (arrival && !arrival(offset + *size)) {
            Stop(MetafileErrorKind::NotArrived,
                 QStringLiteral("the bytes from %1 did not arrive").arg(offset));
            break;
        }
        PlayRecord(*type, *data.Sub(offset, *size));
        offset += *size;
    }
    painter_.restore();
    return result_;
}

void EmfPlayer::Stop(MetafileErrorKind kind, const QString& reason) {
    if (stopped_) return;
    stopped_ = true;
    result_.complete = false;
    result_.stopKind = kind;
    result_.stopReason = reason;
}

bool EmfPlayer::ChargeBitmapBytes(std::int64_t bytes) {
    if (bytes < 0 || bytes > limits_.maxBitmapBytes - bitmapBytes_) {
        Stop(MetafileErrorKind::TooLarge, QStringLiteral("bitmap cap reached"));
        return false;
    }
    bitmapBytes_ += bytes;
    return true;
}

std::int64_t EmfPlayer::BitmapBytesLeft() const {
    return std::max<std::int64_t>(0, limits_.maxBitmapBytes - bitmapBytes_);
}

void EmfPlayer::StorePatternBrush(std::uint32_t index, const QImage& pattern, bool monochrome) {
    GdiObject* slot = Slot(index);
    if (!slot) return;
    BrushObject brush;
    brush.style = brushstyle::Pattern;
    brush.pattern = pattern;
    brush.monochrome = monochrome;
    *slot = brush;
}

QBrush EmfPlayer::CurrentBrush() const {
    return MakeBrush(dc_.brush);
}

void EmfPlayer::UpdateTransform() {
    const PlayerDcState& s = dc_;
    const double sx = s.windowExt.width() != 0 ? s.viewportExt.width() / s.windowExt.width() : 1;
    const double sy = s.windowExt.height() != 0 ? s.viewportExt.height() / s.windowExt.height() : 1;
    const QTransform page(sx, 0, 0, sy, s.viewportOrg.x() - s.windowOrg.x() * sx,
                          s.viewportOrg.y() - s.windowOrg.y() * sy);
    full_ = s.world * page * frameToTarget_;
}

void EmfPlayer::SetMapMode(int mode) {
    if (mode < mapmode::Text || mode > mapmode::Anisotropic) return;
    PlayerDcState& s = dc_;
    s.mapMode = mode;
    const double mmx = refMillimetres_.width(), mmy = refMillimetres_.height();
    const double pxx = refPixels_.width(), pxy = refPixels_.height();
    double units = 0;  // logical units per millimetre
    switch (mode) {
        case mapmode::Text:
            s.windowExt = QSizeF(1, 1);
            s.viewportExt = QSizeF(1, 1);
            break;
        case mapmode::LoMetric:
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
        case mapmode::Isotropic:  // starts as LoMetric
            units = 10;
            break;
        default:
            break;  // MM_ANISOTROPIC keeps the extents
    }
    if (units > 0) {
        s.windowExt = QSizeF(std::round(mmx * units), std::round(mmy * units));
        s.viewportExt = QSizeF(pxx, -pxy);
    }
    UpdateTransform();
}

// Keeps the isotropic aspect: shrink the viewport extent along the longer axis.
void EmfPlayer::FixIsotropic() {
    PlayerDcState& s = dc_;
    if (s.mapMode != mapmode::Isotropic || s.windowExt.width() == 0 || s.windowExt.height() == 0)
        return;
    const double xdim = std::fabs(s.viewportExt.width() * refMillimetres_.width() /
                                  (s.windowExt.width() * refPixels_.width()));
    const double ydim = std::fabs(s.viewportExt.height() * refMillimetres_.height() /
                                  (s.windowExt.height() * refPixels_.height()));
    if (xdim == 0 || ydim == 0) return;
    if (xdim > ydim) {
        const double min = s.viewportExt.width() >= 0 ? 1 : -1;
        double cx = std::floor(s.viewportExt.width() * ydim / xdim + 0.5);
        s.viewportExt.setWidth(cx == 0 ? min : cx);
    } else {
        const double min = s.viewportExt.height() >= 0 ? 1 : -1;
        double cy = std::floor(s.viewportExt.height() * xdim / ydim + 0.5);
        s.viewportExt.setHeight(cy == 0 ? min : cy);
    }
}

void EmfPlayer::SaveDc() {
    if (static_cast<int>(saved_.size()) >= limits_.maxSaveDepth) {
        Stop(MetafileErrorKind::TooLarge, QStringLiteral("SaveDC depth cap reached"));
        return;
    }
    saved_.push_back(dc_);
}

void EmfPlayer::RestoreDc(std::int32_t relative) {
    const std::int64_t depth = static_cast<std::int64_t>(saved_.size());
    std::int64_t level = relative < 0 ? depth + relative : static_cast<std::int64_t>(relative) - 1;
    if (relative == 0 || level < 0 || level >= depth) return;  // the platform refuses these
    dc_ = saved_[static_cast<std::size_t>(level)];
    saved_.resize(static_cast<std::size_t>(level));
    UpdateTransform();
    ApplyClip();
}

GdiObject* EmfPlayer::Slot(std::uint32_t index) {
    if (index == 0 || index >= static_cast<std::uint32_t>(std::max(1, limits_.maxObjects)))
        return nullptr;
    if (index >= objects_.size()) objects_.resize(index + 1);  // headers undercount at times
    return &objects_[index];
}

void EmfPlayer::SelectObject(std::uint32_t index) {
    if (index & kStockObject) {
        SelectStockObject(index & ~kStockObject);
        return;
    }
    if (index == 0 || index >= objects_.size()) return;
    const GdiObject& obj = objects_[index];
    if (const auto* p = std::get_if<PenObject>(&obj))
        dc_.pen = *p;
    else if (const auto* b = std::get_if<BrushObject>(&obj))
        dc_.brush = *b;
    else if (const auto* f = std::get_if<FontObject>(&obj))
        dc_.font = *f;
    else if (const auto* pal = std::get_if<PaletteObject>(&obj))
        dc_.palette = pal->entries;
}

void EmfPlayer::SelectStockObject(std::uint32_t which) {
    const StockObject stock = StockObjectAt(which);
    switch (stock.kind) {
        case StockObject::Kind::Pen:
            dc_.pen = PenObject();
            dc_.pen.style = stock.style;
            dc_.pen.colour = ColourRef(stock.colour);
            break;
        case StockObject::Kind::Brush:
            dc_.brush = BrushObject();
            dc_.brush.style = stock.style;
            dc_.brush.colour = ColourRef(stock.colour);
            break;
        case StockObject::Kind::Font:
            dc_.font = FontObject();
            dc_.font.face = QString::fromLatin1(StockFontFace(stock));
            break;
        case StockObject::Kind::Palette:
            dc_.palette.clear();
            break;
        case StockObject::Kind::None:
            break;
    }
}

void EmfPlayer::CreatePen(ByteView r) {
    GdiObject* slot = Slot(r.U32Or(8));
    if (!slot || !r.Has(12, 16)) return;
    PenObject pen;
    pen.style = r.U32Or(12);
    pen.width = r.I32Or(16);
    pen.colour = ColourRef(r.U32Or(24));
    *slot = pen;
}

void EmfPlayer::ExtCreatePen(ByteView r) {
    // ihPen, offBmi, cbBmi, offBits, cbBits, then LOGPEN_EX: style, width, brush style,
    // colour, hatch, style entry count, entries.
    GdiObject* slot = Slot(r.U32Or(8));
    if (!slot || !r.Has(28, 24)) return;
    PenObject pen;
    pen.extended = true;
    pen.style = r.U32Or(28);
    pen.width = r.U32Or(32);
    const std::uint32_t brushStyle = r.U32Or(36);
    pen.colour = ColourRef(r.U32Or(40));
    if (brushStyle == brushstyle::Null)  // nothing is drawn
        pen.style = (pen.style & ~penstyle::StyleMask) | penstyle::Null;
    const std::uint32_t entries = r.U32Or(48);
    if ((pen.style & penstyle::StyleMask) == penstyle::UserStyle && entries > 0 && entries <= 64 &&
        r.Has(52, entries * 4ull)) {
        for (std::uint32_t i = 0; i < entries; ++i)
            pen.userDashes.push_back(r.U32Or(52 + i * 4ull));
    }
    *slot = pen;
}

void EmfPlayer::CreateBrush(ByteView r) {
    GdiObject* slot = Slot(r.U32Or(8));
    if (!slot || !r.Has(12, 12)) return;
    BrushObject brush;
    brush.style = r.U32Or(12);
    brush.colour = ColourRef(r.U32Or(16));
    brush.hatch = r.U32Or(20);
    if (brush.style != brushstyle::Solid && brush.style != brushstyle::Null &&
        brush.style != brushstyle::Hatched)
        brush.style = brushstyle::Solid;
    *slot = brush;
}

void EmfPlayer::CreateFont(ByteView r) {
    GdiObject* slot = Slot(r.U32Or(8));
    if (!slot || !r.Has(12, 28)) return;
    FontObject font;
    font.height = r.I32Or(12);
    font.width = r.I32Or(16);
    font.escapement = r.I32Or(20);
    font.orientation = r.I32Or(24);
    font.weight = r.I32Or(28);
    font.italic = r.U8(32).value_or(0) != 0;
    font.underline = r.U8(33).value_or(0) != 0;
    font.strikeOut = r.U8(34).value_or(0) != 0;
    font.charSet = r.U8(35).value_or(1);
    font.pitchAndFamily = r.U8(39).value_or(0);
    for (std::uint64_t i = 0; i < 32; ++i) {
        const auto ch = r.U16(40 + 2 * i);
        if (!ch || *ch == 0) break;
        font.face.append(QChar(*ch));
    }
    *slot = font;
}

void EmfPlayer::CreatePalette(ByteView r) {
    // ihPal, LOGPALETTE: version, count, entries (r, g, b, flags).
    GdiObject* slot = Slot(r.U32Or(8));
    if (!slot) return;
    PaletteObject palette;
    const std::uint32_t count = r.U16Or(14);
    for (std::uint32_t i = 0; i < count && i < 256 && r.Has(16 + i * 4ull, 4); ++i) {
        const std::uint64_t o = 16 + i * 4ull;
        palette.entries.append(
            qRgb(r.U8(o).value_or(0), r.U8(o + 1).value_or(0), r.U8(o + 2).value_or(0)));
    }
    *slot = palette;
}

void EmfPlayer::SetPaletteEntries(ByteView r) {
    const std::uint32_t index = r.U32Or(8);
    if (index == 0 || index >= objects_.size()) return;
    auto* palette = std::get_if<PaletteObject>(&objects_[index]);
    if (!palette) return;
    const std::uint32_t start = r.U32Or(12), count = r.U32Or(16);
    for (std::uint64_t i = 0; i < count && start + i < 256 && r.Has(20 + i * 4, 4); ++i) {
        const std::uint64_t o = 20 + i * 4;
        const QRgb rgb =
            qRgb(r.U8(o).value_or(0), r.U8(o + 1).value_or(0), r.U8(o + 2).value_or(0));
        while (palette->entries.size() <= static_cast<qsizetype>(start + i))
            palette->entries.append(qRgb(0, 0, 0));
        palette->entries[static_cast<qsizetype>(start + i)] = rgb;
    }
}

void EmfPlayer::PlayRecord(std::uint32_t type, ByteView r) {
    if (IsBitmapRecord(type)) {
        // The bitmap code draws through the painter with the caller's transform.
        painter_.setWorldTransform(painterBase_);
        PlayBitmapRecord(*this, type, r);
        return;
    }
    // Each family handler says whether the record was one of its own; records of no family
    // (comments, colour management, unknown types) are skipped, as the platform does.
    if (MappingRecord(type, r) || StateRecord(type, r) || ObjectRecord(type, r) ||
        PathOrClipRecord(type, r))
        return;
    DrawRecord(type, r);
}

// Map mode, window and viewport, world transform.
bool EmfPlayer::MappingRecord(std::uint32_t type, ByteView r) {
    PlayerDcState& s = dc_;
    switch (type) {
        case emr::SetMapMode:
            SetMapMode(r.I32Or(8));
            return true;
        case emr::SetWindowExtEx:
        case emr::SetViewportExtEx: {
            const std::int32_t cx = r.I32Or(8), cy = r.I32Or(12);
            if (cx == 0 || cy == 0 ||
                (s.mapMode != mapmode::Isotropic && s.mapMode != mapmode::Anisotropic))
                return true;
            (type == emr::SetWindowExtEx ? s.windowExt : s.viewportExt) = QSizeF(cx, cy);
            FixIsotropic();
            UpdateTransform();
            return true;
        }
        case emr::SetWindowOrgEx:
            s.windowOrg = QPointF(r.I32Or(8), r.I32Or(12));
            UpdateTransform();
            return true;
        case emr::SetViewportOrgEx:
            s.viewportOrg = QPointF(r.I32Or(8), r.I32Or(12));
            UpdateTransform();
            return true;
        case emr::ScaleViewportExtEx:
        case emr::ScaleWindowExtEx: {
            if (s.mapMode != mapmode::Isotropic && s.mapMode != mapmode::Anisotropic) break;
            const double xn = r.I32Or(8), xd = r.I32Or(12), yn = r.I32Or(16), yd = r.I32Or(20);
            if (xd == 0 || yd == 0 || xn == 0 || yn == 0) break;
            QSizeF& ext = type == emr::ScaleWindowExtEx ? s.windowExt : s.viewportExt;
            ext = QSizeF(std::trunc(ext.width() * xn / xd), std::trunc(ext.height() * yn / yd));
            if (ext.width() == 0 || ext.height() == 0) ext = QSizeF(1, 1);
            FixIsotropic();
            UpdateTransform();
            return true;
        }
        case emr::SetWorldTransform:
        case emr::ModifyWorldTransform: {
            const auto m11 = r.F32(8), m12 = r.F32(12), m21 = r.F32(16), m22 = r.F32(20),
                       dx = r.F32(24), dy = r.F32(28);
            const std::uint32_t mode =
                type == emr::SetWorldTransform ? worldmode::Set : r.U32Or(32);
            if (mode == worldmode::Identity) {
                s.world = QTransform();
            } else if (m11 && m12 && m21 && m22 && dx && dy) {
                const double v[6] = {*m11, *m12, *m21, *m22, *dx, *dy};
                if (!std::all_of(std::begin(v), std::end(v), Finite)) break;
                const QTransform x(v[0], v[1], v[2], v[3], v[4], v[5]);
                if (mode == worldmode::LeftMultiply)
                    s.world = x * s.world;
                else if (mode == worldmode::RightMultiply)
                    s.world = s.world * x;
                else if (mode == worldmode::Set)
                    s.world = x;
            }
            UpdateTransform();
            return true;
        }
        default:
            return false;
    }
    return true;  // a record of this family that is not played
}

// Saved states and the plain values of the device context.
bool EmfPlayer::StateRecord(std::uint32_t type, ByteView r) {
    PlayerDcState& s = dc_;
    switch (type) {
        case emr::SaveDc:
            SaveDc();
            return true;
        case emr::RestoreDc:
            RestoreDc(r.I32Or(8));
            return true;
        case emr::SetBkMode:
            s.backgroundMode = static_cast<int>(r.U32Or(8));
            return true;
        case emr::SetPolyFillMode:
            s.polyFillMode = static_cast<int>(r.U32Or(8));
            return true;
        case emr::SetRop2:
            s.rop2 = static_cast<int>(r.U32Or(8));
            return true;
        case emr::SetStretchBltMode:
            s.stretchBltMode = static_cast<int>(r.U32Or(8));
            return true;
        case emr::SetTextAlign:
            s.textAlign = r.U32Or(8);
            return true;
        case emr::SetTextColor:
            s.textColour = ColourRef(r.U32Or(8));
            return true;
        case emr::SetBkColor:
            s.backgroundColour = ColourRef(r.U32Or(8));
            return true;
        case emr::SetArcDirection:
            s.arcDirection = static_cast<int>(r.U32Or(8));
            return true;
        case emr::SetMiterLimit:
            s.miterLimit = r.U32Or(8);
            return true;
        case emr::SetBrushOrgEx:
            return true;
        case emr::MoveToEx:
            s.position = QPointF(r.I32Or(8), r.I32Or(12));
            if (inPath_) path_.moveTo(Map(s.position));
            return true;
        default:
            return false;
    }
    return true;  // a record of this family that is not played
}

// Creating, selecting and deleting objects.
bool EmfPlayer::ObjectRecord(std::uint32_t type, ByteView r) {
    switch (type) {
        case emr::SelectObject:
            SelectObject(r.U32Or(8));
            return true;
        case emr::DeleteObject: {
            const std::uint32_t index = r.U32Or(8);
            if (index > 0 && index < objects_.size()) objects_[index] = std::monostate();
            return true;
        }
        case emr::CreatePen:
            CreatePen(r);
            return true;
        case emr::ExtCreatePen:
            ExtCreatePen(r);
            return true;
        case emr::CreateBrushIndirect:
            CreateBrush(r);
            return true;
        case emr::ExtCreateFontIndirectW:
            CreateFont(r);
            return true;
        case emr::CreatePalette:
            CreatePalette(r);
            return true;
        case emr::SetPaletteEntries:
            SetPaletteEntries(r);
            return true;
        case emr::SelectPalette:
            SelectObject(r.U32Or(8));
            return true;
        case emr::ResizePalette:
            return true;
        default:
            return false;
    }
}

// Paths, the clip and regions.
bool EmfPlayer::PathOrClipRecord(std::uint32_t type, ByteView r) {
    switch (type) {
        case emr::BeginPath:
        case emr::EndPath:
        case emr::CloseFigure:
        case emr::FillPath:
        case emr::StrokeAndFillPath:
        case emr::StrokePath:
        case emr::FlattenPath:
        case emr::WidenPath:
        case emr::SelectClipPath:
        case emr::AbortPath:
            PathRecord(type, r);
            return true;
        case emr::OffsetClipRgn:
        case emr::ExcludeClipRect:
        case emr::IntersectClipRect:
        case emr::ExtSelectClipRgn:
            ClipRecord(type, r);
            return true;
        case emr::FillRgn:
        case emr::FrameRgn:
        case emr::InvertRgn:
        case emr::PaintRgn:
            RegionRecord(type, r);
            return true;
        default:
            return false;
    }
}

// Shapes, text and gradients.
bool EmfPlayer::DrawRecord(std::uint32_t type, ByteView r) {
    switch (type) {
        case emr::SetPixelV:
            SetPixel(r);
            return true;
        case emr::LineTo:
        case emr::Polygon:
        case emr::Polyline:
        case emr::PolyBezier:
        case emr::PolyBezierTo:
        case emr::PolyLineTo:
        case emr::Polygon16:
        case emr::Polyline16:
        case emr::PolyBezier16:
        case emr::PolyBezierTo16:
        case emr::PolylineTo16:
            PolyRecord(type, r);
            return true;
        case emr::PolyPolyline:
        case emr::PolyPolygon:
        case emr::PolyPolyline16:
        case emr::PolyPolygon16:
            PolyPolyRecord(type, r);
            return true;
        case emr::PolyDraw:
            PolyDraw(r, false);
            return true;
        case emr::PolyDraw16:
            PolyDraw(r, true);
            return true;
        case emr::Rectangle:
        case emr::Ellipse:
        case emr::RoundRect:
            BoxRecord(type, r);
            return true;
        case emr::Arc:
        case emr::ArcTo:
        case emr::Chord:
        case emr::Pie:
            ArcRecord(type, r);
            return true;
        case emr::AngleArc:
            AngleArc(r);
            return true;
        case emr::ExtTextOutA:
        case emr::ExtTextOutW:
        case emr::PolyTextOutA:
        case emr::PolyTextOutW:
            TextRecord(type, r);
            return true;
        case emr::SmallTextOut:
            SmallTextOut(r);
            return true;
        case emr::GradientFill:
            GradientFill(r);
            return true;
        default:
            return false;
    }
}

}  // namespace tavlex::mf
