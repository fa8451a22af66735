// The margin dialog: track bars and edge offsets, page buttons in step with the toolbar, and
// the write into the album's header that changes nothing else.
#include <QFile>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include <sys/stat.h>

#include "PrintFixture.h"
#include "album/AlbumLoader.h"
#include "print/TSetForm.h"

using namespace tavlex;
using namespace tavlex::test;

namespace {

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class MarginsTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { TSetForm::SetRunner({}); }

    void writeRoundTripChangesOnlyTheMargins() {
        QTemporaryDir dir;
        const QString path = WritePrintAlbum(dir, QStringLiteral("m.YRA"), PrintAlbum{});
        const QByteArray before = FileBytes(path);
        PrintWindow open(path);
        QVERIFY(open.loaded);
        MessageRecorder messages;
        SetMessageHandlers({[&](const QString& t) { messages.messages << t; },
                            [&](const QString& t) {
                                messages.messages << t;
                                return true;
                            }});
        bool writable = false;
        TSetForm::SetRunner([&](TSetForm& dialog) {
            writable = dialog.BitBtn3()->isEnabled();
            dialog.TrackBar_Top()->setValue(2);
            dialog.TrackBar_Bottom()->setValue(-3);
            dialog.TrackBar_Left()->setValue(0);
            dialog.TrackBar_Right()->setValue(50);
            dialog.BitBtn3()->click();
        });
        QVERIFY(!open.form->Doc().ShowPrintableArea);
        open.printing->MarjinBtnClick();
        QVERIFY(writable);
        QCOMPARE(messages.messages,
                 QStringList{QStringLiteral("ブラウザファイルに設定を記録しますか？")});
        QVERIFY(!open.form->Doc().ShowPrintableArea);
        const Document& doc = open.form->Doc();
        QCOMPARE(doc.EdgeOffsetTop, 2);
        QCOMPARE(doc.EdgeOffsetBottom, -3);
        QCOMPARE(doc.EdgeOffsetRight, 50);

        const QByteArray after = FileBytes(path);
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after.left(12), before.left(12));
        QCOMPARE(after.mid(44), before.mid(44));
        AlbumHeader header = AlbumHeader::FromBytes(after.left(48));
        QCOMPARE(header.MarginTop(), FixedMm{5000});
        QCOMPARE(header.MarginBottom(), FixedMm{-8000});
        QCOMPARE(header.MarginLeft(), FixedMm{0});
        QCOMPARE(header.MarginRight(), FixedMm{132000});
        QTemporaryDir temp;
        const AlbumLoadResult again = LoadAlbum(path, temp.path(), 96);
        QVERIFY(again.Loaded());
        QCOMPARE(again.document.EdgeOffsetTop, 2);
        QCOMPARE(again.document.EdgeOffsetBottom, -3);
        QCOMPARE(again.document.EdgeOffsetLeft, 0);
        QCOMPARE(again.document.EdgeOffsetRight, 50);
    }

    void cancelAndResetThenWrite() {
        QTemporaryDir dir;
        PrintAlbum recipe;
        recipe.margins[0] = 13000;  // about 49 px: the dialog opens with it
        const QString path = WritePrintAlbum(dir, QStringLiteral("r.YRA"), recipe);
        PrintWindow open(path);
        QVERIFY(open.loaded);
        bool answer = false;
        MessageHandlers previous =
            SetMessageHandlers({[](const QString&) {}, [&](const QString&) { return answer; }});
        const QByteArray before = FileBytes(path);
        TSetForm::SetRunner([&](TSetForm& dialog) {
            QCOMPARE(dialog.TrackBar_Top()->value(), open.form->Doc().EdgeOffsetTop);
            dialog.BitBtn3()->click();  // cancelled: nothing written
            QCOMPARE(FileBytes(path), before);
            dialog.BitBtn1()->click();
            QCOMPARE(dialog.TrackBar_Top()->value(), 0);
            QCOMPARE(open.form->Doc().EdgeOffsetTop, 0);
            answer = true;
            dialog.BitBtn3()->click();
        });
        open.printing->MarjinBtnClick();
        SetMessageHandlers(previous);
        const AlbumHeader header = AlbumHeader::FromBytes(FileBytes(path).left(48));
        QCOMPARE(header.MarginTop(), FixedMm{0});
    }

    void offsetBeyondTheBarsStaysUntilABarMoves() {
        QTemporaryDir dir;
        PrintWindow open(WritePrintAlbum(dir, QStringLiteral("w.YRA"), PrintAlbum{}));
        QVERIFY(open.loaded);
        open.form->Doc().EdgeOffsetLeft = 80;
        TSetForm::SetRunner([&](TSetForm& dialog) {
            QCOMPARE(dialog.TrackBar_Left()->value(), 50);
            QCOMPARE(open.form->Doc().EdgeOffsetLeft, 80);
            dialog.TrackBar_Top()->setValue(1);
            QCOMPARE(open.form->Doc().EdgeOffsetLeft, 50);
            QCOMPARE(open.form->Doc().EdgeOffsetTop, 1);
        });
        open.printing->MarjinBtnClick();
    }

    void pageButtonsFollowTheToolbar() {
        QTemporaryDir dir;
        PrintWindow open(WritePrintAlbum(dir, QStringLiteral("p.YRA"), PrintAlbum{}));
        QVERIFY(open.loaded);
        TSetForm::SetRunner([&](TSetForm& dialog) {
            QVERIFY(!dialog.StartBtn()->isEnabled());
            QVERIFY(dialog.NextBtn()->isEnabled());
            dialog.EndBtn()->click();
            QCOMPARE(open.form->Doc().CurrentPage, 4);
            QVERIFY(!dialog.NextBtn()->isEnabled());
            QVERIFY(!dialog.EndBtn()->isEnabled());
            QVERIFY(dialog.BackBtn()->isEnabled());
            dialog.BackBtn()->click();
            QCOMPARE(open.form->Doc().CurrentPage, 3);
            QVERIFY(dialog.NextBtn()->isEnabled());
            QVERIFY(open.form->Doc().ShowPrintableArea);
        });
        open.printing->MarjinBtnClick();
    }

    void readOnlyOrVanishedFileCannotBeWritten() {
        QTemporaryDir dir;
        const QString path = WritePrintAlbum(dir, QStringLiteral("ro.YRA"), PrintAlbum{});
        PrintWindow open(path);
        QVERIFY(open.loaded);
        // Read-only even for root: the write button goes by the file's own permission.
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
        bool enabled = true;
        TSetForm::SetRunner([&](TSetForm& dialog) { enabled = dialog.BitBtn3()->isEnabled(); });
        open.printing->MarjinBtnClick();
        QVERIFY(!enabled);
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);
        QVERIFY(QFile::remove(path));
        open.printing->MarjinBtnClick();
        QVERIFY(!enabled);
    }

    void replacedFileIsReportedAndLeftAsItIs() {
        QTemporaryDir dir;
        const QString path = WritePrintAlbum(dir, QStringLiteral("x.YRA"), PrintAlbum{});
        PrintWindow open(path);
        QVERIFY(open.loaded);
        // Another album now sits under the name.
        QVERIFY(QFile::remove(path));
        PrintAlbum other;
        other.pages = 2;
        WritePrintAlbum(dir, QStringLiteral("x.YRA"), other);
        const QByteArray before = FileBytes(path);
        QStringList shown;
        MessageHandlers previous = SetMessageHandlers(
            {[&](const QString& t) { shown << t; }, [](const QString&) { return true; }});
        TSetForm::SetRunner([&](TSetForm& dialog) {
            dialog.TrackBar_Top()->setValue(10);
            dialog.BitBtn3()->click();
        });
        open.printing->MarjinBtnClick();
        SetMessageHandlers(previous);
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].startsWith(QStringLiteral("cannot write the margins")));
        QCOMPARE(FileBytes(path), before);
    }
};

QTEST_MAIN(MarginsTest)
#include "Margins_test.moc"
