#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include "app/ToolbarGlyphs.h"
#include "view/ToolbarRelay.h"
#include "view/ViewHost.h"

class QAction;
class QFileDialog;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;

namespace tavlex {

class RecentFiles;
class TAlignSpeedButton_Speed;
class TBevel;
class TControlSize;
class TDropDst;
class TOpenDialogEx;
class TVerForm;
class TEnablePanel;
class TLabel_Speed;
class TNoPaintPanel_Speed;
class TPaintComboBox;
class TViewForm;

// The frame window: the shared toolbar, the menus, the open dialog and the arrangement of the
// document windows, one per open album. It holds no document state; the active document window
// binds the toolbar to itself (only SB_Open is wired here).
class TVMainForm : public QMainWindow, public ViewHost {
    Q_OBJECT

  public:
    explicit TVMainForm(QWidget* parent = nullptr);
    ~TVMainForm() override;

    // ViewHost.
    const FrameControls& Controls() const override { return controls_; }
    ToolbarRelay& Relay() override { return relay_; }
    ViewerSettings& Settings() override;
    QString TempFolder() const override;
    void OpenCommand() override { SB_OpenClick(); }
    void ToolBarToggle() override { Mn_ToolBarClick(); }
    void StatusBarToggle() override { Mn_StatusBarClick(); }
    void ExitCommand() override { Mn_ExitClick(); }
    // A maximised child is sent its size again (as if restored, then maximised) so that it lays
    // itself out with its final client size; anything else is left alone.
    void FixMaximizedChild(QMdiSubWindow* window) override;

    // The open command: shows the open dialog and opens the chosen albums in its order. Returns
    // whether the dialog was confirmed.
    bool SB_OpenClick();
    // Opens one album in a new document window. Returns the window, or nullptr when the loader
    // refused the file (its message has been shown and no window is left). A load that fails
    // with an error keeps its window (without a page) and returns it.
    TViewForm* OpenAlbum(const QString& path);
    // OpenAlbum for each path in order; returns the last window still open for the last path.
    TViewForm* OpenAlbums(const QStringList& paths);
    // Files dropped on the frame: the frame comes forward and each existing file (not a folder)
    // is opened in the order delivered.
    void DropDstFileDrop(const QStringList& paths);
    // The albums of the command line, opened 300 ms after the frame is first shown; when none
    // of them can be opened, the version dialog is shown instead.
    void SetStartFiles(const QStringList& paths);

    // Window arrangement.
    void V1Click();  // 横に並べて表示: side by side
    void T1Click();  // 縦に並べて表示: one above the other
    void TileShownWindows(Qt::Orientation direction);
    void Cascade1Click();  // 重ねて表示: the frame's own cascade, windows CascadeStep apart
    void ArrangeIcon1Click();  // アイコンの整列: minimised windows in a row
    int CascadeStep() const;
    // Window-size presets 0..4: 640*480, 800*600, 1024*768, 1152*870, 1280*1024 (outer size).
    void SetPresetSize(int preset);
    static QSize PresetSize(int preset);
    void N6404801Click();     // &1 640*480
    void N8006001Click();     // &2 800*600
    void N10247681Click();    // &3 1024*768
    void N11521Click();       // &4 1152*870
    void N5128010241Click();  // &5 1280*1024

    // Help menu: the topic finder is offered only when the help is there; the version dialog is
    // made on first use and kept.
    void Help1Click();
    void SearchforHelpOnClick();
    void Mn_AboutClick();
    void Mn_RanutClick();       // the partner's home page
    void Mn_SeriesSiteClick();  // the series' site
    void N6Click();             // the series' catalogue page
    void Mn_NewPrgClick();      // where the newest viewer is offered
    TVerForm* VerForm();
    RecentFiles* Recent() const { return recent_; }
    TControlSize* ControlSize() const { return controlSize_; }
    TDropDst* DropDst() const { return dropDst_; }

    void Mn_ToolBarClick();    // toolbar and the line above it
    void Mn_StatusBarClick();  // the active document window's status bar
    void Mn_ExitClick();       // 終了: closes the frame
    // Disables every control that the document windows relay (SB_Open stays).
    void DisableDocumentControls();

    // The active document window (also while the frame itself is inactive), or nullptr.
    TViewForm* ActiveDocumentWindow() const;
    QList<TViewForm*> DocumentWindows() const;

