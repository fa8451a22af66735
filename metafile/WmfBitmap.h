#pragma once

#include "metafile/ByteView.h"

#include <QByteArray>

#include <cstdint>
#include <optional>

namespace tavlex::mf::wmfbitmap {

// Bytes of the header block (header, masks, colour table) at the start of a packed DIB, or
// nothing when the header is unreadable or the block does not fit in the view. usage 1: the
// table holds 16-bit palette indices.
std::optional<std::uint32_t> DibHeaderBlockSize(ByteView dib, std::uint32_t usage);

// A device-dependent Bitmap16 (type, width, height, width bytes, planes, bits per pixel) and
// its bits, as a packed top-down DIB; monochrome bitmaps get a black and white table. Nothing
// for forms this cannot express (several planes, odd depths, bits missing).
std::optional<QByteArray> Bitmap16ToDib(ByteView header, ByteView bits);

}  // namespace tavlex::mf::wmfbitmap
