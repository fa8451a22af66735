#pragma once

#include <QByteArray>

namespace tavlex::mf {

class Metafile;

// A placeable Windows metafile with the same picture, records converted as the platform's own
// EMF-to-WMF conversion does so that other programs open it and it plays like the EMF.
// For a page stored as a placeable WMF, returns the stored bytes.
QByteArray ConvertToPlaceableWmf(const Metafile& metafile);

}  // namespace tavlex::mf
