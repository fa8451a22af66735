#include "print/core/PdfJobDevice.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryFile>

#include <stdexcept>

namespace tavlex {
namespace {

[[noreturn]] void Fail(const QString& text) {
    throw std::runtime_error(text.toStdString());
}

}  // namespace

PdfJobDevice::PdfJobDevice(Files files, QString path, int resolution)
    : files_(files), path_(std::move(path)), resolution_(resolution > 0 ? resolution : 600) {}

PdfJobDevice::~PdfJobDevice() {
    if (writer_) {
        painter_.reset();
        writer_.reset();
        QFile::remove(current_);
    }
}

void PdfJobDevice::SetPaper(const QPageSize& size, const QMarginsF& unprintable) {
    if (size.isValid()) size_ = size;
    unprintable_ = unprintable;
}

void PdfJobDevice::SetOrientation(int orientation) {
    if (orientation == 0 || orientation == 1) orientation_ = orientation;
}

QPageLayout PdfJobDevice::Layout() const {
    // The whole sheet is the page; the unprintable edges only move the drawing origin, as a
    // printer's device context has it.
    QPageLayout layout(size_, orientation_ == 1 ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(), QPageLayout::Point);
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

DeviceMetrics PdfJobDevice::Metrics() const {
    const QPageLayout layout = Layout();
    const QRect sheet = layout.fullRectPixels(resolution_);
    const QMarginsF margins = unprintable_;
    DeviceMetrics metrics;
    metrics.physicalWidth = sheet.width();
    metrics.physicalHeight = sheet.height();
    metrics.offsetX = qRound(margins.left() * resolution_ / 72.0);
    metrics.offsetY = qRound(margins.top() * resolution_ / 72.0);
    metrics.dpiX = resolution_;
    metrics.dpiY = resolution_;
    return metrics;
}

void PdfJobDevice::OpenWriter(const QString& file) {
    current_ = file;
    writer_ = std::make_unique<QPdfWriter>(file);
    writer_->setResolution(resolution_);
    writer_->setPageLayout(Layout());
    writer_->setTitle(title_);
    writer_->setCreator(creator_);
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(writer_.get())) {
        painter_.reset();
        writer_.reset();
        QFile::remove(file);
        Fail(QStringLiteral("cannot write %1").arg(file));
    }
}

void PdfJobDevice::PlaceOrigin() {
    const DeviceMetrics metrics = Metrics();
    painter_->resetTransform();
    painter_->translate(metrics.offsetX, metrics.offsetY);
}

void PdfJobDevice::FinishWriter() {
    const bool ended = painter_->end();
    painter_.reset();
    writer_.reset();
    if (!ended) {
        QFile::remove(current_);
        Fail(QStringLiteral("cannot write %1").arg(current_));
    }
}

void PdfJobDevice::BeginDoc() {
    if (printing_) Fail(QStringLiteral("a print job is already running"));
    if (writer_) {
        // One file: the next job continues it on a page of its own sheet.
        writer_->setPageLayout(Layout());
        writer_->newPage();
    } else if (files_ == Files::OneFile) {
        OpenWriter(path_);
    } else {
        QTemporaryFile file(QDir(path_).filePath(QStringLiteral("tavlex-job-XXXXXX.pdf")));
        file.setAutoRemove(false);
        if (!file.open()) Fail(QStringLiteral("cannot create a print file in %1").arg(path_));
        file.close();
        OpenWriter(file.fileName());
    }
    printing_ = true;
    ++jobs_;
    ++pages_;
    PlaceOrigin();
}

void PdfJobDevice::NewPage() {
    if (!printing_) Fail(QStringLiteral("no print job is running"));
    writer_->setPageLayout(Layout());
    if (!writer_->newPage()) Fail(QStringLiteral("cannot add a page to %1").arg(current_));
    ++pages_;
    PlaceOrigin();
}

void PdfJobDevice::EndDoc() {
    if (!printing_) return;
    printing_ = false;
    if (files_ == Files::OneFile) return;  // Close ends the file
    const QString file = current_;
    const QPageLayout layout = Layout();
    FinishWriter();
    struct Remove {
        QString file;
        ~Remove() { QFile::remove(file); }
    } remove{file};
    if (submit_) submit_(file, layout);
}

void PdfJobDevice::Abort() {
    printing_ = false;
    if (!writer_) return;
    painter_->end();
    painter_.reset();
    writer_.reset();
    QFile::remove(current_);
    current_.clear();
}

void PdfJobDevice::Close() {
    if (printing_) EndDoc();
    if (files_ == Files::OneFile && writer_) FinishWriter();
}

QPainter& PdfJobDevice::Painter() {
    if (!painter_) Fail(QStringLiteral("no print job is running"));
    return *painter_;
}

}  // namespace tavlex
