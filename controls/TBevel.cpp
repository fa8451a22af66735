#include "controls/TBevel.h"

#include <QPainter>

namespace tavlex {

TBevel::TBevel(Shape shape, QWidget* parent) : QWidget(parent), shape_(shape) {
    if (shape_ == Shape::TopLine) {
        setFixedHeight(2);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    } else {
        setFixedWidth(3);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    }
}

QSize TBevel::sizeHint() const {
    return shape_ == Shape::TopLine ? QSize(50, 2) : QSize(3, 28);
}

void TBevel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor dark = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    if (shape_ == Shape::TopLine) {
        painter.setPen(dark);
        painter.drawLine(0, 0, width() - 1, 0);
        painter.setPen(light);
        painter.drawLine(0, 1, width() - 1, 1);
    } else {
        // A 3-pixel gap with the etched line in its middle, short of the ends like a toolbar's.
        const int x = (width() - 2) / 2;
        painter.setPen(dark);
        painter.drawLine(x, 2, x, height() - 3);
        painter.setPen(light);
        painter.drawLine(x + 1, 2, x + 1, height() - 3);
    }
}

}  // namespace tavlex
