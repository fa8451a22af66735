#pragma once

#include <QByteArray>

namespace tavlex::mf {

// Converts a placeable Windows metafile (key 0x9AC6CDD7, 22-byte header with a matching
// checksum) into the bytes of an equivalent enhanced metafile, as the platform's own conversion
// does: the EMF's frame is the placeable header's bounding box at its units per inch, and the
// records play like the WMF. Throws MetafileError when the input is not a valid placeable WMF.
QByteArray ConvertPlaceableWmfToEmf(const QByteArray& placeableWmf, int screenPixelsPerInch);

// True when the bytes start with a placeable header whose key and checksum match.
bool IsPlaceableWmf(const QByteArray& bytes);

}  // namespace tavlex::mf
