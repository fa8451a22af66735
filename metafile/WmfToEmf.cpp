#include "metafile/WmfToEmf.h"

#include "metafile/ByteView.h"
#include "metafile/EmfWriter.h"
#include "metafile/GdiDefs.h"
#include "metafile/Metafile.h"
#include "metafile/WmfBitmap.h"
#include "metafile/WmfCharset.h"
#include "metafile/WmfEmbeddedEmf.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace tavlex::mf {

namespace {

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

std::int32_t ClampToInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

QByteArray RegionData(const Slot& region) {
    QByteArray data;
    PutU32(data, 32);  // RGNDATAHEADER size
    PutU32(data, 1);   // RDH_RECTANGLES
    PutU32(data, static_cast<std::uint32_t>(region.rects.size()));
    PutU32(data, static_cast<std::uint32_t>(region.rects.size() * 16));
    PutRect(data, region.bounds);
    for (const RectL& r : region.rects) PutRect(data, r);
    return data;
}

class WmfConverter {
  public:
    WmfConverter(ByteView wmf, int screenPixelsPerInch) : wmf_(wmf), ppi_(screenPixelsPerInch) {}

    QByteArray Run();

  private:
    // The parameters of the record being converted.
    ByteView p_;
    std::int16_t P(int word) const { return p_.I16Or(static_cast<std::uint64_t>(word) * 2); }
    std::uint16_t U(int word) const { return p_.U16Or(static_cast<std::uint64_t>(word) * 2); }
    std::uint32_t U32At(int word) const { return p_.U32Or(static_cast<std::uint64_t>(word) * 2); }
    bool Has(int words) const { return p_.Has(0, static_cast<std::uint64_t>(words) * 2); }

    void Convert(std::uint16_t function);
    int NewSlot(ObjectKind kind);
    Slot* SlotAt(int index);
    std::uint32_t Handle(int slot) const { return static_cast<std::uint32_t>(slot) + 1; }

    void Point(std::uint32_t type, std::int32_t x, std::int32_t y);
    void Box(std::uint32_t type, int firstWord);
    void ArcLike(std::uint32_t type);
    void Poly(std::uint32_t type);
    void PolyPolygon();
    void Text(ByteView bytes, std::int32_t x, std::int32_t y, std::uint32_t options,
              const RectL& clip, const QVector<std::int32_t>& dx);
    void TextOut();
    void ExtTextOut();
    void CreatePen();
    void CreateBrush();
    void CreatePatternBrush(bool dib);
    void CreateFont();
    void CreatePalette();
    void CreateRegion();
    void SelectObject();
    void DeleteObject();
    void SelectClip(const Slot* region);
    void RegionPaint(std::uint32_t type, bool withBrush, bool frame);
    void PaletteEntries(std::uint32_t type);
    void StretchDib(std::int32_t xDest, std::int32_t yDest, std::int32_t cxDest,
                    std::int32_t cyDest, std::int32_t xSrc, std::int32_t ySrc, std::int32_t cxSrc,
                    std::int32_t cySrc, std::uint32_t rop, std::uint32_t usage, ByteView dib);
    void PatBlt(std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy,
                std::uint32_t rop);
    void DibBlt(bool stretch);
    void DeviceBlt(bool stretch);
    void SetDibToDev();
    void Simple32(std::uint32_t type, std::uint32_t value);
    void SaveDc();
    void RestoreDc();

