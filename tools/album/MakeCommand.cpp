// tavlex-album make SPEC.json OUT: writes an album described in the shape `info` prints.
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
    if (args.size() != 2) return Fail(QStringLiteral("usage: make SPEC.json OUT"));
    QFile specFile(args[0]);
    if (!specFile.open(QIODevice::ReadOnly)) {
        return Fail(QStringLiteral("cannot read %1: %2").arg(args[0], specFile.errorString()));
    }
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(specFile.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !json.isObject()) {
        return Fail(
            QStringLiteral("%1 is not a JSON object: %2").arg(args[0], error.errorString()));
    }
    const tavlex::tool::AlbumSpec spec = tavlex::tool::ReadAlbumSpec(
        json.object(), QFileInfo(args[0]).absolutePath(), tavlex::HasPageOrientationName(args[1]));
    tavlex::WriteAlbumFile(args[1], spec.contents, spec.pages);
    return 0;
}

}  // namespace

TAVLEX_REGISTER_COMMAND(make, "make", "make SPEC.json OUT", RunMake)
