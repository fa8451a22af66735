// Printing to PDF costs no more than rendering: for each page of the sample album, the time to
// print it into a PDF file through the printing path (page loop, PDF printer, file written)
// against the engine's rendering of the same page into a 300-pixels-per-inch image, measured
// in the same run with the two interleaved. Prints the median ratio per page and for the whole
// album; the target is at most 1.5.
//
// usage: bench_print_pdf [ALBUM] [REPETITIONS]  (default: the build's sample.YRA, 7)
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "album/AlbumLoader.h"
#include "metafile/Metafile.h"
#include "print/core/AlbumPaper.h"
#include "print/core/PdfJobDevice.h"
#include "print/core/PrintLoop.h"

namespace {

using namespace tavlex;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One page printed into its own PDF file, as a one-page print of that page.
double PrintSeconds(const Document& doc, int position, const QString& file) {
    QElapsedTimer timer;
    timer.start();
    const AlbumSettings& s = doc.AlbumSettings;
    PdfJobDevice device(PdfJobDevice::Files::OneFile, file, 600);
    device.SetPaper(AlbumPageSize(s.PaperCode(), s.PaperWidthMm(), s.PaperHeightMm()));
    device.SetOrientation(s.Orientation() == 0 ? 0 : 1);
    mf::Metafile page;
    PrintRun run;
    run.first = run.last = position;
    run.paperWidth = doc.PaperWidth;
    run.hasPageOrientation = doc.HasPageOrientation;
    run.pageOrientation = [&doc](int p) {
        return doc.PageDirectory[static_cast<std::size_t>(p)].Orientation == 0 ? 0 : 1;
    };
    run.loadPage = [&](int p) -> const mf::Metafile& {
        page = mf::Metafile::Load(ReadPageBytes(doc, p));
        return page;
    };
    RunPrintLoop(device, run);
    device.Close();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// The same page read, decoded and played onto a white 300-dpi image of its sheet.
double RenderSeconds(const Document& doc, int position) {
    QElapsedTimer timer;
    timer.start();
    const AlbumSettings& s = doc.AlbumSettings;
    const bool turned = doc.HasPageOrientation &&
                        doc.PageDirectory[static_cast<std::size_t>(position)].Orientation !=
                            doc.PageDirectory[0].Orientation;
    const int w = qRound(s.PaperWidthMm() / 25.4 * 300), h = qRound(s.PaperHeightMm() / 25.4 * 300);
    QImage image(turned ? QSize(h, w) : QSize(w, h), QImage::Format_RGB32);
    image.fill(Qt::white);
    const mf::Metafile page = mf::Metafile::Load(ReadPageBytes(doc, position));
    QPainter painter(&image);
    mf::Play(page, painter, image.rect());
    painter.end();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString album = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                   : QStringLiteral(TAVLEX_BINARY_DIR "/samples/sample.YRA");
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    QTemporaryDir temp;
    AlbumLoadResult loaded = LoadAlbum(album, temp.path(), 96);
    if (!loaded.Loaded()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(album));
        return 2;
    }
    const Document& doc = loaded.document;
    std::printf("album %s: %d pages, %lld bytes\n", qPrintable(QFileInfo(album).fileName()),
                doc.PageCount, static_cast<long long>(QFileInfo(album).size()));
    std::printf("page  print-pdf ms  render-300dpi ms  ratio  pdf bytes\n");
    double printTotal = 0, renderTotal = 0;
    for (int p = 1; p <= doc.PageCount; ++p) {
        const QString file = temp.filePath(QStringLiteral("page%1.pdf").arg(p));
        std::vector<double> prints, renders;
        PrintSeconds(doc, p, file);  // warm: fonts and the file cache
        RenderSeconds(doc, p);
        for (int i = 0; i < repetitions; ++i) {
            prints.push_back(PrintSeconds(doc, p, file));
            renders.push_back(RenderSeconds(doc, p));
        }
        const double print = Median(prints), render = Median(renders);
        printTotal += print;
        renderTotal += render;
        std::printf("%4d  %12.1f  %16.1f  %5.2f  %lld\n", p, print * 1e3, render * 1e3,
                    print / render, static_cast<long long>(QFileInfo(file).size()));
    }
    std::printf("album print/render ratio (sum of medians): %.2f  (target <= 1.5)\n",
                printTotal / renderTotal);
    return 0;
}
