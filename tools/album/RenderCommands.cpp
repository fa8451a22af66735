// tavlex-album render ALBUM PAGE OUT.png --width W --height H
// tavlex-album render-metafile IN OUT.png --width W --height H

#include <QImage>

#include "support/ScreenResolution.h"
#include "tools/album/CommandRegistry.h"
#include "tools/album/ToolPage.h"

namespace tavlex::tool {
namespace {

int SavePng(const QImage& image, const QString& path) {
    if (image.isNull()) return Fail(QStringLiteral("画像を作成できません"));
    if (!image.save(path, "PNG")) return Fail(QStringLiteral("%1 に書き込めません").arg(path));
    return 0;
}

// The page over a white sheet of W x H, its edges moved by the album's edge offsets scaled to
// the sheet as printing scales them.
int RunRender(const QStringList& arguments) {
    QStringList args = arguments;
    QString error;
    const auto sheet = TakeSheetSize(args, &error);
    if (!sheet) return Fail(error);
    if (args.size() != 3)
        return Fail(
            QStringLiteral("使い方: tavlex-album render ALBUM PAGE OUT.png --width W "
                           "--height H"));
    const ToolResult loaded = LoadToolPage(args[0], args[1], ScreenPixelsPerInch());
    if (!loaded.page) return Fail(loaded.error);
    const auto target = SheetPageRect(*sheet, *loaded.page);
    if (!target) return Fail(QStringLiteral("用紙の幅が不正です"));
    return SavePng(RenderOnWhite(loaded.page->metafile, *sheet, *target), args[2]);
}

int RunRenderMetafile(const QStringList& arguments) {
    QStringList args = arguments;
    QString error;
    const auto sheet = TakeSheetSize(args, &error);
    if (!sheet) return Fail(error);
    if (args.size() != 2)
        return Fail(
            QStringLiteral("使い方: tavlex-album render-metafile IN OUT.png --width W "
                           "--height H"));
    const auto metafile = LoadMetafileFile(args[0], &error);
    if (!metafile) return Fail(error);
    return SavePng(RenderOnWhite(*metafile, *sheet, QRect(QPoint(0, 0), *sheet)), args[1]);
}

}  // namespace
}  // namespace tavlex::tool

TAVLEX_REGISTER_COMMAND(render, "render", "render ALBUM PAGE OUT.png --width W --height H",
                        tavlex::tool::RunRender);
TAVLEX_REGISTER_COMMAND(render_metafile, "render-metafile",
                        "render-metafile IN OUT.png --width W --height H",
                        tavlex::tool::RunRenderMetafile);
