// The print command on a real document window, printing to PDF: the range in displayed page
// numbers, the notice, per-page sheets, the screen during and after, and closing held back.
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QtTest>

#include <QComboBox>
#include <QRadioButton>
#include "PrintFixture.h"
#include "metafile/Metafile.h"
#include "print/SPrinterSetupDialog.h"
#include "print/TPrnForm.h"
#include "support/Length.h"
#include "view/PagePaintBox.h"

using namespace tavlex;
using namespace tavlex::test;

class PrintingTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        TPrnForm::SetSleeper([](int) {});
        TPrinterEnv::SetErrorReporter([this](const QString& text) { errors_ << text; });
        if (Run(QStringLiteral("pdfinfo"), {QStringLiteral("-v")}).exitCode != 0)
            QFAIL("poppler-utils are missing: run scripts/deps.sh");
    }
    void cleanup() {
        DocumentPrinting::SetPrintDialogHook({});
        TPrinterEnv::SetDialogRunner({});
        errors_.clear();
    }

    void rangeInDisplayedNumbersPrintsThosePositions() {
        QTemporaryDir dir;
        PrintAlbum recipe;
        recipe.pages = 10;
        recipe.pageOffset = 2;
        PrintWindow open(WritePrintAlbum(dir, QStringLiteral("a.YRA"), recipe));
        QVERIFY(open.loaded);
        int minPage = 0, maxPage = 0;
        const QString pdf = dir.filePath(QStringLiteral("range.pdf"));
        AnswerPrintDialog(pdf, 5, 6);
        DocumentPrinting::SetPrintDialogHook([&, hook = pdf](QPrintDialog& dialog) {
            minPage = dialog.minPage();
            maxPage = dialog.maxPage();
            QPrinter& printer = TPrinterEnv::PrinterObject();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(hook);
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(5, 6);
        });
        open.form->GoToPage(7);
        open.printing->PrnBtnClick();
        QCOMPARE(minPage, 3);
        QCOMPARE(maxPage, 12);
        QCOMPARE(PdfPageSizes(pdf).size(), std::size_t{2});
        // Positions 3 and 4 were printed: their colours are the third and fourth.
        const ProcessRun ppm =
            Run(QStringLiteral("pdftoppm"),
                {QStringLiteral("-r"), QStringLiteral("10"), QStringLiteral("-png"), pdf,
                 dir.filePath(QStringLiteral("p"))});
        QCOMPARE(ppm.exitCode, 0);
        const QImage first(dir.filePath(QStringLiteral("p-1.png")));
        const QColor expected = QColor::fromHsv(120, 160, 230);
        const QColor got = first.pixelColor(first.width() / 4, first.height() * 3 / 4);
        QVERIFY2(qAbs(got.hue() - expected.hue()) < 8, qPrintable(got.name()));
        // The page shown before printing is shown again, without the printable area.
        QCOMPARE(open.form->Doc().CurrentPage, 7);
        QVERIFY(!open.form->Doc().ShowPrintableArea);
        QVERIFY(errors_.isEmpty());
    }

    void negativeOffsetNoticeAndPositionsInTheDialog() {
        QTemporaryDir dir;
        PrintAlbum recipe;
        recipe.pages = 10;
        recipe.pageOffset = -3;
        PrintWindow open(WritePrintAlbum(dir, QStringLiteral("n.YRA"), recipe));
        QVERIFY(open.loaded);
        MessageRecorder messages;
        int minPage = 0, maxPage = 0;
        DocumentPrinting::SetPrintDialogHook([&](QPrintDialog& dialog) {
            minPage = dialog.minPage();
            maxPage = dialog.maxPage();
        });
        TPrinterEnv::SetDialogRunner([](QDialog&) { return int(QDialog::Rejected); });
        open.printing->PrnBtnClick();
        QCOMPARE(messages.messages.size(), 1);
        QVERIFY(messages.messages[0].contains(QStringLiteral("ページ番号が -2 から")));
        QVERIFY(messages.messages[0].contains(QStringLiteral("実際のページに 3 を加算")));
        QCOMPARE(minPage, 1);
        QCOMPARE(maxPage, 10);
    }

    void turnedPagesKeepTheirSheets() {
        QTemporaryDir dir;
        PrintAlbum recipe;
        recipe.orientations = {0, 1, 1, 0};
        PrintWindow open(WritePrintAlbum(dir, QStringLiteral("t.YRA.QZD"), recipe));
        QVERIFY(open.loaded);
        const QString pdf = dir.filePath(QStringLiteral("turned.pdf"));
        AnswerPrintDialog(pdf);
        open.printing->PrnBtnClick();
        const std::vector<QSizeF> sizes = PdfPageSizes(pdf);
        QCOMPARE(sizes.size(), std::size_t{4});
        const std::vector<bool> wide = {false, true, true, false};
        for (std::size_t i = 0; i < 4; ++i) QCOMPARE(sizes[i].width() > sizes[i].height(), wide[i]);
        // The printer ends in the last page's orientation.
        QCOMPARE(open.printing->PrinterEnv().Orientation(), 0);
    }

    void closingTheWindowWhilePrintingWaitsForTheEnd() {
        QTemporaryDir dir;
        PrintWindow open(WritePrintAlbum(dir, QStringLiteral("c.YRA"), PrintAlbum{}));
        QVERIFY(open.loaded);
        const QString pdf = dir.filePath(QStringLiteral("closed.pdf"));
        AnswerPrintDialog(pdf);
        QPointer<TViewForm> form = open.form;
        bool alive = false;
        // Asked while the progress window pumps messages.
        QTimer::singleShot(0, form, [&] {
            form->close();
            alive = !form.isNull() && form->isVisible();
        });
        open.printing->PrnBtnClick();
        QVERIFY(alive);
        QCOMPARE(PdfPageSizes(pdf).size(), std::size_t{4});
        QTRY_VERIFY(form.isNull() || !form->isVisible());
    }

    void cancelDiscardsTheWholeFile() {
        QTemporaryDir dir;
        PrintWindow open(WritePrintAlbum(dir, QStringLiteral("x.YRA"), PrintAlbum{}));
        QVERIFY(open.loaded);
        const QString pdf = dir.filePath(QStringLiteral("cancelled.pdf"));
        AnswerPrintDialog(pdf);
        QTimer::singleShot(0, [] { TPrnForm::ProgressWindow().Button()->click(); });
        open.printing->PrnBtnClick();
        QVERIFY(!QFileInfo::exists(pdf));
    }

    void cancelWhileASlowPagePlaysAbandonsItAtOnce() {
        QTemporaryDir dir;
        PrintAlbum recipe;
        recipe.pages = 2;
        recipe.slowPages = {1, 2};
        MessageRecorder messages;
        PrintWindow open(WritePrintAlbum(dir, QStringLiteral("slow.YRA"), recipe));
        QVERIFY(open.loaded);
        // A page this large is still being read when the window opens.
        QTRY_VERIFY_WITH_TIMEOUT(open.form->PageMetafile(), 20000);
        const QString pdf = dir.filePath(QStringLiteral("slow.pdf"));
        AnswerPrintDialog(pdf);
        // Once the job has begun, the first page plays for seconds: a timer that keeps firing
        // meanwhile shows the messages handled while it plays, and the cancel is clicked then.
        QElapsedTimer clock;
        qint64 clickedAt = -1;
        int ticksWhilePrinting = 0;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, [&] {
            if (clickedAt >= 0 || !open.printing->PrinterEnv().Printing()) return;
            if (++ticksWhilePrinting < 5) return;
            clickedAt = clock.elapsed();
            TPrnForm::ProgressWindow().Button()->click();
        });
        poll.start();
        clock.start();
        open.printing->PrnBtnClick();
        const qint64 returnedAt = clock.elapsed();
        QVERIFY(clickedAt >= 0);
        // Each page plays for seconds; a generous bound on a busy machine.
        QVERIFY2(returnedAt - clickedAt < 2500,
                 qPrintable(QString::number(returnedAt - clickedAt)));
        QVERIFY(!QFileInfo::exists(pdf));
        QVERIFY(!open.printing->PrinterEnv().Printing());
        QVERIFY(!TPrnForm::ProgressWindow().isVisible());
        QCOMPARE(open.form->Doc().CurrentPage, 1);
        QVERIFY(!open.form->Doc().ShowPrintableArea);
        QVERIFY(errors_.isEmpty());
    }

    void secondPrintWhileOneRunsOnlyBeeps() {
        QTemporaryDir dir;
        PrintWindow open(WritePrintAlbum(dir, QStringLiteral("r.YRA"), PrintAlbum{}));
        QVERIFY(open.loaded);
        AnswerPrintDialog(dir.filePath(QStringLiteral("once.pdf")));
        int dialogs = 0;
        TPrinterEnv::SetDialogRunner([&](QDialog&) {
            ++dialogs;
            return int(QDialog::Accepted);
        });
        // Once the job has begun (the progress window pumps messages between pages).
        bool tried = false;
        std::function<void()> tryAgain = [&] {
            if (!open.printing->PrinterEnv().Printing()) {
                QTimer::singleShot(0, open.printing, tryAgain);
                return;
            }
            tried = true;
            open.printing->PrnBtnClick();
            QVERIFY(!open.printing->PrinterEnv().ExecuteSetupDialog());
        };
        QTimer::singleShot(0, open.printing, tryAgain);
        open.printing->PrnBtnClick();
        QVERIFY(tried);
        QCOMPARE(dialogs, 1);
    }

    void printableAreaIsDrawnWhileShownAndTransposedOnTurnedPages() {
        QTemporaryDir dir;
        PrintAlbum recipe;
        recipe.orientations = {0, 1};
        recipe.pages = 2;
        PrintWindow open(WritePrintAlbum(dir, QStringLiteral("o.YRA.QZD"), recipe));
        QVERIFY(open.loaded);
        TViewForm& form = *open.form;
        const auto greyShare = [&](QRect band) {
            const QImage image = form.PaintBox()->grab().toImage();
            int grey = 0, all = 0;
            band &= image.rect();
            for (int y = band.top(); y <= band.bottom(); ++y)
                for (int x = band.left(); x <= band.right(); ++x, ++all)
                    grey += image.pixelColor(x, y) == QColor(192, 192, 192);
            return all ? double(grey) / all : 0.0;
        };
        const QRect whole = form.PaintBox()->rect();
        QCOMPARE(greyShare(whole), 0.0);
        form.Doc().ShowPrintableArea = true;
        QVERIFY(greyShare(whole) > 0.01);
        // Page 2 lies the other way: the area is transposed and reaches past the portrait width.
        form.GoToPage(2);
        const QSize box = form.PaintBox()->size();
        QVERIFY(box.width() > box.height());
        const double zoom = form.ZoomPercent() / 100.0;
        const int portraitWidth = qRound(210 * 96 / 25.4 * zoom);
        QVERIFY(greyShare(QRect(portraitWidth + 10, 0, box.width() - portraitWidth - 20,
                                box.height())) > 0.01);
        form.Doc().ShowPrintableArea = false;
    }

    void setupWithoutChangesKeepsTheDocumentsPaper() {
        QTemporaryDir dir;
        PrintWindow open(WritePrintAlbum(dir, QStringLiteral("s.YRA"), PrintAlbum{}));
        QVERIFY(open.loaded);
        const int width = open.form->Doc().PaperWidth;
        TPrinterEnv::SetDialogRunner([](QDialog& dialog) {
            dialog.accept();
            return int(QDialog::Accepted);
        });
        open.printing->S1Click();
        QCOMPARE(open.form->Doc().PaperWidth, width);
        QCOMPARE(open.form->Doc().AlbumSettings.PaperCode(), 9);
        QVERIFY(errors_.isEmpty());
    }

    void setupWithAnotherPaperAdoptsIt() {
        QTemporaryDir dir;
        PrintWindow open(WritePrintAlbum(dir, QStringLiteral("s.YRA"), PrintAlbum{}));
        QVERIFY(open.loaded);
        TPrinterEnv::SetDialogRunner([](QDialog& dialog) {
            auto& setup = static_cast<SPrinterSetupDialog&>(dialog);
            const int a3 = setup.Papers()->findText(QStringLiteral("A3"));
            if (a3 >= 0) setup.Papers()->setCurrentIndex(a3);
            setup.Landscape()->setChecked(true);
            dialog.accept();
            return int(QDialog::Accepted);
        });
        open.printing->S1Click();
        const AlbumSettings& settings = open.form->Doc().AlbumSettings;
        QCOMPARE(int(settings.PaperCode()), 8);
        QCOMPARE(int(settings.Orientation()), 1);
        QCOMPARE(settings.PaperWidthMm(), 420);
        QCOMPARE(settings.PaperHeightMm(), 297);
        QCOMPARE(open.form->Doc().PaperWidth, MillimetresToPixels(FixedMm{420} * kFixedOne));
        // The next command puts the album's paper back on the printer before its dialog.
        TPrinterEnv::SetDialogRunner([](QDialog&) { return int(QDialog::Rejected); });
        open.printing->S1Click();
        QCOMPARE(open.printing->PrinterEnv().Orientation(), 1);
    }

    void closingTheProgramWhilePrintingWaitsForTheEnd() {
        QTemporaryDir dir;
        PrintWindow window(WritePrintAlbum(dir, QStringLiteral("f.YRA"), PrintAlbum{}));
        QVERIFY(window.loaded);
        const QString pdf = dir.filePath(QStringLiteral("frame.pdf"));
        AnswerPrintDialog(pdf);
        bool frameVisible = false;
        QTimer::singleShot(0, window.frame.get(), [&] {
            window.frame->close();
            frameVisible = window.frame->isVisible();
        });
        window.printing->PrnBtnClick();
        QVERIFY(frameVisible);
        QCOMPARE(PdfPageSizes(pdf).size(), std::size_t{4});
        QTRY_VERIFY(!window.frame->isVisible());
    }

    void currentEnvironmentIsAlwaysALiveOne() {
        QTemporaryDir dir;
        PrintWindow first(WritePrintAlbum(dir, QStringLiteral("1.YRA"), PrintAlbum{}));
        TPrinterEnv* older = &first.printing->PrinterEnv();
        QCOMPARE(TPrinterEnv::CurrentEnvironment(), older);
        {
            PrintWindow second(WritePrintAlbum(dir, QStringLiteral("2.YRA"), PrintAlbum{}));
            QCOMPARE(TPrinterEnv::CurrentEnvironment(), &second.printing->PrinterEnv());
            delete second.form;
        }
        QCOMPARE(TPrinterEnv::CurrentEnvironment(), older);
    }

    void printerErrorIsTheHeadlineThenTheFourAdviceLines() {
        TPrinterEnv::ReportPrinterError(QStringLiteral("プリンタの設定が確認できません｡"));
        QCOMPARE(errors_.size(), 1);
        const QStringList lines = errors_[0].split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], QStringLiteral("プリンタの設定が確認できません｡"));
        QCOMPARE(lines[1], QString());
        QCOMPARE(lines[2],
                 QStringLiteral("現在実行する機能はプリンタドライバが１つ以上インストールされて"));
        QCOMPARE(lines[5], QStringLiteral("印刷できることを確認して下さい｡"));
        // An error during the capability queries has no headline: the advice alone.
        QVERIFY(
            TPrinterEnv::PrinterErrorText(QString()).startsWith(QStringLiteral("\r\n\r\n現在")));
    }

  private:
    QStringList errors_;
};

QTEST_MAIN(PrintingTest)
#include "Printing_test.moc"
