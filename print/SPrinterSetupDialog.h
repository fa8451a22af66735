#pragma once

#include <QDialog>

class QComboBox;
class QRadioButton;

namespace tavlex {

class TPrinterEnv;

// The printer setup dialog: printer, paper, paper source and orientation, from the printer
// environment's tables. Confirming applies them to the printer object; a change of printer
// reads the tables again first.
class SPrinterSetupDialog : public QDialog {
    Q_OBJECT
  public:
    SPrinterSetupDialog(TPrinterEnv& env, QWidget* parent);

    QComboBox* Printers() const { return printers_; }
    QComboBox* Papers() const { return papers_; }
    QComboBox* Bins() const { return bins_; }
    QRadioButton* Portrait() const { return portrait_; }
    QRadioButton* Landscape() const { return landscape_; }

    void accept() override;

  private:
    void FillTables();

    TPrinterEnv& env_;
    QComboBox* printers_ = nullptr;
    QComboBox* papers_ = nullptr;
    QComboBox* bins_ = nullptr;
    QRadioButton* portrait_ = nullptr;
    QRadioButton* landscape_ = nullptr;
};

}  // namespace tavlex
