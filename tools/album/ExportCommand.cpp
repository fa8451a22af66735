// tavlex-album export ALBUM PAGE OUT: the page as the viewer's output command writes it, chosen
// by the name's extension: ".bmp" a 24-bit bitmap at the page's own size, ".wmf" a placeable
// Windows metafile, anything else the kind the album stores.

#include <QFileInfo>

#include "metafile/Export.h"
#include "tools/album/CommandRegistry.h"
#include "tools/album/ToolPage.h"

namespace tavlex::tool {
namespace {

// The tool converts at the same 96 pixels per inch at which it reads the album's margins.
constexpr int kToolPixelsPerInch = 96;

int RunExport(const QStringList& args) {
    if (args.size() != 3) return Fail(QStringLiteral("usage: export ALBUM PAGE OUT"));
    const ToolPage page = LoadToolPage(args[0], args[1]);
    const QString& out = args[2];
    if (QFileInfo(out).suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0)
        mf::WriteNaturalBitmap(page.metafile, kToolPixelsPerInch, out);
    else
        mf::WriteMetafileFile(page.metafile, out);
    return 0;
}

}  // namespace
}  // namespace tavlex::tool

TAVLEX_REGISTER_COMMAND(export_page, "export", "export ALBUM PAGE OUT", tavlex::tool::RunExport)
