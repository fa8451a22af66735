#include "controls/TLabel_Speed.h"

namespace tavlex {

TLabel_Speed::TLabel_Speed(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
}

QSize TLabel_Speed::sizeHint() const {
    return size();
}

QSize TLabel_Speed::minimumSizeHint() const {
    return QSize(0, 0);
}

}  // namespace tavlex
