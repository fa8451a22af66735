#include "metafile/EmfWriter.h"

#include <algorithm>
#include <limits>

namespace tavlex::mf {

namespace {

constexpr int kHeaderSize = 108;  // EMR_HEADER with both extensions

void Pad4(QByteArray& out) {
    while (out.size() % 4 != 0) out.append('\0');
}

void PutPointL(QByteArray& out, std::int32_t x, std::int32_t y) {
    PutI32(out, x);
    PutI32(out, y);
}

std::int16_t Clamp16(int value) {
    return static_cast<std::int16_t>(std::clamp(value, -32768, 32767));
}

RectL BoundsOf(const QVector<QPoint>& points) {
    if (points.isEmpty()) return {0, 0, -1, -1};
    RectL box{points[0].x(), points[0].y(), points[0].x(), points[0].y()};
    for (const QPoint& p : points) {
        box.left = std::min(box.left, p.x());
        box.top = std::min(box.top, p.y());
        box.right = std::max(box.right, p.x());
        box.bottom = std::max(box.bottom, p.y());
    }
    return box;
}

void PutFaceName(QByteArray& out, const QString& face, int chars) {
    const QString name = face.left(chars - 1);
    for (int i = 0; i < chars; ++i) {
        PutU16(out, i < name.size() ? name.at(i).unicode() : 0);
    }
}

}  // namespace

void PutU16(QByteArray& out, std::uint16_t value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>(value >> 8));
}

void PutU32(QByteArray& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutRect(QByteArray& out, const RectL& rect) {
    PutI32(out, rect.left);
    PutI32(out, rect.top);
    PutI32(out, rect.right);
    PutI32(out, rect.bottom);
}

QByteArray BitmapInfo24(const QImage& image) {
    QByteArray out;
    const std::uint32_t stride = (static_cast<std::uint32_t>(image.width()) * 3 + 3) & ~3u;
    PutU32(out, 40);
    PutI32(out, image.width());
    PutI32(out, image.height());  // positive: bottom-up rows
    PutU16(out, 1);
    PutU16(out, 24);
    PutU32(out, 0);  // BI_RGB
    PutU32(out, stride * static_cast<std::uint32_t>(image.height()));
    PutI32(out, std::max(0, image.dotsPerMeterX()));
    PutI32(out, std::max(0, image.dotsPerMeterY()));
    PutU32(out, 0);
    PutU32(out, 0);
    return out;
}

QByteArray DibRows24(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const qsizetype stride = (static_cast<qsizetype>(rgb.width()) * 3 + 3) & ~qsizetype{3};
    QByteArray out(stride * rgb.height(), '\0');
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* src = rgb.constScanLine(rgb.height() - 1 - y);
        char* dst = out.data() + stride * y;
        for (int x = 0; x < rgb.width(); ++x) {
            dst[3 * x] = static_cast<char>(src[3 * x + 2]);  // DIB order is blue, green, red
            dst[3 * x + 1] = static_cast<char>(src[3 * x + 1]);
            dst[3 * x + 2] = static_cast<char>(src[3 * x]);
        }
    }
    return out;
}

