#pragma once

// What each stock object is, for the player and the EMF-to-WMF converter alike.

#include "metafile/GdiDefs.h"

#include <cstdint>

namespace tavlex::mf {

struct StockObject {
    enum class Kind { None, Pen, Brush, Font, Palette } kind = Kind::None;
    std::uint32_t style = 0;   // pens and brushes: PS_* or BS_*
    std::uint32_t colour = 0;  // pens and brushes: COLORREF
    bool fixedPitch = false;   // fonts: a fixed-pitch face rather than a proportional one
};

// The stock object with this index (the high bit of the handle already taken off); Kind::None
// for an index that names none.
constexpr StockObject StockObjectAt(std::uint32_t index) {
    using K = StockObject::Kind;
    switch (index) {
        case stock::WhiteBrush:
        case stock::DcBrush:  // white until SetDCBrushColor, which metafiles do not record
            return {K::Brush, brushstyle::Solid, 0xFFFFFF};
        case stock::LtGrayBrush:
            return {K::Brush, brushstyle::Solid, 0xC0C0C0};
        case stock::GrayBrush:
            return {K::Brush, brushstyle::Solid, 0x808080};
        case stock::DkGrayBrush:
            return {K::Brush, brushstyle::Solid, 0x404040};
        case stock::BlackBrush:
            return {K::Brush, brushstyle::Solid, 0x000000};
        case stock::NullBrush:
            return {K::Brush, brushstyle::Null, 0};
        case stock::WhitePen:
            return {K::Pen, penstyle::Solid, 0xFFFFFF};
        case stock::BlackPen:
        case stock::DcPen:  // black until SetDCPenColor
            return {K::Pen, penstyle::Solid, 0x000000};
        case stock::NullPen:
            return {K::Pen, penstyle::Null, 0};
        case stock::OemFixedFont:
        case stock::AnsiFixedFont:
        case stock::SystemFixedFont:
            return {K::Font, 0, 0, true};
        case stock::AnsiVarFont:
        case stock::SystemFont:
        case stock::DeviceDefaultFont:
        case stock::DefaultGuiFont:
            return {K::Font, 0, 0, false};
        case stock::DefaultPalette:
            return {K::Palette};
        default:
            return {};
    }
}

// The face that stands in for a stock font.
inline const char* StockFontFace(const StockObject& font) {
    return font.fixedPitch ? "Courier New" : "Arial";
}

}  // namespace tavlex::mf
