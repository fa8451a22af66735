#include "app/TVMainForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>

#include <stdexcept>

#include "album/TemporaryBodies.h"
#include "album/UserMessage.h"
#include "app/ApplicationNames.h"
#include "app/EnvironmentCommands.h"
#include "app/ErrorReport.h"
#include "app/HelpWindow.h"
#include "app/PageOutput.h"
#include "app/PageOutputJob.h"
#include "app/ProcessFolders.h"
#include "app/RecentFiles.h"
#include "app/StartFileList.h"
#include "app/TVerForm.h"
#include "app/ToolbarGlyphs.h"
#include "app/ViewerSettingsFile.h"
#include "controls/TBevel.h"
#include "controls/TNoPaintPanel_Speed.h"
#include "print/DocumentPrinting.h"
#include "support/FileError.h"
#include "support/Messages.h"
#include "support/ProgramTitle.h"
#include "support/gui/ShellUtilities.h"
#include "support/gui/TControlSize.h"
#include "support/gui/TDropDst.h"
#include "view/FailureReport.h"
#include "view/LoadDocument.h"
#include "view/TViewForm.h"
#include "view/ToolbarRelay.h"
#include "view/ViewerSettings.h"

namespace tavlex {
namespace {

TVMainForm* g_mainForm = nullptr;

}  // namespace

TVMainForm* MainForm() {
    return g_mainForm;
}

TVMainForm::TVMainForm(QWidget* parent) : QMainWindow(parent) {
    g_mainForm = this;
    setObjectName(QStringLiteral("TVMainForm"));
    setWindowTitle(ProgramTitle());
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
    // A window closed just before is no longer listed while its deletion waits in the queue: it
    // goes now too, while the frame it reports to is whole.
    qDeleteAll(mdiArea_->findChildren<QMdiSubWindow*>());
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
        PageOutputJob::MatchCommands(*form);
        AdoptDocumentMenus(*form);
        form->show();
        if (!LoadDocument(*form, path)) {
            delete form;
            return nullptr;
        }
        recent_->Add(path);
    } catch (const std::exception& error) {
        // The window made so far stays open without a page and the next file is tried. The
        // detail goes to standard error; the user's words wait for the end of the batch, so that
        // a start with fifty names says it once instead of holding up each open with a box.
        failedOpens_ << DescribeFailure(error, path);
    } catch (...) {
        failedOpens_ << DescribeFailure(std::runtime_error("a failure of unknown type"), path);
    }
    ReportFailedOpens();
    return form;
}

TViewForm* TVMainForm::OpenAlbums(const QStringList& paths) {
    TViewForm* last = nullptr;
    ++openBatch_;
    for (const QString& path : paths) {
        last = OpenAlbum(path);
    }
    --openBatch_;
    ReportFailedOpens();
    return last;
}

void TVMainForm::ReportFailedOpens() {
    if (openBatch_ > 0 || failedOpens_.isEmpty()) return;
    failedOpens_.removeDuplicates();
    const QString text = failedOpens_.join(QLatin1Char('\n'));
    failedOpens_.clear();
    ShowInfo(text);
}

void TVMainForm::DropDstFileDrop(const QStringList& paths) {
    raise();
    activateWindow();
    QStringList files;
    for (const QString& path : paths) {
        if (QFileInfo(path).isFile()) files << path;
    }
    OpenAlbums(files);
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
    ++openBatch_;  // what failed is said once the last window is in place
    QPointer<TViewForm> last = OpenAlbums(files);
    if (!last.isNull()) {
        FixMaximizedChild(last.data());
    }
    --openBatch_;
    ReportFailedOpens();
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
    DisableRelayedControls(controls_);
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
