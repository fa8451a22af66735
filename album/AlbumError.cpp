#include "album/AlbumError.h"

namespace tavlex {

AlbumError::AlbumError(AlbumErrorKind kind, const QString& detail, std::int64_t offset)
    : std::runtime_error(detail.toUtf8().toStdString()), kind_(kind), offset_(offset) {}

}  // namespace tavlex
