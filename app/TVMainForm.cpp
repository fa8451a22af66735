#include "app/TVMainForm.h"
#include "album/UserMessage.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>

#include "album/TemporaryBodies.h"
#include "app/EnvironmentCommands.h"
#include "app/ErrorReport.h"
#include "app/HelpWindow.h"
#include "app/PageOutput.h"
#include "app/ProcessFolders.h"
#include "app/RecentFiles.h"
#include "app/StartFileList.h"
#include "app/TVerForm.h"
#include "app/ToolbarGlyphs.h"
#include "app/ViewerSettings.h"
#include "app/ViewerSettingsFile.h"
#include "controls/TAlignSpeedButton_Speed.h"
#include "controls/TBevel.h"
#include "controls/TEnablePanel.h"
#include "controls/TLabel_Speed.h"
#include "controls/TNoPaintPanel_Speed.h"
#include "controls/TPaintComboBox.h"
#include "print/DocumentPrinting.h"
#include "support/FileError.h"
#include "support/gui/ShellUtilities.h"
#include "support/gui/TControlSize.h"
#include "support/gui/TDropDst.h"
#include "view/LoadDocument.h"
#include "view/TViewForm.h"
#include "view/ZoomLayout.h"

namespace tavlex {

namespace {

TVMainForm* g_mainForm = nullptr;

const QStringList& AlbumExtensions() {
    static const QStringList extensions = {QStringLiteral("YRA"), QStringLiteral("YRB"),
                                           QStringLiteral("YRC"), QStringLiteral("YRD")};
    return extensions;
}

constexpr int kToolbarHeight = 32;
constexpr int kToolbarBorder = 2;
constexpr int kButtonSize = 28;
constexpr int kZoomPanelWidth = 179;

QAction* AddItem(QMenu* menu, const QString& name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

}  // namespace

TVMainForm* MainForm() {
    return g_mainForm;
}

TVMainForm::TVMainForm(QWidget* parent) : QMainWindow(parent) {
    g_mainForm = this;
    setObjectName(QStringLiteral("TVMainForm"));
    setWindowTitle(QStringLiteral("Pelmarkブラウザ"));
    setWindowIcon(ApplicationIcon());
    resize(870, 640);

    central_ = new QWidget(this);
    auto* column = new QVBoxLayout(central_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    bevel_ = new TBevel(TBevel::Shape::TopLine, central_);
    bevel_->setObjectName(QStringLiteral("Bevel"));
    column->addWidget(bevel_);
    BuildToolbar();
    column->addWidget(plTop_);
    mdiArea_ = new QMdiArea(central_);
    mdiArea_->setObjectName(QStringLiteral("MdiArea"));
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setBackground(palette().brush(QPalette::Dark));
    column->addWidget(mdiArea_, 1);
    setCentralWidget(central_);
    // The wheel never scrolls the frame's own client area.
    for (QWidget* part : {static_cast<QWidget*>(mdiArea_), mdiArea_->viewport(),
                          static_cast<QWidget*>(mdiArea_->horizontalScrollBar()),
                          static_cast<QWidget*>(mdiArea_->verticalScrollBar())}) {
        part->installEventFilter(this);
    }

    BuildMenus();
    BuildOpenDialog();
    BuildSaveDialog();
    SetApplicationMainWindow(this);
    InstallHelpKey();
    SetHelpContext(this, kFrameHelpContext);

    // The frame's place is restored when it is shown and kept when it closes.
    controlSize_ = new TControlSize(this);
    controlSize_->setObjectName(QStringLiteral("ControlSize"));
    controlSize_->SetStyle(TControlSizeStyle::cssSize);
    controlSize_->SetSizeOnShow(true);
    controlSize_->SetScreenSenter(true);
    controlSize_->SetControl(this);

    dropDst_ = new TDropDst(this);
    dropDst_->setObjectName(QStringLiteral("DropDst"));
    dropDst_->SetTarget(THookTarget::htForm);
    dropDst_->SetControl(this);
    connect(dropDst_, &TDropDst::OnFileDrop, this,
            [this](TDropDst*, const QStringList& files, int, int) {
                // Opened after the drop has completed, so that the source is not held up.
                QMetaObject::invokeMethod(
                    this, [this, files] { DropDstFileDrop(files); }, Qt::QueuedConnection);
            });

    timerStart_ = new QTimer(this);
    timerStart_->setObjectName(QStringLiteral("Timer_Start"));
    timerStart_->setSingleShot(true);
    timerStart_->setInterval(300);
    connect(timerStart_, &QTimer::timeout, this, &TVMainForm::Timer_StartTimer);

    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) {
        MergeMenus();
        PostFixMenuMessage();
    });
    connect(qApp, &QApplication::focusWindowChanged, this, [this] { PostFixMenuMessage(); });

