#include "print/TPrnForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>

#include <cmath>

namespace tavlex {
namespace {

TPrnForm* g_window = nullptr;

TPrnForm::Sleeper& SleeperSlot() {
    static TPrnForm::Sleeper sleeper = [](int ms) {
        QThread::msleep(static_cast<unsigned long>(ms));
    };
    return sleeper;
}

const QString kDefaultCaption = QStringLiteral("印刷中");

}  // namespace

TPrnForm& TPrnForm::ProgressWindow() {
    if (!g_window) {
        g_window = new TPrnForm();
        // Owned by the application: dropped when it ends.
        QObject::connect(qApp, &QObject::destroyed, [] { g_window = nullptr; });
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] {
            delete g_window;
            g_window = nullptr;
        });
    }
    return *g_window;
}

bool TPrnForm::Exists() {
    return g_window != nullptr;
}

void TPrnForm::SetSleeper(Sleeper sleeper) {
    SleeperSlot() = sleeper ? std::move(sleeper)
                            : [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };
}

TPrnForm::TPrnForm()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("PrnForm"));
    setWindowTitle(kDefaultCaption);
    setModal(false);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(323, 74);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);
    panel->setGeometry(8, 12, 305, 21);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(2, 2, 2, 2);
    bar_ = new QProgressBar(panel);
    bar_->setObjectName(QStringLiteral("ProgressBar"));
    bar_->setTextVisible(false);
    bar_->setRange(0, 1);
    layout->addWidget(bar_);

    button_ = new QPushButton(QStringLiteral("中止(&C)"), this);
    button_->setObjectName(QStringLiteral("Button"));
    button_->setGeometry(107, 40, 109, 25);
    button_->setAutoDefault(false);
    connect(button_, &QPushButton::clicked, this, &TPrnForm::ButtonClick);
}

void TPrnForm::Pump() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TPrnForm::FormShow() {
    cancelled_ = false;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - width()) / 2,
             area.top() + static_cast<int>(std::trunc((area.height() - height()) / 2.5)));
    }
}

void TPrnForm::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TPrnForm::closeEvent(QCloseEvent* event) {
    // The window has no close button; Alt+F4 counts as a cancel rather than losing the window.
    event->ignore();
    ButtonClick();
}

void TPrnForm::reject() {
    ButtonClick();  // Esc is the cancel button
}

void TPrnForm::ButtonClick() {
    cancelled_ = true;
    hide();
    repaint();
    Pump();
}

void TPrnForm::ProgressBegin(const QString& caption, int maximum) {
    bar_->setMinimum(0);
    bar_->setMaximum(maximum < 1 ? 1 : maximum);
    bar_->setValue(1);
    baseCaption_ = caption.isEmpty() ? kDefaultCaption : caption;
    setWindowTitle(baseCaption_);
    if (isVisible()) FormShow();  // showing again clears the cancel as a fresh show does
    show();
    button_->setFocus();
    repaint();
    bar_->repaint();
    Pump();
}

bool TPrnForm::ProgressStep(int position) {
    Pump();
    if (cancelled_) {
        hide();
        return true;
    }
    if (bar_->maximum() < position) bar_->setMaximum(position);
    if (position < bar_->minimum()) bar_->setMinimum(position);
    bar_->setValue(position);
    setWindowTitle(baseCaption_ + QStringLiteral(" ") + QString::number(position) +
                   QStringLiteral("/") + QString::number(bar_->maximum()));
    repaint();
    bar_->repaint();
    Pump();
    return false;
}

bool TPrnForm::ProgressService() {
    Pump();
    return cancelled_;
}

bool TPrnForm::ProgressEnd(int seconds) {
    if (!cancelled_ && seconds > 0) SleeperSlot()(seconds * 1000);
    hide();
    repaint();
    Pump();
    return cancelled_;
}

}  // namespace tavlex
