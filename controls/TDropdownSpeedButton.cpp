#include "controls/TDropdownSpeedButton.h"

#include <QMenu>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>

namespace tavlex {

TDropdownSpeedButton::TDropdownSpeedButton(QWidget* parent) : TAlignSpeedButton(parent) {}

void TDropdownSpeedButton::SetDropdownMenu(QMenu* menu) {
    dropdownMenu_ = menu;
    update();
}

bool TDropdownSpeedButton::HasClickHandler() const {
    return isSignalConnected(QMetaMethod::fromSignal(&QAbstractButton::clicked));
}

QPoint TDropdownSpeedButton::MenuPosition() const {
    return mapToGlobal(QPoint(0, height()));
}

void TDropdownSpeedButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || dropdownMenu_.isNull()) {
        TAlignSpeedButton::mousePressEvent(event);
        return;
    }
    if (closedAt_.isValid() && closedAt_.elapsed() < 100) {
        closedAt_.restart();
        event->accept();
        return;
    }
    const QPoint at = event->position().toPoint();
    const bool inArrow = at.x() >= width() - 15 && at.y() >= height() - 15;
    if (HasClickHandler() && !inArrow) {
        TAlignSpeedButton::mousePressEvent(event);
        return;
    }
    event->accept();
    setDown(true);
    emit MenuOpening();
    dropdownMenu_->exec(MenuPosition());
    setDown(false);
    closedAt_.restart();
}

void TDropdownSpeedButton::paintEvent(QPaintEvent* event) {
    TAlignSpeedButton::paintEvent(event);
    if (dropdownMenu_.isNull()) {
        return;
    }
    QPainter painter(this);
    const int w = width();
    const int h = height();
    const int shift = isDown() ? 1 : 0;
    QColor arrow = HasClickHandler() ? QColor(0, 0, 255) : QColor(Qt::black);
    if (!isEnabled()) {
        arrow = palette().color(QPalette::Dark);
    }
    auto triangle = [&](int dx, const QColor& color) {
        const QPoint corners[3] = {QPoint(w - 9 + dx, h - 5 + dx), QPoint(w - 5 + dx, h - 5 + dx),
                                   QPoint(w - 5 + dx, h - 9 + dx)};
        painter.setPen(color);
        painter.setBrush(color);
        painter.drawPolygon(corners, 3);
    };
    triangle(shift + 1, palette().color(QPalette::Light));
    triangle(shift, arrow);
}

}  // namespace tavlex