    ReadViewerSettings(tavlex::Settings());
    SetToolBarVisible(tavlex::Settings().ToolBar);
    MergeMenus();
}

TVMainForm::~TVMainForm() {
    // Document windows go first, newest first, so that no album body is still open afterwards.
    closing_ = true;
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList(QMdiArea::CreationOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        delete *it;
    }
    if (!ResetPending()) {
        tavlex::Settings().ToolBar = !plTop_->isHidden();
        try {
            WriteViewerSettings(tavlex::Settings());
        } catch (const FileError& error) {
            // The settings could not be kept: the bodies stay too, as the report says.
            ReportError(UserMessage(error.Kind(), error.Path()));
            g_mainForm = g_mainForm == this ? nullptr : g_mainForm;
            return;
        }
    }
    DeleteTemporaryBodies(tavlex::TempFolder());
    if (g_mainForm == this) {
        g_mainForm = nullptr;
    }
}

ViewerSettings& TVMainForm::Settings() {
    return tavlex::Settings();
}

QString TVMainForm::TempFolder() const {
    return tavlex::TempFolder();
}

TAlignSpeedButton_Speed* TVMainForm::AddButton(const QString& name, const QString& hint, int tag,
                                               int glyph, bool toggle) {
    auto* button = new TAlignSpeedButton_Speed(plTop_);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->SetTag(tag);
    button->SetToggle(toggle);
    button->setFixedSize(kButtonSize, kButtonSize);
    button->setIconSize(QSize(20, 20));
    button->setIcon(ToolbarIcon(static_cast<ToolbarGlyph>(glyph)));
    plTop_->layout()->addWidget(button);
    return button;
}

void TVMainForm::BuildToolbar() {
    plTop_ = new TNoPaintPanel_Speed(central_);
    plTop_->setObjectName(QStringLiteral("PL_Top"));
    plTop_->SetBevelOuter(BevelCut::None);
    plTop_->SetBorderWidth(kToolbarBorder);
    plTop_->SetCaption(QStringLiteral(" "));
    plTop_->setFixedHeight(kToolbarHeight);
    plTop_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    plTop_->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* row = new QHBoxLayout(plTop_);
    row->setContentsMargins(kToolbarBorder, kToolbarBorder, kToolbarBorder, kToolbarBorder);
    row->setSpacing(0);

    auto separator = [this](const QString& name) {
        auto* line = new TBevel(TBevel::Shape::VerticalLine, plTop_);
        line->setObjectName(name);
        line->setFixedHeight(kButtonSize);
        plTop_->layout()->addWidget(line);
    };
    using G = ToolbarGlyph;
    sbOpen_ = AddButton("SB_Open", "開く", 1, int(G::Open), false);
    marjinBtn_ = AddButton("MarjinBtn", "マージン調整", 0, int(G::Margin), false);
    prnBtn_ = AddButton("PrnBtn", "印刷", 1, int(G::Print), false);
    separator(QStringLiteral("Bevel2"));
    pageScrollBtn_ =
        AddButton("PageScrollBtn", "ページを越えてスクロール", 0, int(G::PageScroll), true);
    separator(QStringLiteral("Bevel3"));
    sbJumpTree_ = AddButton("SB_JumpTree", "目次", 0, int(G::Contents), true);
    jumpBtn_ = AddButton("JumpBtn", "頁指定", 0, int(G::Jump), false);
    startBtn_ = AddButton("StartBtn", "最初の頁", -1, int(G::Start), false);
    backBtn_ = AddButton("BackBtn", "前の頁", -1, int(G::Back), false);
    nextBtn_ = AddButton("NextBtn", "次の頁", 1, int(G::Next), false);
    endBtn_ = AddButton("EndBtn", "最後の頁", 1, int(G::End), false);
    separator(QStringLiteral("Bevel1"));
    smallBtn_ = AddButton("SmallBtn", "縮小", 0, int(G::Small), false);
    bigBtn_ = AddButton("BigBtn", "拡大", 0, int(G::Big), false);

    plRitu_ = new TEnablePanel(plTop_);
    plRitu_->setObjectName(QStringLiteral("PL_Ritu"));
    plRitu_->SetBevelOuter(BevelCut::None);
    plRitu_->setToolTip(QStringLiteral("表示率"));
    plRitu_->setFixedSize(kZoomPanelWidth, kButtonSize);
    auto* zoomRow = new QHBoxLayout(plRitu_);
    zoomRow->setContentsMargins(0, 0, 4, 0);
    zoomRow->setSpacing(0);
    label1_ = new TLabel_Speed(QStringLiteral("  表示率(&R): "), plRitu_);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setTextFormat(Qt::PlainText);
    label1_->setFixedWidth(
        label1_->fontMetrics().horizontalAdvance(QStringLiteral("  表示率(R): ")));
    cbRitu_ = new TPaintComboBox(plRitu_);
    cbRitu_->setObjectName(QStringLiteral("CB_Ritu"));
    cbRitu_->setEditable(false);
    for (int i = 0; i < kZoomItemCount; ++i) {
        cbRitu_->addItem(ZoomItemText(i));
    }
    cbRitu_->setMaxVisibleItems(kZoomItemCount);
    // Nothing chosen until a document puts its own zoom entry in.
    cbRitu_->setCurrentIndex(-1);
    cbRitu_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    label1_->setBuddy(cbRitu_);
    zoomRow->addWidget(label1_);
    zoomRow->addWidget(cbRitu_, 1);
    plTop_->layout()->addWidget(plRitu_);
    static_cast<QHBoxLayout*>(plTop_->layout())->addStretch(1);

    connect(sbOpen_, &QAbstractButton::clicked, this, [this] { SB_OpenClick(); });
    connect(plTop_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenuPopup();
        popupMenu_->popup(plTop_->mapToGlobal(at));
    });

