#pragma once

// Albums and windows for driving the printing commands offscreen: a stand-in frame, albums of
// plain coloured A4 pages with a paper code, and the printer set to PDF output.

#include <QDialog>
#include <QElapsedTimer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>

#include <memory>
#include <vector>

#include "album/AlbumWriter.h"
#include "print/DocumentPrinting.h"
#include "print/TPrinterEnv.h"
#include "tests/view/ViewFixture.h"

namespace tavlex::test {

struct PrintAlbum {
    int pages = 4;
    int pageOffset = 0;
    std::vector<std::uint8_t> orientations;  // per page: a 9-byte album when given
    std::int32_t paperCode = 9;
    QByteArray usedFonts = "IPAGothic\r\nNo Such Face";
    FixedMm margins[4] = {0, 0, 0, 0};  // top, bottom, left, right
    std::vector<int> slowPages;         // 1-based pages that play for many seconds
};

inline QString WritePrintAlbum(const QTemporaryDir& dir, const QString& name,
                               const PrintAlbum& recipe) {
    AlbumContents contents = NewA4AlbumContents();
    contents.header.SetMargins(recipe.margins[0], recipe.margins[1], recipe.margins[2],
                               recipe.margins[3]);
    contents.settings.SetTitle("Print test");
    contents.settings.SetAuthor("Author");
    contents.settings.SetRemarks("Remarks");
    contents.settings.SetCreated(
        DateTimeToOleDate(QDateTime(QDate(2004, 3, 7), QTime(9, 5, 0), Qt::UTC)));
    contents.settings.SetPaperCode(recipe.paperCode);
    contents.settings.SetPageOffset(recipe.pageOffset);
    contents.settings.SetUsedFonts(recipe.usedFonts);
    contents.pageOrientation = !recipe.orientations.empty();
    std::vector<AlbumPage> pages;
    for (int i = 0; i < recipe.pages; ++i) {
        const std::uint8_t turn =
            recipe.orientations.empty() ? 0 : recipe.orientations[static_cast<std::size_t>(i)];
        const QColor colour = QColor::fromHsv((i * 60) % 360, 160, 230);
        const bool slow = std::find(recipe.slowPages.begin(), recipe.slowPages.end(), i + 1) !=
                          recipe.slowPages.end();
        pages.push_back(
            {slow ? SlowPage(colour, 1'000'000) : ColouredPage(colour, turn != 0), turn});
    }
    const QString path = dir.filePath(name);
    WriteAlbumFile(path, contents, pages);
    return path;
}

// A frame with one album open in a window that has its printing attached.
struct PrintWindow {
    explicit PrintWindow(const QString& path) {
        frame = std::make_unique<FakeFrame>();
        frame->show();
        form = new TViewForm(*frame, frame->Area());
        printing = &DocumentPrinting::Attach(*form);
        form->show();
        loaded = LoadDocument(*form, path);
    }
    std::unique_ptr<FakeFrame> frame;
    TViewForm* form = nullptr;
    DocumentPrinting* printing = nullptr;
    bool loaded = false;
};

// The printer writes PDF into `file`; the print dialog is answered with the given range
// (0, 0: all pages).
inline void AnswerPrintDialog(const QString& file, int from = 0, int to = 0) {
    DocumentPrinting::SetPrintDialogHook([file, from, to](QPrintDialog&) {
        QPrinter& printer = TPrinterEnv::PrinterObject();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        if (from > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(from, to);
        } else {
            printer.setPrintRange(QPrinter::AllPages);
        }
    });
    TPrinterEnv::SetDialogRunner([](QDialog&) { return int(QDialog::Accepted); });
}

struct ProcessRun {
    int exitCode = -1;
    QByteArray out;
};

inline ProcessRun Run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    ProcessRun run;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    return run;
}

// pdfinfo's page sizes in points.
inline std::vector<QSizeF> PdfPageSizes(const QString& pdf) {
    const ProcessRun info =
        Run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                        QStringLiteral("-l"), QStringLiteral("999"), pdf});
    std::vector<QSizeF> sizes;
    static const QRegularExpression line(
        QStringLiteral(R"(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)"));
    for (auto it = line.globalMatch(QString::fromUtf8(info.out)); it.hasNext();) {
        const auto m = it.next();
        sizes.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
    return sizes;
}

}  // namespace tavlex::test
