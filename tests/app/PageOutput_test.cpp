// A page written out of a document window: the save dialog's name and type carrying over, the
// kinds written, a bitmap of the page's own size at every zoom, a write that fails, and the
// clipboard's two formats.
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/ErrorReport.h"
#include "app/PageOutput.h"
#include "app/PageOutputJob.h"
#include "metafile/Metafile.h"
#include "tests/view/ViewFixture.h"
#include "view/ThreadReaper.h"

using namespace tavlex;

namespace {

// Answers the next modal file dialog with name (relative to its folder) and filter, or cancels.
void AnswerDialog(QFileDialog& dialog, const QString& name, int filter, QStringList* offered) {
    QTimer::singleShot(0, &dialog, [&dialog, name, filter, offered] {
        if (offered != nullptr) {
            // What the name box offers.
            *offered << dialog.findChild<QLineEdit*>("fileNameEdit")->text()
                     << dialog.selectedNameFilter();
        }
        if (name.isEmpty()) {
            dialog.reject();
            return;
        }
        if (filter > 0) dialog.selectNameFilter(dialog.nameFilters()[filter - 1]);
        // Typed, as the user types it.
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText(name);
        QMetaObject::invokeMethod(&dialog, "accept");
    });
}

// The output runs on a thread of its own; it is delivered through the event loop.
bool WaitForOutput() {
    QElapsedTimer clock;
    clock.start();
    while (PageOutputJob::Running() && clock.elapsed() < 60000) QTest::qWait(10);
    // The job delivers, then deletes itself: let it go.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return !PageOutputJob::Running();
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct ErrorRecorder {
    ErrorRecorder() {
        previous = SetErrorReportHandler([this](const QString& t) { errors << t; });
    }
    ~ErrorRecorder() { SetErrorReportHandler(previous); }
    QStringList errors;
    std::function<void(const QString&)> previous;
};

}  // namespace

class PageOutputTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        album_ = test::WriteAlbum(temp_, "a.YRA", test::AlbumRecipe{});
        QDir().mkpath(temp_.filePath("out"));
    }

    void theNameAndTypeCarryOverToTheNextSave() {
        test::FakeFrame frame;
        TViewForm form(frame, frame.Area());
        QVERIFY(LoadDocument(form, album_));
        QFileDialog dialog;
        SetUpPageSaveDialog(dialog, temp_.filePath("out"));
        QStringList offered;
        AnswerDialog(dialog, "first", 2, &offered);
        Mn_FileClick(form, dialog);
        QVERIFY(WaitForOutput());
        QVERIFY(QFileInfo(temp_.filePath("out/first.wmf")).isFile());
        // The second time: the first name without its extension, the WMF type still chosen.
        AnswerDialog(dialog, "second.wmf", 0, &offered);
        Mn_FileClick(form, dialog);
        QVERIFY(WaitForOutput());
        QCOMPARE(offered[0], QStringLiteral("画像"));
        QCOMPARE(offered[2], QStringLiteral("first"));
        QVERIFY(!offered[3].isEmpty() && dialog.nameFilters()[1].startsWith(offered[3]));
        QCOMPARE(SelectedPageFileType(dialog), PageFileType::Wmf);
        QFile wmf(temp_.filePath("out/second.wmf"));
        QVERIFY(wmf.open(QIODevice::ReadOnly));
        QCOMPARE(wmf.read(4), QByteArray("\xD7\xCD\xC6\x9A", 4));  // placeable WMF key

        // Cancelling writes nothing.
        AnswerDialog(dialog, QString(), 0, nullptr);
        Mn_FileClick(form, dialog);
        QCOMPARE(QDir(temp_.filePath("out")).entryList(QDir::Files).size(), 2);
    }

    void theKindFollowsTheName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("EMF page as .emf") << "p.emf" << 1 << QByteArray("\x01\x00\x00\x00", 4);
        QTest::newRow("EMF page as .WMF") << "p.WMF" << 1 << QByteArray("\xD7\xCD\xC6\x9A", 4);
        QTest::newRow("bitmap") << "p.bmp" << 3 << QByteArray("BM");
    }
    void theKindFollowsTheName() {
        QFETCH(QString, name);
        QFETCH(int, type);
        QFETCH(QByteArray, start);
        test::FakeFrame frame;
        TViewForm form(frame, frame.Area());
        QVERIFY(LoadDocument(form, album_));
        const QString path = temp_.filePath("out/" + name);
        WritePage(*form.PageMetafile(), path, static_cast<PageFileType>(type));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(start.size()), start);
    }

    void aBitmapHasThePagesOwnSizeAtEveryZoom() {
        test::FakeFrame frame;
        TViewForm form(frame, frame.Area());
        QVERIFY(LoadDocument(form, album_));
        QSize first;
        for (int zoom = 0; zoom < kZoomItemCount; ++zoom) {
            form.SetZoomIndex(zoom);
            const QString path = temp_.filePath(QStringLiteral("out/zoom%1.bmp").arg(zoom));
            WritePage(*form.PageMetafile(), path, PageFileType::Bmp);
            const QImage image(path);
            QVERIFY(!image.isNull());
            if (zoom == 0) first = image.size();
            QCOMPARE(image.size(), first);
        }
        QCOMPARE(first, form.PageMetafile()->NaturalPixelSize(96));
    }

    void aFailedWriteLeavesNoPartialFile() {
        test::FakeFrame frame;
        TViewForm form(frame, frame.Area());
        QVERIFY(LoadDocument(form, album_));
        QTemporaryDir folder;
        // A folder stands where the file must go: the rename at the end cannot replace it.
        QVERIFY(QDir().mkpath(folder.filePath("taken.emf")));
        QVERIFY_THROWS_EXCEPTION(
            std::runtime_error,
            WritePage(*form.PageMetafile(), folder.filePath("taken.emf"), PageFileType::Emf));
        QVERIFY_THROWS_EXCEPTION(
            std::runtime_error,
            WritePage(*form.PageMetafile(), folder.filePath("taken.emf"), PageFileType::Bmp));
        QCOMPARE(
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{"taken.emf"});
        QVERIFY(QFileInfo(folder.filePath("taken.emf")).isDir());
    }

    void aWriteThatFailsIsReported() {
        test::FakeFrame frame;
        TViewForm form(frame, frame.Area());
        QVERIFY(LoadDocument(form, album_));
        auto* folder = new QTemporaryDir;
        QFileDialog dialog;
        SetUpPageSaveDialog(dialog, folder->path());
        ErrorRecorder errors;
        QTimer::singleShot(0, &dialog, [&dialog, folder] {
            dialog.selectFile("page");
            QMetaObject::invokeMethod(&dialog, "accept");
            delete folder;  // gone before the page is written
        });
        Mn_FileClick(form, dialog);
        QVERIFY(WaitForOutput());
        QCOMPARE(errors.errors.size(), 1);
        QVERIFY(errors.errors[0].endsWith(QStringLiteral("page.EMF に書き込めません")));
    }

    void theClipboardHoldsTheMetafileAndABitmap() {
        test::FakeFrame frame;
        TViewForm form(frame, frame.Area());
        QVERIFY(LoadDocument(form, album_));
        Mn_ClipClick(form);
        QVERIFY(WaitForOutput());
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data != nullptr);
        const QByteArray emf = data->data("image/x-emf");
        QCOMPARE(emf.left(4), QByteArray("\x01\x00\x00\x00", 4));
        QCOMPARE(data->data(kQtWindowsEmfMime), emf);
        QVERIFY(data->hasImage());
        const QImage image = qvariant_cast<QImage>(data->imageData());
        QCOMPARE(image.size(), form.PageMetafile()->NaturalPixelSize(96));
    }

    void aSlowBitmapLeavesNothingWhenItsWindowCloses_data() {
        QTest::addColumn<bool>("clipboard");
        QTest::newRow("bitmap file") << false;
        QTest::newRow("clipboard") << true;
    }
    void aSlowBitmapLeavesNothingWhenItsWindowCloses() {
        QFETCH(bool, clipboard);
        test::AlbumRecipe recipe;
        recipe.pages = 1;
        recipe.slowPages = {1};
        const QString album = test::WriteAlbum(temp_, "slow.YRA", recipe);
        test::FakeFrame frame;
        QPointer<TViewForm> form = new TViewForm(frame, frame.Area());
        QVERIFY(LoadDocument(*form, album));
        // A page this large is still being read when the window opens.
        QTRY_VERIFY_WITH_TIMEOUT(form->PageMetafile(), 20000);
        QTemporaryDir folder;
        QFileDialog dialog;
        SetUpPageSaveDialog(dialog, folder.path());
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        ErrorRecorder errors;
        if (clipboard) {
            Mn_ClipClick(*form);
        } else {
            AnswerDialog(dialog, "slow.bmp", 3, nullptr);
            Mn_FileClick(*form, dialog);
        }
        // The command came back at once; the page plays for many seconds meanwhile, under the
        // busy cursor and with the output commands of every window disabled.
        QVERIFY(PageOutputJob::Running());
        QVERIFY(QGuiApplication::overrideCursor() != nullptr);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
        QVERIFY(!form->MenuItem("Mn_File")->isEnabled());
        QVERIFY(!form->MenuItem("Mn_Clip")->isEnabled());
        QTest::qWait(200);
        QVERIFY(PageOutputJob::Running());
        delete form;
        // The window took the job with it at once; its thread stops at the page's next record
        // (played on, the page would take many seconds) and is joined, and nothing was written.
        QVERIFY(!PageOutputJob::Running());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(ThreadReaper::Instance().Held(), 0, 5000);
        QCoreApplication::processEvents();
        QCOMPARE(
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
        QVERIFY(errors.errors.isEmpty());
    }

    void aFinishedOutputGivesBackTheCommandsAndTheSameBytes() {
        test::FakeFrame frame;
        TViewForm form(frame, frame.Area());
        TViewForm other(frame, frame.Area());
        QVERIFY(LoadDocument(form, album_));
        QTemporaryDir folder;
        QFileDialog dialog;
        SetUpPageSaveDialog(dialog, folder.path());
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        AnswerDialog(dialog, "page.bmp", 3, nullptr);
        Mn_FileClick(form, dialog);
        QVERIFY(!other.MenuItem("Mn_File")->isEnabled());
        // Reached anyway, a second output refuses rather than starting beside the first.
        Mn_ClipClick(other);
        // A window made meanwhile starts with them disabled as well.
        TViewForm later(frame, frame.Area());
        PageOutputJob::MatchCommands(later);
        QVERIFY(!later.MenuItem("Mn_Clip")->isEnabled());
        QVERIFY(WaitForOutput());
        // Back where a page is shown; a window without one has nothing to put out.
        QVERIFY(form.MenuItem("Mn_File")->isEnabled());
        QVERIFY(form.MenuItem("Mn_Clip")->isEnabled());
        for (TViewForm* each : {&other, &later}) {
            QVERIFY(!each->MenuItem("Mn_File")->isEnabled());
            QVERIFY(!each->MenuItem("Mn_Clip")->isEnabled());
        }
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
        WritePage(*form.PageMetafile(), folder.filePath("direct.bmp"), PageFileType::Bmp);
        QCOMPARE(FileBytes(folder.filePath("page.bmp")), FileBytes(folder.filePath("direct.bmp")));
    }

  private:
    QTemporaryDir temp_;
    QString album_;
};

QTEST_MAIN(PageOutputTest)
#include "PageOutput_test.moc"