    controls_.SB_Open = sbOpen_;
    controls_.MarjinBtn = marjinBtn_;
    controls_.PrnBtn = prnBtn_;
    controls_.PageScrollBtn = pageScrollBtn_;
    controls_.SB_JumpTree = sbJumpTree_;
    controls_.JumpBtn = jumpBtn_;
    controls_.StartBtn = startBtn_;
    controls_.BackBtn = backBtn_;
    controls_.NextBtn = nextBtn_;
    controls_.EndBtn = endBtn_;
    controls_.SmallBtn = smallBtn_;
    controls_.BigBtn = bigBtn_;
    controls_.PL_Ritu = plRitu_;
    controls_.CB_Ritu = cbRitu_;
    controls_.PL_Top = plTop_;
    DisableDocumentControls();
}

void TVMainForm::BuildMenus() {
    file1_ = new QMenu(QStringLiteral("ファイル(&F)"), this);
    file1_->setObjectName(QStringLiteral("File1"));
    QAction* open = AddItem(file1_, "Mn_Open", "開く(&O)...");
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, [this] { SB_OpenClick(); });
    // Ctrl+O while a document's File menu stands in for ours and offers no key of its own.
    openKey_ = new QAction(this);
    openKey_->setShortcut(QKeySequence::Open);
    openKey_->setEnabled(false);
    connect(openKey_, &QAction::triggered, this, [this] { SB_OpenClick(); });
    addAction(openKey_);
    recent_ = new RecentFiles([this](const QString& path) { OpenAlbum(path); }, this);
    file1_->addMenu(recent_->Menu());
    file1_->addSeparator()->setObjectName(QStringLiteral("N7"));
    connect(AddItem(file1_, "Mn_Exit", "終了(&X)"), &QAction::triggered, this,
            &TVMainForm::Mn_ExitClick);

    show1_ = new QMenu(QStringLiteral("表示(&V)"), this);
    show1_->setObjectName(QStringLiteral("Show1"));
    mnToolBar_ = AddItem(show1_, "Mn_ToolBar", "ツールバー(&T)");
    mnStatusBar_ = AddItem(show1_, "Mn_StatusBar", "ステータスバー(&S)");
    for (QAction* item : {mnToolBar_, mnStatusBar_}) {
        item->setCheckable(true);
    }
    connect(mnToolBar_, &QAction::triggered, this, &TVMainForm::Mn_ToolBarClick);
    connect(mnStatusBar_, &QAction::triggered, this, &TVMainForm::Mn_StatusBarClick);
    connect(show1_, &QMenu::aboutToShow, this, &TVMainForm::Show1Click);

    mnWindow_ = new QMenu(QStringLiteral("ウィンドウ(&W)"), this);
    mnWindow_->setObjectName(QStringLiteral("Mn_Window"));
    connect(AddItem(mnWindow_, "V1", "横に並べて表示(&V)"), &QAction::triggered, this,
            &TVMainForm::V1Click);
    connect(AddItem(mnWindow_, "T1", "縦に並べて表示(&T)"), &QAction::triggered, this,
            &TVMainForm::T1Click);
    connect(AddItem(mnWindow_, "Cascade1", "重ねて表示(&C)"), &QAction::triggered, this,
            &TVMainForm::Cascade1Click);
    connect(AddItem(mnWindow_, "ArrangeIcon1", "アイコンの整列(&A)"), &QAction::triggered, this,
            &TVMainForm::ArrangeIcon1Click);
    connect(mnWindow_, &QMenu::aboutToShow, this, &TVMainForm::FillWindowList);

    help1_ = new QMenu(QStringLiteral("ヘルプ(&H)"), this);
    help1_->setObjectName(QStringLiteral("Help1"));
    searchForHelpOn_ = AddItem(help1_, "SearchforHelpOn", "トピックの検索(&K)");
    connect(searchForHelpOn_, &QAction::triggered, this, &TVMainForm::SearchforHelpOnClick);
    help1_->addSeparator()->setObjectName(QStringLiteral("N2"));
    QMenu* home = help1_->addMenu(QStringLiteral("ホームページ(&H)"));
    home->setObjectName(QStringLiteral("N4"));
    home->menuAction()->setObjectName(QStringLiteral("N4"));
    connect(AddItem(home, "Mn_Ranut",
                    QStringLiteral("Ranut ホームページ  ") + PartnerAddressText() +
                        QStringLiteral("(&K)")),
            &QAction::triggered, this, [] { OpenPartnerHomePage(); });
    home->addSeparator()->setObjectName(QStringLiteral("N5"));
    connect(
        AddItem(home, "Mn_SeriesSite",
                SeriesSiteName() + QLatin1Char(' ') + SeriesAddressText() + QStringLiteral("(&M)")),
        &QAction::triggered, this, [] { OpenSeriesSite(); });
    connect(AddItem(home, "N6", "Pelmarkシリーズの紹介(&C)..."), &QAction::triggered, this,
            [] { OpenSeriesCataloguePage(); });
    connect(AddItem(help1_, "Mn_NewPrg", "最新のブラウザの入手(&B)"), &QAction::triggered, this,
            [] { OpenPartnerDownloadPage(); });
    help1_->addSeparator()->setObjectName(QStringLiteral("N1"));
    connect(AddItem(help1_, "Mn_About", "バージョン情報(&A)..."), &QAction::triggered, this,
            &TVMainForm::Mn_AboutClick);
    connect(help1_, &QMenu::aboutToShow, this, &TVMainForm::Help1Click);
    Help1Click();
    AssignFrameHelpContexts({file1_, show1_, mnWindow_, help1_});

    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName(QStringLiteral("PopupMenu"));
    mnToolBar2_ = AddItem(popupMenu_, "Mn_ToolBar2", "ツールバー(&T)");
    mnStatusBar2_ = AddItem(popupMenu_, "Mn_StatusBar2", "ステータスバー(&S)");
    for (QAction* item : {mnToolBar2_, mnStatusBar2_}) {
        item->setCheckable(true);
    }
    connect(mnToolBar2_, &QAction::triggered, this, &TVMainForm::Mn_ToolBarClick);
    connect(mnStatusBar2_, &QAction::triggered, this, &TVMainForm::Mn_StatusBarClick);
    popupMenu_->addSeparator()->setObjectName(QStringLiteral("N3"));
    const char* const names[5] = {"N6404801", "N8006001", "N10247681", "N11521", "N5128010241"};
    const char* const captions[5] = {"&1 640*480", "&2 800*600", "&3 1024*768", "&4 1152*870",
                                     "&5 1280*1024"};
    for (int i = 0; i < 5; ++i) {
        QAction* preset = AddItem(popupMenu_, names[i], captions[i]);
        connect(preset, &QAction::triggered, this, [this, i] { SetPresetSize(i); });
        presets_.append(preset);
    }
}