EmfWriter::EmfWriter(const Header& header) {
    RectL bounds = header.bounds;
    if (bounds == RectL{} && header.deviceMillimetres.width() > 0 &&
        header.deviceMillimetres.height() > 0) {
        // Frame in 0.01 mm to reference-device pixels.
        auto px = [](std::int32_t v, int pixels, int mm) {
            return static_cast<std::int32_t>(std::int64_t{v} * pixels / (std::int64_t{mm} * 100));
        };
        const QSize& p = header.devicePixels;
        const QSize& m = header.deviceMillimetres;
        bounds = {px(header.frame.left, p.width(), m.width()),
                  px(header.frame.top, p.height(), m.height()),
                  px(header.frame.right, p.width(), m.width()),
                  px(header.frame.bottom, p.height(), m.height())};
    }
    QByteArray description;
    if (!header.description.isEmpty()) {
        for (QChar c : header.description) PutU16(description, c.unicode());
        PutU16(description, 0);
        PutU16(description, 0);
    }
    const std::uint32_t descChars = static_cast<std::uint32_t>(description.size() / 2);
    QByteArray& out = bytes_;
    PutU32(out, emr::Header);
    PutU32(out, 0);  // size, below
    PutRect(out, bounds);
    PutRect(out, header.frame);
    PutU32(out, kEmfSignature);
    PutU32(out, 0x10000);
    PutU32(out, 0);  // nBytes, at Finish
    PutU32(out, 0);  // nRecords, at Finish
    PutU16(out, 1);  // nHandles, at Finish
    PutU16(out, 0);
    PutU32(out, descChars);
    PutU32(out, descChars ? kHeaderSize : 0);
    PutU32(out, 0);  // no palette
    PutI32(out, header.devicePixels.width());
    PutI32(out, header.devicePixels.height());
    PutI32(out, header.deviceMillimetres.width());
    PutI32(out, header.deviceMillimetres.height());
    PutU32(out, 0);  // no pixel format
    PutU32(out, 0);
    PutU32(out, 0);  // not OpenGL
    PutI32(out, header.deviceMillimetres.width() * 1000);
    PutI32(out, header.deviceMillimetres.height() * 1000);
    out.append(description);
    Pad4(out);
    const std::uint32_t size = static_cast<std::uint32_t>(out.size());
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    records_ = 1;
}

void EmfWriter::AddRecord(std::uint32_t type, const QByteArray& payload) {
    if (finished_) return;
    const qsizetype padded = (payload.size() + 3) & ~qsizetype{3};
    PutU32(bytes_, type);
    PutU32(bytes_, static_cast<std::uint32_t>(8 + padded));
    bytes_.append(payload);
    Pad4(bytes_);
    ++records_;
}

void EmfWriter::AddValue(std::uint32_t type, std::uint32_t value) {
    QByteArray p;
    PutU32(p, value);
    AddRecord(type, p);
}

void EmfWriter::AddPoint(std::uint32_t type, std::int32_t x, std::int32_t y) {
    QByteArray p;
    PutPointL(p, x, y);
    AddRecord(type, p);
}

void EmfWriter::AddBox(std::uint32_t type, const RectL& box) {
    QByteArray p;
    PutRect(p, box);
    AddRecord(type, p);
}

void EmfWriter::Use(std::uint32_t handle) {
    if ((handle & kStockObject) == 0) maxHandle_ = std::max(maxHandle_, handle);
}

void EmfWriter::SetMapMode(std::int32_t mode) {
    AddValue(emr::SetMapMode, static_cast<std::uint32_t>(mode));
}

void EmfWriter::SetWindowExtEx(std::int32_t cx, std::int32_t cy) {
    AddPoint(emr::SetWindowExtEx, cx, cy);
}

void EmfWriter::SetWindowOrgEx(std::int32_t x, std::int32_t y) {
    AddPoint(emr::SetWindowOrgEx, x, y);
}

void EmfWriter::SetViewportExtEx(std::int32_t cx, std::int32_t cy) {
    AddPoint(emr::SetViewportExtEx, cx, cy);
}

void EmfWriter::SetViewportOrgEx(std::int32_t x, std::int32_t y) {
    AddPoint(emr::SetViewportOrgEx, x, y);
}

void EmfWriter::SaveDC() {
    AddRecord(emr::SaveDc, {});
}

void EmfWriter::RestoreDC(std::int32_t relative) {
    AddValue(emr::RestoreDc, static_cast<std::uint32_t>(relative));
}

void EmfWriter::CreatePen(std::uint32_t handle, std::uint32_t style, std::int32_t width,
                          std::uint32_t colorRef) {
    Use(handle);
    QByteArray p;
    PutU32(p, handle);
    PutU32(p, style);
    PutPointL(p, width, 0);
    PutU32(p, colorRef);
    AddRecord(emr::CreatePen, p);
}

