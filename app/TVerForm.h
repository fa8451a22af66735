#pragma once

#include <QDialog>

#include <functional>

class QMenu;
class QAction;
class QTextEdit;

namespace tavlex {

class TAlignSpeedButton_Speed;
class TDropdownSpeedButton;
class TFocusControl;
class TLabel_Speed;

// The version dialog: the product and version, the notice on what the viewer is for, the web
// pages, and an open button (it is what a start without albums shows). Modal; closing hides it
// and the frame keeps it for the rest of the run. The invisible focus holder keeps the keyboard
// all the time: Enter and Escape close, Page Up/Down and the arrows scroll the notice.
class TVerForm : public QDialog {
    Q_OBJECT

  public:
    // openCommand: the frame's open command, true when the user confirmed the open dialog.
    explicit TVerForm(std::function<bool()> openCommand, QWidget* parent = nullptr);

    // "Pelmarkブラウザ ver." + the application's version, or "Pelmarkブラウザ ver.9" when the
    // build gave none.
    static QString VersionText();
    // The 23 lines of the notice.
    static QStringList NoticeLines();

    TLabel_Speed* Version() const { return version_; }
    TLabel_Speed* Label_Speed1() const { return rights_; }
    QTextEdit* Memo() const { return memo_; }
    TFocusControl* FocusControl() const { return focusControl_; }
    TAlignSpeedButton_Speed* SpeedButton2() const { return openButton_; }
    TDropdownSpeedButton* Button1() const { return homeButton_; }
    TAlignSpeedButton_Speed* Button_NewPrg() const { return newButton_; }
    TAlignSpeedButton_Speed* SpeedButton1() const { return closeButton_; }
    QMenu* PopupMenu() const { return popupMenu_; }

    void SpeedButton2Click();

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void BuildTitles();
    void BuildMemo(const QPalette& colours);
    void BuildButtons(const QPalette& colours);
    void BuildHomeMenu();
    void FocusControlKeyDown(QKeyEvent* event);
    void KeepFocus();

    std::function<bool()> openCommand_;
    TLabel_Speed* version_ = nullptr;
    TLabel_Speed* rights_ = nullptr;
    TFocusControl* focusControl_ = nullptr;
    QTextEdit* memo_ = nullptr;
    TAlignSpeedButton_Speed* openButton_ = nullptr;
    TDropdownSpeedButton* homeButton_ = nullptr;
    TAlignSpeedButton_Speed* newButton_ = nullptr;
    TAlignSpeedButton_Speed* closeButton_ = nullptr;
    QMenu* popupMenu_ = nullptr;
};

}  // namespace tavlex
