#include "controls/TScrollBox_Speed.h"

#include <QEvent>

namespace tavlex {

TScrollBox_Speed::TScrollBox_Speed(QWidget* parent) : QScrollArea(parent) {
    setWidgetResizable(false);
    setFrameShape(QFrame::NoFrame);
}

QSize TScrollBox_Speed::sizeHint() const {
    return size();
}

QSize TScrollBox_Speed::minimumSizeHint() const {
    return QSize(0, 0);
}

bool TScrollBox_Speed::viewportEvent(QEvent* event) {
    const bool handled = QScrollArea::viewportEvent(event);
    if (event->type() == QEvent::Resize) {
        emit Resized();
    }
    return handled;
}

}  // namespace tavlex
