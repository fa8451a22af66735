#include "metafile/WmfWriter.h"

#include "metafile/GdiDefs.h"
#include "metafile/WmfCharset.h"

#include <algorithm>

namespace tavlex::mf {

namespace {

std::int16_t C16(int value) {
    return static_cast<std::int16_t>(std::clamp(value, -32768, 32767));
}

// Parameters of a record, most written in the reverse order of the call's arguments.
class Params {
  public:
    Params& S(int value) {
        PutI16(bytes, C16(value));
        return *this;
    }
    Params& W(std::uint16_t value) {
        PutU16(bytes, value);
        return *this;
    }
    Params& D(std::uint32_t value) {
        PutU32(bytes, value);
        return *this;
    }
    QByteArray bytes;
};

}  // namespace

WmfWriter::WmfWriter(const Placeable& placeable) {
    PutU32(bytes_, kPlaceableKey);
    PutU16(bytes_, 0);  // hmf
    PutI16(bytes_, placeable.left);
    PutI16(bytes_, placeable.top);
    PutI16(bytes_, placeable.right);
    PutI16(bytes_, placeable.bottom);
    PutU16(bytes_, placeable.inch);
    PutU32(bytes_, 0);  // reserved
    std::uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) {
        sum ^= static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes_[2 * i]) |
                                          (static_cast<std::uint8_t>(bytes_[2 * i + 1]) << 8));
    }
    PutU16(bytes_, sum);
    PutU16(bytes_, 1);       // memory metafile
    PutU16(bytes_, 9);       // header words
    PutU16(bytes_, 0x0300);  // version
    PutU32(bytes_, 0);       // size in words, at Finish (two words, low first)
    PutU16(bytes_, 0);       // number of objects, at Finish
    PutU32(bytes_, 0);       // largest record, at Finish
    PutU16(bytes_, 0);       // unused
}

void WmfWriter::AddRecord(std::uint16_t function, const QByteArray& params) {
    if (finished_) return;
    const std::uint32_t words = static_cast<std::uint32_t>(3 + (params.size() + 1) / 2);
    PutU32(bytes_, words);
    PutU16(bytes_, function);
    bytes_.append(params);
    if (params.size() % 2) bytes_.append('\0');
    maxRecordWords_ = std::max(maxRecordWords_, words);
}

int WmfWriter::TakeSlot() {
    for (std::size_t i = 0; i < used_.size(); ++i) {
        if (!used_[i]) {
            used_[i] = true;
            return static_cast<int>(i);
        }
    }
    used_.push_back(true);
    return static_cast<int>(used_.size() - 1);
}

void WmfWriter::SetMapMode(std::uint16_t mode) {
    AddRecord(wmr::SetMapMode, Params().W(mode).bytes);
}
void WmfWriter::SetWindowOrg(int x, int y) {
    AddRecord(wmr::SetWindowOrg, Params().S(y).S(x).bytes);
}
void WmfWriter::SetWindowExt(int cx, int cy) {
    AddRecord(wmr::SetWindowExt, Params().S(cy).S(cx).bytes);
}
void WmfWriter::SaveDC() {
    AddRecord(wmr::SaveDc, {});
}
void WmfWriter::RestoreDC(int relative) {
    AddRecord(wmr::RestoreDc, Params().S(relative).bytes);
}
void WmfWriter::SetTextColor(std::uint32_t colorRef) {
    AddRecord(wmr::SetTextColor, Params().D(colorRef).bytes);
}
void WmfWriter::SetBkColor(std::uint32_t colorRef) {
    AddRecord(wmr::SetBkColor, Params().D(colorRef).bytes);
}
void WmfWriter::SetBkMode(std::uint16_t mode) {
    AddRecord(wmr::SetBkMode, Params().W(mode).bytes);
}
void WmfWriter::SetTextAlign(std::uint16_t align) {
    AddRecord(wmr::SetTextAlign, Params().W(align).bytes);
}
void WmfWriter::SetPolyFillMode(std::uint16_t mode) {
    AddRecord(wmr::SetPolyFillMode, Params().W(mode).bytes);
}
void WmfWriter::SetRop2(std::uint16_t mode) {
    AddRecord(wmr::SetRop2, Params().W(mode).bytes);
}
void WmfWriter::SetStretchBltMode(std::uint16_t mode) {
    AddRecord(wmr::SetStretchBltMode, Params().W(mode).bytes);
}

