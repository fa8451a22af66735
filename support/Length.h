#pragma once

#include <cstdint>

namespace tavlex {

// Lengths are held as fixed-point millimetres: millimetres x 10 000 in a signed 64-bit integer
// (2.6 mm is 26 000). Screen pixels are at 100 % zoom. The inch used for screen conversions is
// 0.39375 inch per centimetre (63/160), in both directions, so stored and reopened margins agree.
using FixedMm = std::int64_t;

inline constexpr FixedMm kFixedOne = 10000;

// Rounds a fixed-point value to a whole number, halves away from zero (2.5 -> 3, -2.5 -> -3).
std::int64_t RoundFixed(FixedMm raw);

// Millimetres to screen pixels at the given pixels per inch (the screen's when omitted).
// Results beyond the 32-bit range saturate; values read from files may be anything.
std::int32_t MillimetresToPixels(FixedMm mm);
std::int32_t MillimetresToPixels(FixedMm mm, int pixelsPerInch);

// Screen pixels to millimetres, rounded half away from zero to a whole tenth of a millimetre
// (the result is a multiple of 1000).
FixedMm PixelsToMillimetres(std::int32_t px);
FixedMm PixelsToMillimetres(std::int32_t px, int pixelsPerInch);

}  // namespace tavlex