    // Controls, for the document windows and the tests.
    TAlignSpeedButton_Speed* SB_Open() const { return sbOpen_; }
    TAlignSpeedButton_Speed* MarjinBtn() const { return marjinBtn_; }
    TAlignSpeedButton_Speed* PrnBtn() const { return prnBtn_; }
    TAlignSpeedButton_Speed* PageScrollBtn() const { return pageScrollBtn_; }
    TAlignSpeedButton_Speed* SB_JumpTree() const { return sbJumpTree_; }
    TAlignSpeedButton_Speed* JumpBtn() const { return jumpBtn_; }
    TAlignSpeedButton_Speed* StartBtn() const { return startBtn_; }
    TAlignSpeedButton_Speed* BackBtn() const { return backBtn_; }
    TAlignSpeedButton_Speed* NextBtn() const { return nextBtn_; }
    TAlignSpeedButton_Speed* EndBtn() const { return endBtn_; }
    TAlignSpeedButton_Speed* SmallBtn() const { return smallBtn_; }
    TAlignSpeedButton_Speed* BigBtn() const { return bigBtn_; }
    TEnablePanel* PL_Ritu() const { return plRitu_; }
    TLabel_Speed* Label1() const { return label1_; }
    TPaintComboBox* CB_Ritu() const { return cbRitu_; }
    TNoPaintPanel_Speed* PL_Top() const { return plTop_; }
    TBevel* Bevel() const { return bevel_; }
    QMdiArea* MdiArea() const { return mdiArea_; }
    TOpenDialogEx* OpenDialog() const { return openDialog_; }
    // The page output's save dialog (EMF, WMF, BMP), ready for the output command.
    QFileDialog* SaveDialog() const { return saveDialog_; }
    QMenu* File1() const { return file1_; }
    QMenu* Show1() const { return show1_; }
    QMenu* Mn_Window() const { return mnWindow_; }
    QMenu* Help1() const { return help1_; }
    QMenu* PopupMenu() const { return popupMenu_; }
    QAction* Mn_ToolBar() const { return mnToolBar_; }
    QAction* Mn_StatusBar() const { return mnStatusBar_; }
    QAction* Mn_ToolBar2() const { return mnToolBar2_; }
    QAction* Mn_StatusBar2() const { return mnStatusBar2_; }
    QAction* PresetAction(int preset) const;

    // Updates the check marks and visibility of the toolbar/status-bar items (View menu and pop-up
    // menu opening).
    void Show1Click();
    void PopupMenuPopup();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The toolbar (TVMainFormToolbar.cpp).
    void BuildToolbar();
    void BuildZoomPanel();
    TAlignSpeedButton_Speed* AddButton(const QString& name, const QString& hint, int tag,
                                       ToolbarGlyph glyph, bool toggle);
    void AddSeparator(const QString& name);
    // The menus, from one table (TVMainFormMenus.cpp).
    void BuildMenus();
    void AddOpenKey();
    // The open and save dialogs (TVMainFormDialogs.cpp).
    void BuildOpenDialog();
    void BuildSaveDialog();
    void SetToolBarVisible(bool visible);
    // Help contexts and the recent albums for a new document window's menus.
    void AdoptDocumentMenus(TViewForm& form);
    // The menu bar: the document window's File, Document and View menus in place of the frame's
    // File and View while a document window is active; Window and Help stay.
    void MergeMenus();
    void FillWindowList();
    void PostFixMenuMessage();
    void FixMenuMessage();
    void Timer_StartTimer();

    FrameControls controls_;
    ToolbarRelay relay_;
    QWidget* central_ = nullptr;
    TBevel* bevel_ = nullptr;
    TNoPaintPanel_Speed* plTop_ = nullptr;
    TAlignSpeedButton_Speed* sbOpen_ = nullptr;
    TAlignSpeedButton_Speed* marjinBtn_ = nullptr;
    TAlignSpeedButton_Speed* prnBtn_ = nullptr;
    TAlignSpeedButton_Speed* pageScrollBtn_ = nullptr;
    TAlignSpeedButton_Speed* sbJumpTree_ = nullptr;
    TAlignSpeedButton_Speed* jumpBtn_ = nullptr;
    TAlignSpeedButton_Speed* startBtn_ = nullptr;
    TAlignSpeedButton_Speed* backBtn_ = nullptr;
    TAlignSpeedButton_Speed* nextBtn_ = nullptr;
    TAlignSpeedButton_Speed* endBtn_ = nullptr;
    TAlignSpeedButton_Speed* smallBtn_ = nullptr;
    TAlignSpeedButton_Speed* bigBtn_ = nullptr;
    TEnablePanel* plRitu_ = nullptr;
    TLabel_Speed* label1_ = nullptr;
    TPaintComboBox* cbRitu_ = nullptr;
    QMdiArea* mdiArea_ = nullptr;
    TOpenDialogEx* openDialog_ = nullptr;
    QFileDialog* saveDialog_ = nullptr;

    QMenu* file1_ = nullptr;
    QMenu* show1_ = nullptr;
    QMenu* mnWindow_ = nullptr;
    QMenu* help1_ = nullptr;
    QMenu* popupMenu_ = nullptr;
    QAction* mnToolBar_ = nullptr;
    QAction* mnStatusBar_ = nullptr;
    QAction* mnToolBar2_ = nullptr;
    QAction* mnStatusBar2_ = nullptr;
    QList<QAction*> presets_;
    QAction* openKey_ = nullptr;
    QList<QAction*> windowListActions_;
    QAction* windowListSeparator_ = nullptr;

    TControlSize* controlSize_ = nullptr;
    TDropDst* dropDst_ = nullptr;
    TVerForm* verForm_ = nullptr;
    RecentFiles* recent_ = nullptr;
    QAction* searchForHelpOn_ = nullptr;

    QTimer* timerStart_ = nullptr;
    bool shownOnce_ = false;
    bool closing_ = false;
    QStringList startFiles_;
    bool startFilesGiven_ = false;
    // Opens that threw, in the user's words, said in one box when the outermost batch ends.
    void ReportFailedOpens();
    QStringList failedOpens_;
    int openBatch_ = 0;
    QPointer<QMdiSubWindow> menusFor_;
};

// The one frame of the process (nullptr before it is created and after it is destroyed).
TVMainForm* MainForm();

}  // namespace tavlex
