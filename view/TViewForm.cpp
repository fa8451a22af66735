#include "view/TViewForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QScreen>
#include <QSplitter>

#include <cstdint>

#include "album/AlbumError.h"
#include "album/AlbumLoader.h"
#include "album/PageArrival.h"
#include "controls/TCngLstBox.h"
#include "controls/TFocusControl.h"
#include "controls/TNoPaintPanel_Speed.h"
#include "controls/TPanelExt.h"
#include "support/Messages.h"
#include "view/ContentsPanel.h"
#include "view/FailureReport.h"
#include "view/PageNumberDialog.h"
#include "view/PagePaintBox.h"
#include "view/PageScrollBox.h"
#include "view/PaperPanel.h"
#include "view/ToolbarRelay.h"
#include "view/ViewHost.h"
#include "view/ViewerSettings.h"
#include "view/ZoomLayout.h"

namespace tavlex {
namespace {

const QColor kPageAreaColor(0xD3, 0xDF, 0xE0);  // $E0DFD3

}  // namespace

TViewForm::TViewForm(ViewHost& host, QMdiArea* area) : host_(host) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("ViewForm"));
    BuildControls();
    BuildMenus();
    pagePrompt_ = [this](const QString& caption, const QString& prompt, const QString& preset) {
        return PageNumberDialog::Ask(this, caption, prompt, preset);
    };
    if (area) {
        area->addSubWindow(this);
        // Every activation, also the one that maximising a hidden child makes at once.
        connect(area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
            if (window == this) FormActivate();
        });
    } else {
        connect(this, &QMdiSubWindow::windowStateChanged, this,
                [this](Qt::WindowStates before, Qt::WindowStates now) {
                    if (!(before & Qt::WindowActive) && (now & Qt::WindowActive)) FormActivate();
                });
    }
    FormCreate();
}

TViewForm::~TViewForm() {
    // A body still arriving stops first: its thread must not report to a window that goes.
    document_.Arrival.reset();
    // FormDestroy: the body file and the page picture go with the document and the metafile
    // members; a drag under way ends with the window, and so does its hold on the toolbar (a window
    // the frame refused is deleted without being closed).
    EndDrag();
    ReleaseToolbar();
    // The base classes still make children emit as they take them down (the subwindow clears
    // the focus, and the focus control reports leaving): no member of this class may answer.
    for (QObject* child : findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
    if (QMdiArea* area = mdiArea()) QObject::disconnect(area, nullptr, this, nullptr);
}

void TViewForm::FormCreate() {
    setWindowTitle(QStringLiteral("無題"));
    resize(793, 533);
    ApplyScreenColours();
    ViewerSettings& settings = host_.Settings();
    contents_->setVisible(settings.TreePanel);
    bottom_->setVisible(settings.StatusBar);
    if (settings.TreeWidth > 20) splitter_->setSizes({settings.TreeWidth, 10000});
    SyncContentsButton();
    if (settings.FormMaximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else if (settings.FormWidth > 20 && settings.FormHeight > 20) {
        resize(settings.FormWidth, settings.FormHeight);
    }
    document_.HasPageOrientation = true;
    document_.UsesLongSettings = true;
}

void TViewForm::ApplyScreenColours() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen && screen->depth() <= 8) {
        const QPalette system = QApplication::palette();
        contents_->SetListColors(system.color(QPalette::Button),
                                 system.color(QPalette::ButtonText));
        scrollBox_->SetBackground(system.color(QPalette::Button));
    } else {
        scrollBox_->SetBackground(kPageAreaColor);
    }
}

void TViewForm::showEvent(QShowEvent* event) {
    QMdiSubWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    contents_->SetUpFontMetrics();
    ScrollBoxResize();
}

void TViewForm::AdoptDocument(Document document) {
    const bool orientation = document.HasPageOrientation;
    document_ = std::move(document);
    document_.HasPageOrientation = orientation;
    pageMetafile_ = mf::Metafile();
    paintBox_->DropRendering();
    paintBox_->ForgetSlowPages();
    pendingPage_ = 0;
    damageReported_ = false;
    contents_->Fill();
    WatchBody();
}

void TViewForm::SetZoomIndex(int index) {
    zoomIndex_ = index;
    if (QComboBox* list = host_.Controls().CB_Ritu) list->setCurrentIndex(index);
}

