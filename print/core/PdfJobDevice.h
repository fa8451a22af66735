#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QString>

#include <functional>
#include <memory>

#include "print/core/PrintDevice.h"

class QPdfWriter;

namespace tavlex {

// A printer that writes PDF: vectors stay vectors, pictures keep their pixels and text stays
// text in embedded fonts.
//
// OneFile: every job goes into one file, each job starting on a new page of its own
// orientation; Close finishes the file. An aborted job discards the whole file, so that no
// half-printed document is left behind.
// FilePerJob: each job is a temporary PDF handed to the submit function when the job ends and
// removed afterwards; an aborted job is removed without being submitted.
class PdfJobDevice : public PrintDevice {
  public:
    enum class Files { OneFile, FilePerJob };
    // Hands a finished job to the printer; throws std::runtime_error when it refuses.
    using Submit = std::function<void(const QString& file, const QPageLayout& layout)>;

    PdfJobDevice(Files files, QString path, int resolution);
    ~PdfJobDevice() override;  // an unfinished file is discarded
    PdfJobDevice(const PdfJobDevice&) = delete;
    PdfJobDevice& operator=(const PdfJobDevice&) = delete;

    void SetSubmit(Submit submit) { submit_ = std::move(submit); }
    // The sheet of the jobs and pages begun from now on; margins are the unprintable edges of
    // the sheet as it lies, in points (none for a PDF file).
    void SetPaper(const QPageSize& size, const QMarginsF& unprintable = {});
    void SetCreator(const QString& creator) { creator_ = creator; }

    bool Printing() const override { return printing_; }
    int Orientation() const override { return orientation_; }
    void SetOrientation(int orientation) override;
    void SetTitle(const QString& title) override { title_ = title; }
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;
    DeviceMetrics Metrics() const override;
    QPainter& Painter() override;

    // OneFile: ends the file once all jobs are done. Throws when it cannot be written.
    void Close();
    int JobCount() const { return jobs_; }
    int PageCount() const { return pages_; }

  private:
    QPageLayout Layout() const;
    void OpenWriter(const QString& file);
    void PlaceOrigin();
    void FinishWriter();

    Files files_;
    QString path_;
    int resolution_;
    Submit submit_;
    QPageSize size_ = QPageSize(QPageSize::A4);
    QMarginsF unprintable_;
    int orientation_ = 0;
    QString title_;
    QString creator_;
    bool printing_ = false;
    int jobs_ = 0;
    int pages_ = 0;
    QString current_;  // the file being written
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
};

}  // namespace tavlex