void TVMainForm::BuildOpenDialog() {
    openDialog_ = new TOpenDialogEx(this);
    openDialog_->setObjectName(QStringLiteral("OpenDialog"));
    // Our own dialog, so that its captions are ours on every desktop.
    openDialog_->setOption(QFileDialog::DontUseNativeDialog, true);
    openDialog_->setFileMode(QFileDialog::ExistingFiles);
    openDialog_->setAcceptMode(QFileDialog::AcceptOpen);
    openDialog_->setDefaultSuffix(AlbumExtensions().first());
    QStringList patterns;
    for (const QString& extension : AlbumExtensions()) {
        patterns << QStringLiteral("*.") + extension;
    }
    openDialog_->setNameFilter(QStringLiteral("ブラウザファイル (") + patterns.join(' ') +
                               QLatin1Char(')'));
    // Album names come from Windows, where case does not count: "a.yra" is an album too.
    openDialog_->setFilter(openDialog_->filter() & ~QDir::CaseSensitive);
    openDialog_->setWindowTitle(QStringLiteral("ブラウザファイルの読み込み"));
    openDialog_->SetOkCaption(QStringLiteral("開く(&O)"));
    openDialog_->SetCancelCaption(QStringLiteral("中止(&C)"));
    openDialog_->setOption(QFileDialog::ReadOnly, true);
    // The albums' folder beside the program the first time; later the folder last chosen.
    if (!ViewFileFolder().isEmpty() && QFileInfo(ViewFileFolder()).isDir()) {
        openDialog_->setDirectory(ViewFileFolder());
    }
}

