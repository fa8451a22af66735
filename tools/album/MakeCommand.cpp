// tavlex-album make DESCRIPTION.json OUT: writes an album described in the shape `info` prints.
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>

#include "album/AlbumWriter.h"
#include "tools/album/AlbumJson.h"
#include "tools/album/CommandRegistry.h"

namespace {

int RunMake(const QStringList& args) {
    using tavlex::tool::Fail;
    if (args.size() != 2) return Fail(QStringLiteral("usage: make DESCRIPTION.json OUT"));
    QFile descriptionFile(args[0]);
    if (!descriptionFile.open(QIODevice::ReadOnly)) {
        return Fail(
            QStringLiteral("cannot read %1: %2").arg(args[0], descriptionFile.errorString()));
    }
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(descriptionFile.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !json.isObject()) {
        return Fail(
            QStringLiteral("%1 is not a JSON object: %2").arg(args[0], error.errorString()));
    }
    const tavlex::tool::AlbumDescription description = tavlex::tool::ReadAlbumDescription(
        json.object(), QFileInfo(args[0]).absolutePath(), tavlex::HasPageOrientationName(args[1]));
    tavlex::WriteAlbumFile(args[1], description.contents, description.pages);
    return 0;
}

}  // namespace

TAVLEX_REGISTER_COMMAND(make, "make", "make DESCRIPTION.json OUT", RunMake)