void EmfWriter::ExtCreatePen(std::uint32_t handle, std::uint32_t style, std::uint32_t width,
                             std::uint32_t colorRef, std::uint32_t brushStyle,
                             std::uint32_t hatch) {
    Use(handle);
    QByteArray p;
    PutU32(p, handle);
    PutU32(p, 0);  // no pattern bitmap
    PutU32(p, 0);
    PutU32(p, 0);
    PutU32(p, 0);
    PutU32(p, style);
    PutU32(p, width);
    PutU32(p, brushStyle);
    PutU32(p, colorRef);
    PutU32(p, hatch);
    PutU32(p, 0);  // no style entries
    AddRecord(emr::ExtCreatePen, p);
}

void EmfWriter::CreateBrushIndirect(std::uint32_t handle, std::uint32_t style,
                                    std::uint32_t colorRef, std::uint32_t hatch) {
    Use(handle);
    QByteArray p;
    PutU32(p, handle);
    PutU32(p, style);
    PutU32(p, colorRef);
    PutU32(p, hatch);
    AddRecord(emr::CreateBrushIndirect, p);
}

void EmfWriter::ExtCreateFontIndirectW(std::uint32_t handle, const LogFont& font) {
    Use(handle);
    QByteArray p;
    PutU32(p, handle);
    PutI32(p, font.height);
    PutI32(p, font.width);
    PutI32(p, font.escapement);
    PutI32(p, font.orientation);
    PutI32(p, font.weight);
    for (std::uint8_t b :
         {font.italic, font.underline, font.strikeOut, font.charSet, font.outPrecision,
          font.clipPrecision, font.quality, font.pitchAndFamily}) {
        p.append(static_cast<char>(b));
    }
    PutFaceName(p, font.faceName, 32);
    // The LogFontPanose tail that the platform writes: full name, style, version fields,
    // vendor, culture and PANOSE, all empty.
    p.append(QByteArray(320 - 92, '\0'));
    AddRecord(emr::ExtCreateFontIndirectW, p);
}

void EmfWriter::SelectObject(std::uint32_t handle) {
    AddValue(emr::SelectObject, handle);
}

void EmfWriter::DeleteObject(std::uint32_t handle) {
    AddValue(emr::DeleteObject, handle);
}

void EmfWriter::MoveToEx(std::int32_t x, std::int32_t y) {
    AddPoint(emr::MoveToEx, x, y);
}

void EmfWriter::LineTo(std::int32_t x, std::int32_t y) {
    AddPoint(emr::LineTo, x, y);
}

void EmfWriter::Rectangle(const RectL& box) {
    AddBox(emr::Rectangle, box);
}

void EmfWriter::Ellipse(const RectL& box) {
    AddBox(emr::Ellipse, box);
}

void EmfWriter::Poly(std::uint32_t type, const QVector<QPoint>& points, bool sixteen) {
    QByteArray p;
    PutRect(p, BoundsOf(points));
    PutU32(p, static_cast<std::uint32_t>(points.size()));
    for (const QPoint& pt : points) {
        if (sixteen) {
            PutI16(p, Clamp16(pt.x()));
            PutI16(p, Clamp16(pt.y()));
        } else {
            PutPointL(p, pt.x(), pt.y());
        }
    }
    AddRecord(type, p);
}

void EmfWriter::Polyline(const QVector<QPoint>& points) {
    Poly(emr::Polyline, points, false);
}
void EmfWriter::Polygon(const QVector<QPoint>& points) {
    Poly(emr::Polygon, points, false);
}
void EmfWriter::Polyline16(const QVector<QPoint>& points) {
    Poly(emr::Polyline16, points, true);
}
void EmfWriter::Polygon16(const QVector<QPoint>& points) {
    Poly(emr::Polygon16, points, true);
}

