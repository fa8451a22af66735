// The document window's menus: one table of items, and their state as each menu opens.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QMenu>

#include <algorithm>
#include <map>
#include <vector>

#include "view/ContentsPanel.h"
#include "view/TViewForm.h"
#include "view/ToolbarRelay.h"
#include "view/ViewHost.h"
#include "view/ViewerSettings.h"
#include "view/ZoomLayout.h"

namespace tavlex {
namespace {

enum class MenuId { File1, N10, N2, Show1, Popup, Output, None };
enum class Keys { None, Open, Close, Jump, ZoomOut, ZoomIn };

using Handler = void (TViewForm::*)();

// One row: where the item goes, its object name and caption, its keys and what it runs. A row
// without a caption is a separator (named when it has a name); a row with a submenu opens it.
struct MenuRow {
    MenuId menu;
    const char* name;
    const char* caption;  // UTF-8
    Keys keys = Keys::None;
    Handler handler = nullptr;
    bool checkable = false;
    MenuId submenu = MenuId::None;
    int tag = -1;  // zoom items: the zoom index
};

// The platform's zoom keys may already be Ctrl+plus and Ctrl+minus; one key twice is ambiguous.
QList<QKeySequence> Distinct(const QList<QKeySequence>& keys) {
    QList<QKeySequence> result;
    for (const QKeySequence& key : keys) {
        if (!key.isEmpty() && !result.contains(key)) result << key;
    }
    return result;
}

QList<QKeySequence> KeysFor(Keys keys) {
    switch (keys) {
        case Keys::None:
            return {};
        case Keys::Open:
            return {QKeySequence(QKeySequence::Open)};
        case Keys::Close:
            return {QKeySequence(Qt::CTRL | Qt::Key_W)};
        case Keys::Jump:
            return {QKeySequence(Qt::CTRL | Qt::Key_G)};
        case Keys::ZoomOut:
            return Distinct(
                {QKeySequence(QKeySequence::ZoomOut), QKeySequence(Qt::CTRL | Qt::Key_Minus)});
        case Keys::ZoomIn:
            return Distinct({QKeySequence(QKeySequence::ZoomIn),
                             QKeySequence(Qt::CTRL | Qt::Key_Plus),
                             QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    }
    return {};
}

// Reduce, enlarge and the eleven zoom entries, in the View menu ("Mn") or the sheet's context menu
// ("Po", without keys).
void AddZoomRows(std::vector<MenuRow>& rows, MenuId menu, bool withKeys) {
    static const char* const kNames[2][13] = {{"Mn_Small", "Mn_Big", "Mn0", "Mn1", "Mn2", "Mn3",
                                               "Mn4", "Mn5", "Mn6", "Mn7", "Mn8", "Mn9", "Mn10"},
                                              {"Po_Small", "Po_Big", "Po0", "Po1", "Po2", "Po3",
                                               "Po4", "Po5", "Po6", "Po7", "Po8", "Po9", "Po10"}};
    const char* const* names = kNames[withKeys ? 0 : 1];
    rows.push_back({menu, names[0], "縮小(&O)", withKeys ? Keys::ZoomOut : Keys::None,
                    &TViewForm::SmallBtnClick});
    rows.push_back({menu, names[1], "拡大(&I)", withKeys ? Keys::ZoomIn : Keys::None,
                    &TViewForm::BigBtnClick});
    rows.push_back({menu, "", nullptr});
    for (int i = 0; i < kZoomItemCount; ++i) {
        rows.push_back({menu, names[2 + i], "", Keys::None, nullptr, true, MenuId::None, i});
    }
}

// The whole of the document window's menus, in order.
std::vector<MenuRow> MenuTable() {
    using F = TViewForm;
    using M = MenuId;
    std::vector<MenuRow> rows = {
        {M::File1, "Mn_Open", "開く(&O)...", Keys::Open, &F::Mn_OpenClick},
        {M::File1, "Close1", "閉じる(&C)", Keys::Close, &F::Close1Click},
        {M::File1, "", nullptr},
        {M::File1, "N10", "現在の環境(&D)", Keys::None, nullptr, false, M::N10},
        {M::N10, "D1", "記録(&D)...", Keys::None, &F::D1Clicked},
        {M::N10, "R1", "初期値に戻す(&R)", Keys::None, &F::R1Clicked},
        {M::File1, "N4", "書類情報(&I)...", Keys::None, &F::N4Clicked},
        {M::File1, "", nullptr},
        {M::File1, "Mn_Print", "印刷(&P)...", Keys::None, &F::PrnBtnClicked},
        {M::File1, "S1", "印刷設定(&S)...", Keys::None, &F::S1Clicked},
        {M::File1, "Mn_Marjin", "マージン調整(&E)...", Keys::None, &F::MarjinBtnClicked},
        {M::File1, "", nullptr},
        {M::File1, "Mn_Exit", "終了(&X)", Keys::None, &F::Mn_ExitClick},
        {M::N2, "Mn_Jump", "頁指定(&J)...", Keys::Jump, &F::Mn_JumpClick},
        {M::N2, "Mn_Start", "最初の頁(&S)", Keys::None, &F::StartBtnClick},
        {M::N2, "Mn_Back", "前の頁(&B)", Keys::None, &F::BackBtnClick},
        {M::N2, "Mn_Next", "次の頁(&N)", Keys::None, &F::NextBtnClick},
        {M::N2, "Mn_EndPage", "最後の頁(&E)", Keys::None, &F::EndBtnClick},
        {M::N2, "", nullptr},
        {M::N2, "Mn_PageScroll", "ページを越えてスクロール(&P)", Keys::None, &F::Mn_PageScrollClick,
         true},
    };
    AddZoomRows(rows, M::Show1, true);
    const std::vector<MenuRow> viewTail = {
        {M::Show1, "", nullptr},
        {M::Show1, "Mn_Contents", "目次(&V)", Keys::None, &F::Mn_ContentsClick, true},
        {M::Show1, "Mn_ToolBar", "ツールバー(&T)", Keys::None, &F::Mn_ToolBarClick, true},
        {M::Show1, "Mn_StatusBar", "ステータスバー(&S)", Keys::None, &F::Mn_StatusBarClick, true},
    };
    rows.insert(rows.end(), viewTail.begin(), viewTail.end());
    AddZoomRows(rows, M::Popup, false);
    const std::vector<MenuRow> popupTail = {
        {M::Popup, "Mn_FileLine", nullptr},
        {M::Popup, "Mn_Output", "出力(&S)", Keys::None, nullptr, false, M::Output},
        {M::Output, "Mn_File", "ファイル(&F)...", Keys::None, &F::Mn_FileClicked},
        {M::Output, "Mn_Clip", "クリップボード(&C)", Keys::None, &F::Mn_ClipClicked},
    };
    rows.insert(rows.end(), popupTail.begin(), popupTail.end());
    return rows;
}

}  // namespace

void TViewForm::BuildMenus() {
    std::map<MenuId, QMenu*> menus;
    file1_ = menus[MenuId::File1] = new QMenu(QStringLiteral("ファイル(&F)"), this);
    n2_ = menus[MenuId::N2] = new QMenu(QStringLiteral("書類(&D)"), this);
    show1_ = menus[MenuId::Show1] = new QMenu(QStringLiteral("表示(&V)"), this);
    popup_ = menus[MenuId::Popup] = new QMenu(this);
    file1_->menuAction()->setObjectName(QStringLiteral("File1"));
    n2_->menuAction()->setObjectName(QStringLiteral("N2"));
    show1_->menuAction()->setObjectName(QStringLiteral("Show1"));
    popup_->setObjectName(QStringLiteral("PopupMenu_Paper"));
    for (const MenuRow& row : MenuTable()) {
        QMenu* menu = menus.at(row.menu);
        const QString name = QString::fromUtf8(row.name);
        QAction* action = nullptr;
        if (row.submenu != MenuId::None) {
            QMenu* submenu = menu->addMenu(QString::fromUtf8(row.caption));
            menus[row.submenu] = submenu;
            action = submenu->menuAction();
        } else if (row.caption == nullptr) {
            action = menu->addSeparator();
        } else {
            const bool zoom = row.tag >= 0;
            action =
                menu->addAction(zoom ? ZoomMenuCaption(row.tag) : QString::fromUtf8(row.caption));
            action->setShortcuts(KeysFor(row.keys));
            action->setCheckable(row.checkable);
            if (zoom) {
                action->setData(row.tag);  // the Tag
                const int tag = row.tag;
                connect(action, &QAction::triggered, this, [this, tag] { Mn10Click(tag); });
                auto& items = row.menu == MenuId::Show1 ? mnZoom_ : poZoom_;
                items[static_cast<std::size_t>(tag)] = action;
            } else {
                const Handler handler = row.handler;
                connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
            }
        }
        if (!name.isEmpty()) action->setObjectName(name);
    }
    output_ = menus.at(MenuId::Output);
    connect(file1_, &QMenu::aboutToShow, this, &TViewForm::File1Click);
    connect(n2_, &QMenu::aboutToShow, this, &TViewForm::N2Click);
    connect(show1_, &QMenu::aboutToShow, this, &TViewForm::Show1Click);
    KeepShortcutsInWindow();
}

void TViewForm::KeepShortcutsInWindow() {
    // The child window's own system menu would claim Ctrl+W; the File menu shows it.
    const QKeySequence close = MenuItem(QStringLiteral("Close1"))->shortcut();
    if (QMenu* system = systemMenu()) {
        for (QAction* action : system->actions()) {
            if (action->shortcuts().contains(close)) action->setShortcuts({});
        }
    }
    // Shortcuts work while the focus is anywhere in this window, whatever menu bar shows.
    for (QMenu* menu : {file1_, n2_, show1_}) {
        for (QAction* action : menu->actions()) {
            if (action->shortcut().isEmpty()) continue;
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            client_->addAction(action);
        }
    }
}

void TViewForm::Mn_OpenClick() {
    host_.OpenCommand();
}

void TViewForm::Close1Click() {
    close();
}

void TViewForm::Mn_ExitClick() {
    host_.ExitCommand();
}

void TViewForm::Mn_ToolBarClick() {
    host_.ToolBarToggle();
}

void TViewForm::Mn_StatusBarClick() {
    host_.StatusBarToggle();
}

void TViewForm::UpdateMenuState() {
    if (!file1_) return;
    File1Click();
    N2Click();
    Show1Click();
}

void TViewForm::File1Click() {
    const FrameControls& frame = host_.Controls();
    MenuItem(QStringLiteral("Mn_Print"))->setEnabled(ControlEnabled(frame.PrnBtn));
    MenuItem(QStringLiteral("Mn_Marjin"))->setEnabled(ControlEnabled(frame.MarjinBtn));
}

void TViewForm::N2Click() {
    const FrameControls& frame = host_.Controls();
    MenuItem(QStringLiteral("Mn_Jump"))->setEnabled(ControlEnabled(frame.JumpBtn));
    MenuItem(QStringLiteral("Mn_Start"))->setEnabled(ControlEnabled(frame.StartBtn));
    MenuItem(QStringLiteral("Mn_Back"))->setEnabled(ControlEnabled(frame.BackBtn));
    MenuItem(QStringLiteral("Mn_Next"))->setEnabled(ControlEnabled(frame.NextBtn));
    MenuItem(QStringLiteral("Mn_EndPage"))->setEnabled(ControlEnabled(frame.EndBtn));
    QAction* pageScroll = MenuItem(QStringLiteral("Mn_PageScroll"));
    pageScroll->setEnabled(ControlEnabled(frame.PageScrollBtn));
    pageScroll->setChecked(host_.Settings().PageScroll);
}

void TViewForm::Show1Click() {
    const FrameControls& frame = host_.Controls();
    const bool zoomable = ControlEnabled(frame.PL_Ritu);
    const int index = frame.CB_Ritu ? frame.CB_Ritu->currentIndex() : zoomIndex_;
    for (const auto* items : {&mnZoom_, &poZoom_}) {
        for (int i = 0; i < kZoomItemCount; ++i) {
            QAction* item = (*items)[static_cast<std::size_t>(i)];
            item->setEnabled(zoomable);
            item->setChecked(i == index);
        }
    }
    for (const QString& prefix : {QStringLiteral("Mn"), QStringLiteral("Po")}) {
        MenuItem(prefix + QStringLiteral("_Small"))->setEnabled(ControlEnabled(frame.SmallBtn));
        MenuItem(prefix + QStringLiteral("_Big"))->setEnabled(ControlEnabled(frame.BigBtn));
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
    SetOutputRunning(outputRunning_);
}

void TViewForm::SetOutputRunning(bool running) {
    outputRunning_ = running;
    const bool enabled = !running && PageMetafile() != nullptr;
    MenuItem(QStringLiteral("Mn_File"))->setEnabled(enabled);
    MenuItem(QStringLiteral("Mn_Clip"))->setEnabled(enabled);
}

QList<QMenu*> TViewForm::DocumentMenus() const {
    return {file1_, n2_, show1_};
}

QAction* TViewForm::MenuItem(const QString& name) const {
    if (QAction* known = menuItems_.value(name)) return known;
    QAction* found = nullptr;
    for (QMenu* menu : findChildren<QMenu*>()) {
        QList<QAction*> actions = menu->actions();
        actions.prepend(menu->menuAction());
        const auto named = std::find_if(actions.cbegin(), actions.cend(), [&](QAction* action) {
            return action->objectName() == name;
        });
        if (named != actions.cend()) {
            found = *named;
            break;
        }
    }
    if (found) menuItems_.insert(name, found);
    return found;
}

}  // namespace tavlex
