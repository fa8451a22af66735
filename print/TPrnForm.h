#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QProgressBar;
class QPushButton;

namespace tavlex {

// The print progress window: a bar, the count in the caption and a cancel button. Not modal:
// the printing loop pumps messages through ProgressBegin/Step/End between pages and through
// ProgressService while a page plays, and polls the cancel flag each time. One window for the
// process, created on first use and hidden, never closed.
class TPrnForm : public QDialog {
    Q_OBJECT
  public:
    static TPrnForm& ProgressWindow();  // created on first use
    static bool Exists();

    void ProgressBegin(const QString& caption, int maximum);
    bool ProgressStep(int position);  // true when the user has cancelled
    // While a page plays: handles what is pending, the cancel button among it, and says whether
    // the user has cancelled. The bar and caption stay as they are.
    bool ProgressService();
    bool ProgressEnd(int seconds);  // the pause (unless cancelled), then hides; cancelled?

    bool Cancelled() const { return cancelled_; }
    QProgressBar* ProgressBar() const { return bar_; }
    QPushButton* Button() const { return button_; }
    void ButtonClick();

    // The blocking pause of ProgressEnd (tests replace it).
    using Sleeper = std::function<void(int milliseconds)>;
    static void SetSleeper(Sleeper sleeper);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    TPrnForm();
    void FormShow();
    void Pump();

    QProgressBar* bar_ = nullptr;
    QPushButton* button_ = nullptr;
    QString baseCaption_;
    bool cancelled_ = false;
};

}  // namespace tavlex
