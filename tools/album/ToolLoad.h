#pragma once

#include <QString>

#include "album/Document.h"

namespace tavlex::tool {

// Loads an album the way the viewer does, into the tool's temporary folder. A refusal throws
// std::runtime_error carrying the viewer's message (for an album without pages, AlbumError), so
// that every command reports it as its one line on standard error.
Document LoadForTool(const QString& path);

}  // namespace tavlex::tool
