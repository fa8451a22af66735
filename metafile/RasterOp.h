#pragma once

#include <QImage>
#include <QPainter>
#include <QRgb>

#include <cstdint>
#include <optional>

namespace tavlex::mf {

// Ternary raster operations (the 256 combinations of pattern P, source S and destination D,
// index bit P*4 + S*2 + D) and how they map onto what a painter can do.
class RasterOp {
  public:
    // The operation's index: bits 16 to 23 of a raster operation code.
    static std::uint8_t Index(std::uint32_t code) { return (code >> 16) & 0xff; }

    static bool UsesSource(std::uint8_t rop) { return (((rop >> 2) ^ rop) & 0x33) != 0; }
    static bool UsesPattern(std::uint8_t rop) { return (((rop >> 4) ^ rop) & 0x0f) != 0; }
    static bool UsesDestination(std::uint8_t rop) { return (((rop >> 1) ^ rop) & 0x55) != 0; }

    // Bitwise result on whole 32-bit pixels.
    static std::uint32_t Apply(std::uint8_t rop, std::uint32_t p, std::uint32_t s, std::uint32_t d);

    // A split of the operation into T = inner(P, S), computed on the bitmap, and outer(T, D),
    // done by the painter. Truth tables: inner bit P*2+S, outer bit T*2+D.
    struct Split {
        std::uint8_t inner = 0xA;  // 0xA: T is the source itself
        std::uint8_t outer = 0xC;  // 0xC: T is copied; 0xA: the destination stays as it is
        bool Copies() const { return outer == 0xC; }
        bool KeepsDestination() const { return outer == 0xA; }
        // The composition mode that does outer(T, D); nothing for a plain copy.
        std::optional<QPainter::CompositionMode> Mode() const;
    };
    // The split that needs the least work, or nothing when the operation is no such
    // composition (it then needs the destination's pixels).
    static std::optional<Split> SplitOf(std::uint8_t rop);

    // inner(P, S) for every pixel of `image` in place, P a solid colour; alpha is kept.
    static void ApplyInner(QImage& image, std::uint8_t inner, QRgb pattern);
    // inner(P, S) for a constant source too: the colour a fill draws.
    static QRgb InnerColour(std::uint8_t inner, QRgb pattern, QRgb source);
};

}  // namespace tavlex::mf
