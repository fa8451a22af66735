#pragma once

#include <QString>

#include <exception>

#include "album/AlbumError.h"
#include "album/AlbumLoader.h"
#include "metafile/Metafile.h"
#include "support/FileError.h"

namespace tavlex {

// The texts the user is shown for what the libraries report, in one place so that the viewer
// and tavlex-album say the same thing. fileName is the album's name without its folder; texts
// that name the album append it after " > ". Developer detail (what()) never goes into them.

// A refused load; empty for Loaded and NoPages (refused without a message).
QString UserMessage(LoadStatus status, const QString& fileName);
QString UserMessage(AlbumErrorKind kind, const QString& fileName);
QString UserMessage(FileErrorKind kind, const QString& path);
QString UserMessage(mf::MetafileErrorKind kind);
// Any error a command may end in: AlbumError, FileError and the metafile reader's error by their
// kinds, anything else as a failure that the program did not expect.
QString UserMessage(const std::exception& error, const QString& fileName);

}  // namespace tavlex
