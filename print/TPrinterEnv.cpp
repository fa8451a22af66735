#include "print/TPrinterEnv.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QSet>

#include <cups/cups.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "print/SPrinterSetupDialog.h"
#include "print/TPrnForm.h"
#include "print/core/PdfJobDevice.h"
#include "support/ProgramTitle.h"

namespace tavlex {
namespace {

// The print dialog keeps its CUPS options (n-up, page sets ...) under this engine key.
constexpr auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
constexpr std::int16_t kUserPaper = 256;

// What the process holds once: the printer object and everything read from it.
struct ProcessPrinter {
    QPrinter* printer = nullptr;
    DeviceTables tables;
    PrinterSettings shared;
    std::vector<TPrinterEnv*> instances;
    std::unique_ptr<PdfJobDevice> job;
    // The driver-record fields Qt's printer does not hold: the paper source.
    std::int16_t binCode = 0;
    QString binPrinter;  // the printer binCode and binKeys belong to
    std::vector<QString> binKeys;
    QStringList fonts;
    TPrinterEnv::DialogRunner runner;
    TPrinterEnv::ErrorReporter reporter;
    TPrinterEnv::JobObserver observer;
};

ProcessPrinter& P() {
    static ProcessPrinter process;
    return process;
}

void DropPrinter() {
    P().job.reset();
    delete P().printer;
    P().printer = nullptr;
}

// Bins from the printer's PPD: its InputSlot choices, with the Windows paper-source code of the
// slots that have one (user bins from 256 up otherwise).
struct PpdBins {
    std::vector<BinInfo> bins;
    std::vector<QString> keys;
    QString defaultKey;
};

std::int16_t BinCodeForSlot(const QString& key, int index) {
    static const std::vector<std::pair<const char*, std::int16_t>> known = {
        {"upper", 1},       {"onlyone", 1},      {"lower", 2},          {"middle", 3},
        {"manual", 4},      {"manualfeed", 4},   {"envelope", 5},       {"envmanual", 6},
        {"auto", 7},        {"autoselect", 7},   {"default", 7},        {"tractor", 8},
        {"smallformat", 9}, {"largeformat", 10}, {"largecapacity", 11}, {"cassette", 14},
        {"formsource", 15}};
    const QString lower = key.toLower();
    for (const auto& [name, code] : known)
        if (lower == QLatin1String(name)) return code;
    return static_cast<std::int16_t>(256 + std::min(index, 255));
}

PpdBins ReadPpdBins(const QString& printer) {
    PpdBins result;
    QFile ppd(QStringLiteral("/etc/cups/ppd/") + printer + QStringLiteral(".ppd"));
    if (printer.isEmpty() || printer.contains(QLatin1Char('/')) || !ppd.open(QIODevice::ReadOnly))
        return result;
    static const QRegularExpression choice(
        QStringLiteral(R"(^\*InputSlot\s+([^/:]+)(?:/([^:]*))?:)"));
    static const QRegularExpression byDefault(QStringLiteral(R"(^\*DefaultInputSlot:\s*(\S+))"));
    QSet<std::int16_t> used;
    // A PPD is a few hundred kilobytes at most; a larger file is not read further.
    for (int lines = 0; !ppd.atEnd() && lines < 100000; ++lines) {
        const QString line = QString::fromUtf8(ppd.readLine(4096)).trimmed();
        if (const auto m = byDefault.match(line); m.hasMatch()) result.defaultKey = m.captured(1);
        const auto m = choice.match(line);
        if (!m.hasMatch() || result.bins.size() >= kTableCapacity) continue;
        const QString key = m.captured(1).trimmed();
        const QString name = m.captured(2).isEmpty() ? key : m.captured(2).trimmed();
        std::int16_t code = BinCodeForSlot(key, static_cast<int>(result.bins.size()));
        if (used.contains(code)) code = static_cast<std::int16_t>(256 + result.bins.size());
        used.insert(code);
        result.bins.push_back({name, code});
        result.keys.push_back(key);
    }
    return result;
}

std::uint16_t CodeOf(const QPageSize& size) {
    const int id = size.windowsId();
    return size.id() == QPageSize::Custom || id <= 0 || id > 0xffff
               ? kUserPaper
               : static_cast<std::uint16_t>(id);
}

QSize TenthsOf(const QPageSize& size) {
    const QSizeF mm = size.size(QPageSize::Millimeter);
    return QSize(qRound(mm.width() * 10), qRound(mm.height() * 10));
}

// The papers a printer offers: its own list, or for PDF output every standard size.
std::vector<QPageSize> OfferedSizes(const QString& printer) {
    std::vector<QPageSize> sizes;
    if (!printer.isEmpty()) {
        for (const QPageSize& size : QPrinterInfo::printerInfo(printer).supportedPageSizes())
            sizes.push_back(size);
        return sizes;
    }
    for (int id = 0; id < QPageSize::LastPageSize; ++id) {
        const QPageSize size(static_cast<QPageSize::PageSizeId>(id));
        if (size.isValid() && size.windowsId() > 0) sizes.push_back(size);
    }
    return sizes;
}

}  // namespace

TPrinterEnv::TPrinterEnv(QObject* owner) : QObject(owner) {
    P().instances.push_back(this);
    PrinterObject();
}

TPrinterEnv::~TPrinterEnv() {
    auto& all = P().instances;
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

TPrinterEnv* TPrinterEnv::CurrentEnvironment() {
    // The newest live instance: a destroyed one is never named.
    return P().instances.empty() ? nullptr : P().instances.back();
}

QPrinter& TPrinterEnv::PrinterObject() {
    if (!P().printer) {
        P().printer = new QPrinter(QPrinter::HighResolution);
        // Pages go out as vectors, so the resolution only sets the grid they are placed on; the
        // few things the engine shades as pixels (gradients) stay affordable at 600.
        P().printer->setResolution(600);
        qAddPostRoutine(DropPrinter);
    }
    return *P().printer;
}

DeviceTables& TPrinterEnv::Tables() {
    return P().tables;
}

PrinterSettings& TPrinterEnv::SharedSettings() {
    return P().shared;
}

QStringList TPrinterEnv::Fonts() const {
    if (P().fonts.isEmpty()) {
        // What a page can be drawn in: the installed faces, and the faces the engine maps onto
        // them (its substitutions are registered with the font system).
        QStringList fonts = QFontDatabase::families();
        const QStringList installed = fonts;
        for (const QString& name : QFont::substitutions()) {
            const QStringList targets = QFont::substitutes(name);
            if (std::any_of(targets.begin(), targets.end(), [&](const QString& t) {
                    return installed.contains(t, Qt::CaseInsensitive);
                }))
                fonts.append(name);
        }
        P().fonts = fonts;
    }
    return P().fonts;
}

QString TPrinterEnv::PrinterName() const {
    const QPrinter& printer = PrinterObject();
    return printer.outputFormat() == QPrinter::NativeFormat ? printer.printerName() : QString();
}

bool TPrinterEnv::PrintsToFile() const {
    return PrinterObject().outputFormat() == QPrinter::PdfFormat;
}

int TPrinterEnv::PrinterIndex() const {
    const QStringList names = QPrinterInfo::availablePrinterNames();
    // The PDF output is a printer of its own, after the queues (the only one without them).
    if (PrintsToFile()) return static_cast<int>(names.size());
    const QString name = PrinterObject().printerName();
    return name.isEmpty() ? -1 : static_cast<int>(names.indexOf(name));
}

// --- Tables -------------------------------------------------------------------------------

void TPrinterEnv::RefreshDeviceLists() {
    DeviceTables& tables = P().tables;
    tables.Clear();
    bool read = false;
    if (PrinterIndex() >= 0) {
        try {
            const QString name = PrinterName();
            std::vector<PaperInfo> papers;
            for (const QPageSize& size : OfferedSizes(name))
                papers.push_back({size.name(), CodeOf(size), TenthsOf(size)});
            const PpdBins ppd = ReadPpdBins(name);
            tables.Fill(papers, ppd.bins);
            if (P().binPrinter != name || P().binKeys != ppd.keys) {
                P().binPrinter = name;
                P().binKeys = ppd.keys;
                const auto at = std::find(ppd.keys.begin(), ppd.keys.end(), ppd.defaultKey);
                P().binCode = at == ppd.keys.end()
                                  ? (ppd.bins.empty() ? 0 : ppd.bins.front().code)
                                  : ppd.bins[static_cast<std::size_t>(at - ppd.keys.begin())].code;
            }
            read = true;
        } catch (const std::exception&) {
            ReportPrinterError(QString());
        }
    }
    if (!read) ReportPrinterError(QStringLiteral("プリンタの設定が確認できません｡"));
}

std::int32_t TPrinterEnv::PaperCount() {
    if (P().tables.paperCount == kNotRead) RefreshDeviceLists();
    return P().tables.paperCount;
}

std::int32_t TPrinterEnv::BinCount() {
    if (P().tables.binCount == kNotRead) RefreshDeviceLists();
    return P().tables.binCount;
}

std::uint16_t TPrinterEnv::PaperCodeAt(int index) {
    if (P().tables.paperCount == kQueryFailed || P().tables.paperCount == kNotRead)
        RefreshDeviceLists();
    return tavlex::PaperCodeAt(P().tables, index);
}

QString TPrinterEnv::PaperNameAt(int index) {
    if (P().tables.paperCount == kQueryFailed || P().tables.paperCount == kNotRead)
        RefreshDeviceLists();
    return tavlex::PaperNameAt(P().tables, index);
}

int TPrinterEnv::IndexOfPaper(int code) {
    const int n = PaperCount();
    for (int i = 0; i < n; ++i)
        if (PaperCodeAt(i) == code) return i;
    return -1;
}

int TPrinterEnv::BinCodeAt(int index) {
    if (P().tables.binCount == kQueryFailed || P().tables.binCount == kNotRead)
        RefreshDeviceLists();
    const bool needsCurrent = !(index < 0 && bins_.defaultBinIndex >= 0) &&
                              !(index >= 0 && index < P().tables.binCount) &&
                              P().tables.binCount > 0;
    return tavlex::BinCodeAt(P().tables, index, bins_.defaultBinIndex,
                             needsCurrent ? CurrentBinIndex() : -1);
}

int TPrinterEnv::IndexOfBin(int code) {
    const int n = BinCount();
    for (int i = 0; i < n; ++i)
        if (BinCodeAt(i) == code) return i;
    return -1;
}

int TPrinterEnv::CurrentPaperIndex() {
    if (!ReadSettings(P().shared)) return -1;
    return IndexOfPaper(P().shared.PaperCode);
}

int TPrinterEnv::CurrentBinIndex() {
    if (!ReadSettings(P().shared)) return -1;
    return IndexOfBin(P().shared.BinCode);
}

void TPrinterEnv::SetPaperIndex(int index) {
    if (!ReadSettings(P().shared)) return;
    const std::uint16_t code = PaperCodeAt(index);
    if (code != P().shared.PaperCode) {
        P().shared.PaperCode = code;
        ApplySettings(P().shared);
    }
}

// --- Driver settings -------------------------------------------------------------------------

DriverRecord TPrinterEnv::ReadRecord() const {
    const QPrinter& printer = PrinterObject();
    const QPageLayout layout = printer.pageLayout();
    DriverRecord record;
    record.paperSize = static_cast<std::int16_t>(CodeOf(layout.pageSize()));
    const QSize tenths = TenthsOf(layout.pageSize());
    record.paperWidth = static_cast<std::int16_t>(std::clamp(tenths.width(), -32768, 32767));
    record.paperLength = static_cast<std::int16_t>(std::clamp(tenths.height(), -32768, 32767));
    record.orientation = layout.orientation() == QPageLayout::Landscape ? DriverRecord::kLandscape
                                                                        : DriverRecord::kPortrait;
    record.copies = static_cast<std::int16_t>(std::clamp(printer.copyCount(), 1, 32767));
    record.collate = printer.collateCopies();
    record.defaultSource = P().binCode;
    return record;
}

void TPrinterEnv::WriteRecord(const DriverRecord& record) {
    QPrinter& printer = PrinterObject();
    if (record.fields & DriverRecord::kPaperSize) {
        QPageSize size;
        if (record.paperSize == kUserPaper || record.paperSize == 0) {
            if (record.paperWidth > 0 && record.paperLength > 0) {
                size = QPageSize(QSizeF(record.paperWidth / 10.0, record.paperLength / 10.0),
                                 QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
            }
        } else {
            // The printer's own entry, so that CUPS gets its media name.
            for (const QPageSize& offered : OfferedSizes(PrinterName())) {
                if (CodeOf(offered) == static_cast<std::uint16_t>(record.paperSize)) {
                    size = offered;
                    break;
                }
            }
            if (!size.isValid()) size = QPageSize(QPageSize::id(record.paperSize));
        }
        if (size.isValid()) printer.setPageSize(size);
    }
    if (record.fields & DriverRecord::kOrientation) {
        printer.setPageOrientation(record.orientation == DriverRecord::kLandscape
                                       ? QPageLayout::Landscape
                                       : QPageLayout::Portrait);
    }
    if (record.fields & DriverRecord::kCopies)
        printer.setCopyCount(std::max<int>(1, record.copies));
    if (record.fields & DriverRecord::kCollate) printer.setCollateCopies(record.collate);
    if (record.fields & DriverRecord::kDefaultSource) P().binCode = record.defaultSource;
}

bool TPrinterEnv::ReadSettings(PrinterSettings& settings) {
    if (PrinterIndex() < 0) return false;
    try {
        ReadDriverRecord(ReadRecord(), settings);
        return true;
    } catch (const std::exception&) {
        ReportPrinterError(QStringLiteral("プリンタの設定が正しく行えません｡"));
        return false;
    }
}

bool TPrinterEnv::ApplySettings(PrinterSettings settings) {
    if (PrinterIndex() < 0) return false;
    try {
        PaperCount();  // the tables of this printer
        DriverRecord record = ReadRecord();
        record.fields = 0;
        const int index = PrinterIndex();
        const int current = bins_.lastPrinterIndex == index ? -1 : CurrentBinIndex();
        if (!EditDriverRecord(record, settings, P().tables, bins_, index, current)) return false;
        WriteRecord(record);
        return true;
    } catch (const std::exception&) {
        ReportPrinterError(QStringLiteral("プリンタの設定が正しく行えません｡"));
        return false;
    }
}

// --- Metrics --------------------------------------------------------------------------------

QPageLayout TPrinterEnv::JobLayout() const {
    QPageLayout layout = PrinterObject().pageLayout();
    // A PDF file has no unprintable edge.
    if (PrintsToFile()) layout.setMargins(QMarginsF());
    return layout;
}

int TPrinterEnv::PrinterPixelsPerInch() const {
    return PrinterObject().resolution();
}

DeviceMetrics TPrinterEnv::Metrics() const {
    const int dpi = PrinterPixelsPerInch();
    const QPageLayout layout = JobLayout();
    const QRect full = layout.fullRectPixels(dpi);
    const QRect paint = layout.paintRectPixels(dpi);
    return {full.width(), full.height(), paint.left(), paint.top(), dpi, dpi};
}

FixedMm TPrinterEnv::PhysicalWidthMM() const {
    const DeviceMetrics m = Metrics();
    return DotsToWholeMm(m.physicalWidth, m.dpiX);
}

FixedMm TPrinterEnv::PhysicalHeightMM() const {
    const DeviceMetrics m = Metrics();
    return DotsToWholeMm(m.physicalHeight, m.dpiY);
}

FixedMm TPrinterEnv::PrintableWidthMM() const {
    return std::llround(JobLayout().paintRect(QPageLayout::Millimeter).width()) * kFixedOne;
}

FixedMm TPrinterEnv::PrintableHeightMM() const {
    return std::llround(JobLayout().paintRect(QPageLayout::Millimeter).height()) * kFixedOne;
}

std::pair<FixedMm, FixedMm> TPrinterEnv::PhysicalOffsetMM() const {
    const DeviceMetrics m = Metrics();
    return {DotsToWholeMm(m.offsetX, m.dpiX), DotsToWholeMm(m.offsetY, m.dpiY)};
}

// --- Jobs ------------------------------------------------------------------------------------

bool TPrinterEnv::Printing() const {
    return P().job && P().job->Printing();
}

int TPrinterEnv::Orientation() const {
    return PrinterObject().pageLayout().orientation() == QPageLayout::Landscape ? 1 : 0;
}

void TPrinterEnv::SetOrientation(int orientation) {
    if (orientation != 0 && orientation != 1) return;
    PrinterObject().setPageOrientation(orientation == 1 ? QPageLayout::Landscape
                                                        : QPageLayout::Portrait);
    if (P().job) P().job->SetOrientation(orientation);
}

void TPrinterEnv::SetTitle(const QString& title) {
    if (PrinterObject().docName() != title) PrinterObject().setDocName(title);
}

void TPrinterEnv::BeginDoc() {
    QPrinter& printer = PrinterObject();
    if (!P().job) {
        if (PrintsToFile()) {
            if (printer.outputFileName().isEmpty())
                throw std::runtime_error("no file was chosen for the PDF output");
            P().job = std::make_unique<PdfJobDevice>(
                PdfJobDevice::Files::OneFile, printer.outputFileName(), PrinterPixelsPerInch());
        } else {
            P().job = std::make_unique<PdfJobDevice>(PdfJobDevice::Files::FilePerJob,
                                                     QDir::tempPath(), PrinterPixelsPerInch());
            P().job->SetSubmit([this](const QString& file, const QPageLayout& layout) {
                SubmitJob(file, layout);
            });
        }
        P().job->SetCreator(QCoreApplication::applicationName());
    }
    const QPageLayout layout = JobLayout();
    P().job->SetPaper(layout.pageSize(), layout.margins(QPageLayout::Point));
    P().job->SetOrientation(Orientation());
    P().job->SetTitle(printer.docName());
    P().job->BeginDoc();
}

void TPrinterEnv::NewPage() {
    if (P().job) P().job->NewPage();
}

void TPrinterEnv::EndDoc() {
    if (P().job) P().job->EndDoc();
}

void TPrinterEnv::Abort() {
    if (P().job) P().job->Abort();
}

void TPrinterEnv::FinishJobs() {
    if (!P().job) return;
    std::unique_ptr<PdfJobDevice> job = std::move(P().job);
    job->Close();
    if (P().observer && PrintsToFile() && job->JobCount() > 0)
        P().observer(PrinterObject().outputFileName());
}

QPainter& TPrinterEnv::Painter() {
    if (!P().job) throw std::runtime_error("no print job is running");
    return P().job->Painter();
}

void TPrinterEnv::SubmitJob(const QString& file, const QPageLayout& layout) {
    if (P().observer) P().observer(file);
    QPrinter& printer = PrinterObject();
    const QString name = printer.printerName();
    if (name.isEmpty()) throw std::runtime_error("no printer is selected");
    std::vector<std::pair<QByteArray, QByteArray>> options;
    options.emplace_back("media", layout.pageSize().key().toUtf8());
    if (printer.copyCount() > 1) {
        options.emplace_back("copies", QByteArray::number(printer.copyCount()));
        options.emplace_back("Collate", printer.collateCopies() ? "True" : "False");
    }
    switch (printer.duplex()) {
        case QPrinter::DuplexNone:
            options.emplace_back("sides", "one-sided");
            break;
        case QPrinter::DuplexLongSide:
            options.emplace_back("sides", "two-sided-long-edge");
            break;
        case QPrinter::DuplexShortSide:
            options.emplace_back("sides", "two-sided-short-edge");
            break;
        case QPrinter::DuplexAuto:
            break;
    }
    const int bin = IndexOfBin(P().binCode);
    if (bin >= 0 && static_cast<std::size_t>(bin) < P().binKeys.size())
        options.emplace_back("InputSlot", P().binKeys[static_cast<std::size_t>(bin)].toUtf8());
    // The dialog's own CUPS options, except a page list: the job holds only the chosen pages.
    const QStringList extra = printer.printEngine()->property(kCupsOptions).toStringList();
    for (qsizetype i = 0; i + 1 < extra.size(); i += 2) {
        if (extra[i] == QLatin1String("page-ranges")) continue;
        options.emplace_back(extra[i].toUtf8(), extra[i + 1].toUtf8());
    }
    std::vector<cups_option_t> list;
    for (auto& [key, value] : options) list.push_back({key.data(), value.data()});
    const QByteArray queue = name.section(QLatin1Char('/'), 0, 0).toUtf8();
    const QByteArray path = QFile::encodeName(file);
    const QByteArray title = printer.docName().toUtf8();
    if (cupsPrintFile(queue.constData(), path.constData(), title.constData(),
                      static_cast<int>(list.size()), list.data()) == 0) {
        throw std::runtime_error(std::string("CUPS refused the job: ") + cupsLastErrorString());
    }
}

// --- Progress --------------------------------------------------------------------------------

void TPrinterEnv::ProgressBegin(const QString& caption, int maximum) {
    TPrnForm::ProgressWindow().ProgressBegin(caption, maximum);
}

bool TPrinterEnv::ProgressStep(int position) {
    return TPrnForm::ProgressWindow().ProgressStep(position);
}

bool TPrinterEnv::ProgressService() {
    return TPrnForm::ProgressWindow().ProgressService();
}

bool TPrinterEnv::ProgressEnd(int seconds) {
    return TPrnForm::ProgressWindow().ProgressEnd(seconds);
}

// --- Dialogs ---------------------------------------------------------------------------------

void TPrinterEnv::SetDialogRunner(DialogRunner runner) {
    P().runner = std::move(runner);
}

void TPrinterEnv::SetErrorReporter(ErrorReporter reporter) {
    P().reporter = std::move(reporter);
}

void TPrinterEnv::SetJobObserver(JobObserver observer) {
    P().observer = std::move(observer);
}

int TPrinterEnv::RunDialog(QDialog& dialog) {
    return P().runner ? P().runner(dialog) : dialog.exec();
}

bool TPrinterEnv::ExecuteSetupDialog() {
    if (Printing()) {
        QApplication::beep();
        return false;
    }
    const int before = PrinterIndex();
    const QString name = PrinterObject().printerName();
    try {
        SPrinterSetupDialog dialog(*this, QApplication::activeWindow());
        const bool confirmed = RunDialog(dialog) == QDialog::Accepted;
        if (!confirmed && PrinterObject().printerName() != name) {
            // The dialog shows another printer's papers as soon as it is picked; a cancel
            // puts the printer back.
            PrinterObject().setPrinterName(name);
            RefreshDeviceLists();
        }
        if (confirmed && PrinterIndex() != before) RefreshDeviceLists();
        return confirmed;
    } catch (const std::exception&) {
        ReportPrinterError(QStringLiteral("プリンタの設定が正しく行えません｡"));
        return false;
    }
}

bool TPrinterEnv::ExecutePrintDialog(QPrintDialog& dialog) {
    if (Printing()) {
        QApplication::beep();
        return false;
    }
    const int before = PrinterIndex();
    const QString name = PrinterName();
    try {
        const bool confirmed = RunDialog(dialog) == QDialog::Accepted;
        if (confirmed && (PrinterIndex() != before || PrinterName() != name)) RefreshDeviceLists();
        return confirmed;
    } catch (const std::exception&) {
        ReportPrinterError(QStringLiteral("プリンタの設定が正しく行えません｡"));
        return false;
    }
}

QString TPrinterEnv::PrinterErrorText(const QString& headline) {
    return headline + QStringLiteral("\r\n\r\n") +
           QStringLiteral(
               "現在実行する機能はプリンタドライバが１つ以上インストールされて\r\n"
               "デフォルトプリンタが正しく設定・動作する状態でなければ保証できません｡\r\n"
               "プリンタドライバのテスト印字か Windowsの『メモ帳』などで正しく\r\n"
               "印刷できることを確認して下さい｡");
}

void TPrinterEnv::ReportPrinterError(const QString& headline) {
    const QString text = PrinterErrorText(headline);
    if (P().reporter) {
        P().reporter(text);
        return;
    }
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    QMessageBox::warning(QApplication::activeWindow(), ProgramTitle(), text, QMessageBox::Ok);
}

}  // namespace tavlex