void TVMainForm::BuildSaveDialog() {
    saveDialog_ = new QFileDialog(this);
    SetUpPageSaveDialog(*saveDialog_, ProgramFolder());
}

bool TVMainForm::SB_OpenClick() {
    openDialog_->selectFile(QString());
    if (openDialog_->exec() != QDialog::Accepted) {
        return false;
    }
    OpenAlbums(openDialog_->selectedFiles());
    return true;
}

TViewForm* TVMainForm::OpenAlbum(const QString& path) {
    TViewForm* form = nullptr;
    try {
        form = new TViewForm(*this, mdiArea_);
        DocumentPrinting::Attach(*form);
        connect(form, &TViewForm::D1Clicked, this, [form] { RecordEnvironment(*form); });
        connect(form, &TViewForm::R1Clicked, this,
                [this, form] { ResetEnvironment(*form, *this); });
        connect(form, &TViewForm::Mn_FileClicked, this,
                [this, form] { Mn_FileClick(*form, *saveDialog_); });
        connect(form, &TViewForm::Mn_ClipClicked, this, [form] { Mn_ClipClick(*form); });
        AdoptDocumentMenus(*form);
        form->show();
        if (!LoadDocument(*form, path)) {
            delete form;
            return nullptr;
        }
        recent_->Add(path);
    } catch (...) {
        // The window made so far stays open without a page; the next file is tried.
    }
    return form;
}

