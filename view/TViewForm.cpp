#include "view/TViewForm.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <vector>

#include "album/AlbumError.h"
#include "album/AlbumLoader.h"
#include "album/PageArrival.h"
#include "album/UserMessage.h"
#include "app/ViewerSettings.h"
#include "controls/ProgramCursors.h"
#include "controls/TCngLstBox.h"
#include "controls/TFocusControl.h"
#include "controls/TLabel_Speed.h"
#include "controls/TNoPaintPanel_Speed.h"
#include "controls/TPanelExt.h"
#include "support/Messages.h"
#include "view/ContentsPanel.h"
#include "view/PageNumberDialog.h"
#include "view/PagePaintBox.h"
#include "view/PageScrollBox.h"
#include "view/PaperPanel.h"
#include "view/ViewHost.h"
#include "view/ZoomLayout.h"

namespace tavlex {
namespace {

const QColor kPageAreaColor(0xD3, 0xDF, 0xE0);  // $E0DFD3
const QColor kFocusedAreaColor(0x80, 0x80, 0x80);
constexpr int kKeyStep = 30;
// Scrolling up "to the end": the scroll bar clamps it to the bottom of the previous page.
constexpr int kFarDown = 99999;

// The frame's toolbar is shared: the connections of the window that is active now.
std::vector<QMetaObject::Connection>& RelayConnections() {
    static std::vector<QMetaObject::Connection> connections;
    return connections;
}

// One drag at a time across all windows; 0 means no reference recorded.
struct DragState {
    bool dragging = false;
    int lastX = 0;
    int lastY = 0;
    bool cursorSet = false;
};
DragState& Drag() {
    static DragState state;
    return state;
}

// The platform's zoom keys may already be Ctrl+plus and Ctrl+minus; one key twice is ambiguous.
QList<QKeySequence> Distinct(const QList<QKeySequence>& keys) {
    QList<QKeySequence> result;
    for (const QKeySequence& key : keys) {
        if (!key.isEmpty() && !result.contains(key)) result << key;
    }
    return result;
}

bool Enabled(const QWidget* control) {
    return control && control->isEnabled();
}
void Enable(QWidget* control, bool on) {
    if (control) control->setEnabled(on);
}

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
    // members; a drag under way ends with the window.
    if (Drag().cursorSet && Drag().dragging) {
        QApplication::restoreOverrideCursor();
        Drag() = DragState{};
    }
}

void TViewForm::BuildControls() {
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("ViewFormClient"));
    client_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(client_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PopupMenu_PaperPopup(QGuiApplication::queryKeyboardModifiers());
        popup_->popup(client_->mapToGlobal(pos));
    });

    splitter_ = new QSplitter(Qt::Horizontal, client_);
    splitter_->setObjectName(QStringLiteral("Splitter"));
    splitter_->setHandleWidth(2);
    splitter_->setChildrenCollapsible(false);
    splitter_->setOpaqueResize(true);

    contents_ = new ContentsPanel(splitter_);
    contents_->SetDocument(&document_);
    panel1_ = new TNoPaintPanel_Speed(splitter_);
    panel1_->setObjectName(QStringLiteral("Panel1"));
    panel1_->SetBevelOuter(BevelCut::None);
    splitter_->addWidget(contents_);
    splitter_->addWidget(panel1_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({ContentsPanel::kDefaultWidth, 10000});

    scrollBox_ = new PageScrollBox(panel1_);
    paper_ = new PaperPanel();
    paintBox_ = new PagePaintBox();
    paper_->SetPaintBox(paintBox_);
    scrollBox_->SetSheet(paper_);
    paper_->hide();
    paintBox_->SetSource([this] {
        PageView view;
        view.metafile = PageMetafile();
        view.generation = pageGeneration_;
        view.zoomPercent = zoomPercent_;
        view.edgeOffsets = QMargins(document_.EdgeOffsetLeft, document_.EdgeOffsetTop,
                                    document_.EdgeOffsetRight, document_.EdgeOffsetBottom);
        return view;
    });

    bottom_ = new TNoPaintPanel_Speed(panel1_);
    bottom_->setObjectName(QStringLiteral("PL_Bottom"));
    bottom_->SetBevelOuter(BevelCut::None);
    bottom_->setFixedHeight(20);
    auto* bottomLayout = new QHBoxLayout(bottom_);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->setSpacing(0);
    const QColor silver(0xC0, 0xC0, 0xC0);
    for (int i = 0; i < 3; ++i) {
        auto* field = new TPanelExt(bottom_);
        field->setObjectName(QStringLiteral("PL_Bottom%1").arg(i));
        field->SetBevelOuter(BevelCut::Lowered);
        if (i < 2) {
            field->setFixedWidth(60);
            field->SetColor(silver);
        } else {
            field->SetAlignment(Qt::AlignLeft);
        }
        bottomPanels_[static_cast<std::size_t>(i)] = field;
        bottomLayout->addWidget(field, i == 2 ? 1 : 0);
        if (i < 2) {
            auto* gap = new TPanelExt(bottom_);
            gap->setObjectName(QStringLiteral("PanelExt%1").arg(i + 2));
            gap->SetBevelOuter(BevelCut::None);
            gap->setFixedWidth(2);
            bottomLayout->addWidget(gap);
        }
    }

    // How much of the body has arrived, while it arrives.
    progress_ = new QProgressBar(bottom_);
    progress_->setObjectName(QStringLiteral("PB_Body"));
    progress_->setRange(0, 1000);
    progress_->setTextVisible(false);
    progress_->setFixedWidth(160);
    progress_->hide();
    bottomLayout->addWidget(progress_);

    auto* panelLayout = new QVBoxLayout(panel1_);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    panelLayout->addWidget(scrollBox_, 1);
    panelLayout->addWidget(bottom_);

    focusControl_ = new TFocusControl(client_);
    focusControl_->setObjectName(QStringLiteral("FocusControl"));
    focusControl_->setFixedWidth(0);
    focusLabel_ = new TLabel_Speed(QStringLiteral("(&P)"), client_);
    focusLabel_->setObjectName(QStringLiteral("FocusLabel"));
    focusLabel_->setFixedWidth(0);
    focusLabel_->setBuddy(focusControl_);

    auto* layout = new QHBoxLayout(client_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(focusLabel_);
    layout->addWidget(splitter_, 1);
    layout->addWidget(focusControl_);
    setWidget(client_);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer"));
    timer_->setInterval(200);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &TViewForm::TimerTimer);

    connect(scrollBox_, &PageScrollBox::resized, this, &TViewForm::ScrollBoxResize);
    connect(scrollBox_, &PageScrollBox::wheelTurned, this, &TViewForm::PageAreaWheel);
    connect(paper_, &PaperPanel::mousePressed, this, &TViewForm::ImageOrgMouseDown);
    connect(paper_, &PaperPanel::mouseMoved, this, &TViewForm::ImageOrgMouseMove);
    connect(paper_, &PaperPanel::mouseReleased, this, &TViewForm::ImageOrgMouseUp);
    connect(focusControl_, &TFocusControl::entered, this, &TViewForm::FocusControlEnter);
    connect(focusControl_, &TFocusControl::exited, this, &TViewForm::FocusControlExit);
    connect(focusControl_, &TFocusControl::keyDown, this, &TViewForm::FocusControlKeyDown);
    connect(JumpTree(), &TCngLstBox::indexChange, this, &TViewForm::JumpTreeIndexChange);
    JumpTree()->installEventFilter(this);
}

