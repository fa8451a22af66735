#include "controls/TAlignSpeedButton.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include "controls/PanelBevel.h"

namespace tavlex {

namespace {

QPointer<QTimer> g_timer;
QPointer<TAlignSpeedButton> g_hot;

}  // namespace

TAlignSpeedButton::TAlignSpeedButton(QWidget* parent) : QToolButton(parent) {
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    if (g_timer.isNull()) {
        g_timer = new QTimer(qApp);
        g_timer->setInterval(100);
        QObject::connect(g_timer.data(), &QTimer::timeout, qApp, &TAlignSpeedButton::HoverTick);
    }
}

TAlignSpeedButton::~TAlignSpeedButton() {
    if (!g_timer.isNull()) {
        g_timer->stop();
    }
    if (g_hot == this) {
        g_hot = nullptr;
    }
}

TAlignSpeedButton* TAlignSpeedButton::HotButton() {
    return g_hot.data();
}

QTimer* TAlignSpeedButton::HoverTimer() {
    return g_timer.data();
}

bool TAlignSpeedButton::PointerInside() const {
    return isVisible() && rect().contains(mapFromGlobal(QCursor::pos()));
}

void TAlignSpeedButton::enterEvent(QEnterEvent* event) {
    QToolButton::enterEvent(event);
    if (isEnabled()) {
        mouseInControl_ = true;
        update();
    }
    if (!g_hot.isNull() && g_hot != this) {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(g_hot.data(), &leave);
    }
    if (PointerInside()) {
        g_hot = this;
        if (!g_timer.isNull()) {
            g_timer->start();
        }
    }
}

void TAlignSpeedButton::leaveEvent(QEvent* event) {
    QToolButton::leaveEvent(event);
    if (mouseInControl_) {
        mouseInControl_ = false;
        update();
    }
    if (!PointerInside() && g_hot == this) {
        g_hot = nullptr;
        if (!g_timer.isNull()) {
            g_timer->stop();
        }
    }
}

void TAlignSpeedButton::HoverTick() {
    if (g_hot.isNull()) {
        if (!g_timer.isNull()) {
            g_timer->stop();
        }
        return;
    }
    // widgetAt finds disabled widgets too, so a disabled neighbour counts as "not the hot one".
    QWidget* under = QApplication::widgetAt(QCursor::pos());
    if (under != g_hot.data()) {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(g_hot.data(), &leave);
    }
}

void TAlignSpeedButton::changeEvent(QEvent* event) {
    QToolButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled() && mouseInControl_) {
        mouseInControl_ = false;
        update();
    }
}

void TAlignSpeedButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    const bool pressed = isDown();
    const bool held = isChecked();
    QRect r = rect();
    if (held && !pressed) {
        // A toggle held down shows a checked, lighter ground like the classic toolbars.
        QBrush dither(pal.color(QPalette::Light), Qt::Dense4Pattern);
        painter.fillRect(r, pal.color(QPalette::Button));
        painter.fillRect(r, dither);
    }
    if (isEnabled() && (pressed || held)) {
        DrawFrame3D(painter, r, pal.color(QPalette::Dark), pal.color(QPalette::Light), 1);
    } else if (isEnabled() && mouseInControl_) {
        DrawFrame3D(painter, r, pal.color(QPalette::Light), pal.color(QPalette::Dark), 1);
    }
    const QSize glyph = iconSize();
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    QRect target(QPoint(0, 0), glyph);
    target.moveCenter(rect().center());
    if (pressed || held) {
        target.translate(1, 1);
    }
    icon().paint(&painter, target, Qt::AlignCenter, mode, held ? QIcon::On : QIcon::Off);
    if (!text().isEmpty() && icon().isNull()) {
        painter.setPen(
            pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        painter.drawText(rect().translated(pressed || held ? 1 : 0, pressed || held ? 1 : 0),
                         Qt::AlignCenter | Qt::TextShowMnemonic, text());
    }
}

}  // namespace tavlex
