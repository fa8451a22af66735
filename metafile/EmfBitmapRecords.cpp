#include "metafile/PlaybackContext.h"

namespace tavlex::mf {

// Placeholder until the bitmap records are played: they are skipped.
bool PlayBitmapRecord(PlaybackContext&, std::uint32_t, ByteView) { return false; }

}  // namespace tavlex::mf
