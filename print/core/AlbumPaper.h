#pragma once

#include <QPageSize>

#include <cstdint>

namespace tavlex {

// The sheet an album asks for, portrait-defined as page sizes are: the standard size of its
// Windows paper code when that size matches the album's millimetres in either orientation,
// else a size of its own from the millimetres. Invalid when the millimetres are not usable.
QPageSize AlbumPageSize(std::int32_t paperCode, std::int32_t widthMm, std::int32_t heightMm);

}  // namespace tavlex
