#pragma once

#include "album/Document.h"

namespace tavlex {

// Writes the document's edge offsets into its album's header: the four margin fields of the
// in-memory header become PixelsToMillimetres of EdgeOffsetTop, -Bottom, -Left, -Right and the
// 48 header bytes are written at offset 0. Nothing else in the file changes.
//
// Before writing it makes sure the file at AlbumPath is still the one that was loaded (same
// device, inode and size, header bytes still equal to the in-memory header). Throws AlbumError
// when that check or the write fails; after a failed write the original header is put back. On
// success the document's AlbumHeader holds the new margins; on failure it is unchanged.
// pixelsPerInch 0 means the screen's.
void WriteMargins(Document& document, int pixelsPerInch = 0);

}  // namespace tavlex
