// A document window whose album body is still arriving: page 1 shown before the body is whole,
// turns to pages not there yet, damage found late in the stream, and closing during the open.
#include <QFile>
#include <QProgressBar>
#include <QtTest>

#include <thread>

#include "ViewFixture.h"
#include "album/AlbumLoader.h"
#include "album/BodyFile.h"
#include "tests/album/GatedBody.h"

using namespace tavlex;
using namespace tavlex::test;

namespace {

constexpr int kFiller = 1 << 20;

// A page of plain colour led by a comment of about 1 MiB, so that each page is a known, large
// share of the body.
std::vector<AlbumPage> LargePages(int count) {
    std::vector<AlbumPage> pages;
    for (int i = 0; i < count; ++i) {
        pages.push_back(
            {ColouredPage(QColor::fromHsv((i * 40) % 360, 120, 240), false, 1 << 20), 0});
    }
    return pages;
}

QString WriteLargeAlbum(const QTemporaryDir& dir, int pages, int level) {
    AlbumContents contents = NewA4AlbumContents();
    contents.compressionLevel = level;
    const QString path = dir.filePath(QStringLiteral("大きい.YRA"));
    WriteAlbumFile(path, contents, LargePages(pages));
    return path;
}

std::int64_t PageEnd(const Document& document, int page) {
    const PageEntry& entry = document.PageDirectory[static_cast<std::size_t>(page)];
    return std::int64_t{entry.Offset} + entry.Size;
}

}  // namespace

class BodyArrivalViewTest : public QObject, WindowCase {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void firstPageShowsWhileTheBodyArrives();
    void damageAfterPageThreeIsReportedOnce();
    void closingDuringTheOpenLeavesNoThreadNorFile();
    void quittingDuringTheOpenLeavesNoThreadNorFile();

  private:
    // Opens path with its body held once `holdFrom` bytes have arrived; the gate is returned.
    TViewForm* OpenHeld(const QString& path, std::int64_t holdFrom, GatedBody** gate,
                        FakeFrame* frame = nullptr);

    std::vector<GatedBody*> gates_;
};

void BodyArrivalViewTest::init() {
    MakeFrame(900, 700);
}

void BodyArrivalViewTest::cleanup() {
    for (GatedBody* gate : gates_) gate->Open();  // no thread left waiting on a gate
    gates_.clear();
    DropFrame();
}

TViewForm* BodyArrivalViewTest::OpenHeld(const QString& path, std::int64_t holdFrom,
                                         GatedBody** gate, FakeFrame* frame) {
    if (!frame) frame = frame_;
    const QString temp = frame->TempFolder();
    frame->sinks = [this, temp, holdFrom, gate](std::int64_t) {
        auto gated = std::make_shared<GatedBody>(std::shared_ptr<BodySink>(BodyFile::Create(temp)),
                                                 holdFrom);
        *gate = gated.get();
        gates_.push_back(gated.get());
        return gated;
    };
    auto* form = new TViewForm(*frame, frame->Area());
    form->show();
    frame->Area()->setActiveSubWindow(form);
    if (!LoadDocument(*form, path)) return nullptr;
    QCoreApplication::processEvents();
    return form;
}

void BodyArrivalViewTest::firstPageShowsWhileTheBodyArrives() {
    // Beyond the 16 MiB that an open waits for.
    const QString path = WriteLargeAlbum(*dir_, 20, 1);
    GatedBody* gate = nullptr;
    TViewForm* form = OpenHeld(path, 2 * kFiller, &gate);
    QVERIFY(form);
    QVERIFY(form->PageMetafile());
    QCOMPARE(form->Doc().CurrentPage, 1);
    QVERIFY(form->BodyArriving());
    QTRY_VERIFY(form->BodyProgressBar()->isVisible());
    const auto* bar = static_cast<QProgressBar*>(form->BodyProgressBar());
    QVERIFY(bar->value() > 0 && bar->value() < 1000);
    QVERIFY(!form->IsPageWhole(6));

    // Another album opens and turns its pages meanwhile.
    frame_->sinks = {};
    AlbumRecipe small;
    small.pages = 3;
    auto* other = new TViewForm(*frame_, frame_->Area());
    other->show();
    QVERIFY(LoadDocument(*other, WriteAlbum(*dir_, QStringLiteral("small.YRA"), small)));
    other->NextBtnClick();
    QCOMPARE(other->Doc().CurrentPage, 2);
    QVERIFY(other->PageMetafile());
    QVERIFY(form->BodyArriving());
    frame_->Area()->setActiveSubWindow(form);

    // A turn to a page not there yet leaves the sheet blank with the busy cursor over the
    // window; turning back abandons it.
    form->GoToPage(6);
    QCOMPARE(form->Doc().CurrentPage, 6);
    QCOMPARE(form->PendingPage(), 6);
    QVERIFY(!form->PageMetafile());
    QCOMPARE(form->widget()->cursor().shape(), Qt::BusyCursor);
    QCOMPARE(form->StatusText(1), QStringLiteral("6/20"));
    form->GoToPage(1);
    QCOMPARE(form->PendingPage(), 0);
    QVERIFY(form->PageMetafile());
    QVERIFY(form->widget()->cursor().shape() != Qt::BusyCursor);

    // Export waits for a page that is not there yet and gets it whole.
    std::thread opener([gate] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        gate->Open();
    });
    const bool whole = form->WaitForPage(4);
    opener.join();
    QVERIFY(whole);
    QVERIFY(form->IsPageWhole(4));

    // The page turned to shows once its bytes are there.
    form->GoToPage(9);
    QTRY_VERIFY_WITH_TIMEOUT(form->PageMetafile(), 20000);
    QCOMPARE(form->Doc().CurrentPage, 9);
    QCOMPARE(form->PageMetafile()->StoredBytes().size(), form->Doc().PageDirectory[9].Size);
    QTRY_VERIFY_WITH_TIMEOUT(!form->BodyArriving(), 20000);
    QTRY_VERIFY(form->BodyProgressBar()->isHidden());
    QVERIFY(form->widget()->cursor().shape() != Qt::BusyCursor);
    QVERIFY(recorder_->messages.isEmpty());
}

