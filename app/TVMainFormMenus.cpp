// The frame's menus: one table of items, the menu bar it shares with the active document window,
// the window list, and the check marks of the toolbar and status-bar items.
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

#include <map>
#include <vector>

#include "app/HelpWindow.h"
#include "app/RecentFiles.h"
#include "app/TVMainForm.h"
#include "controls/TNoPaintPanel_Speed.h"
#include "support/gui/ShellUtilities.h"
#include "view/TViewForm.h"

namespace tavlex {
namespace {

enum class MenuId { File1, Show1, Window, Help1, Home, Popup, None };

using Handler = void (TVMainForm::*)();

// One row: where the item goes, its object name and caption and what it runs. A row without a
// caption is a separator; a row with a submenu opens it.
struct MenuRow {
    MenuId menu;
    const char* name;
    QString caption;
    Handler handler = nullptr;
    bool checkable = false;
    MenuId submenu = MenuId::None;
};

std::vector<MenuRow> MenuTable() {
    using F = TVMainForm;
    using M = MenuId;
    const QString series =
        SeriesSiteName() + QLatin1Char(' ') + SeriesAddressText() + QStringLiteral("(&M)");
    return {
        {M::File1, "Mn_Open", QStringLiteral("開く(&O)..."), &F::OpenCommand},
        {M::File1, "N7", {}},
        {M::File1, "Mn_Exit", QStringLiteral("終了(&X)"), &F::Mn_ExitClick},
        {M::Show1, "Mn_ToolBar", QStringLiteral("ツールバー(&T)"), &F::Mn_ToolBarClick, true},
        {M::Show1, "Mn_StatusBar", QStringLiteral("ステータスバー(&S)"), &F::Mn_StatusBarClick,
         true},
        {M::Window, "V1", QStringLiteral("横に並べて表示(&V)"), &F::V1Click},
        {M::Window, "T1", QStringLiteral("縦に並べて表示(&T)"), &F::T1Click},
        {M::Window, "Cascade1", QStringLiteral("重ねて表示(&C)"), &F::Cascade1Click},
        {M::Window, "ArrangeIcon1", QStringLiteral("アイコンの整列(&A)"), &F::ArrangeIcon1Click},
        {M::Help1, "SearchforHelpOn", QStringLiteral("トピックの検索(&K)"),
         &F::SearchforHelpOnClick},
        {M::Help1, "N2", {}},
        {M::Help1, "N4", QStringLiteral("ホームページ(&H)"), nullptr, false, M::Home},
        {M::Home, "Mn_Ranut",
         QStringLiteral("Ranut ホームページ  ") + PartnerAddressText() + QStringLiteral("(&K)"),
         &F::Mn_RanutClick},
        {M::Home, "N5", {}},
        {M::Home, "Mn_SeriesSite", series, &F::Mn_SeriesSiteClick},
        {M::Home, "N6", QStringLiteral("Pelmarkシリーズの紹介(&C)..."), &F::N6Click},
        {M::Help1, "Mn_NewPrg", QStringLiteral("最新のブラウザの入手(&B)"), &F::Mn_NewPrgClick},
        {M::Help1, "N1", {}},
        {M::Help1, "Mn_About", QStringLiteral("バージョン情報(&A)..."), &F::Mn_AboutClick},
        {M::Popup, "Mn_ToolBar2", QStringLiteral("ツールバー(&T)"), &F::Mn_ToolBarClick, true},
        {M::Popup, "Mn_StatusBar2", QStringLiteral("ステータスバー(&S)"), &F::Mn_StatusBarClick,
         true},
        {M::Popup, "N3", {}},
        {M::Popup, "N6404801", QStringLiteral("&1 640*480"), &F::N6404801Click},
        {M::Popup, "N8006001", QStringLiteral("&2 800*600"), &F::N8006001Click},
        {M::Popup, "N10247681", QStringLiteral("&3 1024*768"), &F::N10247681Click},
        {M::Popup, "N11521", QStringLiteral("&4 1152*870"), &F::N11521Click},
        {M::Popup, "N5128010241", QStringLiteral("&5 1280*1024"), &F::N5128010241Click},
    };
}

}  // namespace

void TVMainForm::BuildMenus() {
    std::map<MenuId, QMenu*> menus;
    file1_ = menus[MenuId::File1] = new QMenu(QStringLiteral("ファイル(&F)"), this);
    show1_ = menus[MenuId::Show1] = new QMenu(QStringLiteral("表示(&V)"), this);
    mnWindow_ = menus[MenuId::Window] = new QMenu(QStringLiteral("ウィンドウ(&W)"), this);
    help1_ = menus[MenuId::Help1] = new QMenu(QStringLiteral("ヘルプ(&H)"), this);
    popupMenu_ = menus[MenuId::Popup] = new QMenu(this);
    file1_->setObjectName(QStringLiteral("File1"));
    show1_->setObjectName(QStringLiteral("Show1"));
    mnWindow_->setObjectName(QStringLiteral("Mn_Window"));
    help1_->setObjectName(QStringLiteral("Help1"));
    popupMenu_->setObjectName(QStringLiteral("PopupMenu"));
    std::map<QString, QAction*> items;
    for (const MenuRow& row : MenuTable()) {
        QMenu* menu = menus.at(row.menu);
        const QString name = QString::fromLatin1(row.name);
        if (row.submenu != MenuId::None) {
            QMenu* submenu = menu->addMenu(row.caption);
            submenu->setObjectName(name);
            submenu->menuAction()->setObjectName(name);
            menus[row.submenu] = submenu;
            continue;
        }
        const bool separator = row.caption.isEmpty();
        QAction* action = separator ? menu->addSeparator() : menu->addAction(row.caption);
        action->setObjectName(name);
        items[name] = action;
        if (separator) continue;
        action->setCheckable(row.checkable);
        const Handler handler = row.handler;
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    }
    items.at(QStringLiteral("Mn_Open"))->setShortcut(QKeySequence::Open);
    mnToolBar_ = items.at(QStringLiteral("Mn_ToolBar"));
    mnStatusBar_ = items.at(QStringLiteral("Mn_StatusBar"));
    mnToolBar2_ = items.at(QStringLiteral("Mn_ToolBar2"));
    mnStatusBar2_ = items.at(QStringLiteral("Mn_StatusBar2"));
    for (const char* name : {"N6404801", "N8006001", "N10247681", "N11521", "N5128010241"}) {
        presets_.append(items.at(QString::fromLatin1(name)));
    }
    connect(show1_, &QMenu::aboutToShow, this, &TVMainForm::Show1Click);
    connect(mnWindow_, &QMenu::aboutToShow, this, &TVMainForm::FillWindowList);
    searchForHelpOn_ = items.at(QStringLiteral("SearchforHelpOn"));
    connect(help1_, &QMenu::aboutToShow, this, &TVMainForm::Help1Click);
    Help1Click();
    recent_ = new RecentFiles([this](const QString& path) { OpenAlbum(path); }, this);
    file1_->insertMenu(items.at(QStringLiteral("N7")), recent_->Menu());
    AssignFrameHelpContexts({file1_, show1_, mnWindow_, help1_});
    AddOpenKey();
}

void TVMainForm::Mn_RanutClick() {
    OpenPartnerHomePage();
}

void TVMainForm::Mn_SeriesSiteClick() {
    OpenSeriesSite();
}

void TVMainForm::N6Click() {
    OpenSeriesCataloguePage();
}

void TVMainForm::Mn_NewPrgClick() {
    OpenPartnerDownloadPage();
}

void TVMainForm::AddOpenKey() {
    // Ctrl+O while a document's File menu stands in for ours and offers no key of its own.
    openKey_ = new QAction(this);
    openKey_->setShortcut(QKeySequence::Open);
    openKey_->setEnabled(false);
    connect(openKey_, &QAction::triggered, this, &TVMainForm::OpenCommand);
    addAction(openKey_);
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

}  // namespace tavlex
