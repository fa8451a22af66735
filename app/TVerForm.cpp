#include "app/TVerForm.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>

#include "controls/TAlignSpeedButton_Speed.h"
#include "controls/TDropdownSpeedButton.h"
#include "controls/TFocusControl.h"
#include "controls/TLabel_Speed.h"
#include "support/gui/ShellUtilities.h"

namespace tavlex {

namespace {

TAlignSpeedButton_Speed* Button(QWidget* parent, const char* name, const QString& caption,
                                const QRect& bounds) {
    auto* button = new TAlignSpeedButton_Speed(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setGeometry(bounds);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

QString TVerForm::VersionText() {
    const QString version = QCoreApplication::applicationVersion();
    if (version.isEmpty()) return QStringLiteral("Pelmarkブラウザ ver.9");
    return QStringLiteral("Pelmarkブラウザ ver.") + version;
}

QStringList TVerForm::NoticeLines() {
    return {
        QString(),
        QStringLiteral("このブラウザで表示できるのは、"),
        QStringLiteral("次のPelmarkシリーズ製品で作成したデータです。"),
        QStringLiteral("Pelmark 工事写真帳"),
        QStringLiteral("Pelmark 写真台帳プロ"),
        QStringLiteral("Pelmark 電子納品アシスタント"),
        QStringLiteral("このブラウザは上記の製品専用です。"),
        QString(),
        QStringLiteral("1. このブラウザは、対応製品の文書イメージ形式を"),
        QStringLiteral("表示・印刷するためだけのものです。"),
        QStringLiteral("それ以外の目的には使用できません。"),
        QStringLiteral("2. このブラウザは無償で配布していますが、"),
        QStringLiteral("著作権は作者が保持しています。"),
        QStringLiteral("3. お問い合わせ・サポートは、"),
        QStringLiteral("原則としてお受けしておりません。"),
        QStringLiteral("4. このプログラムおよび付属物を使用して"),
        QStringLiteral("生じたいかなる問題についても、"),
        QStringLiteral("作者は一切の責任を負いません。"),
        QString(),
        QStringLiteral("最新のブラウザは「最新のブラウザの入手」から"),
        QStringLiteral("入手できます。"),
        QString(),
        QStringLiteral("Velmo / Ranut"),
    };
}

TVerForm::TVerForm(std::function<bool()> openCommand, QWidget* parent)
    : QDialog(parent), openCommand_(std::move(openCommand)) {
    setObjectName(QStringLiteral("VerForm"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(444, 239);
    setModal(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::yellow);
    colours.setColor(QPalette::Base, Qt::yellow);
    colours.setColor(QPalette::Button, Qt::yellow);
    setPalette(colours);
    setAutoFillBackground(true);

    BuildTitles();
    focusControl_ = new TFocusControl(this);
    focusControl_->setObjectName(QStringLiteral("FocusControl"));
    focusControl_->setGeometry(0, 49, 444, 8);

    BuildMemo(colours);
    BuildButtons(colours);
    BuildHomeMenu();

    connect(newButton_, &QAbstractButton::clicked, this, [] { OpenPartnerDownloadPage(); });
    connect(closeButton_, &QAbstractButton::clicked, this, &QDialog::accept);
    connect(openButton_, &QAbstractButton::clicked, this, &TVerForm::SpeedButton2Click);
    connect(focusControl_, &TFocusControl::KeyDown, this, &TVerForm::FocusControlKeyDown);
    connect(focusControl_, &TFocusControl::Exited, this, &TVerForm::KeepFocus);
    setFocusProxy(focusControl_);
}

// The version in large type over the copyright line.
void TVerForm::BuildTitles() {
    version_ = new TLabel_Speed(VersionText(), this);
    version_->setObjectName(QStringLiteral("Version"));
    version_->setGeometry(0, 0, 444, 33);
    version_->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    version_->setTextFormat(Qt::PlainText);
    QFont big = version_->font();
    big.setBold(true);
    big.setPixelSize(19);
    version_->setFont(big);

    rights_ =
        new TLabel_Speed(QStringLiteral("Copyright (C) Velmo / Ranut  All Rights Reserved."), this);
    rights_->setObjectName(QStringLiteral("Label_Speed1"));
    rights_->setGeometry(0, 33, 444, 16);
    rights_->setAlignment(Qt::AlignCenter);
    rights_->setTextFormat(Qt::PlainText);
    QFont bold = rights_->font();
    bold.setBold(true);
    rights_->setFont(bold);
}

// The notices, centred on the dialog's colour and not selectable.
void TVerForm::BuildMemo(const QPalette& colours) {
    memo_ = new QTextEdit(this);
    memo_->setObjectName(QStringLiteral("Memo"));
    memo_->setGeometry(20, 56, 405, 129);
    memo_->setReadOnly(true);
    memo_->setFocusPolicy(Qt::ClickFocus);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo_->viewport()->setCursor(Qt::ArrowCursor);
    memo_->setTextInteractionFlags(Qt::NoTextInteraction);
    memo_->setPalette(colours);
    memo_->setPlainText(NoticeLines().join(QLatin1Char('\n')));
    QTextCursor all(memo_->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);
}

void TVerForm::BuildButtons(const QPalette& colours) {
    openButton_ = Button(this, "SpeedButton2", QStringLiteral("開く(&O)"), QRect(20, 196, 69, 25));
    homeButton_ = new TDropdownSpeedButton(this);
    homeButton_->setObjectName(QStringLiteral("Button1"));
    homeButton_->setText(QStringLiteral("ホームページ"));
    homeButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    homeButton_->setGeometry(104, 196, 93, 25);
    homeButton_->setFocusPolicy(Qt::NoFocus);
    homeButton_->setCursor(Qt::PointingHandCursor);
    newButton_ = Button(this, "Button_NewPrg", QStringLiteral("最新のブラウザの入手(&B)"),
                        QRect(200, 196, 149, 25));
    closeButton_ =
        Button(this, "SpeedButton1", QStringLiteral("閉じる(&C)"), QRect(352, 196, 73, 25));
    for (QWidget* button :
         {static_cast<QWidget*>(openButton_), static_cast<QWidget*>(homeButton_),
          static_cast<QWidget*>(newButton_), static_cast<QWidget*>(closeButton_)}) {
        button->setPalette(colours);
    }
}

// The home page button's menu of the makers' sites.
void TVerForm::BuildHomeMenu() {
    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName(QStringLiteral("PopupMenu"));
    QAction* ranut = popupMenu_->addAction(QStringLiteral("Ranut ホームページ ") +
                                           PartnerAddressText() + QStringLiteral("(&K)..."));
    ranut->setObjectName(QStringLiteral("RANUT1"));
    popupMenu_->addSeparator()->setObjectName(QStringLiteral("N1"));
    QAction* series = popupMenu_->addAction(SeriesSiteName() + QLatin1Char(' ') +
                                            SeriesAddressText() + QStringLiteral("(&M)"));
    series->setObjectName(QStringLiteral("SeriesSite1"));
    QAction* catalogue = popupMenu_->addAction(QStringLiteral("Pelmarkシリーズの紹介(&C)..."));
    catalogue->setObjectName(QStringLiteral("M1"));
    homeButton_->SetDropdownMenu(popupMenu_);

    connect(ranut, &QAction::triggered, this, [] { OpenPartnerHomePage(); });
    connect(series, &QAction::triggered, this, [] { OpenSeriesSite(); });
    connect(catalogue, &QAction::triggered, this, [] { OpenSeriesCataloguePage(); });
}

void TVerForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CenterOnMainForm(this);
    focusControl_->setFocus(Qt::OtherFocusReason);
}

void TVerForm::keyPressEvent(QKeyEvent* event) {
    FocusControlKeyDown(event);
    if (!event->isAccepted()) QDialog::keyPressEvent(event);
}

void TVerForm::FocusControlKeyDown(QKeyEvent* event) {
    QScrollBar* bar = memo_->verticalScrollBar();
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            accept();
            return;
        case Qt::Key_PageUp:
        case Qt::Key_Up:
            event->accept();
            bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
            return;
        case Qt::Key_PageDown:
        case Qt::Key_Down:
            event->accept();
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            return;
        default:
            event->ignore();
    }
}

void TVerForm::KeepFocus() {
    // The notice never keeps the focus: the keys above must always reach the focus holder. Put
    // back once the change that took it away has finished.
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && isActiveWindow() && QApplication::focusWidget() != focusControl_) {
            focusControl_->setFocus(Qt::OtherFocusReason);
        }
    });
}

void TVerForm::SpeedButton2Click() {
    if (openCommand_ && openCommand_()) accept();
}

}  // namespace tavlex
