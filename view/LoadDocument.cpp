#include "view/LoadDocument.h"

#include <QApplication>
#include <QFileInfo>

#include "album/AlbumLoader.h"
#include "album/BodyArrival.h"
#include "album/UserMessage.h"
#include "controls/TFocusControl.h"
#include "support/Messages.h"
#include "view/TViewForm.h"
#include "view/ViewHost.h"
#include "view/ViewerSettings.h"

namespace tavlex {
namespace {

constexpr std::int64_t kWaitedBody = 16 << 20;

// The hourglass while the album is read; back to normal on every way out, exceptions included.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { Restore(); }
    void Restore() {
        if (!on_) return;
        on_ = false;
        QApplication::restoreOverrideCursor();
    }

  private:
    bool on_ = true;
};

// Every ending that is not an error: refresh, cursor back, focus to the page area.
void Finish(TViewForm& form, WaitCursor& cursor) {
    form.RefreshWindowState();
    cursor.Restore();
    form.FocusControl()->setFocus(Qt::OtherFocusReason);
}

}  // namespace

bool LoadDocument(TViewForm& form, const QString& path) {
    form.Doc().PageCount = 0;
    form.SetZoomIndex(form.Host().Settings().ZoomIndex);
    form.AdoptDocument(Document{});
    WaitCursor cursor;

    AlbumOpenOptions options;
    options.tempFolder = form.Host().TempFolder();
    options.makeSink = form.Host().BodySinks();
    AlbumLoadResult result = OpenAlbum(path, options);
    switch (result.status) {
        case LoadStatus::NoFile:
        case LoadStatus::NotAlbumName:
        case LoadStatus::UnsupportedVersion:
            cursor.Restore();
            ShowInfo(result.userMessage);
            Finish(form, cursor);
            return false;
        case LoadStatus::NoPages:
            // What was read stays with the window, whose destruction frees the body file.
            form.AdoptDocument(std::move(result.document));
            form.Doc().PageCount = 0;
            Finish(form, cursor);
            return false;
        case LoadStatus::Loaded:
            break;
    }
    form.AdoptDocument(std::move(result.document));
    form.Doc().CurrentPage = 1;
    QString pageFailure;
    try {
        // A small body, or a first page near the start of a large one, is waited for here,
        // which takes the time of inflating a few megabytes; a page further in shows when it
        // arrives, the window usable meanwhile.
        if (BodyArrival* arrival = form.Doc().Arrival.get()) {
            const PageEntry& first = CheckedPageEntry(form.Doc(), 1);
            const std::int64_t end = std::int64_t{first.Offset} + first.Size;
            if (arrival->Expected() <= kWaitedBody) {
                arrival->Join();
            } else if (end <= kWaitedBody) {
                arrival->WaitFor(end);
            }
        }
        form.LoadCurrentPage();
    } catch (const AlbumError& error) {
        // An entry outside the body spoils its page alone: the album opens and says so. A first
        // page past a break in the body opens blank too; the window says the break itself, once.
        const BodyArrival* arrival = form.Doc().Arrival.get();
        const bool brokenBody = error.Kind() == AlbumErrorKind::Damaged && arrival != nullptr &&
                                arrival->CurrentState() == BodyArrival::State::Failed;
        if (error.Kind() != AlbumErrorKind::InvalidPage && !brokenBody) throw;
        if (!brokenBody) pageFailure = UserMessage(error, QFileInfo(path).fileName());
        form.SyncContentsSelection();
    }
    form.ScrollBoxResize();
    Finish(form, cursor);
    if (!pageFailure.isEmpty()) ShowInfo(pageFailure);
    return true;
}

}  // namespace tavlex
