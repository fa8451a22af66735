#pragma once

// The record-by-record conversion behind ConvertToPlaceableWmf; internal to the engine.

#include "metafile/ByteView.h"
#include "metafile/EmfWriter.h"
#include "metafile/Limits.h"
#include "metafile/PageMapping.h"
#include "metafile/WmfCharset.h"
#include "metafile/WmfWriter.h"

#include <QByteArray>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace tavlex::mf::emftowmf {

// A 16-bit metafile coordinate or size; values from a damaged transform (infinite, not a
// number) become 0.
inline int Coord(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(std::round(v), -32768.0, 32767.0));
}

// An object of the enhanced metafile, kept as its definition: the Windows-metafile object is
// made when it is selected, so that widths and heights scale with the mapping then in force.
struct EmfObject {
    enum class Kind { Pen, Brush, PatternBrush, Font, Palette } kind = Kind::Pen;
    std::uint16_t style = 0;
    double width = 0;  // logical units; 0: one device pixel
    std::uint32_t color = 0;
    std::uint16_t hatch = 0;
    std::uint16_t usage = 0;
    QByteArray dib;  // pattern brush: packed DIB; palette: entries
    LogFont font;
    int paletteSlot = -1;
};

inline EmfObject PenObject(std::uint16_t style, double width, std::uint32_t color) {
    EmfObject o;
    o.style = style;
    o.width = width;
    o.color = color;
    return o;
}

inline EmfObject BrushObject(std::uint16_t style, std::uint32_t color, std::uint16_t hatch = 0) {
    EmfObject o;
    o.kind = EmfObject::Kind::Brush;
    o.style = style;
    o.color = color;
    o.hatch = hatch;
    return o;
}

// The part of the enhanced metafile's device context the conversion follows: its mapping and
// world transform, the current position, and the Windows-metafile objects selected for it.
struct ConversionDc {
    PageMapping page;
    QTransform world;
    QPointF position;                     // current position, logical units
    int pen = -1, brush = -1, font = -1;  // Windows-metafile slots selected
    std::uint8_t charSet = wmfcharset::kDefault;
    int arcDirection = dcmode::CounterClockwise;
};

inline std::optional<QByteArray> Slice(ByteView record, std::uint32_t offset, std::uint32_t size) {
    const auto part = record.Sub(offset, size);
    if (!part) return std::nullopt;
    return QByteArray(reinterpret_cast<const char*>(part->data()),
                      static_cast<qsizetype>(part->size()));
}

class EmfToWmfConverter {
  public:
    explicit EmfToWmfConverter(ByteView emf) : emf_(emf) {}
    QByteArray Run();

  private:
    // Mapping, the record loop and the states (EmfToWmf.cpp).
    QTransform Total() const { return dc_.world * dc_.page.Transform() * toWmf_; }
    QPoint Map(double x, double y) const;
    bool Rotated() const;
    double ScaleX() const;
    double ScaleY() const;
    void Record(std::uint32_t type, ByteView r);
    // Record families; each returns false for a record not of its family.
    bool MappingRecord(std::uint32_t type, ByteView r);
    bool StateRecord(std::uint32_t type, ByteView r);
    bool ObjectRecord(std::uint32_t type, ByteView r);
    bool PathOrClipRecord(std::uint32_t type, ByteView r);
    bool DrawRecord(std::uint32_t type, ByteView r);
    void SaveDc();
    void RestoreDc(std::int64_t which);

    // Objects (EmfToWmfConverterObjects.cpp).
    void CreatePalette(ByteView r);
    void Select(std::uint32_t handle);
    void SelectStock(std::uint32_t index);
    int MakeObject(const EmfObject& object);
    void Retire(int slot);
    void FlushRetired();

    // Lines and shapes (EmfToWmfConverterShapes.cpp).
    void Line(std::uint32_t type, QPointF to);
    void Points(std::uint32_t type, ByteView r, bool sixteen);
    void PolyPoly(std::uint32_t type, ByteView r, bool sixteen);
    void BoxShape(std::uint32_t type, ByteView r);
    void DrawPolygons(const QList<QPolygonF>& polygons, bool closed);

    // Text and bitmaps (EmfToWmfConverterText.cpp).
    void Text(ByteView r, bool wide);
    void SmallText(ByteView r);
    void Bitmap(std::uint32_t type, ByteView r);

    // Paths and the clip (EmfToWmfConverterPaths.cpp).
    void ClipRect(std::uint32_t type, ByteView r);
    void Clip(ByteView r);
    void ClipToPath();
    void DrawPath(bool fill, bool stroke);

    // Shapes drawn in place of records without a Windows-metafile form
    // (EmfToWmfConverterFills.cpp).
    void RestorePenAndBrush();
    void GradientFill(ByteView r);
    void RegionFill(std::uint32_t type, ByteView r);
    void ArcTo(ByteView r);

    ByteView emf_;
    std::unique_ptr<WmfWriter> out_;
    QTransform toWmf_;
    ReferenceDevice device_;
    ConversionDc dc_;
    std::vector<ConversionDc> saved_;
    std::map<std::uint32_t, EmfObject> objects_;
    std::vector<int> retired_;
    bool inPath_ = false;
    QPainterPath path_;  // Windows-metafile units
};

}  // namespace tavlex::mf::emftowmf
