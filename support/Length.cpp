#include "support/Length.h"

#include <cmath>
#include <limits>

#include "support/ScreenResolution.h"

namespace tavlex {
namespace {

// The screen inch: 0.39375 inch per centimetre.
constexpr long double kInchPerCentimetre = 0.39375L;

// Fixed-point form of a real value: x 10 000, nearest integer with ties to even. Values that
// do not fit saturate, since lengths read from files may be anything.
FixedMm ToFixed(long double value) {
    const long double scaled = value * 10000.0L;
    constexpr long double kLimit = 9.0e18L;
    if (std::isnan(scaled)) return 0;
    if (scaled >= kLimit) return static_cast<FixedMm>(kLimit);
    if (scaled <= -kLimit) return -static_cast<FixedMm>(kLimit);
    return static_cast<FixedMm>(std::nearbyint(scaled));
}

std::int32_t SaturateInt32(std::int64_t value) {
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

int ValidPixelsPerInch(int pixelsPerInch) {
    return pixelsPerInch > 0 ? pixelsPerInch : ScreenPixelsPerInch();
}

}  // namespace

std::int64_t RoundFixed(FixedMm raw) {
    // The division is done in floating point and cut towards zero.
    const long double shifted = raw >= 0 ? static_cast<long double>(raw) + 5000.0L
                                         : static_cast<long double>(raw) - 5000.0L;
    return static_cast<std::int64_t>(std::trunc(shifted / 10000.0L));
}

std::int32_t MillimetresToPixels(FixedMm mm) {
    return MillimetresToPixels(mm, 0);
}

std::int32_t MillimetresToPixels(FixedMm mm, int pixelsPerInch) {
    const long double p = ValidPixelsPerInch(pixelsPerInch);
    const long double v = static_cast<long double>(mm) / 10000.0L * p * kInchPerCentimetre / 10.0L;
    return SaturateInt32(RoundFixed(ToFixed(v)));
}

FixedMm PixelsToMillimetres(std::int32_t px) {
    return PixelsToMillimetres(px, 0);
}

FixedMm PixelsToMillimetres(std::int32_t px, int pixelsPerInch) {
    const long double p = ValidPixelsPerInch(pixelsPerInch);
    const long double tenths = static_cast<long double>(px) * 100.0L / p / kInchPerCentimetre;
    return RoundFixed(ToFixed(tenths)) * 1000;
}

}  // namespace tavlex
