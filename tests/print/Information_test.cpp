// The document information dialog: every label as the album gives it, and the used fonts
// checked against the faces the print path can draw.
#include <QLabel>
#include <QPlainTextEdit>
#include <QtTest>

#include "PrintFixture.h"
#include "print/TProForm.h"

using namespace tavlex;
using namespace tavlex::test;

class InformationTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { TProForm::SetRunner({}); }

    void labelsAndFontMarks() {
        QTemporaryDir dir;
        PrintAlbum recipe;
        recipe.usedFonts = "IPAGothic\r\nNo Such Face\r\n";
        PrintWindow open(WritePrintAlbum(dir, QStringLiteral("i.YRA"), recipe));
        QVERIFY(open.loaded);
        QString ver, date, title, name, remarks, paper, gaiji, font, memo;
        TProForm::SetRunner([&](TProForm& dialog) {
            ver = dialog.LB_Ver()->text();
            date = dialog.LB_Date()->text();
            title = dialog.LB_Title()->text();
            name = dialog.LB_Name()->text();
            remarks = dialog.LB_Bikou()->text();
            paper = dialog.LB_Paper()->text();
            gaiji = dialog.LB_Gaiji()->text();
            font = dialog.LB_Font()->text();
            memo = dialog.Memo()->toPlainText();
        });
        open.printing->N4Click();
        QCOMPARE(ver, QStringLiteral(" JXA 9.0"));
        QCOMPARE(date, QStringLiteral(" 2004/3/7 9:5:0"));
        QCOMPARE(title, QStringLiteral(" Print test"));
        QCOMPARE(name, QStringLiteral(" Author"));
        QCOMPARE(remarks, QStringLiteral(" Remarks"));
        QCOMPARE(gaiji, QStringLiteral(" 無"));
        QCOMPARE(font, QStringLiteral(" 無"));
        QVERIFY2(paper.startsWith(QStringLiteral(" A4 縦置 ")), qPrintable(paper));
        QVERIFY2(paper.endsWith(QStringLiteral("210mm × 297mm")), qPrintable(paper));
        QCOMPARE(memo, QStringLiteral("○IPAGothic\n×No Such Face"));
    }

    void unknownPaperAndLandscape() {
        QTemporaryDir dir;
        PrintAlbum recipe;
        recipe.paperCode = 4321;
        recipe.usedFonts = "";
        PrintWindow open(WritePrintAlbum(dir, QStringLiteral("u.YRA"), recipe));
        QVERIFY(open.loaded);
        open.form->Doc().AlbumSettings.SetOrientation(2);
        QString paper, memo = QStringLiteral("unset");
        TProForm::SetRunner([&](TProForm& dialog) {
            paper = dialog.LB_Paper()->text();
            memo = dialog.Memo()->toPlainText();
        });
        open.printing->N4Click();
        QVERIFY2(paper.startsWith(QStringLiteral(" 不明 横置 ")), qPrintable(paper));
        QCOMPARE(memo, QString());
    }

    void eachWindowShowsItsOwnAlbum() {
        QTemporaryDir dir;
        PrintAlbum second;
        second.usedFonts = "Second";
        PrintWindow a(WritePrintAlbum(dir, QStringLiteral("a.YRA"), PrintAlbum{}));
        PrintWindow b(WritePrintAlbum(dir, QStringLiteral("b.YRA"), second));
        QString memo;
        TProForm::SetRunner([&](TProForm& dialog) { memo = dialog.Memo()->toPlainText(); });
        b.printing->N4Click();
        QCOMPARE(memo, QStringLiteral("×Second"));
        a.printing->N4Click();
        QVERIFY(memo.startsWith(QStringLiteral("○IPAGothic")));
    }
};

QTEST_MAIN(InformationTest)
#include "Information_test.moc"