int WmfWriter::CreatePenIndirect(std::uint16_t style, int width, std::uint32_t colorRef) {
    AddRecord(wmr::CreatePenIndirect, Params().W(style).S(width).S(0).D(colorRef).bytes);
    return TakeSlot();
}

int WmfWriter::CreateBrushIndirect(std::uint16_t style, std::uint32_t colorRef,
                                   std::uint16_t hatch) {
    AddRecord(wmr::CreateBrushIndirect, Params().W(style).D(colorRef).W(hatch).bytes);
    return TakeSlot();
}

int WmfWriter::CreateFontIndirect(const LogFont& font) {
    Params p;
    p.S(font.height).S(font.width).S(font.escapement).S(font.orientation).S(font.weight);
    for (std::uint8_t b :
         {font.italic, font.underline, font.strikeOut, font.charSet, font.outPrecision,
          font.clipPrecision, font.quality, font.pitchAndFamily}) {
        p.bytes.append(static_cast<char>(b));
    }
    QByteArray face = wmfcharset::Encode(font.faceName, font.charSet, {}).bytes.left(31);
    face.resize(32, '\0');
    p.bytes.append(face);
    AddRecord(wmr::CreateFontIndirect, p.bytes);
    return TakeSlot();
}

int WmfWriter::DibCreatePatternBrush(std::uint16_t style, std::uint16_t usage,
                                     const QByteArray& dib) {
    Params p;
    p.W(style).W(usage);
    p.bytes.append(dib);
    AddRecord(wmr::DibCreatePatternBrush, p.bytes);
    return TakeSlot();
}

int WmfWriter::CreatePalette(const QByteArray& entries) {
    Params p;
    p.W(0x0300).W(static_cast<std::uint16_t>(entries.size() / 4));
    p.bytes.append(entries.left(entries.size() / 4 * 4));
    AddRecord(wmr::CreatePalette, p.bytes);
    return TakeSlot();
}

void WmfWriter::SelectObject(int slot) {
    AddRecord(wmr::SelectObject, Params().W(static_cast<std::uint16_t>(slot)).bytes);
}

void WmfWriter::SelectPalette(int slot) {
    AddRecord(wmr::SelectPalette, Params().W(static_cast<std::uint16_t>(slot)).bytes);
}

void WmfWriter::DeleteObject(int slot) {
    AddRecord(wmr::DeleteObject, Params().W(static_cast<std::uint16_t>(slot)).bytes);
    if (slot >= 0 && static_cast<std::size_t>(slot) < used_.size()) {
        used_[static_cast<std::size_t>(slot)] = false;
    }
}

void WmfWriter::MoveTo(int x, int y) {
    AddRecord(wmr::MoveTo, Params().S(y).S(x).bytes);
}
void WmfWriter::LineTo(int x, int y) {
    AddRecord(wmr::LineTo, Params().S(y).S(x).bytes);
}

void WmfWriter::Rectangle(int left, int top, int right, int bottom) {
    AddRecord(wmr::Rectangle, Params().S(bottom).S(right).S(top).S(left).bytes);
}

void WmfWriter::Ellipse(int left, int top, int right, int bottom) {
    AddRecord(wmr::Ellipse, Params().S(bottom).S(right).S(top).S(left).bytes);
}

void WmfWriter::RoundRect(int left, int top, int right, int bottom, int width, int height) {
    AddRecord(wmr::RoundRect, Params().S(height).S(width).S(bottom).S(right).S(top).S(left).bytes);
}

void WmfWriter::ArcLike(std::uint16_t function, int left, int top, int right, int bottom,
                        int xStart, int yStart, int xEnd, int yEnd) {
    AddRecord(function,
              Params().S(yEnd).S(xEnd).S(yStart).S(xStart).S(bottom).S(right).S(top).S(left).bytes);
}

void WmfWriter::Polyline(const QVector<QPoint>& points) {
    // The point count is 16-bit: longer lines go out in pieces that share their end points.
    for (qsizetype start = 0; start == 0 || start < points.size() - 1; start += 32766) {
        const qsizetype n = std::min<qsizetype>(32767, points.size() - start);
        Params p;
        p.W(static_cast<std::uint16_t>(n));
        for (qsizetype i = start; i < start + n; ++i) p.S(points[i].x()).S(points[i].y());
        AddRecord(wmr::Polyline, p.bytes);
        if (points.size() <= 32767) break;
    }
}