    ByteView wmf_;
    int ppi_;
    std::unique_ptr<EmfWriter> out_;
    std::vector<Slot> slots_;
    WmfReadingDc dc_;
    std::vector<WmfReadingDc> saved_;
};

QByteArray WmfConverter::Run() {
    if (!IsPlaceableWmf(QByteArray::fromRawData(reinterpret_cast<const char*>(wmf_.data()),
                                                static_cast<qsizetype>(wmf_.size())))) {
        throw MetafileError(MetafileErrorKind::NotMetafile, "no placeable header", 0);
    }
    const std::int32_t left = wmf_.I16Or(6), top = wmf_.I16Or(8);
    const std::int32_t right = wmf_.I16Or(10), bottom = wmf_.I16Or(12);
    const std::int64_t inch = wmf_.U16Or(14);
    if (inch == 0)
        throw MetafileError(MetafileErrorKind::BadHeader, "placeable header: zero units per inch",
                            14);
    if (right == left || bottom == top)
        throw MetafileError(MetafileErrorKind::BadHeader, "placeable header: empty box", 6);

    const ByteView meta = *wmf_.Sub(kPlaceableHeaderSize, wmf_.size() - kPlaceableHeaderSize);
    const auto type = meta.U16(0), headerWords = meta.U16(2), version = meta.U16(4);
    if (!type || !headerWords || !version || !meta.Has(0, kMetaHeaderSize)) {
        throw MetafileError(MetafileErrorKind::Truncated, "truncated metafile header",
                            kPlaceableHeaderSize);
    }
    // Type 2 (disk) is what many writers put in files; both lay out the records the same way.
    if ((*type != 1 && *type != 2) || *headerWords != 9 ||
        (*version != 0x0100 && *version != 0x0300)) {
        throw MetafileError(MetafileErrorKind::BadHeader, "bad metafile header",
                            kPlaceableHeaderSize);
    }
    // A metafile converted from an enhanced one may carry the original: it is the better copy.
    if (auto embedded = wmfembed::FindEmbeddedEmf(meta)) return *embedded;
    const std::uint16_t objects = meta.U16Or(10);
    slots_.resize(objects);

    const std::int64_t width = std::abs(std::int64_t{right} - left);
    const std::int64_t height = std::abs(std::int64_t{bottom} - top);
    EmfWriter::Header header;
    header.frame = {0, 0, ClampToInt32(width * 2540 / inch), ClampToInt32(height * 2540 / inch)};
    const int ppi = std::clamp(ppi_, 1, 4800);
    header.devicePixels = QSize(ppi * 10, ppi * 10);
    header.deviceMillimetres = QSize(254, 254);
    out_ = std::make_unique<EmfWriter>(header);

    // The picture fills the frame: the viewport covers the frame in reference pixels, and the
    // window is the bounding box until the metafile sets its own.
    out_->SetMapMode(mapmode::Anisotropic);
    out_->SetViewportExtEx(ClampToInt32((width * ppi + inch / 2) / inch),
                           ClampToInt32((height * ppi + inch / 2) / inch));
    out_->SetWindowOrgEx(left, top);
    out_->SetWindowExtEx(right - left, bottom - top);
    dc_.windowX = left;
    dc_.windowY = top;

    std::uint64_t offset = kMetaHeaderSize;
    for (std::int64_t count = 0; count < kWmfToEmfLimits.maxRecords; ++count) {
        const auto words = meta.U32(offset);
        const auto function = meta.U16(offset + 4);
        // A record too short to be one, or running past the data, ends the picture.
        if (!words || !function || *words < 3) break;
        const std::uint64_t bytes = std::uint64_t{*words} * 2;
        const auto record = meta.Sub(offset, bytes);
        if (!record) break;
        if (*function == wmr::Eof) break;
        p_ = *record->Sub(6, bytes - 6);
        Convert(*function);
        if (out_->Size() > kWmfToEmfLimits.maxOutputBytes) break;
        offset += bytes;
    }
    return out_->Finish();
}

int WmfConverter::NewSlot(ObjectKind kind) {
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].kind == ObjectKind::Free) {
            slots_[i] = Slot{};
            slots_[i].kind = kind;
            return static_cast<int>(i);
        }
    }
    return -1;  // the table the header declared is full: the object is not made
}

Slot* WmfConverter::SlotAt(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= slots_.size()) return nullptr;
    Slot& slot = slots_[static_cast<std::size_t>(index)];
    return slot.kind == ObjectKind::Free ? nullptr : &slot;
}

void WmfConverter::Simple32(std::uint32_t type, std::uint32_t value) {
    QByteArray payload;
    PutU32(payload, value);
    out_->AddRecord(type, payload);
}

void WmfConverter::Point(std::uint32_t type, std::int32_t x, std::int32_t y) {
    QByteArray payload;
    PutI32(payload, x);
    PutI32(payload, y);
    out_->AddRecord(type, payload);
}

// Records whose parameters end with bottom, right, top, left.
void WmfConverter::Box(std::uint32_t type, int firstWord) {
    if (!Has(firstWord + 4)) return;
    QByteArray payload;
    PutRect(payload, {P(firstWord + 3), P(firstWord + 2), P(firstWord + 1), P(firstWord)});
    out_->AddRecord(type, payload);
}

void WmfConverter::ArcLike(std::uint32_t type) {
    if (!Has(8)) return;
    QByteArray payload;
    PutRect(payload, {P(7), P(6), P(5), P(4)});
    PutI32(payload, P(3));
    PutI32(payload, P(2));
    PutI32(payload, P(1));
    PutI32(payload, P(0));
    out_->AddRecord(type, payload);
}

