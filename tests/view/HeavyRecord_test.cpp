// One record that draws for seconds and cannot be interrupted: neither a close nor the next page
// waits for it, and its thread is still joined once the record ends.
#include <QElapsedTimer>
#include <QPainter>
#include <QtTest>

#include "ViewFixture.h"
#include "metafile/Metafile.h"
#include "metafile/PageWeight.h"
#include "tests/album/GatedBody.h"
#include "view/PagePaintBox.h"
#include "view/PageRenderWorker.h"
#include "view/ThreadReaper.h"

using namespace tavlex;
using namespace tavlex::test;

namespace {

// Every edge spans the page, and the outline is only drawn, with a thin pen: one and a half
// seconds at whole page on the machine these were measured on, beyond the bound a close is
// given, and within the engine's caps. (A fill, or a wide pen, would be drawn in bands that a
// cancel stops; a thin line is drawn in one piece, since cutting it at a band's edge would move
// its pixels.)
constexpr int kSlowPoints = 600'000;
// A close or a turn that waited for the record would take its seconds.
constexpr qint64 kAtOnce = 1000;
// The record ends by itself, however loaded the machine.
constexpr int kRecordEnds = 60'000;

QByteArray OutlinePage(const QColor& colour, int points, bool acrossThePage) {
    mf::EmfWriter writer = tavlex::test::A4PageWriter();
    // Across the page: the outline alone, in the colour's thin pen. Otherwise filled.
    if (acrossThePage) {
        writer.CreateBrushIndirect(1, 1, 0);  // hollow
        writer.CreatePen(2, 0, 0, mf::ToColorRef(colour));
        writer.SelectObject(2);
    } else {
        writer.CreateBrushIndirect(1, 0, mf::ToColorRef(colour));
    }
    writer.SelectObject(1);
    QVector<QPoint> outline;
    outline.reserve(points);
    for (int i = 0; i < points; ++i) {
        if (acrossThePage)
            outline.push_back(QPoint(20 + (i * 7919) % 750, i % 2 == 0 ? 20 : 1100));
        else  // short edges: heavy by its count of points, yet quick to fill
            outline.push_back(QPoint(i % 2 == 0 ? 20 : 770, 20 + (i * 7) % 1080));
    }
    writer.Polygon(outline);
    return writer.Finish();
}

QString WriteOutlineAlbum(const QTemporaryDir& dir, const std::vector<QByteArray>& pageBytes) {
    std::vector<AlbumPage> pages;
    for (const QByteArray& bytes : pageBytes) pages.push_back({bytes, 0});
    const QString path = dir.filePath(QStringLiteral("重い.YRA"));
    WriteAlbumFile(path, NewA4AlbumContents(), pages);
    return path;
}

qint64 Timed(const std::function<void()>& action) {
    QElapsedTimer clock;
    clock.start();
    action();
    return clock.elapsed();
}

// The few records before the outline play in a moment; a page abandoned before its outline
// begins stops at once, which is not what these cases look at.
void IntoTheRecord() {
    QTest::qWait(500);
}

int Held() {
    return ThreadReaper::Instance().Held();
}

}  // namespace

class HeavyRecordTest : public QObject, WindowCase {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void closeDuringAHeavyRecordReturnsAtOnce();
    void nextPageDoesNotWaitForTheAbandonedRecord();
    void renderingOfAGoneWorkerReachesNothing();

  private:
    TViewForm* Open(const std::vector<QByteArray>& pages);
};

void HeavyRecordTest::init() {
    MakeFrame(800, 600);
}

void HeavyRecordTest::cleanup() {
    DropFrame();
    // Each case starts with nothing held.
    QTRY_COMPARE_WITH_TIMEOUT(Held(), 0, kRecordEnds);
}

TViewForm* HeavyRecordTest::Open(const std::vector<QByteArray>& pages) {
    auto* form = new TViewForm(*frame_, frame_->Area());
    form->show();
    frame_->Area()->setActiveSubWindow(form);
    if (!LoadDocument(*form, WriteOutlineAlbum(*dir_, pages))) return nullptr;
    QCoreApplication::processEvents();
    return form;
}

