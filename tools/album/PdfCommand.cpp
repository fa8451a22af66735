// tavlex-album pdf ALBUM OUT.pdf [--from A --to B]: prints pages to a PDF file through the
// viewer's printing path, with the album's paper, per-page orientation and edge offsets.

#include <QCoreApplication>
#include <QStringList>

#include <QFileInfo>

#include <cstdio>
#include <optional>
#include <stdexcept>

#include "album/AlbumLoader.h"
#include "metafile/Metafile.h"
#include "print/core/AlbumPaper.h"
#include "print/core/PdfJobDevice.h"
#include "print/core/PrintLoop.h"
#include "print/core/PrintPlan.h"
#include "tools/album/CommandRegistry.h"
#include "tools/album/ToolLoad.h"

namespace tavlex::tool {
namespace {

constexpr int kPdfResolution = 600;

// Takes "--from N" / "--to N" out of args; the page numbers are those the print dialog shows.
std::optional<int> TakePageNumber(QStringList& args, const QString& name) {
    const qsizetype at = args.indexOf(name);
    if (at < 0) return std::nullopt;
    bool ok = false;
    const int value = at + 1 < args.size() ? args[at + 1].toInt(&ok) : 0;
    if (!ok)
        throw std::runtime_error(QStringLiteral("%1 takes a page number").arg(name).toStdString());
    args.remove(at, 2);
    return value;
}

int RunPdf(const QStringList& arguments) {
    QStringList args = arguments;
    const std::optional<int> from = TakePageNumber(args, QStringLiteral("--from"));
    const std::optional<int> to = TakePageNumber(args, QStringLiteral("--to"));
    if (args.size() != 2) return Fail(QStringLiteral("usage: pdf ALBUM OUT.pdf [--from A --to B]"));
    const Document document = LoadForTool(args[0]);
    const AlbumSettings& settings = document.AlbumSettings;
    const DialogNumbering numbering = NumberingFor(document.PageOffset, document.PageCount);
    const int first = from.value_or(numbering.minPage);
    const int last = to.value_or(numbering.maxPage);
    if (first < numbering.minPage || last > numbering.maxPage || first > last) {
        return Fail(QStringLiteral("pages %1 to %2 are outside the album's %3 to %4")
                        .arg(first)
                        .arg(last)
                        .arg(numbering.minPage)
                        .arg(numbering.maxPage));
    }
    const QPageSize paper =
        AlbumPageSize(settings.PaperCode(), settings.PaperWidthMm(), settings.PaperHeightMm());
    if (!paper.isValid()) return Fail(QStringLiteral("the album's paper size is not usable"));

    PdfJobDevice device(PdfJobDevice::Files::OneFile, args[1], kPdfResolution);
    device.SetPaper(paper);
    device.SetOrientation(settings.Orientation() == 0 ? 0 : 1);
    device.SetTitle(QFileInfo(document.AlbumPath).fileName());
    device.SetCreator(QStringLiteral("Tavlex"));

    mf::Metafile page;
    PrintRun run;
    run.first = first - numbering.offset;
    run.last = last - numbering.offset;
    run.paperWidth = document.PaperWidth;
    run.edgeOffsets = QMargins(document.EdgeOffsetLeft, document.EdgeOffsetTop,
                               document.EdgeOffsetRight, document.EdgeOffsetBottom);
    run.hasPageOrientation = document.HasPageOrientation;
    run.pageOrientation = [&document](int position) {
        return document.PageDirectory[position].Orientation == 0 ? 0 : 1;
    };
    run.loadPage = [&document, &page](int position) -> const mf::Metafile& {
        page = mf::Metafile::Load(ReadPageBytes(document, position));
        return page;
    };
    const PrintOutcome outcome = RunPrintLoop(device, run);
    device.Close();
    std::printf("pages %d, jobs %d\n", outcome.pagesDrawn, outcome.jobsBegun);
    return 0;
}

}  // namespace
}  // namespace tavlex::tool

TAVLEX_REGISTER_COMMAND(pdf, "pdf", "pdf ALBUM OUT.pdf [--from A --to B]", tavlex::tool::RunPdf)