void WmfWriter::Polygon(const QVector<QPoint>& points) {
    Params p;
    const qsizetype n = std::min<qsizetype>(points.size(), 32767);
    p.W(static_cast<std::uint16_t>(n));
    for (qsizetype i = 0; i < n; ++i) p.S(points[i].x()).S(points[i].y());
    AddRecord(wmr::Polygon, p.bytes);
}

void WmfWriter::PolyPolygon(const QVector<QVector<QPoint>>& polygons) {
    Params p;
    const qsizetype count = std::min<qsizetype>(polygons.size(), 32767);
    p.W(static_cast<std::uint16_t>(count));
    for (qsizetype i = 0; i < count; ++i) {
        p.W(static_cast<std::uint16_t>(std::min<qsizetype>(polygons[i].size(), 32767)));
    }
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype n = std::min<qsizetype>(polygons[i].size(), 32767);
        for (qsizetype k = 0; k < n; ++k) p.S(polygons[i][k].x()).S(polygons[i][k].y());
    }
    AddRecord(wmr::PolyPolygon, p.bytes);
}

void WmfWriter::SetPixel(int x, int y, std::uint32_t colorRef) {
    AddRecord(wmr::SetPixel, Params().D(colorRef).S(y).S(x).bytes);
}

void WmfWriter::IntersectClipRect(int left, int top, int right, int bottom) {
    AddRecord(wmr::IntersectClipRect, Params().S(bottom).S(right).S(top).S(left).bytes);
}

void WmfWriter::ExcludeClipRect(int left, int top, int right, int bottom) {
    AddRecord(wmr::ExcludeClipRect, Params().S(bottom).S(right).S(top).S(left).bytes);
}

void WmfWriter::ExtTextOut(int x, int y, const QByteArray& text, std::uint16_t options,
                           const RectL& clip, const QVector<std::int32_t>& dx) {
    const QByteArray bytes = text.left(32767);
    Params p;
    p.S(y).S(x).W(static_cast<std::uint16_t>(bytes.size())).W(options);
    if (options & 0x0006) p.S(clip.left).S(clip.top).S(clip.right).S(clip.bottom);
    p.bytes.append(bytes);
    if (bytes.size() % 2) p.bytes.append('\0');
    if (!dx.isEmpty()) {
        for (qsizetype i = 0; i < bytes.size(); ++i) p.S(i < dx.size() ? dx[i] : 0);
    }
    AddRecord(wmr::ExtTextOut, p.bytes);
}

void WmfWriter::StretchDib(int xDest, int yDest, int cxDest, int cyDest, int xSrc, int ySrc,
                           int cxSrc, int cySrc, std::uint32_t rop, std::uint16_t usage,
                           const QByteArray& dib) {
    Params p;
    p.D(rop).W(usage).S(cySrc).S(cxSrc).S(ySrc).S(xSrc).S(cyDest).S(cxDest).S(yDest).S(xDest);
    p.bytes.append(dib);
    AddRecord(wmr::StretchDib, p.bytes);
}

void WmfWriter::PatBlt(int x, int y, int cx, int cy, std::uint32_t rop) {
    AddRecord(wmr::PatBlt, Params().D(rop).S(cy).S(cx).S(y).S(x).bytes);
}

QByteArray WmfWriter::Finish() {
    if (finished_) return bytes_;
    AddRecord(wmr::Eof, {});
    finished_ = true;
    const std::uint32_t words =
        static_cast<std::uint32_t>((bytes_.size() - kPlaceableHeaderSize) / 2);
    auto patch = [this](int offset, std::uint32_t value, int width) {
        for (int i = 0; i < width; ++i) {
            bytes_[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        }
    };
    patch(kPlaceableHeaderSize + 6, words, 4);
    patch(kPlaceableHeaderSize + 10,
          static_cast<std::uint32_t>(std::min<std::size_t>(used_.size(), 0xFFFF)), 2);
    patch(kPlaceableHeaderSize + 12, maxRecordWords_, 4);
    return bytes_;
}

}  // namespace tavlex::mf