TViewForm* TVMainForm::OpenAlbums(const QStringList& paths) {
    TViewForm* last = nullptr;
    for (const QString& path : paths) {
        last = OpenAlbum(path);
    }
    return last;
}

void TVMainForm::DropDstFileDrop(const QStringList& paths) {
    raise();
    activateWindow();
    for (const QString& path : paths) {
        if (QFileInfo(path).isFile()) {
            OpenAlbum(path);
        }
    }
}

void TVMainForm::SetStartFiles(const QStringList& paths) {
    startFiles_ = paths.mid(0, kMaxStartFiles);
    startFilesGiven_ = true;
}

void TVMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        timerStart_->start();
    }
}

void TVMainForm::Timer_StartTimer() {
    timerStart_->stop();
    // Nothing to open: the version dialog, whose open button is the way to a first album.
    if (startFiles_.isEmpty()) {
        // Only a frame that was given a command line (the program's start) has one to answer.
        if (startFilesGiven_) Mn_AboutClick();
        return;
    }
    const QStringList files = startFiles_;
    startFiles_.clear();
    QPointer<TViewForm> last = OpenAlbums(files);
    if (!last.isNull()) {
        FixMaximizedChild(last.data());
    }
}

void TVMainForm::closeEvent(QCloseEvent* event) {
    closing_ = true;
    QMainWindow::closeEvent(event);
}

void TVMainForm::wheelEvent(QWheelEvent* event) {
    event->accept();
}

bool TVMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        event->accept();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

QList<TViewForm*> TVMainForm::DocumentWindows() const {
    QList<TViewForm*> forms;
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow* window : windows) {
        if (auto* form = qobject_cast<TViewForm*>(window)) {
            forms.append(form);
        }
    }
    return forms;
}

TViewForm* TVMainForm::ActiveDocumentWindow() const {
    return qobject_cast<TViewForm*>(mdiArea_->currentSubWindow());
}

void TVMainForm::DisableDocumentControls() {
    for (QWidget* control :
         {static_cast<QWidget*>(marjinBtn_), static_cast<QWidget*>(prnBtn_),
          static_cast<QWidget*>(sbJumpTree_), static_cast<QWidget*>(jumpBtn_),
          static_cast<QWidget*>(pageScrollBtn_), static_cast<QWidget*>(startBtn_),
          static_cast<QWidget*>(backBtn_), static_cast<QWidget*>(nextBtn_),
          static_cast<QWidget*>(endBtn_), static_cast<QWidget*>(smallBtn_),
          static_cast<QWidget*>(bigBtn_), static_cast<QWidget*>(plRitu_)}) {
        control->setEnabled(false);
    }
}

void TVMainForm::SetToolBarVisible(bool visible) {
    plTop_->setVisible(visible);
    bevel_->setVisible(visible);
    // The line belongs above the toolbar.
    if (auto* column = qobject_cast<QVBoxLayout*>(central_->layout())) {
        column->removeWidget(bevel_);
        column->insertWidget(0, bevel_);
    }
}

void TVMainForm::Mn_ToolBarClick() {
    SetToolBarVisible(plTop_->isHidden());
}

void TVMainForm::Mn_StatusBarClick() {
    TViewForm* form = ActiveDocumentWindow();
    if (form != nullptr && form->PL_Bottom() != nullptr) {
        form->PL_Bottom()->setVisible(form->PL_Bottom()->isHidden());
    }
}

void TVMainForm::Show1Click() {
    TViewForm* form = ActiveDocumentWindow();
    for (auto [toolBar, statusBar] :
         {std::pair{mnToolBar_, mnStatusBar_}, std::pair{mnToolBar2_, mnStatusBar2_}}) {
        toolBar->setChecked(!plTop_->isHidden());
        statusBar->setVisible(form != nullptr);
        statusBar->setChecked(form != nullptr && form->PL_Bottom() != nullptr &&
                              !form->PL_Bottom()->isHidden());
    }
}

