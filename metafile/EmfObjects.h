#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRgb>
#include <QString>

#include <cstdint>
#include <variant>
#include <vector>

namespace tavlex::mf {

// The graphics objects a metafile creates, as recorded (logical units, flags as stored).
struct PenObject {
    std::uint32_t style = 0;  // PS_* style, end cap, join and type bits
    double width = 0;         // logical units; 0 is one device pixel
    QColor colour = Qt::black;
    bool extended = false;           // EXTCREATEPEN: the type bits say geometric or cosmetic
    std::vector<double> userDashes;  // PS_USERSTYLE lengths, logical units
    QImage pattern;                  // geometric pen drawn with a pattern brush
};

struct BrushObject {
    std::uint32_t style = 0;  // BS_SOLID 0, BS_NULL 1, BS_HATCHED 2, pattern kinds otherwise
    QColor colour = Qt::white;
    std::uint32_t hatch = 0;
    QImage pattern;
    bool monochrome = false;  // pattern colours come from the text and background colours
};

struct FontObject {
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;  // tenths of a degree, counterclockwise
    std::int32_t orientation = 0;
    std::int32_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::uint8_t charSet = 1;
    std::uint8_t pitchAndFamily = 0;
    QString face;
};

struct PaletteObject {
    QList<QRgb> entries;
};

using GdiObject = std::variant<std::monostate, PenObject, BrushObject, FontObject, PaletteObject>;

}  // namespace tavlex::mf
