#include "controls/TNoPaintPanel_Speed.h"

namespace tavlex {

TNoPaintPanel_Speed::TNoPaintPanel_Speed(QWidget* parent) : TNoPaintPanel(parent) {}

// The current size, so that a layout holding the panel never resizes it to its contents.
QSize TNoPaintPanel_Speed::sizeHint() const {
    return size();
}

QSize TNoPaintPanel_Speed::minimumSizeHint() const {
    return QSize(0, 0);
}

}  // namespace tavlex