void EmfWriter::ExtTextOutW(const QPoint& reference, const QString& text,
                            const QVector<std::int32_t>& dx, std::uint32_t options,
                            const RectL& clip) {
    constexpr std::uint32_t kFixed = 76;  // record bytes before the string
    const std::uint32_t chars = static_cast<std::uint32_t>(text.size());
    const std::uint32_t stringBytes = (chars * 2 + 3) & ~3u;
    QByteArray p;
    PutRect(p, {0, 0, -1, -1});  // bounds not computed
    PutU32(p, 1);                // GM_COMPATIBLE
    PutU32(p, 0);                // exScale, eyScale (float zero)
    PutU32(p, 0);
    PutPointL(p, reference.x(), reference.y());
    PutU32(p, chars);
    PutU32(p, kFixed);
    PutU32(p, options);
    PutRect(p, clip);
    PutU32(p, dx.isEmpty() ? 0 : kFixed + stringBytes);
    for (QChar c : text) PutU16(p, c.unicode());
    Pad4(p);
    if (!dx.isEmpty()) {
        for (std::uint32_t i = 0; i < chars; ++i) {
            PutI32(p, i < static_cast<std::uint32_t>(dx.size()) ? dx[static_cast<int>(i)] : 0);
        }
    }
    AddRecord(emr::ExtTextOutW, p);
}

void EmfWriter::StretchDIBits(const RectL& dest, const QImage& image, std::uint32_t rop) {
    const QByteArray info = BitmapInfo24(image);
    const QByteArray bits = DibRows24(image);
    constexpr std::uint32_t kFixed = 80;
    QByteArray p;
    PutRect(p, {dest.left, dest.top, dest.right - 1, dest.bottom - 1});
    PutI32(p, dest.left);
    PutI32(p, dest.top);
    PutI32(p, 0);
    PutI32(p, 0);
    PutI32(p, image.width());
    PutI32(p, image.height());
    PutU32(p, kFixed);
    PutU32(p, static_cast<std::uint32_t>(info.size()));
    PutU32(p, kFixed + static_cast<std::uint32_t>(info.size()));
    PutU32(p, static_cast<std::uint32_t>(bits.size()));
    PutU32(p, 0);  // DIB_RGB_COLORS
    PutU32(p, rop);
    PutI32(p, dest.right - dest.left);
    PutI32(p, dest.bottom - dest.top);
    p.append(info);
    p.append(bits);
    AddRecord(emr::StretchDiBits, p);
}

void EmfWriter::IntersectClipRect(const RectL& box) {
    AddBox(emr::IntersectClipRect, box);
}

void EmfWriter::SetTextColor(std::uint32_t colorRef) {
    AddValue(emr::SetTextColor, colorRef);
}

void EmfWriter::SetBkColor(std::uint32_t colorRef) {
    AddValue(emr::SetBkColor, colorRef);
}

void EmfWriter::SetBkMode(std::uint32_t mode) {
    AddValue(emr::SetBkMode, mode);
}

void EmfWriter::SetTextAlign(std::uint32_t align) {
    AddValue(emr::SetTextAlign, align);
}

void EmfWriter::Comment(const QByteArray& data) {
    QByteArray p;
    PutU32(p, static_cast<std::uint32_t>(data.size()));
    p.append(data);
    AddRecord(emr::GdiComment, p);
}

QByteArray EmfWriter::Finish() {
    if (finished_) return bytes_;
    QByteArray eof;
    PutU32(eof, 0);   // no palette entries
    PutU32(eof, 16);  // offPalEntries
    PutU32(eof, 20);  // nSizeLast: this record's size
    AddRecord(emr::Eof, eof);
    finished_ = true;
    auto patch = [this](int offset, std::uint32_t value, int width) {
        for (int i = 0; i < width; ++i) {
            bytes_[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        }
    };
    patch(48, static_cast<std::uint32_t>(bytes_.size()), 4);
    patch(52, static_cast<std::uint32_t>(records_), 4);
    const std::uint32_t handles =
        std::min<std::uint32_t>(maxHandle_ + 1, std::numeric_limits<std::uint16_t>::max());
    patch(56, handles, 2);
    return bytes_;
}

}  // namespace tavlex::mf
