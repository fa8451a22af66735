#include "view/PaperPanel.h"

#include <QMouseEvent>
#include <QPainter>

namespace tavlex {

PaperPanel::PaperPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PL_Paper"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    sub_ = new QWidget(this);
    sub_->setObjectName(QStringLiteral("PL_PaperSub"));
    sub_->setAutoFillBackground(true);
    QPalette palette = sub_->palette();
    palette.setColor(QPalette::Window, Qt::white);
    sub_->setPalette(palette);
    // Disabled and transparent for the mouse, so that dragging is handled here.
    sub_->setEnabled(false);
    sub_->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PaperPanel::SetColor(const QColor& color) {
    if (color_ == color) return;
    color_ = color;
    update();
}

void PaperPanel::SetPaintBox(QWidget* paintBox) {
    paintBox_ = paintBox;
    paintBox_->setParent(sub_);
    paintBox_->setAttribute(Qt::WA_TransparentForMouseEvents);
    paintBox_->setGeometry(sub_->rect());
}

void PaperPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect outer = rect();
    if (outer.isEmpty()) return;
    painter.fillRect(outer, color_);
    painter.setPen(Qt::black);
    painter.drawRect(outer.adjusted(0, 0, -1, -1));
}

void PaperPanel::resizeEvent(QResizeEvent*) {
    const QRect inner = rect().adjusted(kInset, kInset, -kInset, -kInset);
    sub_->setGeometry(inner.isValid() ? inner : QRect());
    if (paintBox_) paintBox_->setGeometry(sub_->rect());
}

void PaperPanel::mousePressEvent(QMouseEvent* event) {
    emit MousePressed(event);
}
void PaperPanel::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMoved(event);
}
void PaperPanel::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseReleased(event);
}

}  // namespace tavlex
