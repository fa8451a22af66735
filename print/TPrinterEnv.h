#pragma once

#include <QMarginsF>
#include <QObject>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <utility>

#include "print/core/PrintDevice.h"
#include "print/core/PrinterTables.h"
#include "support/Length.h"

class QDialog;
class QPageSetupDialog;
class QPrintDialog;
class QPrinter;

namespace tavlex {

class PdfJobDevice;

// The printer as the viewer sees it: one printer object for the process (Qt's printer over
// CUPS, or PDF output when no printer is installed), the tables of the papers and bins it
// offers, its settings as a driver record, its metrics in millimetres, the two dialogs and the
// progress window. One instance per document window; the printer, the tables and the shared
// settings are the process's. Everything runs on the user-interface thread.
//
// Printing goes through a PDF job: each job is written to a temporary PDF and handed to CUPS
// when it ends (or to the chosen PDF file), so that an aborted job never reaches the printer.
class TPrinterEnv : public QObject, public PrintDevice {
    Q_OBJECT
  public:
    explicit TPrinterEnv(QObject* owner = nullptr);
    ~TPrinterEnv() override;

    // The most recently created live instance; null when there is none.
    static TPrinterEnv* CurrentEnvironment();
    static QPrinter& PrinterObject();
    static DeviceTables& Tables();
    static PrinterSettings& SharedSettings();

    // The printer's fonts: the faces the print path can draw (installed faces and the
    // engine's substitutions), enumerated once.
    QStringList Fonts() const;
    // Index of the selected printer among the printers; -1 when none is selected.
    int PrinterIndex() const;
    QString PrinterName() const;
    bool PrintsToFile() const;

    // PrintDevice: the running job.
    bool Printing() const override;
    int Orientation() const override;
    void SetOrientation(int orientation) override;
    void SetTitle(const QString& title) override;
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;
    DeviceMetrics Metrics() const override;
    QPainter& Painter() override;
    // Ends the jobs of one print command (a PDF file gets written here).
    void FinishJobs();

    std::int32_t PaperCount();
    QString PaperNameAt(int index);
    std::uint16_t PaperCodeAt(int index);
    int IndexOfPaper(int code);
    int CurrentPaperIndex();
    void SetPaperIndex(int index);
    std::int32_t BinCount();
    int BinCodeAt(int index);
    int IndexOfBin(int code);
    int CurrentBinIndex();
    int DefaultBinIndex() const { return bins_.defaultBinIndex; }

    bool ReadSettings(PrinterSettings& settings);
    bool ApplySettings(PrinterSettings settings);
    void RefreshDeviceLists();

    int PrinterPixelsPerInch() const;
    FixedMm PhysicalWidthMM() const;
    FixedMm PhysicalHeightMM() const;
    FixedMm PrintableWidthMM() const;
    FixedMm PrintableHeightMM() const;
    std::pair<FixedMm, FixedMm> PhysicalOffsetMM() const;

    void ProgressBegin(const QString& caption, int maximum);
    bool ProgressStep(int position);
    bool ProgressService();
    bool ProgressEnd(int seconds);

    // The dialogs: refused (a beep, false) while a job runs; a confirmed change of printer
    // reads the tables again. The print dialog's range and options are set by the caller.
    bool ExecuteSetupDialog();
    bool ExecutePrintDialog(QPrintDialog& dialog);

    // The warning box of every printer failure: the headline, a blank line, the advice.
    static void ReportPrinterError(const QString& headline);
    static QString PrinterErrorText(const QString& headline);

    // Seams for tests: how dialogs run and how failures are shown.
    using DialogRunner = std::function<int(QDialog& dialog)>;
    static void SetDialogRunner(DialogRunner runner);
    using ErrorReporter = std::function<void(const QString& text)>;
    static void SetErrorReporter(ErrorReporter reporter);
    // Called with each finished job file before it is handed on (tests count jobs).
    using JobObserver = std::function<void(const QString& file)>;
    static void SetJobObserver(JobObserver observer);

  private:
    DriverRecord ReadRecord() const;
    void WriteRecord(const DriverRecord& record);
    int RunDialog(QDialog& dialog);
    void SubmitJob(const QString& file, const QPageLayout& layout);
    QPageLayout JobLayout() const;

    BinMemory bins_;  // LastPrinterIndex and DefaultBinIndex
};

}  // namespace tavlex
