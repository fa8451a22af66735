#include "controls/TBevelPanel.h"

#include <QPainter>

namespace tavlex {

TBevelPanel::TBevelPanel(QWidget* parent) : QWidget(parent) {}

void TBevelPanel::SetBevelOuter(BevelCut cut) {
    bevelOuter_ = cut;
    update();
}

void TBevelPanel::SetBevelInner(BevelCut cut) {
    bevelInner_ = cut;
    update();
}

void TBevelPanel::SetBevelWidth(int width) {
    bevelWidth_ = qMax(0, width);
    update();
}

void TBevelPanel::SetBorderWidth(int width) {
    borderWidth_ = qMax(0, width);
    update();
}

void TBevelPanel::SetColor(const QColor& color) {
    color_ = color;
    update();
}

void TBevelPanel::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

QRect TBevelPanel::InnerRect() const {
    const int bevels = (bevelOuter_ == BevelCut::None ? 0 : bevelWidth_) +
                       (bevelInner_ == BevelCut::None ? 0 : bevelWidth_);
    const int edge = bevels + borderWidth_;
    return rect().adjusted(edge, edge, -edge, -edge);
}

void TBevelPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor fill = color_.isValid() ? color_ : palette().color(QPalette::Button);
    const QRect inner = DrawPanelEdge(painter, rect(), palette(), fill, bevelOuter_, bevelInner_,
                                      bevelWidth_, borderWidth_);
    painter.fillRect(inner, fill);
    if (!caption_.trimmed().isEmpty()) {
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::ButtonText));
        painter.drawText(inner, Qt::AlignCenter | Qt::TextShowMnemonic, caption_);
    }
}

}  // namespace tavlex
