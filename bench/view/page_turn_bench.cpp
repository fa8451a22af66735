// Page turn at whole page in a 1920 x 1080 window against loading and playing the same page
// alone; a scroll step at 200 % with the kept rendering against a full render.
//
//   bench_view_page [ALBUM]     (default: the build's sample album; QT_QPA_PLATFORM=offscreen)

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include "album/AlbumLoader.h"
#include "album/PageArrival.h"
#include "metafile/Metafile.h"
#include "view/LoadDocument.h"
#include "view/PagePaintBox.h"
#include "view/PageScrollBox.h"
#include "view/TViewForm.h"
#include "view/ToolbarRelay.h"
#include "view/ViewHost.h"
#include "view/ViewerSettings.h"
#include "view/ZoomLayout.h"

#include "BenchFrame.h"

using namespace tavlex;
using tavlex::bench::BenchFrame;

namespace {

// Median of repeated runs, in microseconds.
double Median(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Renders a page as the engine alone would: into a white image of the sheet's size.
void Render(const mf::Metafile& page, QSize size, const QRect& rect) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    mf::Play(page, painter, rect);
}

// A page turn (read, decode, paint at once, contents, status) against the engine alone (decode
// the stored bytes and play them into an image of the same size), run alternately so that both
// see the same load on the machine. Two pages take turns.
void MeasureTurn(TViewForm& form) {
    const int pages = form.Doc().PageCount;
    PagePaintBox* box = form.PaintBox();
    const int a = std::min(2, pages);
    const int b = std::min(3, pages);
    const QByteArray bytesA = ReadPageBytes(form.Doc(), a);
    const QByteArray bytesB = ReadPageBytes(form.Doc(), b);
    const QSize size = box->size();
    const QMargins offsets(form.Doc().EdgeOffsetLeft, form.Doc().EdgeOffsetTop,
                           form.Doc().EdgeOffsetRight, form.Doc().EdgeOffsetBottom);
    const QRect target = PageRectangle(size, form.ZoomPercent(), offsets);
    // The two pages differ in cost, so each page's times are summarised apart: the median of a
    // mix of both would be the slowest run of the cheaper page.
    const int runs = 31;
    std::vector<double> turns[2];
    std::vector<double> engines[2];
    for (int i = 0; i < 2 * runs; ++i) {
        const int which = i % 2;
        turns[which].push_back(Median(1, [&] { form.GoToPage(which == 0 ? a : b); }));
        engines[which].push_back(Median(
            1, [&] { Render(mf::Metafile::Load(which == 0 ? bytesA : bytesB), size, target); }));
    }
    for (auto* times : {&turns[0], &turns[1], &engines[0], &engines[1]})
        std::sort(times->begin(), times->end());
    const auto middle = [](const std::vector<double>(&times)[2]) {
        return (times[0][times[0].size() / 2] + times[1][times[1].size() / 2]) / 2;
    };
    const auto fastest = [](const std::vector<double>(&times)[2]) {
        return (times[0].front() + times[1].front()) / 2;
    };
    const double turn = middle(turns);
    const double engine = middle(engines);
    // Where a turn's time goes.
    QByteArray buffer;
    const double read = Median(runs, [&] { PageArrival::Start(form.Doc(), a, buffer)->Finish(); });
    const double refresh = Median(runs, [&] { form.RefreshWindowState(); });
    const double paint = Median(runs, [&] {
        box->DropRendering();
        box->repaint();
    });
    const mf::Metafile decoded = mf::Metafile::Load(bytesA);
    const double decode = Median(runs, [&] { mf::Metafile::Load(bytesA); });
    const double play = Median(runs, [&] { Render(decoded, size, target); });
    std::printf(
        "  read page bytes %.0f us, decode %.0f us, play %.0f us, refresh %.0f us, "
        "render + paint %.0f us\n",
        read, decode, play, refresh, paint);
    // The machine may be busy with other work: the fastest runs show the cost itself.
    std::printf(
        "page turn (load + paint, whole page): %.0f us; engine load + render alone: %.0f "
        "us; ratio %.2f (target <= 1.2); fastest runs %.0f / %.0f us, ratio %.2f\n",
        turn, engine, turn / engine, fastest(turns), fastest(engines),
        fastest(turns) / fastest(engines));
}

// One step of the scroll bar's arrow, as the event loop would paint it: the moved sheet and the
// strip it uncovers. Returns the time of the move and of the paint, and turns at either end.
std::pair<double, double> ScrollStep(PageScrollBox& scroll, int& direction) {
    QElapsedTimer timer;
    timer.start();
    const int before = scroll.VerticalPosition();
    scroll.SetVerticalPosition(before + direction * PageScrollBox::kVerticalLine);
    if (scroll.VerticalPosition() == before) direction = -direction;
    const double move = static_cast<double>(timer.nsecsElapsed()) / 1000.0;
    timer.restart();
    QApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QApplication::processEvents();
    return {move, static_cast<double>(timer.nsecsElapsed()) / 1000.0};
}

// A scroll step at 200 %: the paint reuses the kept rendering, against a full render.
void MeasureScroll(TViewForm& form) {
    PagePaintBox* box = form.PaintBox();
    form.Mn10Click(kZoomItemCount - 1);
    QApplication::processEvents();
    box->repaint();  // the rendering at the new size
    PageScrollBox* scroll = form.ScrollBox();
    int direction = 1;
    const double step = Median(41, [&] { ScrollStep(*scroll, direction); });
    // Where a step's time goes: moving the sheet (the backing store scrolls its pixels) and
    // painting what that uncovers.
    std::vector<double> moves, paints;
    for (int i = 0; i < 41; ++i) {
        const auto [move, paint] = ScrollStep(*scroll, direction);
        moves.push_back(move);
        paints.push_back(paint);
    }
    std::sort(moves.begin(), moves.end());
    std::sort(paints.begin(), paints.end());
    std::printf("  scroll step: move %.0f us, paint %.0f us\n", moves[moves.size() / 2],
                paints[paints.size() / 2]);
    const QMargins offsets(form.Doc().EdgeOffsetLeft, form.Doc().EdgeOffsetTop,
                           form.Doc().EdgeOffsetRight, form.Doc().EdgeOffsetBottom);
    const mf::Metafile current = *form.PageMetafile();
    const QSize big = box->size();
    const QRect bigTarget = PageRectangle(big, form.ZoomPercent(), offsets);
    const double full = Median(7, [&] { Render(current, big, bigTarget); });
    std::printf(
        "scroll step at 200 %% (sheet %dx%d): %.0f us; full render: %.0f us; ratio %.3f "
        "(target < 0.1); pictures rendered in all: %d\n",
        big.width(), big.height(), step, full, step / full, box->Cache().RenderCount());
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QString album =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(TAVLEX_SAMPLE_ALBUM);
    if (!QFileInfo::exists(album)) {
        std::printf("skipped: no album at %s (build the tavlex_samples target)\n",
                    qPrintable(album));
        return 0;
    }
    BenchFrame frame;
    frame.resize(1920, 1080);
    frame.show();
    auto* form = new TViewForm(frame, frame.Area());
    form->show();
    if (!LoadDocument(*form, album)) {
        std::printf("the album was refused\n");
        return 1;
    }
    QApplication::processEvents();
    std::printf("album %s: %d pages, whole page %d %% in a %dx%d page area, sheet %dx%d\n",
                qPrintable(QFileInfo(album).fileName()), form->Doc().PageCount, form->ZoomPercent(),
                form->ScrollBox()->width(), form->ScrollBox()->height(), form->PaintBox()->width(),
                form->PaintBox()->height());
    MeasureTurn(*form);
    MeasureScroll(*form);
    delete form;
    return 0;
}
