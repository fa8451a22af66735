// tavlex-album set-margins ALBUM TOP BOTTOM LEFT RIGHT: stores edge offsets given in screen
// pixels at 96 pixels per inch as the album's margins, as the margin dialog does.
#include "album/MarginWriter.h"
#include "tools/album/CommandRegistry.h"
#include "tools/album/ToolLoad.h"

namespace {

constexpr int kToolPixelsPerInch = 96;

int RunSetMargins(const QStringList& args) {
    using tavlex::tool::Fail;
    if (args.size() != 5)
        return Fail(QStringLiteral("usage: set-margins ALBUM TOP BOTTOM LEFT RIGHT"));
    int offsets[4];
    for (int i = 0; i < 4; ++i) {
        bool isNumber = false;
        offsets[i] = args[i + 1].toInt(&isNumber);
        if (!isNumber)
            return Fail(QStringLiteral("offsets must be whole pixels: %1").arg(args[i + 1]));
    }
    tavlex::Document document = tavlex::tool::LoadForTool(args[0]);
    document.EdgeOffsetTop = offsets[0];
    document.EdgeOffsetBottom = offsets[1];
    document.EdgeOffsetLeft = offsets[2];
    document.EdgeOffsetRight = offsets[3];
    tavlex::WriteMargins(document, kToolPixelsPerInch);
    return 0;
}

}  // namespace

TAVLEX_REGISTER_COMMAND(set_margins, "set-margins", "set-margins ALBUM TOP BOTTOM LEFT RIGHT",
                        RunSetMargins)
