#pragma once

// Edge offsets scaled as the screen, the printer and the command-line tool scale them, worked
// out by hand: trunc(offset x scale) with the product taken in double. Shared by the tests of
// the arithmetic and of the viewer, which must place a page alike.

#include <array>

namespace tavlex::test {

struct EdgeCase {
    const char* what;
    int offset;
    int percent;  // the scale as a zoom percent (scale = percent / 100)
    int scaled;
};

inline constexpr std::array<EdgeCase, 8> kEdgeCases = {{
    {"half of an odd offset is cut down", 3, 50, 1},
    {"a negative one is cut toward zero", -3, 50, -1},
    {"106 %: 50 x 1.06 is 53 in double (52.99.. in long double)", 50, 106, 53},
    {"106 %: negative", -50, 106, -53},
    {"118 %: 100 x 1.18 is 118 in double", 100, 118, 118},
    {"118 %: 150 x 1.18", 150, 118, 177},
    {"200 % doubles", -7, 200, -14},
    {"no offset stays", 0, 87, 0},
}};

}  // namespace tavlex::test
