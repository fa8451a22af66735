// Pages too slow to draw on the interface thread: they go to the worker, a turn, a zoom or a
// close abandons them at once, and what the worker makes is what playing directly gives.
#include <QElapsedTimer>
#include <QPainter>
#include <QtTest>

#include "ViewFixture.h"
#include "metafile/Metafile.h"
#include "metafile/PageWeight.h"
#include "tests/album/GatedBody.h"
#include "view/PagePaintBox.h"
#include "view/PageRenderWorker.h"

using namespace tavlex;
using namespace tavlex::test;

namespace {

// Far beyond any frame, and far below what a turn may take: a turn that waited for the slow
// page would take its many seconds.
constexpr qint64 kNotSeconds = 3000;

QImage Grabbed(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool ShowsBusy(const PagePaintBox& box) {
    const QWidget* sheet = box.parentWidget() ? box.parentWidget() : &box;
    return sheet->testAttribute(Qt::WA_SetCursor) && sheet->cursor().shape() == Qt::BusyCursor;
}

// Hatching, which lines up with the painter's origin, and text, whose fonts the worker makes
// for itself.
QByteArray HatchedPage() {
    mf::EmfWriter writer = tavlex::test::A4PageWriter();
    writer.CreateBrushIndirect(1, 2, mf::ToColorRef(QColor(20, 60, 180)), 5);  // diagonal cross
    writer.SelectObject(1);
    writer.Ellipse({40, 60, 700, 1000});
    mf::LogFont font;
    font.height = -40;
    font.faceName = QStringLiteral("ＭＳ 明朝");
    writer.ExtCreateFontIndirectW(2, font);
    writer.SelectObject(2);
    writer.ExtTextOutW(QPoint(90, 160), QStringLiteral("工事写真 Tavlex"));
    return writer.Finish();
}

qint64 Timed(const std::function<void()>& action) {
    QElapsedTimer clock;
    clock.start();
    action();
    return clock.elapsed();
}

}  // namespace

class SlowPageTest : public QObject, WindowCase {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void turnLeavesASlowPageAtOnce();
    void zoomChangeAbandonsTheSlowRendering();
    void closeDuringASlowRenderingJoinsTheWorker();
    void pageFoundFastOnTheWorkerPlaysHereAgain();
    void heavyOutlineGoesToTheWorkerAtOnce();
    void workerRenderingEqualsPlaying_data();
    void workerRenderingEqualsPlaying();

