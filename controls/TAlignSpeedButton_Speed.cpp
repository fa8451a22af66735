#include "controls/TAlignSpeedButton_Speed.h"

namespace tavlex {

TAlignSpeedButton_Speed::TAlignSpeedButton_Speed(QWidget* parent) : TAlignSpeedButton(parent) {}

QSize TAlignSpeedButton_Speed::sizeHint() const {
    return size();
}

QSize TAlignSpeedButton_Speed::minimumSizeHint() const {
    return size();
}

}  // namespace tavlex
