#include "controls/TComboBoxNext.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace tavlex {

TComboBoxNext::TComboBoxNext(QWidget* parent) : QComboBox(parent) {}

void TComboBoxNext::SetNoFocusColor(const QColor& color) {
    noFocusColor_ = color;
    ApplyColors(hasFocus());
}

void TComboBoxNext::SetFocusColor(const QColor& color) {
    focusColor_ = color;
    ApplyColors(hasFocus());
}

void TComboBoxNext::SetNoFocusFontColor(const QColor& color) {
    noFocusFontColor_ = color;
    ApplyColors(hasFocus());
}

void TComboBoxNext::SetFocusFontColor(const QColor& color) {
    focusFontColor_ = color;
    ApplyColors(hasFocus());
}

void TComboBoxNext::SetFocusColorChange(bool on) {
    focusColorChange_ = on;
    ApplyColors(hasFocus());
}

QColor TComboBoxNext::CurrentColor() const {
    return appliedColor_.isValid() ? appliedColor_ : palette().color(QPalette::Base);
}

QColor TComboBoxNext::CurrentFontColor() const {
    return appliedFontColor_.isValid() ? appliedFontColor_ : palette().color(QPalette::Text);
}

void TComboBoxNext::ApplyColors(bool focused) {
    if (!focusColorChange_) {
        return;
    }
    const QColor color = focused ? focusColor_ : noFocusColor_;
    const QColor font = focused ? focusFontColor_ : noFocusFontColor_;
    if (color == appliedColor_ && font == appliedFontColor_) {
        return;
    }
    appliedColor_ = color;
    appliedFontColor_ = font;
    QPalette pal = palette();
    const QColor base = color.isValid() ? color : QPalette().color(QPalette::Base);
    const QColor text = font.isValid() ? font : QPalette().color(QPalette::Text);
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::Button}) {
        pal.setColor(role, base);
    }
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText}) {
        pal.setColor(role, text);
    }
    setPalette(pal);
}

void TComboBoxNext::focusInEvent(QFocusEvent* event) {
    ApplyColors(true);
    QComboBox::focusInEvent(event);
}

void TComboBoxNext::focusOutEvent(QFocusEvent* event) {
    ApplyColors(false);
    QComboBox::focusOutEvent(event);
}

void TComboBoxNext::paintEvent(QPaintEvent* event) {
    ApplyColors(hasFocus());
    QComboBox::paintEvent(event);
}

void TComboBoxNext::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool plain =
        (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
    // The list is shown in its own popup window, so a key here means the list is closed.
    if (enterNext_ != 0 && plain) {
        switch (key) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (Has(EnterStyle::Enter)) {
                    focusNextPrevChild(true);
                    event->accept();
                    return;
                }
                break;
            case Qt::Key_Up:
                if (Has(EnterStyle::Up)) {
                    focusNextPrevChild(false);
                    event->accept();
                    return;
                }
                if (Has(EnterStyle::Down)) {
                    event->accept();
                    return;
                }
                break;
            case Qt::Key_Down:
                if (Has(EnterStyle::Down)) {
                    focusNextPrevChild(true);
                    event->accept();
                    return;
                }
                if (Has(EnterStyle::Up)) {
                    event->accept();
                    return;
                }
                break;
            case Qt::Key_Left:
                if (Has(EnterStyle::Left) && (!isEditable() || lineEdit()->cursorPosition() == 0)) {
                    focusNextPrevChild(false);
                    event->accept();
                    return;
                }
                break;
            default:
                break;
        }
    }
    if (!isEditable() && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        event->accept();
        return;
    }
    if (isEditable() && key == Qt::Key_Escape && lineEdit()->isUndoAvailable()) {
        lineEdit()->undo();
        event->accept();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // Enter never reaches the form's default button from here.
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

}  // namespace tavlex