  private:
    TViewForm* Open(const AlbumRecipe& recipe);
};

void SlowPageTest::init() {
    MakeFrame(800, 600);
}

void SlowPageTest::cleanup() {
    DropFrame();
}

TViewForm* SlowPageTest::Open(const AlbumRecipe& recipe) {
    auto* form = new TViewForm(*frame_, frame_->Area());
    // A budget of many frames: on a machine busy with other tests an ordinary page may miss one
    // frame and go to the worker, which is not what these tests look at; the slow page misses
    // any budget by seconds.
    form->PaintBox()->SetFrameMillis(500);
    form->show();
    frame_->Area()->setActiveSubWindow(form);
    if (!LoadDocument(*form, WriteAlbum(*dir_, QStringLiteral("遅い.YRA"), recipe))) return nullptr;
    QCoreApplication::processEvents();
    return form;
}

void SlowPageTest::turnLeavesASlowPageAtOnce() {
    AlbumRecipe recipe;
    recipe.pages = 3;
    recipe.slowPages = {2};
    TViewForm* form = Open(recipe);
    QVERIFY(form);
    PagePaintBox* box = form->PaintBox();
    QVERIFY(!box->Worker().Busy());
    const QImage first = Grabbed(*box);

    // The slow page shows the white sheet under the busy cursor while the worker has it.
    QVERIFY(Timed([&] { form->NextBtnClick(); }) < kNotSeconds);
    QCOMPARE(form->Doc().CurrentPage, 2);
    QTRY_VERIFY(box->Worker().Busy());
    QVERIFY(ShowsBusy(*box));
    QCOMPARE(Grabbed(*box).pixel(box->width() / 2, box->height() / 3), QColor(Qt::white).rgb());

    // Turning on abandons it: the next page is drawn at once, the worker stops its page.
    QVERIFY(Timed([&] { form->NextBtnClick(); }) < kNotSeconds);
    QCOMPARE(form->Doc().CurrentPage, 3);
    QVERIFY(!box->Worker().Busy());
    QVERIFY(!ShowsBusy(*box));
    const QImage third = Grabbed(*box);
    QVERIFY(third != first);
    QCOMPARE(third.pixel(box->width() / 2, box->height() / 3), QColor::fromHsv(80, 120, 240).rgb());
    QTRY_COMPARE_WITH_TIMEOUT(box->Worker().Abandoned(), 1, int(kNotSeconds));

    // Back on it, it is known as slow and goes to the worker without a try here.
    QVERIFY(Timed([&] { form->BackBtnClick(); }) < kNotSeconds);
    QTRY_VERIFY(box->Worker().Busy());
    QVERIFY(Timed([&] { form->StartBtnClick(); }) < kNotSeconds);
    QTRY_COMPARE_WITH_TIMEOUT(box->Worker().Abandoned(), 2, int(kNotSeconds));
    QCOMPARE(Grabbed(*box), first);
    QVERIFY(recorder_->messages.isEmpty());
}

void SlowPageTest::zoomChangeAbandonsTheSlowRendering() {
    AlbumRecipe recipe;
    recipe.pages = 2;
    recipe.slowPages = {2};
    TViewForm* form = Open(recipe);
    QVERIFY(form);
    PagePaintBox* box = form->PaintBox();
    form->NextBtnClick();
    QTRY_VERIFY(box->Worker().Busy());
    const PageRenderCache::Key before = box->Worker().BusyKey();
    QVERIFY(Timed([&] {
                form->BigBtnClick();
                QCoreApplication::processEvents();
            }) < kNotSeconds);
    QVERIFY(form->ZoomPercent() != before.zoomPercent);
    // The page at the new zoom is the one wanted now; the old one stops.
    QVERIFY(box->Worker().Busy());
    QCOMPARE(box->Worker().BusyKey().zoomPercent, form->ZoomPercent());
    QVERIFY(ShowsBusy(*box));
    QTRY_COMPARE_WITH_TIMEOUT(box->Worker().Abandoned(), 1, int(kNotSeconds));
}

void SlowPageTest::closeDuringASlowRenderingJoinsTheWorker() {
    const int threads = ThreadCount();
    AlbumRecipe recipe;
    recipe.pages = 2;
    recipe.slowPages = {1};
    TViewForm* form = Open(recipe);
    QVERIFY(form);
    QTRY_VERIFY(form->PaintBox()->Worker().Busy());
    QVERIFY(Timed([&] {
                form->close();
                QCoreApplication::processEvents();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }) < kNotSeconds);
    QVERIFY(frame_->Area()->subWindowList().isEmpty());
    // The worker stops at its next record and is joined, here or by the reaper.
    QTRY_VERIFY(ThreadCount() <= threads);
}

void SlowPageTest::pageFoundFastOnTheWorkerPlaysHereAgain() {
    // A page that missed its frame only because the machine was busy is not sent to the worker
    // for ever: once the worker renders it within a frame, it plays here again.
    const mf::Metafile page = mf::Metafile::Load(ColouredPage(QColor(200, 120, 40)));
    std::uint64_t generation = 1;
    PagePaintBox box;
    box.resize(397, 561);
    box.SetSource([&] { return PageView{&page, generation, 50, QMargins(), 4}; });
    box.SetFrameMillis(0);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTRY_COMPARE(box.Worker().Delivered(), 1);
    generation = 2;  // the same page loaded again: still known as slow
    box.repaint();
    QTRY_COMPARE(box.Worker().Delivered(), 2);

    box.SetFrameMillis(60'000);
    generation = 3;
    box.repaint();
    QTRY_COMPARE(box.Worker().Delivered(), 3);  // found fast there
    generation = 4;
    box.repaint();
    QCOMPARE(box.Worker().Delivered(), 3);
    QVERIFY(!box.Worker().Busy());
}

// One polygon can take seconds to fill and cannot be interrupted once it draws, so a page with
// one goes to the worker before anything plays here, however long the frame's budget.
void SlowPageTest::heavyOutlineGoesToTheWorkerAtOnce() {
    mf::EmfWriter writer = tavlex::test::A4PageWriter();
    writer.CreateBrushIndirect(1, 0, mf::ToColorRef(QColor(120, 40, 160)));
    writer.SelectObject(1);
    QVector<QPoint> star;
    for (int i = 0; i < int(mf::kHeavyOutlinePoints); ++i)
        star.push_back(QPoint(i % 2 == 0 ? 20 : 770, 20 + (i * 7) % 1080));
    writer.Polygon(star);
    const mf::Metafile page = mf::Metafile::Load(writer.Finish());
    PagePaintBox box;
    box.resize(397, 561);
    box.SetSource([&] { return PageView{&page, 1, 50, QMargins()}; });
    box.SetFrameMillis(60'000);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QVERIFY(box.Worker().Busy() || box.Worker().Delivered() == 1);
    QTRY_COMPARE_WITH_TIMEOUT(box.Worker().Delivered(), 1, 20'000);
}

void SlowPageTest::workerRenderingEqualsPlaying_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("budget");  // bytes a kept rendering may take
    QTest::newRow("whole box") << ColouredPage(QColor(30, 160, 90))
                               << PagePaintBox::kDefaultRenderingBudget;
    QTest::newRow("hatched, whole box") << HatchedPage() << PagePaintBox::kDefaultRenderingBudget;
    // Too large to keep whole: the worker renders the part that shows.
    QTest::newRow("hatched, part that shows") << HatchedPage() << qint64{1000};
}

void SlowPageTest::workerRenderingEqualsPlaying() {
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, budget);
    const mf::Metafile page = mf::Metafile::Load(bytes);
    QWidget area;  // shows part of the sheet, as the page area at a high zoom
    area.resize(300, 250);
    auto* box = new PagePaintBox(&area);
    box->setGeometry(-37, -61, 397, 561);
    const QMargins offsets(6, -4, 2, 8);
    box->SetSource([&] { return PageView{&page, 7, 50, offsets}; });
    box->SetRenderingBudget(budget);
    box->SetFrameMillis(0);  // every page goes to the worker
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    QTRY_COMPARE(box->Worker().Delivered(), 1);
    QCOMPARE(box->Cache().RenderCount(), 1);
    QVERIFY(!box->Worker().Busy());
    QVERIFY(!ShowsBusy(*box));
    const QImage played = Played(page, box->size(), PageRectangle(box->size(), 50, offsets));
    const QRect shown = box->visibleRegion().boundingRect();
    QVERIFY(box->Cache().Covers(box->Cache().HeldKey(), shown));
    QCOMPARE(box->grab(shown).toImage().convertToFormat(QImage::Format_RGB32), played.copy(shown));
}

QTEST_MAIN(SlowPageTest)
#include "SlowPage_test.moc"
#include "tests/common/A4Page.h"
