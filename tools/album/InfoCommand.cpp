// tavlex-album info ALBUM: the album's header, settings, contents and page directory as JSON.
#include <cstdio>

#include "tools/album/AlbumJson.h"
#include "tools/album/CommandRegistry.h"
#include "tools/album/ToolLoad.h"

namespace {

int RunInfo(const QStringList& args) {
    if (args.size() != 1) return tavlex::tool::Fail(QStringLiteral("usage: info ALBUM"));
    const tavlex::Document document = tavlex::tool::LoadForTool(args[0]);
    const QByteArray text = tavlex::tool::AlbumInfo(document).ToText();
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    return std::fflush(stdout) == 0 ? 0
                                    : tavlex::tool::Fail(QStringLiteral("cannot write the output"));
}

}  // namespace

TAVLEX_REGISTER_COMMAND(info, "info", "info ALBUM", RunInfo)
