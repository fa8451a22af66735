#pragma once

#include "print/ProcessDialog.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tavlex {

class TViewForm;

// The document information dialog: what the album says about itself, and whether the printer
// path can draw each font its pages use. One dialog for the process, created on first use.
class TProForm : public ProcessDialog<TProForm> {
    Q_OBJECT
  public:
    static TProForm& ProForm() { return Instance(); }

    QLabel* LB_Ver() const { return ver_; }
    QLabel* LB_Date() const { return date_; }
    QLabel* LB_Title() const { return title_; }
    QLabel* LB_Name() const { return name_; }
    QLabel* LB_Bikou() const { return bikou_; }
    QLabel* LB_Paper() const { return paper_; }
    QLabel* LB_Gaiji() const { return gaiji_; }
    QLabel* LB_Font() const { return font_; }
    QPlainTextEdit* Memo() const { return memo_; }

  private:
    friend class ProcessDialog<TProForm>;
    TProForm();
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
};

}  // namespace tavlex
