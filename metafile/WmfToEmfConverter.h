#pragma once

// The record-by-record conversion behind ConvertPlaceableWmfToEmf; internal to the engine.

#include "metafile/ByteView.h"
#include "metafile/EmfWriter.h"
#include "metafile/Limits.h"
#include "metafile/WmfCharset.h"

#include <QByteArray>
#include <QVector>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace tavlex::mf::wmftoemf {

enum class ObjectKind { Free, Pen, Brush, Font, Palette, Region };

struct Slot {
    ObjectKind kind = ObjectKind::Free;
    std::uint8_t charSet = wmfcharset::kDefault;
    QVector<RectL> rects;  // region objects only
    RectL bounds;
};

// What the conversion itself must follow of the device context: origins for the offset
// records (the enhanced form has only absolute ones), the font's character set for text and
// the palette that palette-entry records change.
struct WmfReadingDc {
    std::int32_t windowX = 0, windowY = 0;
    std::int32_t viewportX = 0, viewportY = 0;
    std::uint8_t charSet = wmfcharset::kDefault;
    int palette = -1;
    std::int32_t charExtra = 0;
};

inline std::int32_t ClampToInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

// How a record whose parameters carry over as they are is written. Records of one shape differ
// only in their types, so one table entry each serves them (WmfToEmf.cpp).
enum class Shape {
    Word,            // one 16-bit value, written as 32 bits
    Long,            // one 32-bit value
    Colour,          // a COLORREF whose flag byte the enhanced form does not keep
    Point,           // y, x
    Box,             // bottom, right, top, left
    Arc,             // end y, x, start y, x, then a box
    Scale,           // y denominator, y numerator, x denominator, x numerator
    Points,          // a count, then x, y pairs
    Region,          // a region
    RegionFill,      // a region and a brush
    RegionFrame,     // a region, a brush, the frame's height and width
    PaletteEntries,  // entries of the selected palette: start and count, or a new size
};

// The placeable header's bounding box and its units per inch.
struct PlaceableBox {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    std::int64_t inch = 0;
};

struct Translation {
    std::uint16_t function;
    Shape shape;
    std::uint32_t type;
};

class WmfToEmfConverter {
  public:
    WmfToEmfConverter(ByteView wmf, int screenPixelsPerInch)
        : wmf_(wmf), ppi_(screenPixelsPerInch) {}

    QByteArray Run();

  private:
    // The parameters of the record being converted.
    ByteView p_;
    std::int16_t P(int word) const { return p_.I16Or(static_cast<std::uint64_t>(word) * 2); }
    std::uint16_t U(int word) const { return p_.U16Or(static_cast<std::uint64_t>(word) * 2); }
    std::uint32_t U32At(int word) const { return p_.U32Or(static_cast<std::uint64_t>(word) * 2); }
    bool Has(int words) const { return p_.Has(0, static_cast<std::uint64_t>(words) * 2); }

    // Routing: each family handler but the last says whether the record was one of its own.
    void Convert(std::uint16_t function);
    void Translate(const Translation& t);
    bool StateRecord(std::uint16_t function);
    bool ObjectRecord(std::uint16_t function);
    bool BitmapRecord(std::uint16_t function);
    void DrawRecord(std::uint16_t function);

    // The header, and the mapping that makes the picture fill its frame.
    void StartPicture(const PlaceableBox& box);
    void ConvertRecords(ByteView meta);

    // Device context (WmfToEmf.cpp).
    void MoveOrigin(bool window, std::int32_t dx, std::int32_t dy);
    void SetOrigin(bool window, std::int32_t x, std::int32_t y);
    void SaveDc();
    void RestoreDc();

    // Objects (WmfToEmfObjects.cpp).
    int NewSlot(ObjectKind kind);
    Slot* SlotAt(int index);
    std::uint32_t Handle(int slot) const { return static_cast<std::uint32_t>(slot) + 1; }
    void CreatePen();
    void CreateBrush();
    void CreatePatternBrush(bool dib);
    void CreateFont();
    void CreatePalette();
    void CreateRegion();
    void SelectObject();
    void SelectPalette();
    void DeleteObject();
    void SelectClipRegion();
    void SelectClip(const Slot* region);
    void RegionPaint(std::uint32_t type, bool withBrush, bool frame);
    void PaletteEntries(std::uint32_t type);

    // Shapes and text (WmfToEmfDraw.cpp).
    void Simple32(std::uint32_t type, std::uint32_t value);
    void Point(std::uint32_t type, std::int32_t x, std::int32_t y);
    void Box(std::uint32_t type, int firstWord);
    void ArcLike(std::uint32_t type);
    void ScaleExt(std::uint32_t type);
    void RoundRect();
    void SetPixel();
    void Poly(std::uint32_t type);
    void PolyPolygon();
    void Text(ByteView bytes, std::int32_t x, std::int32_t y, std::uint32_t options,
              const RectL& clip, const QVector<std::int32_t>& dx);
    void TextOut();
    void ExtTextOut();

    // Bitmaps (WmfToEmfBitmaps.cpp).
    void StretchDib(std::int32_t xDest, std::int32_t yDest, std::int32_t cxDest,
                    std::int32_t cyDest, std::int32_t xSrc, std::int32_t ySrc, std::int32_t cxSrc,
                    std::int32_t cySrc, std::uint32_t rop, std::uint32_t usage, ByteView dib);
    void PatBlt(std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy,
                std::uint32_t rop);
    void Blt(bool stretch, bool deviceBitmap);
    void StretchDibRecord();
    void SetDibToDev();

    ByteView wmf_;
    int ppi_;
    std::unique_ptr<EmfWriter> out_;
    std::vector<Slot> slots_;
    WmfReadingDc dc_;
    std::vector<WmfReadingDc> saved_;
};

}  // namespace tavlex::mf::wmftoemf