QAction* TViewForm::AddItem(QMenu* menu, const QString& name, const QString& caption,
                            std::function<void()> handler) {
    auto* action = menu->addAction(caption);
    action->setObjectName(name);
    if (handler) connect(action, &QAction::triggered, this, std::move(handler));
    return action;
}

void TViewForm::BuildMenus() {
    file1_ = new QMenu(QStringLiteral("ファイル(&F)"), this);
    file1_->menuAction()->setObjectName(QStringLiteral("File1"));
    AddItem(file1_, QStringLiteral("Mn_Open"), QStringLiteral("開く(&O)..."), [this] {
        host_.OpenCommand();
    })->setShortcut(QKeySequence::Open);
    auto* close1 = AddItem(file1_, QStringLiteral("Close1"), QStringLiteral("閉じる(&C)"),
                           [this] { close(); });
    close1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    // The child window's own system menu would claim the same key; the File menu shows it.
    if (QMenu* system = systemMenu()) {
        for (QAction* action : system->actions()) {
            if (action->shortcuts().contains(close1->shortcut())) action->setShortcuts({});
        }
    }
    file1_->addSeparator();
    QMenu* n10 = file1_->addMenu(QStringLiteral("現在の環境(&D)"));
    n10->menuAction()->setObjectName(QStringLiteral("N10"));
    AddItem(n10, QStringLiteral("D1"), QStringLiteral("記録(&D)..."), [this] { emit D1Clicked(); });
    AddItem(n10, QStringLiteral("R1"), QStringLiteral("初期値に戻す(&R)"),
            [this] { emit R1Clicked(); });
    AddItem(file1_, QStringLiteral("N4"), QStringLiteral("書類情報(&I)..."),
            [this] { emit N4Clicked(); });
    file1_->addSeparator();
    AddItem(file1_, QStringLiteral("Mn_Print"), QStringLiteral("印刷(&P)..."),
            [this] { emit PrnBtnClicked(); });
    AddItem(file1_, QStringLiteral("S1"), QStringLiteral("印刷設定(&S)..."),
            [this] { emit S1Clicked(); });
    AddItem(file1_, QStringLiteral("Mn_Marjin"), QStringLiteral("マージン調整(&E)..."),
            [this] { emit MarjinBtnClicked(); });
    file1_->addSeparator();
    AddItem(file1_, QStringLiteral("Mn_Exit"), QStringLiteral("終了(&X)"),
            [this] { host_.ExitCommand(); });
    connect(file1_, &QMenu::aboutToShow, this, &TViewForm::File1Click);

    n2_ = new QMenu(QStringLiteral("書類(&D)"), this);
    n2_->menuAction()->setObjectName(QStringLiteral("N2"));
    AddItem(n2_, QStringLiteral("Mn_Jump"), QStringLiteral("頁指定(&J)..."), [this] {
        Mn_JumpClick();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    AddItem(n2_, QStringLiteral("Mn_Start"), QStringLiteral("最初の頁(&S)"),
            [this] { StartBtnClick(); });
    AddItem(n2_, QStringLiteral("Mn_Back"), QStringLiteral("前の頁(&B)"),
            [this] { BackBtnClick(); });
    AddItem(n2_, QStringLiteral("Mn_Next"), QStringLiteral("次の頁(&N)"),
            [this] { NextBtnClick(); });
    AddItem(n2_, QStringLiteral("Mn_EndPage"), QStringLiteral("最後の頁(&E)"),
            [this] { EndBtnClick(); });
    n2_->addSeparator();
    AddItem(n2_, QStringLiteral("Mn_PageScroll"), QStringLiteral("ページを越えてスクロール(&P)"),
            [this] { Mn_PageScrollClick(); })
        ->setCheckable(true);
    connect(n2_, &QMenu::aboutToShow, this, &TViewForm::N2Click);

    show1_ = new QMenu(QStringLiteral("表示(&V)"), this);
    show1_->menuAction()->setObjectName(QStringLiteral("Show1"));
    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("PopupMenu_Paper"));
    for (QMenu* menu : {show1_, popup_}) {
        const bool main = menu == show1_;
        const QString prefix = main ? QStringLiteral("Mn") : QStringLiteral("Po");
        auto* small = AddItem(menu, prefix + QStringLiteral("_Small"), QStringLiteral("縮小(&O)"),
                              [this] { SmallBtnClick(); });
        auto* big = AddItem(menu, prefix + QStringLiteral("_Big"), QStringLiteral("拡大(&I)"),
                            [this] { BigBtnClick(); });
        if (main) {
            small->setShortcuts(Distinct(
                {QKeySequence(QKeySequence::ZoomOut), QKeySequence(Qt::CTRL | Qt::Key_Minus)}));
            big->setShortcuts(
                Distinct({QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL | Qt::Key_Plus),
                          QKeySequence(Qt::CTRL | Qt::Key_Equal)}));
        }
        menu->addSeparator();
        auto& items = main ? mnZoom_ : poZoom_;
        for (int i = 0; i < kZoomItemCount; ++i) {
            auto* item = AddItem(menu, prefix + QString::number(i), ZoomMenuCaption(i),
                                 [this, i] { Mn10Click(i); });
            item->setCheckable(true);
            item->setData(i);  // the Tag
            items[static_cast<std::size_t>(i)] = item;
        }
    }
    show1_->addSeparator();
    AddItem(show1_, QStringLiteral("Mn_Contents"), QStringLiteral("目次(&V)"), [this] {
        Mn_ContentsClick();
    })->setCheckable(true);
    AddItem(show1_, QStringLiteral("Mn_ToolBar"), QStringLiteral("ツールバー(&T)"), [this] {
        host_.ToolBarToggle();
    })->setCheckable(true);
    AddItem(show1_, QStringLiteral("Mn_StatusBar"), QStringLiteral("ステータスバー(&S)"), [this] {
        host_.StatusBarToggle();
    })->setCheckable(true);
    connect(show1_, &QMenu::aboutToShow, this, &TViewForm::Show1Click);

    popup_->addSeparator()->setObjectName(QStringLiteral("Mn_FileLine"));
    output_ = popup_->addMenu(QStringLiteral("出力(&S)"));
    output_->menuAction()->setObjectName(QStringLiteral("Mn_Output"));
    AddItem(output_, QStringLiteral("Mn_File"), QStringLiteral("ファイル(&F)..."),
            [this] { emit Mn_FileClicked(); });
    AddItem(output_, QStringLiteral("Mn_Clip"), QStringLiteral("クリップボード(&C)"),
            [this] { emit Mn_ClipClicked(); });

    // Shortcuts work while the focus is anywhere in this window, whatever menu bar shows.
    for (QMenu* menu : {file1_, n2_, show1_}) {
        for (QAction* action : menu->actions()) {
            if (action->shortcut().isEmpty()) continue;
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            client_->addAction(action);
        }
    }
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
        if (pageMetafile_.arrival()) pageMetafile_ = mf::Metafile::Load(pageBytes_);
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
    } catch (const mf::MetafileError& error) {
        failure = UserMessage(error, QFileInfo(document_.AlbumPath).fileName());
    } catch (const AlbumError& error) {
        failure = UserMessage(error, QFileInfo(document_.AlbumPath).fileName());
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
    Enable(frame.StartBtn, n > 1 && p != 1);
    Enable(frame.BackBtn, n > 1 && p != 1);
    Enable(frame.NextBtn, n > 1 && p != n);
    Enable(frame.EndBtn, n > 1 && p != n);
    Enable(frame.JumpBtn, n > 1);
    UpdateZoomButtons();
    Enable(frame.PL_Ritu, n > 0);
    Enable(frame.MarjinBtn, n > 0);
    Enable(frame.PrnBtn, n > 0);
    Enable(frame.PageScrollBtn, true);
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

bool TViewForm::Active() const {
    const QMdiArea* area = mdiArea();
    return !area || area->activeSubWindow() == this;
}

void TViewForm::UpdateZoomButtons() {
    const FrameControls& frame = host_.Controls();
    Enable(frame.BigBtn, CanEnlarge(document_.PageCount, zoomPercent_));
    Enable(frame.SmallBtn, CanReduce(document_.PageCount, zoomPercent_));
    UpdateMenuState();
}

void TViewForm::ScrollBoxResize() {
    if (document_.PaperWidth == 0 || document_.PaperHeight == 0) return;
    const QComboBox* list = host_.Controls().CB_Ritu;
    const int index = list ? list->currentIndex() : zoomIndex_;
    const QSize paper = DisplayedPaper(document_.PaperWidth, document_.PaperHeight,
                                       IsPageTurned(document_, document_.CurrentPage));
    if (paper.width() <= 0 || paper.height() <= 0) return;
    const SheetLayout layout =
        LayoutSheet(index, paper, scrollBox_->AreaSize(), scrollBox_->VerticalBarWidth(),
                    scrollBox_->HorizontalBarHeight());
    zoomPercent_ = layout.percent;
    scrollBox_->ApplyLayout(layout);
    paintBox_->update();
    UpdateZoomButtons();
}

void TViewForm::NextBtnClick() {
    if (document_.CurrentPage < document_.PageCount) GoToPage(document_.CurrentPage + 1);
}

void TViewForm::BackBtnClick() {
    if (document_.CurrentPage >= 2) GoToPage(document_.CurrentPage - 1);
}

void TViewForm::StartBtnClick() {
    if (document_.PageCount > 0) GoToPage(1);
}

void TViewForm::EndBtnClick() {
    if (document_.PageCount > 0) GoToPage(document_.PageCount);
}

void TViewForm::Mn_JumpClick() {
    if (document_.PageCount <= 0 || !pagePrompt_) return;
    const std::int64_t offset = document_.PageOffset;
    const QString prompt = QStringLiteral("ﾍﾟｰｼﾞ指定 (%1～%2)")
                               .arg(offset + 1)
                               .arg(std::int64_t{document_.PageCount} + offset);
    const QString preset = QString::number(std::int64_t{document_.CurrentPage} + offset);
    const std::optional<QString> answer = pagePrompt_(QStringLiteral("ﾍﾟｰｼﾞ指定"), prompt, preset);
    if (!answer) return;
    GoToPage(PageFromJumpText(*answer, document_.PageOffset, document_.PageCount));
}

void TViewForm::Mn_PageScrollClick() {
    ViewerSettings& settings = host_.Settings();
    settings.PageScroll = !settings.PageScroll;
    if (QAbstractButton* button = host_.Controls().PageScrollBtn) {
        button->setChecked(settings.PageScroll);
    }
    UpdateMenuState();
}

void TViewForm::Mn_ContentsClick() {
    contents_->setVisible(contents_->isHidden());
    SyncContentsButton();
}

void TViewForm::SyncContentsButton() {
    const bool visible = !contents_->isHidden();
    if (QAbstractButton* button = host_.Controls().SB_JumpTree) button->setChecked(visible);
    // The splitter's handle follows the panel; it comes back to the right of it.
    if (visible && splitter_->sizes().value(0) <= 0) {
        splitter_->setSizes({ContentsPanel::kDefaultWidth, 10000});
    }
    UpdateMenuState();
}

void TViewForm::CB_RituChange(QObject* sender) {
    QComboBox* list = host_.Controls().CB_Ritu;
    if (list) zoomIndex_ = list->currentIndex();
    if (sender && sender == list) {
        if (focusWidget() == focusControl_) focusControl_->clearFocus();
        list->setCurrentIndex(zoomIndex_);
    }
    ScrollBoxResize();
}

void TViewForm::Mn10Click(int tag) {
    if (QComboBox* list = host_.Controls().CB_Ritu) list->setCurrentIndex(tag);
    CB_RituChange(nullptr);
}

void TViewForm::BigBtnClick() {
    if (!Enabled(host_.Controls().BigBtn)) return;
    const int index = EnlargeIndex(zoomPercent_);
    if (index < 0) return;
    Mn10Click(index);
    UpdateZoomButtons();
}

void TViewForm::SmallBtnClick() {
    if (!Enabled(host_.Controls().SmallBtn)) return;
    const int index = ReduceIndex(zoomPercent_);
    if (index < 0) return;
    Mn10Click(index);
    UpdateZoomButtons();
}

void TViewForm::Relay() {
    auto& connections = RelayConnections();
    for (const auto& connection : connections) QObject::disconnect(connection);
    connections.clear();
    const FrameControls& frame = host_.Controls();
    auto bind = [&](QAbstractButton* button, auto handler) {
        if (button) {
            connections.push_back(connect(button, &QAbstractButton::clicked, this, handler));
        }
    };
    bind(frame.MarjinBtn, [this] { emit MarjinBtnClicked(); });
    bind(frame.PrnBtn, [this] { emit PrnBtnClicked(); });
    bind(frame.SB_JumpTree, [this] { Mn_ContentsClick(); });
    bind(frame.JumpBtn, [this] { Mn_JumpClick(); });
    bind(frame.StartBtn, [this] { StartBtnClick(); });
    bind(frame.BackBtn, [this] { BackBtnClick(); });
    bind(frame.NextBtn, [this] { NextBtnClick(); });
    bind(frame.EndBtn, [this] { EndBtnClick(); });
    bind(frame.SmallBtn, [this] { SmallBtnClick(); });
    bind(frame.BigBtn, [this] { BigBtnClick(); });
    bind(frame.PageScrollBtn, [this] { Mn_PageScrollClick(); });
    if (QComboBox* list = frame.CB_Ritu) {
        connections.push_back(
            connect(list, &QComboBox::activated, this, [this, list](int) { CB_RituChange(list); }));
    }
}

void TViewForm::FormActivate() {
    Relay();
    const FrameControls& frame = host_.Controls();
    if (frame.SB_JumpTree) {
        frame.SB_JumpTree->setEnabled(true);
        frame.SB_JumpTree->setChecked(!contents_->isHidden());
    }
    if (frame.PageScrollBtn) frame.PageScrollBtn->setChecked(host_.Settings().PageScroll);
    if (frame.CB_Ritu) frame.CB_Ritu->setCurrentIndex(zoomIndex_);
    RefreshWindowState();
    host_.FixMaximizedChild(this);
}

void TViewForm::ToggleStatusBar() {
    bottom_->setVisible(bottom_->isHidden());
}

void TViewForm::closeEvent(QCloseEvent* event) {
    const FrameControls& frame = host_.Controls();
    for (QWidget* control :
         {static_cast<QWidget*>(frame.MarjinBtn), static_cast<QWidget*>(frame.PrnBtn),
          static_cast<QWidget*>(frame.SB_JumpTree), static_cast<QWidget*>(frame.JumpBtn),
          static_cast<QWidget*>(frame.PageScrollBtn), static_cast<QWidget*>(frame.StartBtn),
          static_cast<QWidget*>(frame.BackBtn), static_cast<QWidget*>(frame.NextBtn),
          static_cast<QWidget*>(frame.EndBtn), static_cast<QWidget*>(frame.SmallBtn),
          static_cast<QWidget*>(frame.BigBtn), frame.PL_Ritu}) {
        Enable(control, false);
    }
    auto& connections = RelayConnections();
    for (const auto& connection : connections) QObject::disconnect(connection);
    connections.clear();
    // An open still under way stops at once, not only when the window is deleted.
    if (document_.Arrival) document_.Arrival->Cancel();
    QMdiSubWindow::closeEvent(event);
}

void TViewForm::keyPressEvent(QKeyEvent* event) {
    // FormKeyPress: Enter on the window itself does nothing (and does not beep).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QMdiSubWindow::keyPressEvent(event);
}

bool TViewForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == JumpTree() && event->type() == QEvent::KeyPress) {
        return JumpTreeKeyDown(static_cast<QKeyEvent*>(event));
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

bool TViewForm::JumpTreeKeyDown(QKeyEvent* event) {
    const FrameControls& frame = host_.Controls();
    if (event->key() == Qt::Key_Left && Enabled(frame.BackBtn)) {
        BackBtnClick();
        return true;
    }
    if (event->key() == Qt::Key_Right && Enabled(frame.NextBtn)) {
        NextBtnClick();
        return true;
    }
    return false;
}

void TViewForm::JumpTreeIndexChange() {
    if (document_.SyncingContents) return;
    timer_->start();
    RefreshWindowState();
}

void TViewForm::TimerTimer() {
    timer_->stop();
    const int index = JumpTree()->ItemIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= document_.ContentsEntries.size()) return;
    const int page = document_.ContentsEntries[static_cast<std::size_t>(index)].Page;
    if (page == document_.CurrentPage) return;
    // An entry pointing outside the album changes nothing.
    if (page < 1 || page > document_.PageCount) return;
    GoToPage(page);
}