void TViewForm::LoadCurrentPage() {
    if (document_.PageCount <= 0) return;
    struct SyncReset {
        Document& document;
        ~SyncReset() { document.SyncingContents = false; }
    } reset{document_};
    if (BodyArriving() && !IsPageWhole(document_.CurrentPage)) {
        // Shown when its bytes are there (BodyProgress); blank, not the previous page under the
        // new number, until then.
        const PageEntry& entry = CheckedPageEntry(document_, document_.CurrentPage);
        pendingPage_ = document_.CurrentPage;
        pageMetafile_ = mf::Metafile();
        ++pageGeneration_;
        paintBox_->DropRendering();
        paintBox_->update();
        client_->setCursor(Qt::BusyCursor);
        document_.Arrival->NoticeAt(std::int64_t{entry.Offset} + entry.Size);
        SyncContentsSelection();
        return;
    }
    if (pendingPage_ != 0) {
        pendingPage_ = 0;
        client_->unsetCursor();
    }
    try {
        // The previous page lets go of its bytes first, so that their storage takes the new
        // page's bytes in place. They are read on a thread of their own while the page plays
        // from what has arrived.
        pageMetafile_ = mf::Metafile();
        const std::shared_ptr<PageArrival> arrival =
            PageArrival::Start(document_, document_.CurrentPage, pageBytes_);
        try {
            pageMetafile_ = mf::Metafile::Load(
                pageBytes_, [arrival](std::uint64_t end) { return arrival->WaitFor(end); });
        } catch (const mf::MetafileError&) {
            arrival->Finish();  // a failed read explains missing bytes better
            throw;
        }
        ++pageGeneration_;
        paintBox_->repaint();
        arrival->Finish();
        // Whole now: nothing that keeps or plays the page again needs to wait. A placeable WMF
        // was converted whole and never waits, so it is not converted a second time.
        if (pageMetafile_.PendingArrival()) pageMetafile_ = mf::Metafile::Load(pageBytes_);
    } catch (...) {
        // The sheet shows nothing rather than the previous page under the new number.
        pageMetafile_ = mf::Metafile();
        ++pageGeneration_;
        paintBox_->DropRendering();
        paintBox_->update();
        throw;
    }
    SyncContentsSelection();
}

void TViewForm::GoToPage(int page) {
    document_.CurrentPage = page;
    QString failure;
    try {
        LoadCurrentPage();
    } catch (const std::exception& error) {
        failure = DescribeFailure(error, document_.AlbumPath);
    }
    if (!failure.isEmpty()) SyncContentsSelection();
    if (document_.HasPageOrientation) ScrollBoxResize();
    RefreshWindowState();
    if (!failure.isEmpty()) ShowInfo(failure);
}

void TViewForm::SyncContentsSelection() {
    document_.SyncingContents = true;
    TCngLstBox* list = JumpTree();
    const int line =
        ContentsLineForPage(document_.ContentsEntries, list->count(), document_.CurrentPage);
    if (line >= 0 && list->ItemIndex() != line) list->SetItemIndex(line);
    document_.SyncingContents = false;
}

void TViewForm::RefreshWindowState() {
    const FrameControls& frame = host_.Controls();
    const int n = document_.PageCount;
    const int p = document_.CurrentPage;
    EnableControl(frame.StartBtn, n > 1 && p != 1);
    EnableControl(frame.BackBtn, n > 1 && p != 1);
    EnableControl(frame.NextBtn, n > 1 && p != n);
    EnableControl(frame.EndBtn, n > 1 && p != n);
    EnableControl(frame.JumpBtn, n > 1);
    UpdateZoomButtons();
    EnableControl(frame.PL_Ritu, n > 0);
    EnableControl(frame.MarjinBtn, n > 0);
    EnableControl(frame.PrnBtn, n > 0);
    EnableControl(frame.PageScrollBtn, true);
    paper_->setVisible(n > 0);
    const QString caption = document_.AlbumPath.isEmpty()
                                ? QStringLiteral("無題")
                                : QFileInfo(document_.AlbumPath).completeBaseName();
    setWindowTitle(caption);
    TCngLstBox* list = JumpTree();
    const int selected = list->ItemIndex();
    bottomPanels_[0]->SetCaption(QStringLiteral("%1/%2").arg(selected + 1).arg(list->count()));
    bottomPanels_[1]->SetCaption(QStringLiteral("%1/%2")
                                     .arg(std::int64_t{p} + document_.PageOffset)
                                     .arg(std::int64_t{n} + document_.PageOffset));
    bottomPanels_[2]->SetCaption(QStringLiteral(" ") + caption);
    UpdateMenuState();
}

void TViewForm::closeEvent(QCloseEvent* event) {
    // FormClose: the toolbar goes dark until another document window is activated.
    ReleaseToolbar();
    // An open still under way stops at once, not only when the window is deleted.
    if (document_.Arrival) document_.Arrival->Cancel();
    // So does a page being rendered on the worker.
    paintBox_->DropRendering();
    QMdiSubWindow::closeEvent(event);
}

QWidget* TViewForm::PL_Bottom() const {
    return bottom_;
}
QWidget* TViewForm::PL_JumpTree() const {
    return contents_;
}
TCngLstBox* TViewForm::JumpTree() const {
    return contents_->JumpTree();
}

QString TViewForm::StatusText(int panel) const {
    if (panel < 0 || panel > 2) return {};
    return bottomPanels_[static_cast<std::size_t>(panel)]->Caption();
}

}  // namespace tavlex
