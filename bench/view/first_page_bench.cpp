// Time to the first page of a large album: opening it in a document window until page 1 is on
// screen, against inflating the stream up to page 1's end and playing page 1 alone, for bodies
// of two sizes. Targets: at most 1.5 times the baseline for the large body, and the large
// body's time within 1.2 times the small one's (the time does not grow with the album).
//
//   bench_view_first_page [ALBUM]   (pages taken from the build's sample album)
//   TAVLEX_BENCH_FIRST_MB="50 500" sets the two body sizes in MB.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "album/AlbumLoader.h"
#include "album/AlbumWriter.h"
#include "metafile/Metafile.h"
#include "view/LoadDocument.h"
#include "view/PagePaintBox.h"
#include "view/TViewForm.h"
#include "view/ToolbarRelay.h"
#include "view/ViewHost.h"
#include "view/ViewerSettings.h"
#include "view/ZoomLayout.h"

#include "../BodyInflate.h"
#include "BenchFrame.h"

using namespace tavlex;
using tavlex::bench::BenchFrame;

namespace {

double Millis(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// An album of about `megabytes` of body whose pages repeat the sample's pages in turn.
QString MakeAlbum(const QTemporaryDir& dir, const std::vector<QByteArray>& samples,
                  std::int64_t megabytes) {
    AlbumContents contents = NewA4AlbumContents();
    contents.compressionLevel = 1;
    std::vector<AlbumPageSize> pages;
    std::int64_t total = 0;
    for (std::size_t i = 0; total < megabytes * 1'000'000; ++i) {
        const QByteArray& page = samples[i % samples.size()];
        pages.push_back({static_cast<std::int32_t>(page.size()), 0});
        total += page.size();
    }
    const QString path = dir.filePath(QStringLiteral("first_%1.YRA").arg(megabytes));
    WriteAlbumFile(path, contents, pages, [&](int index) {
        return samples[static_cast<std::size_t>(index) % samples.size()];
    });
    return path;
}

// The baseline: inflate the stream from its start until page 1's bytes are out, then decode and
// play them into an image of the sheet's size.
double InflateAndPlayFirst(const QString& path, const PageEntry& first, QSize sheet,
                           const QRect& target) {
    QElapsedTimer timer;
    timer.start();
    QByteArray page(first.Size, Qt::Uninitialized);
    const std::int64_t begin = first.Offset;
    const std::int64_t end = begin + first.Size;
    bench::InflateBody(path, [&](const char* bytes, std::int64_t count, std::int64_t produced) {
        const std::int64_t from = std::max(produced, begin);
        const std::int64_t to = std::min(produced + count, end);
        if (to > from)
            std::copy_n(bytes + (from - produced), to - from, page.data() + (from - begin));
        return produced + count < end;
    });
    const mf::Metafile metafile = mf::Metafile::Load(page);
    QImage image(sheet, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    mf::Play(metafile, painter, target);
    painter.end();
    return Millis(timer);
}

struct Timing {
    double open = 1e30;      // best time to page 1 on screen
    double baseline = 1e30;  // best inflate-and-play of page 1 alone
};

Timing Measure(BenchFrame& frame, const QString& path) {
    Timing best;
    for (int round = 0; round < 5; ++round) {
        // The window itself costs the same for any album; the open starts once it is up.
        auto* form = new TViewForm(frame, frame.Area());
        form->show();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        if (!LoadDocument(*form, path)) std::abort();
        while (!form->PageMetafile()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        best.open = std::min(best.open, Millis(timer));
        const PageEntry first = form->Doc().PageDirectory[1];
        const QSize sheet = form->PaintBox()->size();
        const QMargins offsets(form->Doc().EdgeOffsetLeft, form->Doc().EdgeOffsetTop,
                               form->Doc().EdgeOffsetRight, form->Doc().EdgeOffsetBottom);
        const QRect target = PageRectangle(sheet, form->ZoomPercent(), offsets);
        delete form;  // stops the rest of the body; its partial file goes with it
        QApplication::processEvents();
        best.baseline = std::min(best.baseline, InflateAndPlayFirst(path, first, sheet, target));
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QString sample =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(TAVLEX_SAMPLE_ALBUM);
    if (!QFileInfo::exists(sample)) {
        std::printf("skipped: no album at %s (build the tavlex_samples target)\n",
                    qPrintable(sample));
        return 0;
    }
    std::vector<QByteArray> pages;
    {
        QTemporaryDir temp;
        const AlbumLoadResult loaded = LoadAlbum(sample, temp.path(), 96);
        for (int page = 1; page <= loaded.document.PageCount; ++page) {
            pages.push_back(ReadPageBytes(loaded.document, page));
        }
    }
    std::vector<std::int64_t> sizes{50, 500};
    if (const QByteArray text = qgetenv("TAVLEX_BENCH_FIRST_MB"); !text.isEmpty()) {
        sizes.clear();
        for (const QByteArray& part : text.split(' ')) {
            if (!part.isEmpty()) sizes.push_back(std::max<qint64>(20, part.toLongLong()));
        }
        if (sizes.size() != 2) sizes = {50, 500};
    }
    QTemporaryDir dir;
    BenchFrame frame;
    frame.resize(1920, 1080);
    frame.show();
    std::vector<Timing> timings;
    for (const std::int64_t megabytes : sizes) {
        QElapsedTimer made;
        made.start();
        const QString path = MakeAlbum(dir, pages, megabytes);
        std::printf("album of %lld MB body made in %.1f s\n", static_cast<long long>(megabytes),
                    Millis(made) / 1000);
        timings.push_back(Measure(frame, path));
        QFile::remove(path);
        std::printf("  page 1 on screen %.1f ms; inflating and playing page 1 alone %.1f ms\n",
                    timings.back().open, timings.back().baseline);
    }
    std::printf("first page, %lld MB body, against page 1 alone: %.2f (target <= 1.5)\n",
                static_cast<long long>(sizes[1]), timings[1].open / timings[1].baseline);
    std::printf("first page, %lld MB body against %lld MB body: %.2f (target <= 1.2)\n",
                static_cast<long long>(sizes[1]), static_cast<long long>(sizes[0]),
                timings[1].open / timings[0].open);
    return 0;
}
