#pragma once

#include "metafile/ByteView.h"

#include <QByteArray>

#include <optional>

namespace tavlex::mf {

class WmfWriter;

// An enhanced metafile carried inside a Windows metafile in MFCOMMENT escape records ("WMFC"
// chunks), as the platform's EMF-to-WMF conversion writes it: a reader that knows the form
// gets the original back, any other plays the Windows-metafile records.
namespace wmfembed {

// Writes the chunks. Bytes beyond what one metafile can carry are not embedded.
void WriteEmbeddedEmf(WmfWriter& out, const QByteArray& emf);

// The carried EMF of a metafile (bytes from its META header on), when every chunk is there,
// the sizes agree, the checksum matches and the bytes start with an EMF header.
std::optional<QByteArray> FindEmbeddedEmf(ByteView metafile);

}  // namespace wmfembed
}  // namespace tavlex::mf
