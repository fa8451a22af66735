#pragma once

#include <QImage>

namespace tavlex {

// The small sheets of the contents list, 16 x 16 with a transparent background: image 0 (green)
// marks top-level entries, image 1 (white) deeper ones, image 2 (yellow) is the unused third.
QImage ContentsIcon(int image);

}  // namespace tavlex
