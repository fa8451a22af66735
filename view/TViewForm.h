#pragma once

#include <QHash>
#include <QList>
#include <QMdiSubWindow>
#include <QPointer>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "album/Document.h"
#include "metafile/Metafile.h"

class QAction;
class QKeyEvent;
class QMdiArea;
class QMenu;
class QMouseEvent;
class QProgressBar;
class QSplitter;
class QTimer;
class QWheelEvent;

namespace tavlex {

class ContentsPanel;
class PagePaintBox;
class PageScrollBox;
class PaperPanel;
class TCngLstBox;
class TFocusControl;
class TLabel_Speed;
class TNoPaintPanel_Speed;
class TPanelExt;
class ViewHost;

// The document window: one album in an MDI child of the frame. It holds the album's Document,
// the current page's metafile and its zoom; it points the frame's shared toolbar at itself
// whenever it becomes active.
class TViewForm : public QMdiSubWindow {
    Q_OBJECT
  public:
    // Adds itself to area when one is given; opens maximised or at the remembered size.
    explicit TViewForm(ViewHost& host, QMdiArea* area = nullptr);
    ~TViewForm() override;

    ViewHost& Host() const { return host_; }
    Document& Doc() { return document_; }
    const Document& Doc() const { return document_; }
    // The current page's picture; null before a page has been loaded.
    const mf::Metafile* PageMetafile() const {
        return pageMetafile_.IsNull() ? nullptr : &pageMetafile_;
    }
    int ZoomPercent() const { return zoomPercent_; }
    int ZoomIndex() const { return zoomIndex_; }

    // The loader's part: takes over a read document (body file included) and lists its contents.
    void AdoptDocument(Document document);
    void SetZoomIndex(int index);  // also selects it in the frame's list

    // Reads the page CurrentPage names, decodes it, repaints at once and moves the contents
    // selection. Throws AlbumError or mf::MetafileError; the picture is then empty.
    void LoadCurrentPage();
    // Every page change: load, lay out again for turned pages, refresh. A page that cannot be
    // read is reported and left blank, so that the next page can still be reached.
    void GoToPage(int page);

    // The body may still be arriving after the open. A page whose bytes are not all there yet
    // is shown when they are: LoadCurrentPage then leaves the sheet blank, with the busy cursor
    // over this window, until the page has arrived or another page is chosen.
    bool BodyArriving() const;
    // Whether all of page's bytes are there (false for a page past damage in the body).
    bool IsPageWhole(int page) const;
    // Blocks until page's bytes are all there; false when the body broke off before them. For
    // commands that need whole pages (export, printing) and cannot go on without them.
    bool WaitForPage(int page);
    int PendingPage() const { return pendingPage_; }
    QWidget* BodyProgressBar() const;
    void RefreshWindowState();
    void ScrollBoxResize();
    void UpdateZoomButtons();
    void SyncContentsSelection();
    void SyncContentsButton();

    // Commands (menus, the relayed toolbar, keys).
    void NextBtnClick();
    void BackBtnClick();
    void StartBtnClick();
    void EndBtnClick();
    void Mn_JumpClick();
    void Mn_PageScrollClick();
    void Mn_ContentsClick();
    void CB_RituChange(QObject* sender);
    void Mn10Click(int tag);  // the 22 zoom items: the list entry of the item's Tag
    void BigBtnClick();
    void SmallBtnClick();
    void FormActivate();
    void ToggleStatusBar();
    void Mn_OpenClick();       // 開く: the frame's open command
    void Close1Click();        // 閉じる: closes this window
    void Mn_ExitClick();       // 終了: closes the frame, ending the program
    void Mn_ToolBarClick();    // ツールバー: the frame's toolbar toggle
    void Mn_StatusBarClick();  // ステータスバー: the frame's status-bar toggle

    // Menu state as each menu opens.
    void File1Click();  // ファイル: printing and margins follow their buttons
    void N2Click();     // 書類: the page commands follow their buttons
    void Show1Click();  // 表示: zoom items, contents, toolbar and status bar
    // The sheet's context menu: zoom as in 表示; 出力 only while Ctrl and Shift are held.
    void PopupMenu_PaperPopup(Qt::KeyboardModifiers modifiers);
    // A page output is running (in any window): 出力's commands are greyed until it ends. They
    // are also greyed while no page is shown.
    void SetOutputRunning(bool running);

    // File, Document and View: the frame shows them in place of its own File and View menus
    // while this window is active.
    QList<QMenu*> DocumentMenus() const;
    QMenu* PopupMenu_Paper() const { return popup_; }
    QAction* MenuItem(const QString& name) const;

