// Objects of the enhanced metafile: kept as definitions and made as Windows-metafile objects
// when they are selected.

#include "metafile/EmfToWmfConverter.h"
#include "metafile/GdiDefs.h"
#include "metafile/StockObjects.h"

namespace tavlex::mf::emftowmf {

namespace {

EmfObject ExtPen(ByteView r) {
    const std::uint32_t style = r.U32Or(28);
    EmfObject o = PenObject(static_cast<std::uint16_t>(style & 0xFFFF),
                            (style & penstyle::Geometric) ? double(r.U32Or(32)) : 0.0,
                            r.U32Or(40) & 0xFFFFFF);
    if (r.U32Or(36) == brushstyle::Null) o.style = penstyle::Null;
    // Dash patterns of the pen's own and alternate pixels have no Windows-metafile form:
    // dashes and dots come closest.
    const std::uint32_t kind = o.style & penstyle::StyleMask;
    const std::uint32_t rest = o.style & ~penstyle::StyleMask;
    if (kind == penstyle::UserStyle) o.style = static_cast<std::uint16_t>(rest | penstyle::Dash);
    if (kind == penstyle::Alternate) o.style = static_cast<std::uint16_t>(rest | penstyle::Dot);
    return o;
}

std::optional<EmfObject> PatternBrush(ByteView r) {
    const auto info = Slice(r, r.U32Or(16), r.U32Or(20));
    const auto bits = Slice(r, r.U32Or(24), r.U32Or(28));
    if (!info || !bits) return std::nullopt;
    EmfObject o;
    o.kind = EmfObject::Kind::PatternBrush;
    o.usage = static_cast<std::uint16_t>(r.U32Or(12));
    o.dib = *info + *bits;
    return o;
}

EmfObject Font(ByteView r) {
    EmfObject o;
    o.kind = EmfObject::Kind::Font;
    LogFont& f = o.font;
    f.height = r.I32Or(12);
    f.width = r.I32Or(16);
    f.escapement = r.I32Or(20);
    f.orientation = r.I32Or(24);
    f.weight = r.I32Or(28);
    f.italic = r.U8(32).value_or(0);
    f.underline = r.U8(33).value_or(0);
    f.strikeOut = r.U8(34).value_or(0);
    f.charSet = r.U8(35).value_or(1);
    f.outPrecision = r.U8(36).value_or(0);
    f.clipPrecision = r.U8(37).value_or(0);
    f.quality = r.U8(38).value_or(0);
    f.pitchAndFamily = r.U8(39).value_or(0);
    for (std::uint64_t i = 0; i < 32; ++i) {
        const std::uint16_t c = r.U16Or(40 + 2 * i);
        if (c == 0) break;
        f.faceName.append(QChar(static_cast<char16_t>(c)));
    }
    return o;
}

}  // namespace

// Creating, selecting and deleting objects.
bool EmfToWmfConverter::ObjectRecord(std::uint32_t type, ByteView r) {
    const std::uint32_t handle = r.U32Or(8);
    switch (type) {
        case emr::CreatePen:
            objects_[handle] = PenObject(static_cast<std::uint16_t>(r.U32Or(12) & 0xFFFF),
                                         double(r.I32Or(16)), r.U32Or(24) & 0xFFFFFF);
            return true;
        case emr::ExtCreatePen:
            objects_[handle] = ExtPen(r);
            return true;
        case emr::CreateBrushIndirect:
            objects_[handle] =
                BrushObject(static_cast<std::uint16_t>(r.U32Or(12)), r.U32Or(16) & 0xFFFFFF,
                            static_cast<std::uint16_t>(r.U32Or(20)));
            return true;
        case emr::CreateMonoBrush:
        case emr::CreateDibPatternBrushPt:
            if (auto o = PatternBrush(r)) objects_[handle] = std::move(*o);
            return true;
        case emr::ExtCreateFontIndirectW:
            objects_[handle] = Font(r);
            return true;
        case emr::CreatePalette:
            CreatePalette(r);
            return true;
        case emr::SelectPalette: {
            const auto it = objects_.find(handle);
            if (it != objects_.end() && it->second.kind == EmfObject::Kind::Palette)
                out_->SelectPalette(it->second.paletteSlot);
            return true;
        }
        case emr::RealizePalette:
            out_->AddRecord(wmr::RealizePalette, {});
            return true;
        case emr::SelectObject:
            Select(handle);
            return true;
        case emr::DeleteObject: {
            const auto it = objects_.find(handle);
            if (it == objects_.end()) return true;
            if (it->second.kind == EmfObject::Kind::Palette) Retire(it->second.paletteSlot);
            objects_.erase(it);
            return true;
        }
        default:
            return false;
    }
}

void EmfToWmfConverter::CreatePalette(ByteView r) {
    const std::uint32_t entries = r.U16Or(14);
    const auto data = Slice(r, 16, entries * 4);
    if (!data || out_->ObjectSlots() >= 65000) return;
    EmfObject o;
    o.kind = EmfObject::Kind::Palette;
    o.paletteSlot = out_->CreatePalette(*data);
    objects_[r.U32Or(8)] = o;
}

int EmfToWmfConverter::MakeObject(const EmfObject& o) {
    // Objects kept for saved states fill the table; past its 16-bit size nothing new is made.
    if (out_->ObjectSlots() >= 65000) return -1;
    switch (o.kind) {
        case EmfObject::Kind::Pen: {
            int w = 0;
            if (o.width > 0) w = std::max(1, Coord(o.width * ScaleX()));
            return out_->CreatePenIndirect(o.style, w, o.color);
        }
        case EmfObject::Kind::Brush:
            return out_->CreateBrushIndirect(o.style, o.color, o.hatch);
        case EmfObject::Kind::PatternBrush:
            return out_->DibCreatePatternBrush(5, o.usage, o.dib);
        case EmfObject::Kind::Font: {
            LogFont f = o.font;
            f.height = Coord(f.height * ScaleY());
            f.width = Coord(f.width * ScaleX());
            // Angles turn counterclockwise in logical space; the metafile's space is not
            // mirrored, so a mapping that mirrors turns them the other way.
            if (Total().determinant() < 0) {
                f.escapement = (3600 - f.escapement % 3600) % 3600;
                f.orientation = (3600 - f.orientation % 3600) % 3600;
            }
            return out_->CreateFontIndirect(f);
        }
        case EmfObject::Kind::Palette:
            return -1;
    }
    return -1;
}

void EmfToWmfConverter::Retire(int slot) {
    if (slot >= 0) retired_.push_back(slot);
    FlushRetired();
}

// Objects a saved state may still select are deleted once no state is saved.
void EmfToWmfConverter::FlushRetired() {
    if (!saved_.empty()) return;
    for (int slot : retired_) {
        if (slot != dc_.pen && slot != dc_.brush && slot != dc_.font) out_->DeleteObject(slot);
    }
    retired_.erase(
        std::remove_if(retired_.begin(), retired_.end(),
                       [this](int s) { return s != dc_.pen && s != dc_.brush && s != dc_.font; }),
        retired_.end());
}

void EmfToWmfConverter::SelectStock(std::uint32_t index) {
    const StockObject stock = StockObjectAt(index);
    EmfObject o;
    switch (stock.kind) {
        case StockObject::Kind::Pen:
            o = PenObject(static_cast<std::uint16_t>(stock.style), 0, stock.colour);
            break;
        case StockObject::Kind::Brush:
            o = BrushObject(static_cast<std::uint16_t>(stock.style), stock.colour);
            break;
        case StockObject::Kind::Font:
            // The size the platform's stock fonts have on a screen.
            o.kind = EmfObject::Kind::Font;
            o.font.height = -Coord(16 / std::max(ScaleY(), 1e-6));
            o.font.faceName = QString::fromLatin1(StockFontFace(stock));
            break;
        case StockObject::Kind::Palette:
        case StockObject::Kind::None:
            return;
    }
    const int slot = MakeObject(o);
    if (slot < 0) return;
    out_->SelectObject(slot);
    int& current = o.kind == EmfObject::Kind::Pen     ? dc_.pen
                   : o.kind == EmfObject::Kind::Brush ? dc_.brush
                                                      : dc_.font;
    const int previous = current;
    current = slot;
    if (o.kind == EmfObject::Kind::Font) dc_.charSet = wmfcharset::kDefault;
    Retire(previous);
}

void EmfToWmfConverter::Select(std::uint32_t handle) {
    if (handle & kStockObject) {
        SelectStock(handle & ~kStockObject);
        return;
    }
    const auto it = objects_.find(handle);
    if (it == objects_.end()) return;
    const EmfObject& o = it->second;
    if (o.kind == EmfObject::Kind::Palette) return;
    const int slot = MakeObject(o);
    if (slot < 0) return;
    out_->SelectObject(slot);
    int& current = o.kind == EmfObject::Kind::Pen    ? dc_.pen
                   : o.kind == EmfObject::Kind::Font ? dc_.font
                                                     : dc_.brush;
    const int previous = current;
    current = slot;
    if (o.kind == EmfObject::Kind::Font) dc_.charSet = o.font.charSet;
    Retire(previous);
}

}  // namespace tavlex::mf::emftowmf