void TVMainForm::PopupMenuPopup() {
    Show1Click();
}

void TVMainForm::Mn_ExitClick() {
    close();
}

void TVMainForm::MergeMenus() {
    TViewForm* form = ActiveDocumentWindow();
    QList<QMenu*> menus;
    if (form != nullptr) {
        menus = form->DocumentMenus();
    } else {
        menus = {file1_, show1_};
    }
    menus << mnWindow_ << help1_;
    const QAction* documentOpen =
        form != nullptr ? form->MenuItem(QStringLiteral("Mn_Open")) : nullptr;
    openKey_->setEnabled(form != nullptr &&
                         (documentOpen == nullptr || documentOpen->shortcut().isEmpty()));
    QMenuBar* bar = menuBar();
    const QList<QAction*> current = bar->actions();
    bool same = current.size() == menus.size();
    for (int i = 0; same && i < menus.size(); ++i) {
        same = current[i] == menus[i]->menuAction();
    }
    if (same) {
        return;
    }
    bar->clear();
    for (QMenu* menu : menus) {
        bar->addMenu(menu);
    }
}

void TVMainForm::FillWindowList() {
    for (QAction* action : windowListActions_) {
        mnWindow_->removeAction(action);
        delete action;
    }
    windowListActions_.clear();
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty()) {
        return;
    }
    windowListActions_.append(mnWindow_->addSeparator());
    int number = 0;
    for (QMdiSubWindow* window : windows) {
        ++number;
        QString caption = window->windowTitle();
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = mnWindow_->addAction(
            (number < 10 ? QStringLiteral("&%1 ").arg(number) : QString()) + caption);
        if (window == mdiArea_->currentSubWindow()) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        QPointer<QMdiSubWindow> target = window;
        connect(action, &QAction::triggered, this, [this, target] {
            if (!target.isNull()) {
                if (target->isMinimized()) {
                    target->showNormal();
                }
                mdiArea_->setActiveSubWindow(target.data());
            }
        });
        windowListActions_.append(action);
    }
}

void TVMainForm::V1Click() {
    TileShownWindows(Qt::Horizontal);
}

void TVMainForm::T1Click() {
    TileShownWindows(Qt::Vertical);
}

void TVMainForm::TileShownWindows(Qt::Orientation direction) {
    // Horizontal: side by side, each window as tall as the area; vertical: one above the other.
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* window : mdiArea_->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isMinimized()) {
            shown.append(window);
        }
    }
    if (shown.isEmpty()) {
        return;
    }
    const QRect area = mdiArea_->viewport()->rect();
    const int n = int(shown.size());
    const int length = direction == Qt::Horizontal ? area.width() : area.height();
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* window = shown[i];
        if (window->isMaximized()) {
            window->showNormal();
        }
        const int start = length * i / n;
        const int end = length * (i + 1) / n;
        if (direction == Qt::Horizontal) {
            window->setGeometry(start, 0, end - start, area.height());
        } else {
            window->setGeometry(0, start, area.width(), end - start);
        }
    }
}

int TVMainForm::CascadeStep() const {
    QStyleOptionTitleBar option;
    option.initFrom(mdiArea_);
    option.titleBarFlags = Qt::Window | Qt::WindowTitleHint;
    const int caption = style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, mdiArea_);
    const int frame = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, mdiArea_);
    return caption + frame / 2;
}

void TVMainForm::Cascade1Click() {
    // Bottom window first, so that every caption stays visible and the active window ends in
    // front, as a cascade is expected to look.
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList(QMdiArea::StackingOrder);
    const int n = int(windows.size());
    if (n == 0) {
        return;
    }
    const int step = CascadeStep();
    // The frame's client area holds the toolbar and the line above it as well as the windows.
    const int height = central_->height() - plTop_->height() - n * step;
    const int width = central_->width() - n * step;
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* window = windows[i];
        if (window->isMaximized() || window->isMinimized()) {
            window->showNormal();
        }
        window->setGeometry(i * step, i * step, qMax(width, 0), qMax(height, 0));
    }
}

