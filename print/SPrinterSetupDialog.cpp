#include "print/SPrinterSetupDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "print/TPrinterEnv.h"

namespace tavlex {

SPrinterSetupDialog::SPrinterSetupDialog(TPrinterEnv& env, QWidget* parent)
    : QDialog(parent), env_(env) {
    setObjectName(QStringLiteral("SetupDialog"));
    setWindowTitle(QStringLiteral("プリンタの設定"));
    auto* form = new QFormLayout;
    printers_ = new QComboBox(this);
    printers_->setObjectName(QStringLiteral("Printers"));
    const QStringList names = QPrinterInfo::availablePrinterNames();
    if (names.isEmpty()) {
        // Without a printer the PDF output is the printer.
        printers_->addItem(QStringLiteral("PDF"), QString());
    } else {
        for (const QString& name : names) printers_->addItem(name, name);
        const qsizetype at = names.indexOf(TPrinterEnv::PrinterObject().printerName());
        printers_->setCurrentIndex(at < 0 ? 0 : static_cast<int>(at));
    }
    papers_ = new QComboBox(this);
    papers_->setObjectName(QStringLiteral("Papers"));
    bins_ = new QComboBox(this);
    bins_->setObjectName(QStringLiteral("Bins"));
    form->addRow(QStringLiteral("プリンタ名(&N):"), printers_);
    form->addRow(QStringLiteral("用紙サイズ(&Z):"), papers_);
    form->addRow(QStringLiteral("給紙方法(&S):"), bins_);

    auto* orientation = new QGroupBox(QStringLiteral("印刷の向き"), this);
    auto* row = new QHBoxLayout(orientation);
    portrait_ = new QRadioButton(QStringLiteral("縦(&O)"), orientation);
    landscape_ = new QRadioButton(QStringLiteral("横(&A)"), orientation);
    row->addWidget(portrait_);
    row->addWidget(landscape_);
    (env_.Orientation() == 1 ? landscape_ : portrait_)->setChecked(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(orientation);
    layout->addWidget(buttons);

    FillTables();
    connect(printers_, &QComboBox::currentIndexChanged, this, [this] {
        const QString name = printers_->currentData().toString();
        if (!name.isEmpty()) TPrinterEnv::PrinterObject().setPrinterName(name);
        env_.RefreshDeviceLists();
        FillTables();
    });
}

void SPrinterSetupDialog::FillTables() {
    papers_->clear();
    const int current = env_.CurrentPaperIndex();
    const int papers = env_.PaperCount();
    for (int i = 0; i < papers; ++i) papers_->addItem(env_.PaperNameAt(i));
    papers_->setCurrentIndex(current < 0 ? 0 : current);
    bins_->clear();
    const int bins = env_.BinCount();
    const DeviceTables& tables = TPrinterEnv::Tables();
    for (int i = 0; i < bins; ++i) bins_->addItem(tables.binNames[static_cast<std::size_t>(i)]);
    const int bin = env_.CurrentBinIndex();
    bins_->setCurrentIndex(bin < 0 ? 0 : bin);
    bins_->setEnabled(bins > 0);
    papers_->setEnabled(papers > 0);
}

void SPrinterSetupDialog::accept() {
    if (papers_->currentIndex() >= 0) env_.SetPaperIndex(papers_->currentIndex());
    env_.SetOrientation(landscape_->isChecked() ? 1 : 0);
    if (bins_->count() > 0 && bins_->currentIndex() >= 0) {
        PrinterSettings& shared = TPrinterEnv::SharedSettings();
        if (env_.ReadSettings(shared)) {
            shared.UseBin = true;
            shared.BinCode = static_cast<std::int16_t>(env_.BinCodeAt(bins_->currentIndex()));
            env_.ApplySettings(shared);
            // A source chosen here is kept only for this change; the album's paper does not
            // carry one.
            shared.UseBin = false;
        }
    }
    QDialog::accept();
}

}  // namespace tavlex
