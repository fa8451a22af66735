// tavlex-album render ALBUM PAGE OUT.png --width W --height H
// tavlex-album render-metafile IN OUT.png --width W --height H

#include <stdexcept>

#include "tools/album/CommandRegistry.h"
#include "tools/album/ToolPage.h"

namespace tavlex::tool {
namespace {

// The page over a white sheet of W x H, its edges moved by the album's edge offsets scaled to
// the sheet as printing scales them.
int RunRender(const QStringList& arguments) {
    QStringList args = arguments;
    const QSize sheet = TakeSheetSize(args);
    if (args.size() != 3)
        return Fail(QStringLiteral("usage: render ALBUM PAGE OUT.png --width W --height H"));
    const ToolPage page = LoadToolPage(args[0], args[1]);
    const auto target = SheetPageRect(sheet, page);
    if (!target) return Fail(QStringLiteral("the album's paper width is not positive"));
    SavePng(RenderOnWhite(page.metafile, sheet, *target), args[2]);
    return 0;
}

// The metafile's frame stretched over the whole W x H image (inclusive bounds).
int RunRenderMetafile(const QStringList& arguments) {
    QStringList args = arguments;
    const QSize sheet = TakeSheetSize(args);
    if (args.size() != 2)
        return Fail(QStringLiteral("usage: render-metafile IN OUT.png --width W --height H"));
    const mf::Metafile metafile = LoadMetafileFile(args[0]);
    SavePng(RenderOnWhite(metafile, sheet, QRect(QPoint(0, 0), sheet)), args[1]);
    return 0;
}

}  // namespace
}  // namespace tavlex::tool

TAVLEX_REGISTER_COMMAND(render, "render", "render ALBUM PAGE OUT.png --width W --height H",
                        tavlex::tool::RunRender)
TAVLEX_REGISTER_COMMAND(render_metafile, "render-metafile",
                        "render-metafile IN OUT.png --width W --height H",
                        tavlex::tool::RunRenderMetafile)
