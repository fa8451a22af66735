#include "support/ScreenResolution.h"

#include <cstdlib>
#include <utility>

namespace tavlex {
namespace {

std::function<int()>& Provider() {
    static std::function<int()> provider;
    return provider;
}

}  // namespace

int ScreenPixelsPerInch() {
    if (const char* pinned = std::getenv("TAVLEX_SCREEN_DPI")) {
        const int value = std::atoi(pinned);
        if (value > 0 && value <= 4800) return value;
    }
    if (const auto& provider = Provider()) {
        const int value = provider();
        if (value > 0) return value;
    }
    return 96;
}

void SetScreenPixelsPerInchProvider(std::function<int()> provider) {
    Provider() = std::move(provider);
}

}  // namespace tavlex