void BodyArrivalViewTest::damageAfterPageThreeIsReportedOnce() {
    // Stored without compression, so that a cut in the file falls at a known place of the body.
    const QString path = WriteLargeAlbum(*dir_, 20, 0);
    std::int64_t end3 = 0;
    {
        const AlbumLoadResult whole = LoadAlbum(path, dir_->path(), 96);
        end3 = PageEnd(whole.document, 3);
        QVERIFY(end3 + 200'000 < PageEnd(whole.document, 4));
    }
    {
        QFile file(path);
        QVERIFY(file.resize(48 + 2 + end3 + 5 * (end3 / 65535 + 1) + 100'000));
    }
    QFile before(path);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();

    auto* form = new TViewForm(*frame_, frame_->Area());
    form->show();
    QVERIFY(LoadDocument(*form, path));
    QVERIFY(form->PageMetafile());
    QTRY_VERIFY_WITH_TIMEOUT(!form->BodyArriving(), 20000);
    QTRY_COMPARE(recorder_->messages.size(), 1);
    QVERIFY(
        recorder_->messages[0].startsWith(QStringLiteral("ブラウザファイルが途中で壊れています")));
    for (int page : {2, 3, 1}) {
        form->GoToPage(page);
        QVERIFY(form->PageMetafile());
    }
    QCoreApplication::processEvents();
    QCOMPARE(recorder_->messages.size(), 1);  // once, not again with every notice or page
    form->GoToPage(4);
    QVERIFY(!form->PageMetafile());
    QCOMPARE(recorder_->messages.size(), 2);  // the page says it cannot be shown
    QVERIFY(!recorder_->messages[1].startsWith(QStringLiteral("ブラウザファイルが途中で")));
    form->GoToPage(2);
    QVERIFY(form->PageMetafile());
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), bytes);
}

void BodyArrivalViewTest::closingDuringTheOpenLeavesNoThreadNorFile() {
    const QString path = WriteLargeAlbum(*dir_, 24, 1);
    const int threads = ThreadCount();
    GatedBody* gate = nullptr;
    TViewForm* form = OpenHeld(path, 2 * kFiller, &gate);
    QVERIFY(form);
    const QString body = form->Doc().BodyStream->Path();
    QVERIFY(QFile::exists(body));
    QVERIFY(form->BodyArriving());
    form->GoToPage(20);  // a turn still waiting is dropped silently by the close
    QCOMPARE(form->PendingPage(), 20);
    gate->Open();  // it moves on slowly from here, so the close finds it arriving
    gates_.clear();
    form->close();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(recorder_->messages.isEmpty());
    QVERIFY(frame_->Area()->subWindowList().isEmpty());
    QVERIFY(ThreadCount() <= threads);
    QVERIFY(!QFile::exists(body));
}

void BodyArrivalViewTest::quittingDuringTheOpenLeavesNoThreadNorFile() {
    const QString path = WriteLargeAlbum(*dir_, 24, 1);
    const int threads = ThreadCount();
    auto* frame = new FakeFrame;
    frame->show();
    GatedBody* gate = nullptr;
    TViewForm* form = OpenHeld(path, 2 * kFiller, &gate, frame);
    QVERIFY(form);
    const QString body = form->Doc().BodyStream->Path();
    QVERIFY(form->BodyArriving());
    gate->Open();
    gates_.clear();
    delete frame;
    QVERIFY(ThreadCount() <= threads);
    QVERIFY(!QFile::exists(body));
}

QTEST_MAIN(BodyArrivalViewTest)
#include "BodyArrival_test.moc"
