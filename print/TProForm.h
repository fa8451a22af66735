#pragma once

#include <QDialog>
#include <QPointer>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tavlex {

class TViewForm;

// The document information dialog: what the album says about itself, and whether the printer
// path can draw each font its pages use. One dialog for the process, created on first use.
class TProForm : public QDialog {
    Q_OBJECT
  public:
    static TProForm& ProForm();
    void Open(TViewForm& form);  // fills the texts from the window's document, shows modally

    QLabel* LB_Ver() const { return ver_; }
    QLabel* LB_Date() const { return date_; }
    QLabel* LB_Title() const { return title_; }
    QLabel* LB_Name() const { return name_; }
    QLabel* LB_Bikou() const { return bikou_; }
    QLabel* LB_Paper() const { return paper_; }
    QLabel* LB_Gaiji() const { return gaiji_; }
    QLabel* LB_Font() const { return font_; }
    QPlainTextEdit* Memo() const { return memo_; }

    using Runner = std::function<void(TProForm& dialog)>;
    static void SetRunner(Runner runner);

  private:
    TProForm();
    void FormCreate(QWidget* main);
    void FormShow();

    QLabel* ver_ = nullptr;
    QLabel* date_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* name_ = nullptr;
    QLabel* bikou_ = nullptr;
    QLabel* paper_ = nullptr;
    QLabel* gaiji_ = nullptr;
    QLabel* font_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QPushButton* button_ = nullptr;
    QPointer<TViewForm> form_;
    bool created_ = false;
};

}  // namespace tavlex
