// A page written out of a document window: the save dialog's name and type carrying over, the
// kinds written, a bitmap of the page's own size at every zoom, a write that fails, and the
// clipboard's two formats.
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/ErrorReport.h"
#include "app/PageOutput.h"
#include "metafile/Metafile.h"
#include "tests/view/ViewFixture.h"

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
        QVERIFY(QFileInfo(temp_.filePath("out/first.wmf")).isFile());
        // The second time: the first name without its extension, the WMF type still chosen.
        AnswerDialog(dialog, "second.wmf", 0, &offered);
        Mn_FileClick(form, dialog);
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
        QCOMPARE(errors.errors.size(), 1);
        QVERIFY(errors.errors[0].endsWith(QStringLiteral("page.EMF に書き込めません")));
    }

    void theClipboardHoldsTheMetafileAndABitmap() {
        test::FakeFrame frame;
        TViewForm form(frame, frame.Area());
        QVERIFY(LoadDocument(form, album_));
        Mn_ClipClick(form);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data != nullptr);
        const QByteArray emf = data->data("image/x-emf");
        QCOMPARE(emf.left(4), QByteArray("\x01\x00\x00\x00", 4));
        QCOMPARE(data->data(kQtWindowsEmfMime), emf);
        QVERIFY(data->hasImage());
        const QImage image = qvariant_cast<QImage>(data->imageData());
        QCOMPARE(image.size(), form.PageMetafile()->NaturalPixelSize(96));
    }

  private:
    QTemporaryDir temp_;
    QString album_;
};

QTEST_MAIN(PageOutputTest)
#include "PageOutput_test.moc"
