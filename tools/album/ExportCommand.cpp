// tavlex-album export ALBUM PAGE OUT: the page as the viewer's output command writes it, by the
// name's extension: ".bmp" a 24-bit bitmap at the page's own size, ".wmf" a placeable Windows
// metafile, anything else the kind the album stores.

#include <QFileInfo>

#include <stdexcept>

#include "metafile/Export.h"
#include "support/ScreenResolution.h"
#include "tools/album/CommandRegistry.h"
#include "tools/album/ToolPage.h"

namespace tavlex::tool {
namespace {

int RunExport(const QStringList& args) {
    if (args.size() != 3) return Fail(QStringLiteral("使い方: tavlex-album export ALBUM PAGE OUT"));
    const int pixelsPerInch = ScreenPixelsPerInch();
    const ToolResult loaded = LoadToolPage(args[0], args[1], pixelsPerInch);
    if (!loaded.page) return Fail(loaded.error);
    const QString& out = args[2];
    try {
        if (QFileInfo(out).suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0)
            mf::WriteNaturalBitmap(loaded.page->metafile, pixelsPerInch, out);
        else
            mf::WriteMetafileFile(loaded.page->metafile, out);
    } catch (const mf::MetafileError&) {
        return Fail(QString::fromUtf8(mf::MetafileError().what()));
    } catch (const std::runtime_error& error) {
        return Fail(QString::fromUtf8(error.what()));
    }
    return 0;
}

}  // namespace
}  // namespace tavlex::tool

TAVLEX_REGISTER_COMMAND(export_page, "export", "export ALBUM PAGE OUT", tavlex::tool::RunExport);
