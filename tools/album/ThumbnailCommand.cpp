// tavlex-album thumbnail ALBUM OUT.png --size N
//
// The file managers' thumbnailer: page 1 on its sheet (the album's paper, turned when the page
// is), the longest side N pixels, the aspect kept. Registered through tavlex.thumbnailer.

#include <QSize>

#include <cmath>
#include <stdexcept>

#include "album/AlbumLoader.h"
#include "tools/album/CommandRegistry.h"
#include "tools/album/ToolLoad.h"
#include "tools/album/ToolPage.h"

namespace tavlex::tool {
namespace {

constexpr int kMaxThumbnailSide = 4096;

// The sheet of size paper scaled so that its longest side is longest.
QSize ThumbnailSize(QSize paper, int longest) {
    if (paper.width() >= paper.height()) {
        const int height =
            static_cast<int>(std::lround(double(longest) * paper.height() / paper.width()));
        return QSize(longest, qMax(1, height));
    }
    const int width =
        static_cast<int>(std::lround(double(longest) * paper.width() / paper.height()));
    return QSize(qMax(1, width), longest);
}

int RunThumbnail(const QStringList& arguments) {
    QStringList args = arguments;
    const qsizetype flag = args.indexOf(QStringLiteral("--size"));
    bool numeric = false;
    const int size = flag >= 0 && flag + 1 < args.size() ? args[flag + 1].toInt(&numeric) : 0;
    if (flag >= 0) args.remove(flag, qMin<qsizetype>(2, args.size() - flag));
    if (args.size() != 2 || !numeric || size < 1 || size > kMaxThumbnailSide) {
        return Fail(QStringLiteral("usage: thumbnail ALBUM OUT.png --size N (N 1..%1)")
                        .arg(kMaxThumbnailSide));
    }
    const Document document = LoadForTool(args[0]);
    ToolPage page;
    page.metafile = mf::Metafile::Load(ReadPageBytes(document, 1));
    page.paperWidth = document.PaperWidth;
    page.edgeTop = document.EdgeOffsetTop;
    page.edgeBottom = document.EdgeOffsetBottom;
    page.edgeLeft = document.EdgeOffsetLeft;
    page.edgeRight = document.EdgeOffsetRight;
    QSize paper(document.PaperWidth, document.PaperHeight);
    const bool turned =
        document.HasPageOrientation && document.PageDirectory.size() > 1 &&
        document.PageDirectory[1].Orientation != document.PageDirectory[0].Orientation;
    if (turned) paper.transpose();
    if (paper.width() <= 0 || paper.height() <= 0) {
        return Fail(QStringLiteral("the album's paper size is not positive"));
    }
    const QSize sheet = ThumbnailSize(paper, size);
    page.paperWidth = paper.width();
    const auto target = SheetPageRect(sheet, page);
    if (!target) return Fail(QStringLiteral("the album's paper width is not positive"));
    SavePng(RenderOnWhite(page.metafile, sheet, *target), args[1]);
    return 0;
}

}  // namespace
}  // namespace tavlex::tool

TAVLEX_REGISTER_COMMAND(thumbnail, "thumbnail", "thumbnail ALBUM OUT.png --size N",
                        tavlex::tool::RunThumbnail)