    QWidget* PL_Bottom() const;
    QWidget* PL_JumpTree() const;
    ContentsPanel* Contents() const { return contents_; }
    TCngLstBox* JumpTree() const;
    PageScrollBox* ScrollBox() const { return scrollBox_; }
    PaperPanel* PL_Paper() const { return paper_; }
    PagePaintBox* PaintBox() const { return paintBox_; }
    TFocusControl* FocusControl() const { return focusControl_; }
    QSplitter* Splitter() const { return splitter_; }
    QTimer* Timer() const { return timer_; }
    QString StatusText(int panel) const;  // PL_Bottom0..2

    // The page-number dialog; tests answer it themselves.
    using PagePrompt = std::function<std::optional<QString>(
        const QString& caption, const QString& prompt, const QString& preset)>;
    void SetPagePrompt(PagePrompt prompt) { pagePrompt_ = std::move(prompt); }

    // Handlers of the page area (public for tests driving them directly).
    void FocusControlKeyDown(QKeyEvent* event);
    void PageAreaWheel(QWheelEvent* event);
    void ImageOrgMouseDown(QMouseEvent* event);
    void ImageOrgMouseMove(QMouseEvent* event);
    void ImageOrgMouseUp(QMouseEvent* event);

  signals:
    // Commands that the printing, margin, information, environment and output parts connect to.
    void MarjinBtnClicked();  // マージン調整 (button and menu)
    void PrnBtnClicked();     // 印刷 (button and menu)
    void S1Clicked();         // 印刷設定
    void N4Clicked();         // 書類情報
    void D1Clicked();         // 現在の環境 › 記録
    void R1Clicked();         // 現在の環境 › 初期値に戻す
    void Mn_FileClicked();    // 出力 › ファイル
    void Mn_ClipClicked();    // 出力 › クリップボード

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Dragging the sheet; 0 means no reference position recorded.
    struct DragState {
        bool dragging = false;
        int lastX = 0;
        int lastY = 0;
        bool cursorSet = false;
    };

    void FormCreate();
    // The body arriving after the open (TViewFormBody.cpp).
    void WatchBody();
    void BodyProgress();
    void ReportBodyDamage();
    void ApplyScreenColours();
    // The controls (TViewFormControls.cpp).
    void BuildControls();
    void BuildPageArea();
    void BuildStatusBar();
    void BuildFocusHolder();
    void ConnectControls();
    // The menus, from one table (TViewFormMenus.cpp).
    void BuildMenus();
    void KeepShortcutsInWindow();
    void UpdateMenuState();
    // Keys, wheel, drag and focus of the page area and the contents list (TViewFormInput.cpp).
    void FocusControlEnter();
    void FocusControlExit();
    bool JumpTreeKeyDown(QKeyEvent* event);
    void ScrollPageVertically(int delta, bool down);
    void EndDrag();
    // The shared toolbar (TViewFormCommands.cpp).
    void Relay();
    void ReleaseToolbar();
    void JumpTreeIndexChange();
    void TimerTimer();

    ViewHost& host_;
    Document document_;
    mf::Metafile pageMetafile_;
    QByteArray pageBytes_;  // the storage of the current page's bytes, kept for the next one
    std::uint64_t pageGeneration_ = 0;
    int zoomPercent_ = 0;
    int zoomIndex_ = 1;
    int wheelRemainder_ = 0;
    DragState drag_;
    bool shown_ = false;
    int pendingPage_ = 0;  // the page waiting for its bytes; 0 for none
    bool damageReported_ = false;
    // Set while a progress notice is on its way from the inflating thread, so that they do not
    // pile up in the event queue.
    std::shared_ptr<std::atomic<bool>> progressPosted_;
    PagePrompt pagePrompt_;

    QWidget* client_ = nullptr;
    QSplitter* splitter_ = nullptr;
    ContentsPanel* contents_ = nullptr;
    TNoPaintPanel_Speed* panel1_ = nullptr;
    PageScrollBox* scrollBox_ = nullptr;
    PaperPanel* paper_ = nullptr;
    PagePaintBox* paintBox_ = nullptr;
    TNoPaintPanel_Speed* bottom_ = nullptr;
    std::array<TPanelExt*, 3> bottomPanels_{};
    QProgressBar* progress_ = nullptr;
    TFocusControl* focusControl_ = nullptr;
    TLabel_Speed* focusLabel_ = nullptr;
    QTimer* timer_ = nullptr;

    QMenu* file1_ = nullptr;
    QMenu* n2_ = nullptr;
    QMenu* show1_ = nullptr;
    QMenu* popup_ = nullptr;
    QMenu* output_ = nullptr;
    std::array<QAction*, 11> mnZoom_{};
    std::array<QAction*, 11> poZoom_{};
    // Menu items found by name: every page turn refreshes a dozen of them, and searching the
    // menus each time cost a twentieth of a turn.
    mutable QHash<QString, QPointer<QAction>> menuItems_;
    bool outputRunning_ = false;
};

}  // namespace tavlex
