#include "app/PageOutputJob.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QMimeData>

#include <exception>
#include <system_error>

#include "app/ErrorReport.h"
#include "metafile/Export.h"
#include "metafile/FontMapper.h"
#include "support/ScreenResolution.h"
#include "view/TViewForm.h"

namespace tavlex {
namespace {

PageOutputJob* g_running = nullptr;

void EnableCommands(TViewForm& form, bool enabled) {
    for (const char* name : {"Mn_File", "Mn_Clip"}) {
        if (QAction* item = form.MenuItem(QString::fromLatin1(name))) item->setEnabled(enabled);
    }
}

void EnableCommandsEverywhere(bool enabled) {
    for (QWidget* widget : QApplication::allWidgets()) {
        if (auto* form = qobject_cast<TViewForm*>(widget)) EnableCommands(*form, enabled);
    }
}

// A page still arriving is played by readers that belong to its window; the thread gets the
// whole page instead, so that nothing it reads goes with the window.
mf::Metafile WholeCopy(const mf::Metafile& page) {
    if (!page.PendingArrival()) return page;
    if (!page.PendingArrival()(static_cast<std::uint64_t>(page.StoredBytes().size())))
        throw mf::MetafileError(mf::MetafileErrorKind::NotArrived, "the page never arrived");
    return mf::Metafile::Load(page.StoredBytes());
}

}  // namespace

PageOutputJob::PageOutputJob(TViewForm& form, Kind kind, mf::Metafile page, QString path,
                             PageFileType type)
    : QObject(&form),
      kind_(kind),
      page_(std::move(page)),
      path_(std::move(path)),
      type_(type),
      pixelsPerInch_(ScreenPixelsPerInch()) {
    setObjectName(QStringLiteral("PageOutputJob"));
}

bool PageOutputJob::StartFile(TViewForm& form, const mf::Metafile& page, const QString& path,
                              PageFileType type) {
    if (g_running) return false;
    return Start(new PageOutputJob(form, Kind::File, WholeCopy(page), path, type));
}

bool PageOutputJob::StartClipboard(TViewForm& form, const mf::Metafile& page) {
    if (g_running) return false;
    return Start(
        new PageOutputJob(form, Kind::Clipboard, WholeCopy(page), QString(), PageFileType::Bmp));
}

bool PageOutputJob::Start(PageOutputJob* job) {
    // Qt's table of font substitutions has no lock: it is filled here before the thread's
    // player reads it.
    mf::FontMapper::RegisterSubstitutions();
    try {
        job->thread_ = std::thread([job] { job->Run(); });
    } catch (const std::system_error&) {
        delete job;
        return false;
    }
    g_running = job;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    EnableCommandsEverywhere(false);
    return true;
}

bool PageOutputJob::Running() {
    return g_running != nullptr;
}

void PageOutputJob::MatchCommands(TViewForm& form) {
    EnableCommands(form, !Running());
}

PageOutputJob::~PageOutputJob() {
    abandoned_ = true;
    if (thread_.joinable()) thread_.join();
    // A result posted but not delivered goes with this object's posted events.
    Release();
}

// Gives back what Start took; once, and only for a job that started.
void PageOutputJob::Release() {
    if (g_running != this) return;
    g_running = nullptr;
    if (!qApp) return;
    QApplication::restoreOverrideCursor();
    // While the program ends the windows are half gone; none of them needs its commands then.
    if (!QCoreApplication::closingDown()) EnableCommandsEverywhere(true);
}

void PageOutputJob::Run() {
    mf::PlayLimits limits;
    limits.cancelled = [this] { return abandoned_.load(); };
    QString failure;
    QImage image;
    try {
        if (kind_ == Kind::File && type_ != PageFileType::Bmp) {
            WritePage(page_, path_, type_);
        } else {
            bool cancelled = false;
            image = mf::RenderNaturalBitmap(page_, pixelsPerInch_, limits, &cancelled);
            // A picture abandoned half drawn is never written.
            if (cancelled || abandoned_) return;
            if (kind_ == Kind::File) mf::WriteBitmapFile(image, path_);
        }
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
        if (failure.isEmpty()) failure = QStringLiteral("?");
    }
    if (abandoned_) return;
    // Queued to this object: if it is destroyed first, the call goes with it.
    QMetaObject::invokeMethod(
        this, [this, failure, image = std::move(image)] { Deliver(failure, image); },
        Qt::QueuedConnection);
}

void PageOutputJob::Deliver(const QString& failure, const QImage& image) {
    if (thread_.joinable()) thread_.join();
    Release();
    QString report;
    if (kind_ == Kind::File) {
        if (!failure.isEmpty())
            report = QStringLiteral("%1 に書き込めません").arg(QDir::toNativeSeparators(path_));
    } else if (!failure.isEmpty()) {
        report = QStringLiteral("クリップボードにコピーできません");
    } else {
        std::unique_ptr<QMimeData> data = mf::MakeClipboardData(page_, image);
        // The name office suites on this desktop look for beside the plain MIME name.
        data->setData(QString::fromLatin1(kQtWindowsEmfMime),
                      data->data(QString::fromLatin1(mf::kEmfMimeType)));
        QGuiApplication::clipboard()->setMimeData(data.release());
    }
    emit Finished();
    deleteLater();
    // Last, and without this object: the report's message box lets the window close meanwhile.
    if (!report.isEmpty()) ReportError(report);
}

}  // namespace tavlex