void WmfConverter::Poly(std::uint32_t type) {
    if (!Has(1)) return;
    const std::uint32_t n = U(0);
    if (!Has(1 + 2 * static_cast<int>(n))) return;
    QVector<QPoint> points;
    points.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        points.append(QPoint(P(1 + 2 * static_cast<int>(i)), P(2 + 2 * static_cast<int>(i))));
    }
    if (type == emr::Polygon16) {
        out_->Polygon16(points);
    } else {
        out_->Polyline16(points);
    }
}

void WmfConverter::PolyPolygon() {
    if (!Has(1)) return;
    const int polygons = U(0);
    if (!Has(1 + polygons)) return;
    std::uint64_t total = 0;
    for (int i = 0; i < polygons; ++i) total += U(1 + i);
    if (!p_.Has(0, (1 + static_cast<std::uint64_t>(polygons) + 2 * total) * 2)) return;
    QByteArray payload;
    QByteArray points;
    RectL bounds{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    const std::uint64_t pointsAt = (1 + static_cast<std::uint64_t>(polygons)) * 2;
    for (std::uint64_t i = 0; i < total; ++i) {
        const std::int16_t x = p_.I16Or(pointsAt + 4 * i);
        const std::int16_t y = p_.I16Or(pointsAt + 4 * i + 2);
        PutI16(points, x);
        PutI16(points, y);
        bounds = {std::min<std::int32_t>(bounds.left, x), std::min<std::int32_t>(bounds.top, y),
                  std::max<std::int32_t>(bounds.right, x),
                  std::max<std::int32_t>(bounds.bottom, y)};
    }
    if (total == 0) bounds = {0, 0, -1, -1};
    PutRect(payload, bounds);
    PutU32(payload, static_cast<std::uint32_t>(polygons));
    PutU32(payload, static_cast<std::uint32_t>(total));
    for (int i = 0; i < polygons; ++i) PutU32(payload, U(1 + i));
    payload.append(points);
    out_->AddRecord(emr::PolyPolygon16, payload);
}

void WmfConverter::Text(ByteView bytes, std::int32_t x, std::int32_t y, std::uint32_t options,
                        const RectL& clip, const QVector<std::int32_t>& dx) {
    QVector<std::int32_t> byteDx = dx;
    if (dc_.charExtra != 0 && !byteDx.isEmpty()) {
        for (std::int32_t& advance : byteDx) advance += dc_.charExtra;
    }
    const wmfcharset::TextRun run =
        wmfcharset::Decode(QByteArrayView(reinterpret_cast<const char*>(bytes.data()),
                                          static_cast<qsizetype>(bytes.size())),
                           dc_.charSet, byteDx);
    out_->ExtTextOutW(QPoint(x, y), run.text, run.dx, options, clip);
}

void WmfConverter::TextOut() {
    if (!Has(1)) return;
    const std::uint16_t length = U(0);
    const int stringWords = (length + 1) / 2;
    if (!Has(1 + stringWords + 2)) return;
    const ByteView bytes = *p_.Sub(2, length);
    Text(bytes, P(2 + stringWords), P(1 + stringWords), 0, {}, {});
}

void WmfConverter::ExtTextOut() {
    if (!Has(4)) return;
    const std::int32_t y = P(0), x = P(1);
    const std::uint16_t length = U(2);
    const std::uint16_t options = U(3);
    const std::uint64_t stringBytes = (std::uint64_t{length} + 1) & ~std::uint64_t{1};
    const std::uint64_t size = p_.size();
    // The rectangle is there with the opaque or clipped option; some writers put it with
    // other options too, which only the record's size tells.
    bool hasRect = (options & (eto::Opaque | eto::Clipped)) != 0;
    if (!hasRect && options != 0) {
        hasRect = size == 16 + stringBytes || size == 16 + stringBytes + 2 * length;
    }
    const std::uint64_t textAt = hasRect ? 16 : 8;
    RectL clip;
    if (hasRect) {
        if (!Has(8)) return;
        clip = {P(4), P(5), P(6), P(7)};
    }
    const auto bytes = p_.Sub(textAt, length);
    if (!bytes) return;
    QVector<std::int32_t> dx;
    const std::uint64_t dxAt = textAt + stringBytes;
    if (length > 0 && p_.Has(dxAt, 2 * std::uint64_t{length})) {
        dx.reserve(length);
        for (std::uint64_t i = 0; i < length; ++i) dx.append(p_.I16Or(dxAt + 2 * i));
    }
    Text(*bytes, x, y, options, clip, dx);
}

void WmfConverter::CreatePen() {
    if (!Has(5)) return;
    const int slot = NewSlot(ObjectKind::Pen);
    if (slot < 0) return;
    out_->CreatePen(Handle(slot), U(0), P(1), U32At(3));
}

void WmfConverter::CreateBrush() {
    if (!Has(4)) return;
    const int slot = NewSlot(ObjectKind::Brush);
    if (slot < 0) return;
    out_->CreateBrushIndirect(Handle(slot), U(0), U32At(1), U(3));
}

void WmfConverter::CreatePatternBrush(bool dib) {
    // The record takes a slot whatever its bitmap holds, so that later indices stay right.
    const int slot = NewSlot(ObjectKind::Brush);
    if (slot < 0) return;
    std::optional<QByteArray> converted;
    ByteView packed;
    std::uint32_t usage = 0;
    if (dib) {
        if (Has(2)) {
            usage = U(0) == brushstyle::Pattern ? 0 : U(1);  // always an RGB table
            packed = *p_.Sub(4, p_.size() - 4);
        }
    } else if (p_.Has(0, 32)) {
        converted = wmfbitmap::Bitmap16ToDib(*p_.Sub(0, 10), *p_.Sub(32, p_.size() - 32));
        if (converted) packed = ByteView(converted->constData(), converted->size());
    }
    const auto info = wmfbitmap::DibHeaderBlockSize(packed, usage);
    if (!info) {
        out_->CreateBrushIndirect(Handle(slot), 1, 0);  // BS_NULL stands in
        return;
    }
    constexpr std::uint32_t kFixed = 32;
    QByteArray payload;
    PutU32(payload, Handle(slot));
    PutU32(payload, usage);
    PutU32(payload, kFixed);
    PutU32(payload, *info);
    PutU32(payload, kFixed + *info);
    PutU32(payload, static_cast<std::uint32_t>(packed.size() - *info));
    payload.append(reinterpret_cast<const char*>(packed.data()),
                   static_cast<qsizetype>(packed.size()));
    out_->AddRecord(emr::CreateDibPatternBrushPt, payload);
}

void WmfConverter::CreateFont() {
    const int slot = NewSlot(ObjectKind::Font);
    if (slot < 0) return;
    LogFont font;
    font.height = P(0);
    font.width = P(1);
    font.escapement = P(2);
    font.orientation = P(3);
    font.weight = P(4);
    const auto byte = [this](std::uint64_t at) { return p_.U8(at).value_or(0); };
    font.italic = byte(10);
    font.underline = byte(11);
    font.strikeOut = byte(12);
    font.charSet = p_.Has(13, 1) ? byte(13) : wmfcharset::kDefault;
    font.outPrecision = byte(14);
    font.clipPrecision = byte(15);
    font.quality = byte(16);
    font.pitchAndFamily = byte(17);
    if (p_.size() > 18) {
        const auto face = *p_.Sub(18, std::min<std::uint64_t>(32, p_.size() - 18));
        font.faceName =
            wmfcharset::DecodeFaceName(QByteArrayView(reinterpret_cast<const char*>(face.data()),
                                                      static_cast<qsizetype>(face.size())),
                                       font.charSet);
    }
    slots_[static_cast<std::size_t>(slot)].charSet = font.charSet;
    out_->ExtCreateFontIndirectW(Handle(slot), font);
}

void WmfConverter::CreatePalette() {
    if (!Has(2)) return;
    const std::uint16_t entries = U(1);
    const int slot = NewSlot(ObjectKind::Palette);
    if (slot < 0) return;
    const std::uint16_t usable =
        static_cast<std::uint16_t>(std::min<std::uint64_t>(entries, (p_.size() - 4) / 4));
    QByteArray payload;
    PutU32(payload, Handle(slot));
    PutU16(payload, 0x0300);
    PutU16(payload, usable);
    payload.append(reinterpret_cast<const char*>(p_.data() + 4), usable * 4);
    out_->AddRecord(emr::CreatePalette, payload);
}

void WmfConverter::CreateRegion() {
    const int slot = NewSlot(ObjectKind::Region);
    if (slot < 0) return;
    Slot& region = slots_[static_cast<std::size_t>(slot)];
    const std::uint16_t scans = U(5);
    std::uint64_t at = 22;
    RectL bounds{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (std::uint32_t s = 0; s < scans; ++s) {
        const auto count = p_.U16(at);
        if (!count) break;
        const std::int32_t top = p_.I16Or(at + 2), bottom = p_.I16Or(at + 4);
        const std::uint64_t xs = *count;
        if (!p_.Has(at + 6, xs * 2 + 2)) break;
        for (std::uint64_t k = 0; k + 1 < xs; k += 2) {
            if (region.rects.size() >= qsizetype{kWmfToEmfLimits.maxRegionRects}) break;
            const RectL r{p_.I16Or(at + 6 + 2 * k), top, p_.I16Or(at + 8 + 2 * k), bottom};
            if (r.left >= r.right || r.top >= r.bottom) continue;
            region.rects.append(r);
            bounds = {std::min(bounds.left, r.left), std::min(bounds.top, r.top),
                      std::max(bounds.right, r.right), std::max(bounds.bottom, r.bottom)};
        }
        at += 6 + xs * 2 + 2;
    }
    region.bounds = region.rects.isEmpty() ? RectL{} : bounds;
}

void WmfConverter::SelectClip(const Slot* region) {
    QByteArray payload;
    const QByteArray data = region ? RegionData(*region) : QByteArray();
    PutU32(payload, static_cast<std::uint32_t>(data.size()));
    PutU32(payload, regionmode::Copy);
    payload.append(data);
    out_->AddRecord(emr::ExtSelectClipRgn, payload);
}

void WmfConverter::SelectObject() {
    if (!Has(1)) return;
    const int index = U(0);
    const Slot* slot = SlotAt(index);
    if (!slot) return;
    switch (slot->kind) {
        case ObjectKind::Region:
            SelectClip(slot);
            return;
        case ObjectKind::Palette:
            return;  // palettes are selected by their own record
        case ObjectKind::Font:
            dc_.charSet = slot->charSet;
            break;
        default:
            break;
    }
    out_->SelectObject(Handle(index));
}

void WmfConverter::DeleteObject() {
    if (!Has(1)) return;
    const int index = U(0);
    Slot* slot = SlotAt(index);
    if (!slot) return;
    if (slot->kind != ObjectKind::Region) out_->DeleteObject(Handle(index));
    if (dc_.palette == index) dc_.palette = -1;
    *slot = Slot{};
}

void WmfConverter::RegionPaint(std::uint32_t type, bool withBrush, bool frame) {
    const int words = frame ? 4 : (withBrush ? 2 : 1);
    if (!Has(words)) return;
    // Frame: region, brush, height, width. Fill: region, brush. Paint, invert: region.
    const Slot* region = SlotAt(U(0));
    if (!region || region->kind != ObjectKind::Region) return;
    std::uint32_t brush = 0;
    if (withBrush) {
        const Slot* b = SlotAt(U(1));
        if (!b || b->kind != ObjectKind::Brush) return;
        brush = Handle(U(1));
    }
    const QByteArray data = RegionData(*region);
    QByteArray payload;
    PutRect(payload, region->bounds);
    PutU32(payload, static_cast<std::uint32_t>(data.size()));
    if (withBrush) PutU32(payload, brush);
    if (frame) {
        PutI32(payload, P(3));
        PutI32(payload, P(2));
    }
    payload.append(data);
    out_->AddRecord(type, payload);
}

void WmfConverter::PaletteEntries(std::uint32_t type) {
    if (dc_.palette < 0) return;
    QByteArray payload;
    PutU32(payload, Handle(dc_.palette));
    if (type == emr::ResizePalette) {
        if (!Has(1)) return;
        PutU32(payload, U(0));
    } else {
        if (!Has(2)) return;
        const std::uint16_t usable =
            static_cast<std::uint16_t>(std::min<std::uint64_t>(U(1), (p_.size() - 4) / 4));
        PutU32(payload, U(0));
        PutU32(payload, usable);
        payload.append(reinterpret_cast<const char*>(p_.data() + 4), usable * 4);
    }
    out_->AddRecord(type, payload);
}

void WmfConverter::StretchDib(std::int32_t xDest, std::int32_t yDest, std::int32_t cxDest,
                              std::int32_t cyDest, std::int32_t xSrc, std::int32_t ySrc,
                              std::int32_t cxSrc, std::int32_t cySrc, std::uint32_t rop,
                              std::uint32_t usage, ByteView dib) {
    const auto info = wmfbitmap::DibHeaderBlockSize(dib, usage);
    if (!info) return;
    constexpr std::uint32_t kFixed = 80;
    QByteArray payload;
    PutRect(payload, {xDest, yDest, xDest + cxDest - 1, yDest + cyDest - 1});
    for (std::int32_t v : {xDest, yDest, xSrc, ySrc, cxSrc, cySrc}) PutI32(payload, v);
    PutU32(payload, kFixed);
    PutU32(payload, *info);
    PutU32(payload, kFixed + *info);
    PutU32(payload, static_cast<std::uint32_t>(dib.size() - *info));
    PutU32(payload, usage);
    PutU32(payload, rop);
    PutI32(payload, cxDest);
    PutI32(payload, cyDest);
    payload.append(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size()));
    out_->AddRecord(emr::StretchDiBits, payload);
}

void WmfConverter::PatBlt(std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy,
                          std::uint32_t rop) {
    QByteArray payload;
    PutRect(payload, {x, y, x + cx - 1, y + cy - 1});
    for (std::int32_t v : {x, y, cx, cy}) PutI32(payload, v);
    PutU32(payload, rop);
    PutI32(payload, 0);
    PutI32(payload, 0);
    for (float f : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        PutU32(payload, bits);
    }
    for (int i = 0; i < 6; ++i) PutU32(payload, 0);  // no source colour, usage or bitmap
    out_->AddRecord(emr::BitBlt, payload);
}

// META_DIBSTRETCHBLT / META_DIBBITBLT: without a bitmap the record is a pattern fill with one
// reserved word, which its size tells.
void WmfConverter::DibBlt(bool stretch) {
    const int fixed = stretch ? 10 : 8;
    if (!Has(fixed)) return;
    const std::uint32_t rop = U32At(0);
    if (p_.size() == static_cast<std::uint64_t>(fixed + 1) * 2) {
        const int d = stretch ? 7 : 5;  // after the reserved word
        PatBlt(P(d + 3), P(d + 2), P(d + 1), P(d), rop);
        return;
    }
    const ByteView dib = *p_.Sub(static_cast<std::uint64_t>(fixed) * 2,
                                 p_.size() - static_cast<std::uint64_t>(fixed) * 2);
    if (stretch) {
        StretchDib(P(9), P(8), P(7), P(6), P(5), P(4), P(3), P(2), rop, 0, dib);
    } else {
        StretchDib(P(7), P(6), P(5), P(4), P(3), P(2), P(5), P(4), rop, 0, dib);
    }
}

// META_BITBLT / META_STRETCHBLT carry a device-dependent bitmap.
void WmfConverter::DeviceBlt(bool stretch) {
    const int fixed = stretch ? 10 : 8;
    if (!Has(fixed)) return;
    const std::uint32_t rop = U32At(0);
    if (p_.size() == static_cast<std::uint64_t>(fixed + 1) * 2) {
        const int d = stretch ? 7 : 5;
        PatBlt(P(d + 3), P(d + 2), P(d + 1), P(d), rop);
        return;
    }
    const std::uint64_t at = static_cast<std::uint64_t>(fixed) * 2;
    if (!p_.Has(at, 10)) return;
    const auto dib =
        wmfbitmap::Bitmap16ToDib(*p_.Sub(at, 10), *p_.Sub(at + 10, p_.size() - at - 10));
    if (!dib) return;
    const ByteView view(dib->constData(), static_cast<std::size_t>(dib->size()));
    if (stretch) {
        StretchDib(P(9), P(8), P(7), P(6), P(5), P(4), P(3), P(2), rop, 0, view);
    } else {
        StretchDib(P(7), P(6), P(5), P(4), P(3), P(2), P(5), P(4), rop, 0, view);
    }
}

void WmfConverter::SetDibToDev() {
    if (!Has(9)) return;
    const std::uint32_t usage = U(0);
    const ByteView dib = *p_.Sub(18, p_.size() - 18);
    const auto info = wmfbitmap::DibHeaderBlockSize(dib, usage);
    if (!info) return;
    constexpr std::uint32_t kFixed = 76;
    const std::int32_t xDest = P(8), yDest = P(7), width = P(6), height = P(5);
    QByteArray payload;
    PutRect(payload, {xDest, yDest, xDest + width - 1, yDest + height - 1});
    for (std::int32_t v : {xDest, yDest, std::int32_t{P(4)}, std::int32_t{P(3)}, width, height}) {
        PutI32(payload, v);
    }
    PutU32(payload, kFixed);
    PutU32(payload, *info);
    PutU32(payload, kFixed + *info);
    PutU32(payload, static_cast<std::uint32_t>(dib.size() - *info));
    PutU32(payload, usage);
    PutU32(payload, U(2));  // first scan line
    PutU32(payload, U(1));  // scan lines
    payload.append(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size()));
    out_->AddRecord(emr::SetDiBitsToDevice, payload);
}

