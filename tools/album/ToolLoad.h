#pragma once

#include <QString>

#include "album/Document.h"

namespace tavlex::tool {

// Loads an album the way the viewer does, into the tool's temporary folder. A refusal throws
// AlbumError carrying the viewer's message (or, for an album without pages, a line saying so),
// so that every command reports it as its one line on standard error.
Document LoadForTool(const QString& path);

}  // namespace tavlex::tool
