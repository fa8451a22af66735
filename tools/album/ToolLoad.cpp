#include "tools/album/ToolLoad.h"

#include <QFileInfo>

#include <stdexcept>

#include "album/AlbumLoader.h"
#include "tools/album/CommandRegistry.h"

namespace tavlex::tool {

Document LoadForTool(const QString& path) {
    AlbumLoadResult result = LoadAlbum(path, ToolTempFolder(), 96);
    switch (result.status) {
        case LoadStatus::Loaded:
            return std::move(result.document);
        case LoadStatus::NoPages:
            throw AlbumError(
                AlbumErrorKind::Damaged,
                QStringLiteral("the album has no pages > %1").arg(QFileInfo(path).fileName()));
        default:
            throw std::runtime_error(result.userMessage.toStdString());
    }
}

}  // namespace tavlex::tool
