// Printing to a real CUPS server: a private cupsd with a PDF queue (cups-pdf) that this test
// starts and stops itself. When CUPS cannot be started the whole test says why and is skipped.
#include <QPushButton>
#include <QtTest>

#include <csignal>
#include <cstdlib>

#include "PrintFixture.h"
#include "print/TPrnForm.h"

using namespace tavlex;
using namespace tavlex::test;

namespace {

bool WriteText(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) >= 0;
}

}  // namespace

class CupsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        const QString why = StartCups();
        if (!why.isEmpty()) QSKIP(qPrintable(QStringLiteral("CUPS could not be started: ") + why));
        TPrnForm::SetSleeper([](int) {});
        TPrinterEnv::SetJobObserver([this](const QString&) { ++submitted_; });
    }
    void cleanupTestCase() { StopCups(); }
    void cleanup() {
        DocumentPrinting::SetPrintDialogHook({});
        TPrinterEnv::SetDialogRunner({});
    }

    void rangeReachesThePdfQueue() {
        QTemporaryDir dir;
        PrintAlbum recipe;
        recipe.pages = 5;
        recipe.pageOffset = 10;
        PrintWindow window(WritePrintAlbum(dir, QStringLiteral("cups.YRA"), recipe));
        QVERIFY(window.loaded);
        QCOMPARE(window.printing->PrinterEnv().PrinterName(), queue_);
        // Displayed numbers 12..14 are positions 2..4.
        AnswerQueue(12, 14);
        const int before = submitted_;
        window.printing->PrnBtnClick();
        QCOMPARE(submitted_, before + 1);
        const QStringList files = WaitForOutputs(1);
        QCOMPARE(files.size(), 1);
        QCOMPARE(PdfPageSizes(files[0]).size(), std::size_t{3});
    }

    void turnedPagesAreThreeJobs() {
        QTemporaryDir dir;
        PrintAlbum recipe;
        recipe.orientations = {0, 1, 1, 0};
        PrintWindow window(WritePrintAlbum(dir, QStringLiteral("turned.YRA.QZD"), recipe));
        QVERIFY(window.loaded);
        AnswerQueue();
        const int before = submitted_;
        const int had = Outputs().size();
        window.printing->PrnBtnClick();
        QCOMPARE(submitted_, before + 3);
        QCOMPARE(WaitForOutputs(had + 3).size(), had + 3);
    }

    void cancelFromTheProgressWindowSendsNothing() {
        QTemporaryDir dir;
        PrintAlbum recipe;
        recipe.pages = 6;
        PrintWindow window(WritePrintAlbum(dir, QStringLiteral("cancel.YRA"), recipe));
        QVERIFY(window.loaded);
        AnswerQueue();
        const int before = submitted_;
        const int had = Outputs().size();
        // Cancel once the job is under way, as a user clicks 中止 between pages.
        std::function<void()> cancel = [&] {
            if (!window.printing->PrinterEnv().Printing()) {
                QTimer::singleShot(0, window.printing, cancel);
                return;
            }
            TPrnForm::ProgressWindow().Button()->click();
        };
        QTimer::singleShot(0, window.printing, cancel);
        window.printing->PrnBtnClick();
        QCOMPARE(submitted_, before);
        // Nothing arrives at the queue later either.
        QTest::qWait(3000);
        QCOMPARE(Outputs().size(), had);
        QCOMPARE(Run(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue_}).out.trimmed(),
                 QByteArray());
    }

    void pdfOutputBesideTheQueueKeepsTheAlbumsPaper() {
        QTemporaryDir dir;
        PrintWindow window(WritePrintAlbum(dir, QStringLiteral("file.YRA"), PrintAlbum{}));
        QVERIFY(window.loaded);
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        const int before = submitted_;
        AnswerPrintDialog(pdf);  // the dialog's PDF output instead of the queue
        window.printing->PrnBtnClick();
        QCOMPARE(PdfPageSizes(pdf).size(), std::size_t{4});
        QCOMPARE(window.form->Doc().AlbumSettings.PaperCode(), 9);
        QCOMPARE(window.form->Doc().AlbumSettings.PaperWidthMm(), 210);
        // Back to the queue for the next print: its own tables again.
        AnswerQueue();
        window.printing->PrnBtnClick();
        QCOMPARE(submitted_, before + 2);  // the file, then the job
        QCOMPARE(window.printing->PrinterEnv().PrinterName(), queue_);
    }

  private:
    QString StartCups() {
        const QStringList needed = {QStringLiteral("/usr/sbin/cupsd"),
                                    QStringLiteral("/usr/sbin/lpadmin"),
                                    QStringLiteral("/usr/lib/cups/backend/cups-pdf"),
                                    QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd")};
        for (const QString& path : needed)
            if (!QFileInfo::exists(path))
                return path + QStringLiteral(" is missing (scripts/deps.sh installs it)");
        if (!root_.isValid()) return QStringLiteral("no temporary folder");
        const QString r = root_.path();
        for (const char* sub :
             {"etc", "etc/ppd", "spool", "spool/tmp", "cache", "state", "log", "out"})
            QDir(r).mkpath(QString::fromLatin1(sub));
        QFile::setPermissions(r, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                     QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                     QFile::ExeOther);
        socket_ = r + QStringLiteral("/cups.sock");
        queue_ = QStringLiteral("TavlexTest%1").arg(QCoreApplication::applicationPid());
        WriteText(
            r + QStringLiteral("/etc/cups-files.conf"),
            QStringLiteral("ServerRoot %1/etc\nRequestRoot %1/spool\nTempDir %1/spool/tmp\n"
                           "CacheDir %1/cache\nStateDir %1/state\nDataDir /usr/share/cups\n"
                           "ServerBin /usr/lib/cups\nAccessLog %1/log/access_log\n"
                           "ErrorLog %1/log/error_log\nPageLog %1/log/page_log\n"
                           "Printcap %1/state/printcap\nSandboxing Relaxed\nSystemGroup root\n")
                .arg(r));
        WriteText(
            r + QStringLiteral("/etc/cupsd.conf"),
            QStringLiteral("LogLevel warn\nListen %1\nBrowsing No\nWebInterface No\n"
                           "DefaultAuthType None\n<Location />\n  Order allow,deny\n  Allow all\n"
                           "</Location>\n<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                           "  </Limit>\n</Policy>\n")
                .arg(socket_));
        // cups-pdf reads the settings named by its device address from its fixed folder; this
        // file is removed at the end, as is its log.
        pdfConf_ = QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(queue_);
        if (!WriteText(
                pdfConf_,
                QStringLiteral("Out %1/out\nAnonDirName %1/out\nLabel 1\nGrp root\n").arg(r)))
            return QStringLiteral("cannot write ") + pdfConf_;
        cupsd_.start(
            QStringLiteral("/usr/sbin/cupsd"),
            {QStringLiteral("-f"), QStringLiteral("-c"), r + QStringLiteral("/etc/cupsd.conf"),
             QStringLiteral("-s"), r + QStringLiteral("/etc/cups-files.conf")});
        if (!cupsd_.waitForStarted()) return QStringLiteral("cupsd does not start");
        for (int i = 0; i < 100 && !QFileInfo::exists(socket_); ++i) QTest::qWait(100);
        if (!QFileInfo::exists(socket_)) {
            QFile log(r + QStringLiteral("/log/error_log"));
            log.open(QIODevice::ReadOnly);
            return QStringLiteral("cupsd made no socket: ") +
                   QString::fromUtf8(cupsd_.readAllStandardError() + log.readAll())
                       .simplified()
                       .left(300);
        }
        qputenv("CUPS_SERVER", socket_.toUtf8());
        const ProcessRun added =
            Run(QStringLiteral("/usr/sbin/lpadmin"),
                {QStringLiteral("-p"), queue_, QStringLiteral("-E"), QStringLiteral("-v"),
                 QStringLiteral("cups-pdf:/") + queue_, QStringLiteral("-P"),
                 QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd")});
        if (added.exitCode != 0) return QStringLiteral("lpadmin cannot add the PDF queue");
        Run(QStringLiteral("/usr/sbin/lpadmin"), {QStringLiteral("-d"), queue_});
        // The printer object is made now, with this server's queue as its printer.
        TPrinterEnv::PrinterObject().setOutputFormat(QPrinter::NativeFormat);
        TPrinterEnv::PrinterObject().setPrinterName(queue_);
        if (TPrinterEnv::PrinterObject().printerName() != queue_)
            return QStringLiteral("Qt's printer does not see the queue");
        return QString();
    }

    void StopCups() {
        if (cupsd_.state() != QProcess::NotRunning) {
            cupsd_.terminate();
            if (!cupsd_.waitForFinished(10000)) cupsd_.kill();
        }
        if (!pdfConf_.isEmpty()) QFile::remove(pdfConf_);
        if (!queue_.isEmpty())
            QFile::remove(QStringLiteral("/var/log/cups/cups-pdf-%1_log").arg(queue_));
    }

    void AnswerQueue(int from = 0, int to = 0) {
        DocumentPrinting::SetPrintDialogHook([this, from, to](QPrintDialog&) {
            QPrinter& printer = TPrinterEnv::PrinterObject();
            printer.setOutputFormat(QPrinter::NativeFormat);
            printer.setPrinterName(queue_);
            printer.setPrintRange(from > 0 ? QPrinter::PageRange : QPrinter::AllPages);
            if (from > 0) printer.setFromTo(from, to);
        });
        TPrinterEnv::SetDialogRunner([](QDialog&) { return int(QDialog::Accepted); });
    }

    QStringList Outputs() const {
        return QDir(root_.path() + QStringLiteral("/out"))
            .entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
    }

    // The queue's finished PDFs, once `count` of them are there (a minute at most).
    QStringList WaitForOutputs(int count) {
        for (int i = 0; i < 600 && Outputs().size() < count; ++i) QTest::qWait(100);
        // Written whole: cups-pdf renames nothing, so wait for the queue to be idle.
        for (int i = 0; i < 100; ++i) {
            if (Run(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue_})
                    .out.trimmed()
                    .isEmpty())
                break;
            QTest::qWait(100);
        }
        QStringList paths;
        for (const QString& name : Outputs())
            paths << root_.path() + QStringLiteral("/out/") + name;
        return paths;
    }

    QTemporaryDir root_{QStringLiteral("/tmp/tavlex-cups-XXXXXX")};
    QString socket_, queue_, pdfConf_;
    QProcess cupsd_;
    int submitted_ = 0;
};

QTEST_MAIN(CupsTest)
#include "Cups_test.moc"
