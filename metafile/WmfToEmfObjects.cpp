// Objects of the conversion: pens, brushes, fonts, palettes and regions take the slots the
// header declared, and keep their indices as the enhanced metafile's handles.

#include "metafile/EmfWriter.h"
#include "metafile/GdiDefs.h"
#include "metafile/WmfBitmap.h"
#include "metafile/WmfCharset.h"
#include "metafile/WmfToEmfConverter.h"

#include <algorithm>
#include <optional>

namespace tavlex::mf::wmftoemf {

namespace {

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

}  // namespace

bool WmfToEmfConverter::ObjectRecord(std::uint16_t function) {
    switch (function) {
        case wmr::CreatePenIndirect:
            CreatePen();
            return true;
        case wmr::CreateBrushIndirect:
            CreateBrush();
            return true;
        case wmr::DibCreatePatternBrush:
        case wmr::CreatePatternBrush:
            CreatePatternBrush(function == wmr::DibCreatePatternBrush);
            return true;
        case wmr::CreateFontIndirect:
            CreateFont();
            return true;
        case wmr::CreatePalette:
            CreatePalette();
            return true;
        case wmr::CreateRegion:
            CreateRegion();
            return true;
        case wmr::SelectObject:
            SelectObject();
            return true;
        case wmr::DeleteObject:
            DeleteObject();
            return true;
        case wmr::SelectPalette:
            SelectPalette();
            return true;
        case wmr::RealizePalette:
            out_->AddRecord(emr::RealizePalette, {});
            return true;
        case wmr::SelectClipRegion:
            SelectClipRegion();
            return true;
        default:
            return false;
    }
}

int WmfToEmfConverter::NewSlot(ObjectKind kind) {
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].kind == ObjectKind::Free) {
            slots_[i] = Slot{};
            slots_[i].kind = kind;
            return static_cast<int>(i);
        }
    }
    return -1;  // the table the header declared is full: the object is not made
}

Slot* WmfToEmfConverter::SlotAt(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= slots_.size()) return nullptr;
    Slot& slot = slots_[static_cast<std::size_t>(index)];
    return slot.kind == ObjectKind::Free ? nullptr : &slot;
}

void WmfToEmfConverter::CreatePen() {
    if (!Has(5)) return;
    const int slot = NewSlot(ObjectKind::Pen);
    if (slot < 0) return;
    out_->CreatePen(Handle(slot), U(0), P(1), U32At(3));
}

void WmfToEmfConverter::CreateBrush() {
    if (!Has(4)) return;
    const int slot = NewSlot(ObjectKind::Brush);
    if (slot < 0) return;
    out_->CreateBrushIndirect(Handle(slot), U(0), U32At(1), U(3));
}

void WmfToEmfConverter::CreatePatternBrush(bool dib) {
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

void WmfToEmfConverter::CreateFont() {
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

void WmfToEmfConverter::CreatePalette() {
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

void WmfToEmfConverter::CreateRegion() {
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

void WmfToEmfConverter::SelectClip(const Slot* region) {
    QByteArray payload;
    const QByteArray data = region ? RegionData(*region) : QByteArray();
    PutU32(payload, static_cast<std::uint32_t>(data.size()));
    PutU32(payload, regionmode::Copy);
    payload.append(data);
    out_->AddRecord(emr::ExtSelectClipRgn, payload);
}

void WmfToEmfConverter::SelectObject() {
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

void WmfToEmfConverter::SelectPalette() {
    if (!Has(1)) return;
    const Slot* slot = SlotAt(U(0));
    if (!slot || slot->kind != ObjectKind::Palette) return;
    dc_.palette = U(0);
    Simple32(emr::SelectPalette, Handle(U(0)));
}

void WmfToEmfConverter::DeleteObject() {
    if (!Has(1)) return;
    const int index = U(0);
    Slot* slot = SlotAt(index);
    if (!slot) return;
    if (slot->kind != ObjectKind::Region) out_->DeleteObject(Handle(index));
    if (dc_.palette == index) dc_.palette = -1;
    *slot = Slot{};
}

void WmfToEmfConverter::SelectClipRegion() {
    if (!Has(1)) return;
    // Index 0 resets the clip, as the platform's player reads it.
    const Slot* slot = U(0) == 0 ? nullptr : SlotAt(U(0));
    if (slot && slot->kind != ObjectKind::Region) return;
    SelectClip(slot);
}

void WmfToEmfConverter::RegionPaint(std::uint32_t type, bool withBrush, bool frame) {
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

void WmfToEmfConverter::PaletteEntries(std::uint32_t type) {
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

}  // namespace tavlex::mf::wmftoemf