void TVMainForm::ArrangeIcon1Click() {
    // Minimised windows in a row along the bottom of the area, left to right.
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList(QMdiArea::CreationOrder);
    const QRect area = mdiArea_->viewport()->rect();
    int x = 0;
    int y = area.height();
    for (QMdiSubWindow* window : windows) {
        if (!window->isMinimized()) {
            continue;
        }
        const QSize size = window->size();
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            y -= size.height();
        }
        window->move(x, y - size.height());
        x += size.width();
    }
}

QSize TVMainForm::PresetSize(int preset) {
    static const QSize sizes[5] = {QSize(640, 480), QSize(800, 600), QSize(1024, 768),
                                   QSize(1152, 870), QSize(1280, 1024)};
    return preset >= 0 && preset < 5 ? sizes[preset] : QSize();
}

QAction* TVMainForm::PresetAction(int preset) const {
    return preset >= 0 && preset < presets_.size() ? presets_[preset] : nullptr;
}

void TVMainForm::SetPresetSize(int preset) {
    const QSize outer = PresetSize(preset);
    if (!outer.isValid()) {
        return;
    }
    setWindowState(windowState() &
                   ~(Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    showNormal();
    // The presets are outer sizes: take the window frame off.
    const QSize decoration = frameGeometry().size() - geometry().size();
    resize(outer - decoration);
}

void TVMainForm::FixMaximizedChild(QMdiSubWindow* window) {
    if (window == nullptr || !window->isMaximized()) {
        return;
    }
    const QSize size = window->size();
    // Restored, then maximised again at the same size: the window lays its contents out anew.
    QResizeEvent restored(size, size);
    QCoreApplication::sendEvent(window, &restored);
    if (window->widget() != nullptr) {
        QResizeEvent inner(window->widget()->size(), window->widget()->size());
        QCoreApplication::sendEvent(window->widget(), &inner);
    }
    QResizeEvent maximized(size, size);
    QCoreApplication::sendEvent(window, &maximized);
}

void TVMainForm::PostFixMenuMessage() {
    if (closing_ || QCoreApplication::closingDown()) {
        return;
    }
    // Posted, so that the repair runs once the activation change is complete.
    QMetaObject::invokeMethod(this, &TVMainForm::FixMenuMessage, Qt::QueuedConnection);
}

void TVMainForm::FixMenuMessage() {
    TViewForm* form = ActiveDocumentWindow();
    if (form != nullptr && QApplication::activeWindow() == this &&
        mdiArea_->activeSubWindow() == form) {
        FixMaximizedChild(form);
    }
}

void TVMainForm::AdoptDocumentMenus(TViewForm& form) {
    const QList<QMenu*> menus = form.DocumentMenus();
    AssignDocumentHelpContexts(menus);
    SetHelpContext(&form, kFrameHelpContext);
    // The recent albums stand in the document's File menu too, after its open command.
    if (!menus.isEmpty()) {
        QMenu* file = menus.first();
        const QList<QAction*> items = file->actions();
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (items[i]->objectName() == QStringLiteral("Mn_Open")) {
                file->insertAction(i + 1 < items.size() ? items[i + 1] : nullptr,
                                   recent_->Menu()->menuAction());
                break;
            }
        }
    }
}

void TVMainForm::Help1Click() {
    searchForHelpOn_->setEnabled(HelpAvailable());
}

void TVMainForm::SearchforHelpOnClick() {
    ShowHelpFinder();
}

TVerForm* TVMainForm::VerForm() {
    if (verForm_ == nullptr) {
        verForm_ = new TVerForm([this] { return SB_OpenClick(); }, this);
        SetHelpContext(verForm_, kFrameHelpContext);
    }
    return verForm_;
}

void TVMainForm::Mn_AboutClick() {
    VerForm()->exec();
}

}  // namespace tavlex
