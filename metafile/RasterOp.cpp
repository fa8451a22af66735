#include "metafile/RasterOp.h"

namespace tavlex::mf {

namespace {

// Bitwise evaluation of a truth table over two operands (bit a*2+b).
std::uint32_t Binary(std::uint8_t table, std::uint32_t a, std::uint32_t b) {
    std::uint32_t out = 0;
    if (table & 1) out |= ~a & ~b;
    if (table & 2) out |= ~a & b;
    if (table & 4) out |= a & ~b;
    if (table & 8) out |= a & b;
    return out;
}

}  // namespace

std::uint32_t RasterOp::Apply(std::uint8_t rop, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
    std::uint32_t out = 0;
    for (int k = 0; k < 8; ++k) {
        if (!(rop & (1u << k))) continue;
        out |= ((k & 4) ? p : ~p) & ((k & 2) ? s : ~s) & ((k & 1) ? d : ~d);
    }
    return out;
}

std::optional<QPainter::CompositionMode> RasterOp::Split::Mode() const {
    switch (outer) {
        case 0x3:
            return QPainter::RasterOp_NotSource;
        case 0x5:
            return QPainter::RasterOp_NotDestination;
        case 0x8:
            return QPainter::RasterOp_SourceAndDestination;
        case 0xE:
            return QPainter::RasterOp_SourceOrDestination;
        case 0x6:
            return QPainter::RasterOp_SourceXorDestination;
        case 0x7:
            return QPainter::RasterOp_NotSourceOrNotDestination;
        case 0x1:
            return QPainter::RasterOp_NotSourceAndNotDestination;
        case 0x9:
            return QPainter::RasterOp_NotSourceXorDestination;
        case 0x4:
            return QPainter::RasterOp_SourceAndNotDestination;
        case 0x2:
            return QPainter::RasterOp_NotSourceAndDestination;
        case 0xD:
            return QPainter::RasterOp_SourceOrNotDestination;
        case 0xB:
            return QPainter::RasterOp_NotSourceOrDestination;
        case 0x0:
            return QPainter::RasterOp_ClearDestination;
        case 0xF:
            return QPainter::RasterOp_SetDestination;
        default:
            return std::nullopt;  // copy, or the destination unchanged
    }
}

std::optional<RasterOp::Split> RasterOp::SplitOf(std::uint8_t rop) {
    auto fits = [rop](std::uint8_t inner, std::uint8_t outer) {
        for (int k = 0; k < 8; ++k) {
            const int p = (k >> 2) & 1, s = (k >> 1) & 1, d = k & 1;
            const int t = (inner >> (p * 2 + s)) & 1;
            if (((outer >> (t * 2 + d)) & 1) != ((rop >> k) & 1)) return false;
        }
        return true;
    };
    // Prefer no destination (a plain draw), then the source as it is, then anything.
    for (int inner = 0; inner < 16; ++inner)
        if (fits(inner, 0xC)) return Split{static_cast<std::uint8_t>(inner), 0xC};
    if (fits(0xA, 0xA)) return Split{0xA, 0xA};
    for (int outer = 0; outer < 16; ++outer)
        if (fits(0xA, outer)) return Split{0xA, static_cast<std::uint8_t>(outer)};
    for (int outer = 0; outer < 16; ++outer)
        for (int inner = 0; inner < 16; ++inner)
            if (fits(inner, outer))
                return Split{static_cast<std::uint8_t>(inner), static_cast<std::uint8_t>(outer)};
    return std::nullopt;
}

QRgb RasterOp::InnerColour(std::uint8_t inner, QRgb pattern, QRgb source) {
    return (Binary(inner, pattern, source) & 0x00ffffffu) | 0xff000000u;
}

void RasterOp::ApplyInner(QImage& image, std::uint8_t inner, QRgb pattern) {
    if (inner == 0xA) return;
    if (image.format() != QImage::Format_RGB32 &&
        image.format() != QImage::Format_ARGB32_Premultiplied)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    const bool alpha = image.hasAlphaChannel();
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb s = row[x];
            if (alpha && qAlpha(s) == 0) continue;  // a hole stays a hole
            row[x] = (Binary(inner, pattern, s) & 0x00ffffffu) |
                     (alpha ? (s & 0xff000000u) : 0xff000000u);
        }
    }
}

}  // namespace tavlex::mf