void TViewForm::FocusControlEnter() {
    paper_->SetColor(Qt::black);
    scrollBox_->SetBackground(kFocusedAreaColor);
}

void TViewForm::FocusControlExit() {
    paper_->SetColor(Qt::white);
    scrollBox_->SetBackground(contents_->ListColor());
}

void TViewForm::ScrollPageVertically(int delta, bool down) {
    const FrameControls& frame = host_.Controls();
    const int before = scrollBox_->VerticalPosition();
    scrollBox_->SetVerticalPosition(before + delta);
    if (scrollBox_->VerticalPosition() != before || !host_.Settings().PageScroll) return;
    if (down && Enabled(frame.NextBtn)) {
        NextBtnClick();
        scrollBox_->SetVerticalPosition(0);
    } else if (!down && Enabled(frame.BackBtn)) {
        BackBtnClick();
        scrollBox_->SetVerticalPosition(kFarDown);
    }
}

void TViewForm::FocusControlKeyDown(QKeyEvent* event) {
    const FrameControls& frame = host_.Controls();
    switch (event->key()) {
        case Qt::Key_PageUp:
            if (!Enabled(frame.BackBtn)) return;
            BackBtnClick();
            break;
        case Qt::Key_PageDown:
            if (!Enabled(frame.NextBtn)) return;
            NextBtnClick();
            break;
        case Qt::Key_Left:
            scrollBox_->SetHorizontalPosition(scrollBox_->HorizontalPosition() - kKeyStep);
            break;
        case Qt::Key_Right:
            scrollBox_->SetHorizontalPosition(scrollBox_->HorizontalPosition() + kKeyStep);
            break;
        case Qt::Key_Up:
            ScrollPageVertically(-kKeyStep, false);
            break;
        case Qt::Key_Down:
            ScrollPageVertically(kKeyStep, true);
            break;
        default:
            return;
    }
    event->accept();
}

