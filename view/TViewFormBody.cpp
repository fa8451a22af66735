// The document window's side of a body that is still arriving after the open: progress, pages
// shown as their bytes arrive, and damage found late in the stream.
#include <QFileInfo>
#include <QProgressBar>

#include "album/AlbumError.h"
#include "album/AlbumLoader.h"
#include "album/BodyArrival.h"
#include "support/Messages.h"
#include "view/TViewForm.h"

namespace tavlex {

bool TViewForm::BodyArriving() const {
    return document_.Arrival && document_.Arrival->CurrentState() == BodyArrival::State::Arriving;
}

bool TViewForm::IsPageWhole(int page) const {
    if (page < 1 || page > document_.PageCount || !document_.BodyStream) return false;
    const PageEntry& entry = document_.PageDirectory[static_cast<std::size_t>(page)];
    return std::int64_t{entry.Offset} + entry.Size <= document_.BodyStream->Size();
}

bool TViewForm::WaitForPage(int page) {
    if (page < 1 || page > document_.PageCount || !document_.BodyStream) return false;
    if (document_.Arrival) {
        const PageEntry& entry = document_.PageDirectory[static_cast<std::size_t>(page)];
        document_.Arrival->WaitFor(std::int64_t{entry.Offset} + entry.Size);
    }
    return IsPageWhole(page);
}

QWidget* TViewForm::BodyProgressBar() const {
    return progress_;
}

void TViewForm::WatchBody() {
    progress_->hide();
    if (!document_.Arrival) return;
    // The notice comes from the inflating thread; the window handles it on its own. The window
    // stops that thread before it goes, so `this` outlives every notice sent.
    progressPosted_ = std::make_shared<std::atomic<bool>>(false);
    document_.Arrival->SetListener([this, posted = progressPosted_] {
        if (posted->exchange(true)) return;
        QMetaObject::invokeMethod(
            this, [this] { BodyProgress(); }, Qt::QueuedConnection);
    });
    BodyProgress();
}

void TViewForm::BodyProgress() {
    if (progressPosted_) progressPosted_->store(false);
    BodyArrival* arrival = document_.Arrival.get();
    if (!arrival) return;
    const BodyArrival::State state = arrival->CurrentState();
    if (state == BodyArrival::State::Arriving) {
        const std::int64_t expected = std::max<std::int64_t>(1, arrival->Expected());
        progress_->setValue(static_cast<int>(arrival->Arrived() * 1000 / expected));
        progress_->show();
    } else {
        progress_->hide();
    }
    if (state == BodyArrival::State::Cancelled) {
        // The window is closing: a page still waited for is simply dropped.
        pendingPage_ = 0;
        client_->unsetCursor();
        return;
    }
    if (state == BodyArrival::State::Failed) ReportBodyDamage();
    if (pendingPage_ != 0 && (state != BodyArrival::State::Arriving || IsPageWhole(pendingPage_))) {
        const int page = pendingPage_;
        pendingPage_ = 0;
        client_->unsetCursor();
        if (page == document_.CurrentPage) GoToPage(page);
    }
}

void TViewForm::ReportBodyDamage() {
    if (damageReported_) return;
    damageReported_ = true;  // before the box: its event loop may bring another notice
    ShowInfo(QStringLiteral(
                 "ブラウザファイルが途中で壊れています。壊れた箇所より後のページは表示できませ"
                 "ん。 > ") +
             QFileInfo(document_.AlbumPath).fileName());
}

}  // namespace tavlex
