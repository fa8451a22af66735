#include "album/AlbumError.h"

namespace tavlex {

AlbumError::AlbumError(const QString& message)
    : std::runtime_error(message.toUtf8().toStdString()) {}

}  // namespace tavlex