void TViewForm::PageAreaWheel(QWheelEvent* event) {
    // One notch is 120; smooth wheels send parts of it, which add up.
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / 120;
    wheelRemainder_ -= notches * 120;
    const int lines = QApplication::wheelScrollLines();
    for (int i = 0; i < std::abs(notches); ++i) {
        if (lines <= 0) break;
        const bool down = notches < 0;
        const int step = lines * PageScrollBox::kVerticalLine;
        ScrollPageVertically(down ? step : -step, down);
    }
    event->accept();
}

void TViewForm::ImageOrgMouseDown(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    focusControl_->setFocus(Qt::MouseFocusReason);
    DragState& drag = Drag();
    if (!drag.cursorSet) {
        QApplication::setOverrideCursor(ProgramCursor(MoveCursor));
        drag.cursorSet = true;
    }
    drag.dragging = true;
    drag.lastX = 0;
    drag.lastY = 0;
}

void TViewForm::ImageOrgMouseMove(QMouseEvent* event) {
    DragState& drag = Drag();
    if (!(event->buttons() & Qt::LeftButton) || !drag.dragging) return;
    const QPoint at = event->position().toPoint();
    bool moved = false;
    if (at.x() != drag.lastX) {
        if (drag.lastX == 0) {
            drag.lastX = at.x();
        } else {
            scrollBox_->SetHorizontalPosition(scrollBox_->HorizontalPosition() + drag.lastX -
                                              at.x());
            drag.lastX = 0;
            moved = true;
        }
    }
    if (at.y() != drag.lastY) {
        if (drag.lastY == 0) {
            drag.lastY = at.y();
        } else {
            scrollBox_->SetVerticalPosition(scrollBox_->VerticalPosition() + drag.lastY - at.y());
            drag.lastY = 0;
            moved = true;
        }
    }
    // Painted now, not at the next idle moment; the sheet's pixels were moved along with it,
    // so only the uncovered strip is drawn (from the kept rendering).
    if (moved) QApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

void TViewForm::ImageOrgMouseUp(QMouseEvent*) {
    DragState& drag = Drag();
    drag.dragging = false;
    drag.lastX = 0;
    drag.lastY = 0;
    if (drag.cursorSet) {
        QApplication::restoreOverrideCursor();
        drag.cursorSet = false;
    }
}

void TViewForm::UpdateMenuState() {
    if (!file1_) return;
    File1Click();
    N2Click();
    Show1Click();
}

void TViewForm::File1Click() {
    const FrameControls& frame = host_.Controls();
    MenuItem(QStringLiteral("Mn_Print"))->setEnabled(Enabled(frame.PrnBtn));
    MenuItem(QStringLiteral("Mn_Marjin"))->setEnabled(Enabled(frame.MarjinBtn));
}

void TViewForm::N2Click() {
    const FrameControls& frame = host_.Controls();
    MenuItem(QStringLiteral("Mn_Jump"))->setEnabled(Enabled(frame.JumpBtn));
    MenuItem(QStringLiteral("Mn_Start"))->setEnabled(Enabled(frame.StartBtn));
    MenuItem(QStringLiteral("Mn_Back"))->setEnabled(Enabled(frame.BackBtn));
    MenuItem(QStringLiteral("Mn_Next"))->setEnabled(Enabled(frame.NextBtn));
    MenuItem(QStringLiteral("Mn_EndPage"))->setEnabled(Enabled(frame.EndBtn));
    QAction* pageScroll = MenuItem(QStringLiteral("Mn_PageScroll"));
    pageScroll->setEnabled(Enabled(frame.PageScrollBtn));
    pageScroll->setChecked(host_.Settings().PageScroll);
}

void TViewForm::Show1Click() {
    const FrameControls& frame = host_.Controls();
    const bool zoomable = Enabled(frame.PL_Ritu);
    const int index = frame.CB_Ritu ? frame.CB_Ritu->currentIndex() : zoomIndex_;
    for (const auto* items : {&mnZoom_, &poZoom_}) {
        for (int i = 0; i < kZoomItemCount; ++i) {
            QAction* item = (*items)[static_cast<std::size_t>(i)];
            item->setEnabled(zoomable);
            item->setChecked(i == index);
        }
    }
    for (const QString& prefix : {QStringLiteral("Mn"), QStringLiteral("Po")}) {
        MenuItem(prefix + QStringLiteral("_Small"))->setEnabled(Enabled(frame.SmallBtn));
        MenuItem(prefix + QStringLiteral("_Big"))->setEnabled(Enabled(frame.BigBtn));
    }
    MenuItem(QStringLiteral("Mn_Contents"))
        ->setChecked(frame.SB_JumpTree ? frame.SB_JumpTree->isChecked() : !contents_->isHidden());
    MenuItem(QStringLiteral("Mn_ToolBar"))
        ->setChecked(frame.PL_Top ? !frame.PL_Top->isHidden() : false);
    MenuItem(QStringLiteral("Mn_StatusBar"))->setChecked(!bottom_->isHidden());
}

void TViewForm::PopupMenu_PaperPopup(Qt::KeyboardModifiers modifiers) {
    Show1Click();
    const bool output = (modifiers & Qt::ControlModifier) && (modifiers & Qt::ShiftModifier);
    output_->menuAction()->setVisible(output);
    MenuItem(QStringLiteral("Mn_FileLine"))->setVisible(output);
}

QList<QMenu*> TViewForm::DocumentMenus() const {
    return {file1_, n2_, show1_};
}

QAction* TViewForm::MenuItem(const QString& name) const {
    for (QMenu* menu : findChildren<QMenu*>()) {
        if (menu->menuAction()->objectName() == name) return menu->menuAction();
        for (QAction* action : menu->actions()) {
            if (action->objectName() == name) return action;
        }
    }
    return nullptr;
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
