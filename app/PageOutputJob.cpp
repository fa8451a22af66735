#include "app/PageOutputJob.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QMimeData>

#include <atomic>
#include <exception>
#include <stdexcept>
#include <system_error>

#include "app/ErrorReport.h"
#include "metafile/Export.h"
#include "metafile/FontMapper.h"
#include "metafile/Metafile.h"
#include "support/ScreenResolution.h"
#include "view/OwnerLink.h"
#include "view/TViewForm.h"

namespace tavlex {
namespace {

PageOutputJob* g_running = nullptr;

// Tells every window whether an output runs, which greys or frees its output commands.
void TellEveryWindow(bool running) {
    for (QWidget* widget : QApplication::allWidgets()) {
        if (auto* form = qobject_cast<TViewForm*>(widget)) form->SetOutputRunning(running);
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

struct PageOutputJob::Work {
    enum class Kind { File, Clipboard };
    Kind kind = Kind::File;
    mf::Metafile page;  // the thread's own copy
    QString path;
    PageFileType type = PageFileType::Bmp;
    int pixelsPerInch = 96;
    std::atomic<bool> abandoned{false};
    OwnerLink<PageOutputJob> owner;
};

PageOutputJob::PageOutputJob(TViewForm& form, std::shared_ptr<Work> work)
    : QObject(&form), work_(std::move(work)) {
    setObjectName(QStringLiteral("PageOutputJob"));
    work_->owner.Attach(this);
}

bool PageOutputJob::StartFile(TViewForm& form, const mf::Metafile& page, const QString& path,
                              PageFileType type) {
    if (g_running) return false;
    auto work = std::make_shared<Work>();
    work->kind = Work::Kind::File;
    work->page = WholeCopy(page);
    work->path = path;
    work->type = type;
    return Start(form, std::move(work));
}

bool PageOutputJob::StartClipboard(TViewForm& form, const mf::Metafile& page) {
    if (g_running) return false;
    auto work = std::make_shared<Work>();
    work->kind = Work::Kind::Clipboard;
    work->page = WholeCopy(page);
    return Start(form, std::move(work));
}

bool PageOutputJob::Start(TViewForm& form, std::shared_ptr<Work> work) {
    work->pixelsPerInch = ScreenPixelsPerInch();
    // Qt's table of font substitutions has no lock: it is filled here before the thread's
    // player reads it.
    mf::FontMapper::RegisterSubstitutions();
    auto* job = new PageOutputJob(form, work);
    try {
        job->thread_ = ThreadReaper::Instance().Spawn([work] { Run(work); });
    } catch (const std::system_error&) {
        delete job;
        return false;
    }
    g_running = job;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    TellEveryWindow(true);
    return true;
}

bool PageOutputJob::Running() {
    return g_running != nullptr;
}

void PageOutputJob::MatchCommands(TViewForm& form) {
    form.SetOutputRunning(Running());
}

PageOutputJob::~PageOutputJob() {
    work_->abandoned = true;
    work_->owner.Drop();
    // With the reaper full this waits for one of its records to end, as a close must somewhere.
    if (thread_.thread.joinable()) ThreadReaper::Instance().Adopt(thread_, true);
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
    if (!QCoreApplication::closingDown()) TellEveryWindow(false);
}

void PageOutputJob::Run(const std::shared_ptr<Work>& work) {
    mf::PlayLimits limits;
    limits.cancelled = [&work] { return work->abandoned.load(); };
    QString failure;
    QImage image;
    try {
        if (work->kind == Work::Kind::File && work->type != PageFileType::Bmp) {
            // A conversion to WMF cannot be stopped midway; what it makes is dropped instead.
            const QByteArray bytes = mf::MetafileFileBytes(work->page, work->path);
            if (work->abandoned) return;
            mf::WriteFileBytes(work->path, bytes);
        } else {
            bool cancelled = false;
            image = mf::RenderNaturalBitmap(work->page, work->pixelsPerInch, limits, &cancelled);
            // A picture abandoned half drawn is never written, nor one abandoned since.
            if (cancelled || work->abandoned) return;
            if (work->kind == Work::Kind::File) {
                const QByteArray bytes = mf::BitmapFileBytes(image);
                if (bytes.isEmpty()) throw std::runtime_error("bitmap encoding failed");
                image = QImage();  // the interface thread needs it for the clipboard only
                if (work->abandoned) return;
                mf::WriteFileBytes(work->path, bytes);
            }
        }
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
        if (failure.isEmpty()) failure = QStringLiteral("?");
    }
    work->owner.Post([failure, image = std::move(image)](PageOutputJob& owner) {
        owner.Deliver(failure, image);
    });
}

void PageOutputJob::Deliver(const QString& failure, const QImage& image) {
    // The thread posted this as its last act: it ends at once.
    if (thread_.thread.joinable()) thread_.thread.join();
    Release();
    QString report;
    if (work_->kind == Work::Kind::File) {
        if (!failure.isEmpty())
            report =
                QStringLiteral("%1 に書き込めません").arg(QDir::toNativeSeparators(work_->path));
    } else if (!failure.isEmpty()) {
        report = QStringLiteral("クリップボードにコピーできません");
    } else {
        std::unique_ptr<QMimeData> data = mf::MakeClipboardData(work_->page, image);
        // The name office suites on this desktop look for beside the plain MIME name.
        data->setData(QString::fromLatin1(kQtWindowsEmfMime),
                      data->data(QString::fromLatin1(mf::kEmfMimeType)));
        QGuiApplication::clipboard()->setMimeData(data.release());
    }
    deleteLater();
    // Last, and without this object: the report's message box lets the window close meanwhile.
    if (!report.isEmpty()) ReportError(report);
}

}  // namespace tavlex
