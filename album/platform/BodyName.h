#pragma once

#include <QString>

namespace tavlex::platform {

// How this system takes and frees the names of temporary bodies. One file per system implements
// it (BodyName_linux.cpp); nothing else in the album library locks or deletes files.

// Opens path as this user's own body file, exclusively: creates it or empties it, locked
// against other viewers until the descriptor is closed. Returns -1, touching nothing, when the
// name is held by another open album, is a symbolic or hard link, is not a regular file of this
// user, or cannot be created.
int TakeBodyName(const QString& path);

// Deletes path while it still names the body file open at fd (the name may have been replaced
// meanwhile); failures are ignored. For a body that was not inflated whole.
void DeleteHeldBody(int fd, const QString& path);

// Deletes path unless another viewer holds it (its lock is taken) or it is a link; failures are
// ignored.
void DeleteUnheldBody(const QString& path);

}  // namespace tavlex::platform
