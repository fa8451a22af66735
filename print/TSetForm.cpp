#include "print/TSetForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "album/AlbumError.h"
#include "album/MarginWriter.h"
#include "support/Messages.h"
#include "view/PagePaintBox.h"
#include "view/TViewForm.h"
#include "view/ViewHost.h"

namespace tavlex {

bool TSetForm::SuppressTrackChange = false;

namespace {

QSlider* TrackBar(QWidget* parent, const char* name, Qt::Orientation orientation, QRect geometry) {
    auto* bar = new QSlider(orientation, parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setRange(-50, 50);
    bar->setTickInterval(10);
    bar->setTickPosition(QSlider::TicksBothSides);
    bar->setPageStep(10);
    bar->setValue(0);
    // A vertical bar has its minimum at the top, so moving a thumb down moves that edge down.
    if (orientation == Qt::Vertical) {
        bar->setInvertedAppearance(true);
        bar->setInvertedControls(true);
    }
    bar->setGeometry(geometry);
    return bar;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

struct Suppress {
    Suppress() { TSetForm::SuppressTrackChange = true; }
    ~Suppress() { TSetForm::SuppressTrackChange = false; }
};

}  // namespace

TSetForm::TSetForm() {
    setObjectName(QStringLiteral("SetForm"));
    setWindowTitle(QStringLiteral("マージン調整"));
    setFixedSize(321, 208);
    top_ = TrackBar(this, "TrackBar_Top", Qt::Vertical, QRect(104, 4, 25, 100));
    bottom_ = TrackBar(this, "TrackBar_Bottom", Qt::Vertical, QRect(104, 104, 25, 100));
    left_ = TrackBar(this, "TrackBar_Left", Qt::Horizontal, QRect(4, 92, 100, 25));
    right_ = TrackBar(this, "TrackBar_Right", Qt::Horizontal, QRect(124, 92, 100, 25));
    const auto label = [this](const QString& text, QWidget* buddy, QPoint at) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        l->move(at);
        l->adjustSize();
    };
    label(QStringLiteral("上(&T)"), top_, QPoint(72, 48));
    label(QStringLiteral("下(&O)"), bottom_, QPoint(136, 148));
    label(QStringLiteral("左(&L)"), left_, QPoint(44, 124));
    label(QStringLiteral("右(&R)"), right_, QPoint(180, 76));

    auto* panel1 = new QFrame(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel1->setGeometry(160, 8, 157, 61);
    start_ = Button(panel1, "StartBtn", QStringLiteral("最初(&S)"), QRect(4, 4, 73, 24));
    back_ = Button(panel1, "BackBtn", QStringLiteral("前(&B)"), QRect(80, 4, 73, 24));
    next_ = Button(panel1, "NextBtn", QStringLiteral("次(&N)"), QRect(4, 32, 73, 24));
    end_ = Button(panel1, "EndBtn", QStringLiteral("最後(&E)"), QRect(80, 32, 73, 24));

    auto* panel2 = new QFrame(this);
    panel2->setObjectName(QStringLiteral("Panel2"));
    panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel2->setGeometry(236, 100, 81, 97);
    reset_ = Button(panel2, "BitBtn1", QStringLiteral("ﾘｾｯﾄ(&R)"), QRect(4, 4, 73, 24));
    write_ = Button(panel2, "BitBtn3", QStringLiteral("書込(&W)"), QRect(4, 32, 73, 24));
    close_ = Button(panel2, "BitBtn2", QStringLiteral("閉じる(&C)"), QRect(4, 68, 73, 24));

    setTabOrder(left_, top_);
    setTabOrder(top_, right_);
    setTabOrder(right_, bottom_);
    setTabOrder(bottom_, start_);

    for (QSlider* bar : {top_, bottom_, left_, right_})
        connect(bar, &QSlider::valueChanged, this, [this] { TrackBar_TopChange(); });
    connect(reset_, &QPushButton::clicked, this, &TSetForm::BitBtn1Click);
    connect(write_, &QPushButton::clicked, this, &TSetForm::BitBtn3Click);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    connect(start_, &QPushButton::clicked, this, &TSetForm::StartBtnClick);
    connect(back_, &QPushButton::clicked, this, &TSetForm::BackBtnClick);
    connect(next_, &QPushButton::clicked, this, &TSetForm::NextBtnClick);
    connect(end_, &QPushButton::clicked, this, &TSetForm::EndBtnClick);
}

void TSetForm::FormShow() {
    const Document& doc = Form()->Doc();
    // Writable means: the file is there, carries a write permission at all (its read-only
    // attribute, which binds root as well), and this process may write it.
    const QFileInfo file(doc.AlbumPath);
    const bool anyWriteBit =
        file.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther);
    write_->setEnabled(!doc.AlbumPath.isEmpty() && file.isFile() && file.isWritable() &&
                       anyWriteBit);
    SyncPageButtons();
    Suppress suppress;
    top_->setValue(doc.EdgeOffsetTop);
    bottom_->setValue(doc.EdgeOffsetBottom);
    left_->setValue(doc.EdgeOffsetLeft);
    right_->setValue(doc.EdgeOffsetRight);
}

void TSetForm::SyncPageButtons() {
    if (!Form()) return;
    const FrameControls& frame = Form()->Host().Controls();
    const auto sync = [](QPushButton* mine, QAbstractButton* toolbar) {
        mine->setEnabled(toolbar && toolbar->isEnabled());
    };
    sync(next_, frame.NextBtn);
    sync(back_, frame.BackBtn);
    sync(start_, frame.StartBtn);
    sync(end_, frame.EndBtn);
}

void TSetForm::TrackBar_TopChange() {
    if (SuppressTrackChange || !Form()) return;
    Document& doc = Form()->Doc();
    doc.EdgeOffsetTop = top_->value();
    doc.EdgeOffsetBottom = bottom_->value();
    doc.EdgeOffsetLeft = left_->value();
    doc.EdgeOffsetRight = right_->value();
    Form()->PaintBox()->repaint();
}

void TSetForm::BitBtn1Click() {
    if (!Form()) return;
    {
        Suppress suppress;
        for (QSlider* bar : {top_, bottom_, left_, right_}) bar->setValue(0);
        Document& doc = Form()->Doc();
        doc.EdgeOffsetTop = doc.EdgeOffsetBottom = doc.EdgeOffsetLeft = doc.EdgeOffsetRight = 0;
    }
    Form()->PaintBox()->repaint();
}

void TSetForm::BitBtn3Click() {
    if (!Form()) return;
    if (!AskYesCancel(QStringLiteral("ブラウザファイルに設定を記録しますか？"))) return;
    try {
        WriteMargins(Form()->Doc());
    } catch (const AlbumError& error) {
        // The header in memory and the file are as they were.
        ShowInfo(error.Message());
    }
}

void TSetForm::StartBtnClick() {
    if (!Form()) return;
    Form()->StartBtnClick();
    SyncPageButtons();
}

void TSetForm::BackBtnClick() {
    if (!Form()) return;
    Form()->BackBtnClick();
    SyncPageButtons();
}

void TSetForm::NextBtnClick() {
    if (!Form()) return;
    Form()->NextBtnClick();
    SyncPageButtons();
}

void TSetForm::EndBtnClick() {
    if (!Form()) return;
    Form()->EndBtnClick();
    SyncPageButtons();
}

}  // namespace tavlex
