#include "controls/TFocusControl.h"

#include <QKeyEvent>

namespace tavlex {

TFocusControl::TFocusControl(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_KeyCompression, false);
}

bool TFocusControl::event(QEvent* event) {
    // Tab and Backtab would be turned into focus moves before keyPressEvent; and a shortcut
    // override for a plain arrow or Enter would hand the key to a menu shortcut first.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::event(event);
}

void TFocusControl::keyPressEvent(QKeyEvent* event) {
    event->ignore();
    emit KeyDown(event);
}

void TFocusControl::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    emit Entered();
}

void TFocusControl::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    emit Exited();
}

bool TFocusControl::focusNextPrevChild(bool) {
    return false;
}

}  // namespace tavlex
