#pragma once

#include "metafile/EmfWriter.h"

#include <QByteArray>
#include <QPoint>
#include <QVector>

#include <cstdint>
#include <vector>

namespace tavlex::mf {

// Builds a placeable Windows metafile record by record. Objects take the lowest free slot of
// the object table, as players assign them; the create helpers return that slot. Finish()
// appends META_EOF and fills the sizes, the object count, the largest record and the
// placeable checksum. Coordinates are 16-bit: values outside are clamped.
class WmfWriter {
  public:
    struct Placeable {
        std::int16_t left = 0, top = 0, right = 0, bottom = 0;  // in logical units
        std::uint16_t inch = 1440;                              // logical units per inch
    };

    explicit WmfWriter(const Placeable& placeable);

    // Any record: the function number and its parameter bytes (padded to whole words).
    void AddRecord(std::uint16_t function, const QByteArray& params);

    void SetMapMode(std::uint16_t mode);
    void SetWindowOrg(int x, int y);
    void SetWindowExt(int cx, int cy);
    void SaveDC();
    void RestoreDC(int relative = -1);
    void SetTextColor(std::uint32_t colorRef);
    void SetBkColor(std::uint32_t colorRef);
    void SetBkMode(std::uint16_t mode);
    void SetTextAlign(std::uint16_t align);
    void SetPolyFillMode(std::uint16_t mode);
    void SetRop2(std::uint16_t mode);
    void SetStretchBltMode(std::uint16_t mode);

    int CreatePenIndirect(std::uint16_t style, int width, std::uint32_t colorRef);
    int CreateBrushIndirect(std::uint16_t style, std::uint32_t colorRef, std::uint16_t hatch);
    // Face name encoded in the font's character set.
    int CreateFontIndirect(const LogFont& font);
    // A packed DIB (header block and bits).
    int DibCreatePatternBrush(std::uint16_t style, std::uint16_t usage, const QByteArray& dib);
    int CreatePalette(const QByteArray& entries);  // 4 bytes per entry
    void SelectObject(int slot);
    void SelectPalette(int slot);
    void DeleteObject(int slot);

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int left, int top, int right, int bottom);
    void Ellipse(int left, int top, int right, int bottom);
    void RoundRect(int left, int top, int right, int bottom, int width, int height);
    // Arc, Chord or Pie (by function number) with the radial end points.
    void ArcLike(std::uint16_t function, int left, int top, int right, int bottom, int xStart,
                 int yStart, int xEnd, int yEnd);
    void Polyline(const QVector<QPoint>& points);
    void Polygon(const QVector<QPoint>& points);
    void PolyPolygon(const QVector<QVector<QPoint>>& polygons);
    void SetPixel(int x, int y, std::uint32_t colorRef);
    void IntersectClipRect(int left, int top, int right, int bottom);
    void ExcludeClipRect(int left, int top, int right, int bottom);

    // 8-bit text; dx is one advance per byte or empty; clip is written with ETO_OPAQUE or
    // ETO_CLIPPED.
    void ExtTextOut(int x, int y, const QByteArray& text, std::uint16_t options, const RectL& clip,
                    const QVector<std::int32_t>& dx);
    // META_STRETCHDIB with a packed DIB.
    void StretchDib(int xDest, int yDest, int cxDest, int cyDest, int xSrc, int ySrc, int cxSrc,
                    int cySrc, std::uint32_t rop, std::uint16_t usage, const QByteArray& dib);
    void PatBlt(int x, int y, int cx, int cy, std::uint32_t rop);

    // Slots of the object table in use or freed so far; a table holds at most 65535.
    int ObjectSlots() const { return static_cast<int>(used_.size()); }

    // Bytes written so far.
    qsizetype Size() const { return bytes_.size(); }

    QByteArray Finish();

  private:
    int TakeSlot();

    QByteArray bytes_;
    std::vector<bool> used_;
    std::uint32_t maxRecordWords_ = 0;
    bool finished_ = false;
};

}  // namespace tavlex::mf
