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

}  // namespace

EmfPlayer::EmfPlayer(const Metafile& metafile, QPainter& painter, const QRect& target,
                     const PlayLimits& limits)
    : metafile_(metafile), painter_(painter), limits_(limits) {
    device_ = ReferenceDevice::From(metafile.ReferencePixels(), metafile.ReferenceMillimetres());
    // The frame (0.01 mm, inclusive) in pixels of the reference device, mapped onto the target
    // whose right and bottom are taken one pixel inside.
    const double pxPerHmmX = device_.pixels.width() / (device_.millimetres.width() * 100.0);
    const double pxPerHmmY = device_.pixels.height() / (device_.millimetres.height() * 100.0);
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
            MarkCancelled();
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

void EmfPlayer::MarkCancelled() {
    stopped_ = true;
    result_.complete = false;
    result_.cancelled = true;
    result_.stopReason = QStringLiteral("cancelled");
}

bool EmfPlayer::OutOfTime() {
    if (stopped_) return true;
    if (limits_.cancelled && limits_.cancelled()) {
        MarkCancelled();
    } else if (clock_.elapsed() > limits_.maxMillis) {
        Stop(MetafileErrorKind::TooLarge, QStringLiteral("time cap reached"));
    }
    return stopped_;
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
    full_ = dc_.world * dc_.page.Transform() * frameToTarget_;
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

// Map mode, window and viewport, world transform; a record the platform refuses changes nothing.
bool EmfPlayer::MappingRecord(std::uint32_t type, ByteView r) {
    if (!ApplyMappingRecord(dc_.page, dc_.world, type, r, device_)) return false;
    UpdateTransform();
    return true;
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
