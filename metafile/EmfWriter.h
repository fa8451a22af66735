#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QVector>

#include <cstdint>

#include "metafile/GdiDefs.h"

namespace tavlex::mf {

// RECTL: both corners as stored; whether right/bottom are inclusive is the record's business.
struct RectL {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const RectL&, const RectL&) = default;
};

// COLORREF (0x00BBGGRR) from a colour and back.
inline std::uint32_t ToColorRef(const QColor& color) {
    return static_cast<std::uint32_t>(color.red()) |
           (static_cast<std::uint32_t>(color.green()) << 8) |
           (static_cast<std::uint32_t>(color.blue()) << 16);
}
inline QColor FromColorRef(std::uint32_t ref) {
    return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                  static_cast<int>((ref >> 16) & 0xFF));
}

// LOGFONT as both metafile kinds carry it; the face name is decoded text.
struct LogFont {
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 400;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 1;  // DEFAULT_CHARSET
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    QString faceName;  // at most 31 characters are written
};

// Builds an enhanced metafile record by record. Every record is padded to a multiple of four
// bytes; Finish() appends EMR_EOF and fills the header's byte, record and handle counts.
// Handle indices are chosen by the caller (1 and up); the header counts the highest one used.
class EmfWriter {
  public:
    struct Header {
        RectL bounds;                       // device units, inclusive; all zero: derived from frame
        RectL frame;                        // 0.01 mm, inclusive
        QSize devicePixels{1920, 1080};     // reference device size in pixels
        QSize deviceMillimetres{508, 286};  // and in millimetres (96 pixels per inch)
        QString description;                // optional: application and title separated by a NUL
    };

    explicit EmfWriter(const Header& header);

    // Any record: type, then the payload (without type and size), padded to four bytes.
    void AddRecord(std::uint32_t type, const QByteArray& payload);

    void SetMapMode(std::int32_t mode);
    void SetWindowExtEx(std::int32_t cx, std::int32_t cy);
    void SetWindowOrgEx(std::int32_t x, std::int32_t y);
    void SetViewportExtEx(std::int32_t cx, std::int32_t cy);
    void SetViewportOrgEx(std::int32_t x, std::int32_t y);
    void SaveDC();
    void RestoreDC(std::int32_t relative = -1);

    // LOGPEN: style PS_*, width in logical units.
    void CreatePen(std::uint32_t handle, std::uint32_t style, std::int32_t width,
                   std::uint32_t colorRef);
    // Geometric or cosmetic pen with a solid or hatched brush (no style array).
    void ExtCreatePen(std::uint32_t handle, std::uint32_t style, std::uint32_t width,
                      std::uint32_t colorRef, std::uint32_t brushStyle = 0,
                      std::uint32_t hatch = 0);
    void CreateBrushIndirect(std::uint32_t handle, std::uint32_t style, std::uint32_t colorRef,
                             std::uint32_t hatch = 0);
    void ExtCreateFontIndirectW(std::uint32_t handle, const LogFont& font);
    void SelectObject(std::uint32_t handle);
    void DeleteObject(std::uint32_t handle);

    void MoveToEx(std::int32_t x, std::int32_t y);
    void LineTo(std::int32_t x, std::int32_t y);
    void Rectangle(const RectL& box);
    void Ellipse(const RectL& box);
    // 32-bit forms; bounds are computed from the points.
    void Polyline(const QVector<QPoint>& points);
    void Polygon(const QVector<QPoint>& points);
    // 16-bit forms; coordinates are clamped to the 16-bit range.
    void Polyline16(const QVector<QPoint>& points);
    void Polygon16(const QVector<QPoint>& points);

    // Text at the reference point; dx holds the advance of each character (empty: none
    // written, the player spaces by the font). options are ETO_* flags; clip is used with
    // ETO_CLIPPED / ETO_OPAQUE.
    void ExtTextOutW(const QPoint& reference, const QString& text,
                     const QVector<std::int32_t>& dx = {}, std::uint32_t options = 0,
                     const RectL& clip = {});

    // The image as a bottom-up 24-bit DIB stretched over dest (logical units, right/bottom
    // exclusive).
    void StretchDIBits(const RectL& dest, const QImage& image, std::uint32_t rop = 0x00CC0020);

    void IntersectClipRect(const RectL& box);
    void SetTextColor(std::uint32_t colorRef);
    void SetBkColor(std::uint32_t colorRef);
    void SetBkMode(std::uint32_t mode);
    void SetTextAlign(std::uint32_t align);
    void Comment(const QByteArray& data);

    // Number of records so far, the header included.
    int RecordCount() const { return records_; }
    // Bytes written so far.
    qsizetype Size() const { return bytes_.size(); }

    // Appends EMR_EOF and returns the finished bytes. The writer is spent afterwards.
    QByteArray Finish();

  private:
    void Poly(std::uint32_t type, const QVector<QPoint>& points, bool sixteen);
    void Use(std::uint32_t handle);
    // Records of one 32-bit value, one point or one box.
    void AddValue(std::uint32_t type, std::uint32_t value);
    void AddPoint(std::uint32_t type, std::int32_t x, std::int32_t y);
    void AddBox(std::uint32_t type, const RectL& box);

    QByteArray bytes_;
    int records_ = 0;
    std::uint32_t maxHandle_ = 0;
    bool finished_ = false;
};

// Little-endian appends shared by the metafile writers.
void PutU16(QByteArray& out, std::uint16_t value);
void PutU32(QByteArray& out, std::uint32_t value);
inline void PutI16(QByteArray& out, std::int16_t value) {
    PutU16(out, static_cast<std::uint16_t>(value));
}
inline void PutI32(QByteArray& out, std::int32_t value) {
    PutU32(out, static_cast<std::uint32_t>(value));
}
void PutRect(QByteArray& out, const RectL& rect);
// A BITMAPINFOHEADER and bottom-up 24-bit rows (each padded to four bytes) for the image.
QByteArray BitmapInfo24(const QImage& image);
QByteArray DibRows24(const QImage& image);

}  // namespace tavlex::mf