void HeavyRecordTest::closeDuringAHeavyRecordReturnsAtOnce() {
    QTRY_COMPARE_WITH_TIMEOUT(Held(), 0, kRecordEnds);
    const int threads = ThreadCount();
    TViewForm* form = Open({OutlinePage(QColor(120, 40, 160), kSlowPoints, true)});
    QVERIFY(form);
    QTRY_VERIFY(form->PaintBox()->Worker().Drawing());
    IntoTheRecord();
    QVERIFY(Timed([&] {
                form->close();
                QCoreApplication::processEvents();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }) < kAtOnce);
    QVERIFY(frame_->Area()->subWindowList().isEmpty());
    // The window is gone; its thread is still inside the record, held to be joined.
    QCOMPARE(Held(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(Held(), 0, kRecordEnds);
    // Joined, and the reaper's own thread with it: nothing lingers.
    QTRY_VERIFY(ThreadCount() <= threads);
    QVERIFY(recorder_->messages.isEmpty());
}

void HeavyRecordTest::nextPageDoesNotWaitForTheAbandonedRecord() {
    const QByteArray secondBytes =
        OutlinePage(QColor(30, 160, 90), int(mf::kHeavyOutlinePoints), false);
    TViewForm* form = Open({OutlinePage(QColor(120, 40, 160), kSlowPoints, true), secondBytes});
    QVERIFY(form);
    PagePaintBox* box = form->PaintBox();
    QTRY_VERIFY(box->Worker().Drawing());
    IntoTheRecord();
    QCOMPARE(box->Worker().ThreadsStarted(), 1);

    // The second page goes to the worker too (it is heavy), on a thread of its own, and is
    // delivered while the first page's record still draws.
    QVERIFY(Timed([&] { form->NextBtnClick(); }) < kAtOnce);
    QCOMPARE(form->Doc().CurrentPage, 2);
    QTRY_COMPARE_WITH_TIMEOUT(box->Worker().Delivered(), 1, kRecordEnds);
    QCOMPARE(Held(), 1);
    QCOMPARE(box->Worker().ThreadsStarted(), 2);
    QVERIFY(!box->Worker().Busy());
    const QImage played =
        Played(mf::Metafile::Load(secondBytes), box->size(), box->Cache().HeldKey().pageRect);
    const QRect shown = box->visibleRegion().boundingRect();
    QCOMPARE(box->grab(shown).toImage().convertToFormat(QImage::Format_RGB32), played.copy(shown));

    // The first page's thread ends its record, counts the page abandoned and is joined.
    QTRY_COMPARE_WITH_TIMEOUT(box->Worker().Abandoned(), 1, kRecordEnds);
    QTRY_COMPARE_WITH_TIMEOUT(Held(), 0, kRecordEnds);
    QCOMPARE(box->Worker().Delivered(), 1);
}

// A rendering finished as its worker goes is either posted to the live worker (and dropped with
// its events) or not posted at all: Finished never fires for a worker that is gone, and nothing
// touches it (the sanitizer builds catch that).
void HeavyRecordTest::renderingOfAGoneWorkerReachesNothing() {
    const mf::Metafile page = mf::Metafile::Load(ColouredPage(QColor(200, 120, 40)));
    PageRenderCache::Key key;
    key.pageGeneration = 1;
    key.size = QSize(120, 170);
    key.zoomPercent = 15;
    key.pageRect = QRect(0, 0, 120, 170);
    int finished = 0;
    for (int i = 0; i < 40; ++i) {
        auto* worker = new PageRenderWorker;
        connect(worker, &PageRenderWorker::Finished, this, [&finished] { ++finished; });
        QVERIFY(worker->Start({page, key, QRect(QPoint(0, 0), key.size)}));
        // From before the page begins to after its rendering is posted.
        QThread::usleep(static_cast<unsigned long>((i % 8) * 500));
        delete worker;
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCOMPARE(finished, 0);

    // The same page, kept: delivered.
    PageRenderWorker kept;
    connect(&kept, &PageRenderWorker::Finished, this, [&finished] { ++finished; });
    QVERIFY(kept.Start({page, key, QRect(QPoint(0, 0), key.size)}));
    QTRY_COMPARE(finished, 1);
}

QTEST_MAIN(HeavyRecordTest)
#include "HeavyRecord_test.moc"
#include "tests/common/A4Page.h"
