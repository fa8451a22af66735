// tavlex-album extract ALBUM PAGE OUT: the stored bytes of one page (1-based).
#include <QSaveFile>

#include "album/AlbumLoader.h"
#include "tools/album/CommandRegistry.h"
#include "tools/album/ToolLoad.h"

namespace {

int RunExtract(const QStringList& args) {
    using tavlex::tool::Fail;
    if (args.size() != 3) return Fail(QStringLiteral("usage: extract ALBUM PAGE OUT"));
    bool isNumber = false;
    const int page = args[1].toInt(&isNumber);
    if (!isNumber) return Fail(QStringLiteral("PAGE must be a number: %1").arg(args[1]));
    const tavlex::Document document = tavlex::tool::LoadForTool(args[0]);
    const QByteArray bytes = tavlex::ReadPageBytes(document, page);
    QSaveFile out(args[2]);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        return Fail(QStringLiteral("cannot write %1: %2").arg(args[2], out.errorString()));
    }
    return 0;
}

}  // namespace

TAVLEX_REGISTER_COMMAND(extract, "extract", "extract ALBUM PAGE OUT", RunExtract)