void WmfConverter::SaveDc() {
    if (saved_.size() >= kWmfToEmfLimits.maxSaveDepth) return;
    saved_.push_back(dc_);
    out_->SaveDC();
}

void WmfConverter::RestoreDc() {
    if (!Has(1)) return;
    const std::int32_t which = P(0);
    const std::int64_t depth = static_cast<std::int64_t>(saved_.size());
    // Negative: relative to the current level; positive: the absolute level to return to.
    const std::int64_t target = which < 0 ? depth + which : std::int64_t{which} - 1;
    if (target < 0 || target >= depth) return;
    dc_ = saved_[static_cast<std::size_t>(target)];
    saved_.resize(static_cast<std::size_t>(target));
    out_->RestoreDC(which < 0 ? which : static_cast<std::int32_t>(target - depth));
}

void WmfConverter::Convert(std::uint16_t function) {
    switch (function) {
        case wmr::SetWindowOrg:
            if (!Has(2)) return;
            dc_.windowX = P(1);
            dc_.windowY = P(0);
            out_->SetWindowOrgEx(dc_.windowX, dc_.windowY);
            return;
        case wmr::SetWindowExt:
            if (Has(2)) out_->SetWindowExtEx(P(1), P(0));
            return;
        case wmr::SetViewportOrg:
            if (!Has(2)) return;
            dc_.viewportX = P(1);
            dc_.viewportY = P(0);
            out_->SetViewportOrgEx(dc_.viewportX, dc_.viewportY);
            return;
        case wmr::SetViewportExt:
            if (Has(2)) out_->SetViewportExtEx(P(1), P(0));
            return;
        case wmr::OffsetWindowOrg:
            if (!Has(2)) return;
            dc_.windowX = ClampToInt32(std::int64_t{dc_.windowX} + P(1));
            dc_.windowY = ClampToInt32(std::int64_t{dc_.windowY} + P(0));
            out_->SetWindowOrgEx(dc_.windowX, dc_.windowY);
            return;
        case wmr::OffsetViewportOrg:
            if (!Has(2)) return;
            dc_.viewportX = ClampToInt32(std::int64_t{dc_.viewportX} + P(1));
            dc_.viewportY = ClampToInt32(std::int64_t{dc_.viewportY} + P(0));
            out_->SetViewportOrgEx(dc_.viewportX, dc_.viewportY);
            return;
        case wmr::ScaleWindowExt:
        case wmr::ScaleViewportExt: {
            if (!Has(4)) return;
            QByteArray payload;
            for (int w : {3, 2, 1, 0}) PutI32(payload, P(w));  // xNum, xDenom, yNum, yDenom
            out_->AddRecord(
                function == wmr::ScaleWindowExt ? emr::ScaleWindowExtEx : emr::ScaleViewportExtEx,
                payload);
            return;
        }
        case wmr::SetMapMode:
            if (Has(1)) out_->SetMapMode(U(0));
            return;
        case wmr::SaveDc:
            SaveDc();
            return;
        case wmr::RestoreDc:
            RestoreDc();
            return;
        case wmr::SetBkMode:
            if (Has(1)) out_->SetBkMode(U(0));
            return;
        case wmr::SetRop2:
            if (Has(1)) Simple32(emr::SetRop2, U(0));
            return;
        case wmr::SetPolyFillMode:
            if (Has(1)) Simple32(emr::SetPolyFillMode, U(0));
            return;
        case wmr::SetStretchBltMode:
            if (Has(1)) Simple32(emr::SetStretchBltMode, U(0));
            return;
        case wmr::SetTextAlign:
            if (Has(1)) out_->SetTextAlign(U(0));
            return;
        case wmr::SetTextCharExtra:
            if (Has(1)) dc_.charExtra = P(0);
            return;
        case wmr::SetMapperFlags:
            if (Has(2)) Simple32(emr::SetMapperFlags, U32At(0));
            return;
        case wmr::SetLayout:
            if (Has(2)) Simple32(emr::SetLayout, U32At(0));
            return;
        case wmr::SetTextColor:
            if (Has(2)) out_->SetTextColor(U32At(0) & 0x00FFFFFF);
            return;
        case wmr::SetBkColor:
            if (Has(2)) out_->SetBkColor(U32At(0) & 0x00FFFFFF);
            return;
        case wmr::MoveTo:
            if (Has(2)) out_->MoveToEx(P(1), P(0));
            return;
        case wmr::LineTo:
            if (Has(2)) out_->LineTo(P(1), P(0));
            return;
        case wmr::Rectangle:
            Box(emr::Rectangle, 0);
            return;
        case wmr::Ellipse:
            Box(emr::Ellipse, 0);
            return;
        case wmr::IntersectClipRect:
            Box(emr::IntersectClipRect, 0);
            return;
        case wmr::ExcludeClipRect:
            Box(emr::ExcludeClipRect, 0);
            return;
        case wmr::RoundRect: {
            if (!Has(6)) return;
            QByteArray payload;
            PutRect(payload, {P(5), P(4), P(3), P(2)});
            PutI32(payload, P(1));
            PutI32(payload, P(0));
            out_->AddRecord(emr::RoundRect, payload);
            return;
        }
        case wmr::Arc:
            ArcLike(emr::Arc);
            return;
        case wmr::Chord:
            ArcLike(emr::Chord);
            return;
        case wmr::Pie:
            ArcLike(emr::Pie);
            return;
        case wmr::SetPixel: {
            if (!Has(4)) return;
            QByteArray payload;
            PutI32(payload, P(3));
            PutI32(payload, P(2));
            PutU32(payload, U32At(0) & 0x00FFFFFF);
            out_->AddRecord(emr::SetPixelV, payload);
            return;
        }
        case wmr::OffsetClipRgn:
            if (Has(2)) Point(emr::OffsetClipRgn, P(1), P(0));
            return;
        case wmr::Polyline:
            Poly(emr::Polyline16);
            return;
        case wmr::Polygon:
            Poly(emr::Polygon16);
            return;
        case wmr::PolyPolygon:
            PolyPolygon();
            return;
        case wmr::TextOut:
            TextOut();
            return;
        case wmr::ExtTextOut:
            ExtTextOut();
            return;
        case wmr::CreatePenIndirect:
            CreatePen();
            return;
        case wmr::CreateBrushIndirect:
            CreateBrush();
            return;
        case wmr::DibCreatePatternBrush:
            CreatePatternBrush(true);
            return;
        case wmr::CreatePatternBrush:
            CreatePatternBrush(false);
            return;
        case wmr::CreateFontIndirect:
            CreateFont();
            return;
        case wmr::CreatePalette:
            CreatePalette();
            return;
        case wmr::CreateRegion:
            CreateRegion();
            return;
        case wmr::SelectObject:
            SelectObject();
            return;
        case wmr::DeleteObject:
            DeleteObject();
            return;
        case wmr::SelectPalette: {
            if (!Has(1)) return;
            const Slot* slot = SlotAt(U(0));
            if (!slot || slot->kind != ObjectKind::Palette) return;
            dc_.palette = U(0);
            Simple32(emr::SelectPalette, Handle(U(0)));
            return;
        }
        case wmr::RealizePalette:
            out_->AddRecord(emr::RealizePalette, {});
            return;
        case wmr::SetPalEntries:
            PaletteEntries(emr::SetPaletteEntries);
            return;
        case wmr::ResizePalette:
            PaletteEntries(emr::ResizePalette);
            return;
        case wmr::SelectClipRegion: {
            if (!Has(1)) return;
            // Index 0 resets the clip, as the platform's player reads it.
            const Slot* slot = U(0) == 0 ? nullptr : SlotAt(U(0));
            if (slot && slot->kind != ObjectKind::Region) return;
            SelectClip(slot);
            return;
        }
        case wmr::FillRegion:
            RegionPaint(emr::FillRgn, true, false);
            return;
        case wmr::FrameRegion:
            RegionPaint(emr::FrameRgn, true, true);
            return;
        case wmr::PaintRegion:
            RegionPaint(emr::PaintRgn, false, false);
            return;
        case wmr::InvertRegion:
            RegionPaint(emr::InvertRgn, false, false);
            return;
        case wmr::StretchDib: {
            if (!Has(11)) return;
            const ByteView dib = *p_.Sub(22, p_.size() - 22);
            StretchDib(P(10), P(9), P(8), P(7), P(6), P(5), P(4), P(3), U32At(0), U(2), dib);
            return;
        }
        case wmr::DibStretchBlt:
            DibBlt(true);
            return;
        case wmr::DibBitBlt:
            DibBlt(false);
            return;
        case wmr::StretchBlt:
            DeviceBlt(true);
            return;
        case wmr::BitBlt:
            DeviceBlt(false);
            return;
        case wmr::SetDibToDev:
            SetDibToDev();
            return;
        case wmr::PatBlt:
            if (Has(6)) PatBlt(P(5), P(4), P(3), P(2), U32At(0));
            return;
        default:
            // Escapes, flood fills, justification, relative/absolute mode and records of no
            // known kind draw nothing here.
            return;
    }
}

}  // namespace

bool IsPlaceableWmf(const QByteArray& bytes) {
    const ByteView view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (!view.Has(0, kPlaceableHeaderSize) || view.U32Or(0) != kPlaceableKey) return false;
    std::uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= view.U16Or(static_cast<std::uint64_t>(i) * 2);
    return sum == view.U16Or(20);
}

QByteArray ConvertPlaceableWmfToEmf(const QByteArray& placeableWmf, int screenPixelsPerInch) {
    WmfConverter converter(
        ByteView(placeableWmf.constData(), static_cast<std::size_t>(placeableWmf.size())),
        screenPixelsPerInch);
    return converter.Run();
}

}  // namespace tavlex::mf
