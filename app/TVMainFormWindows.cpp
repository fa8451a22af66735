// Arranging the document windows: tiling, the frame's own cascade, minimised icons, the frame's
// size presets, and re-sending a maximised child its size once an activation has settled.
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOption>

#include "app/TVMainForm.h"
#include "controls/TNoPaintPanel_Speed.h"
#include "view/TViewForm.h"

namespace tavlex {

void TVMainForm::V1Click() {
    TileShownWindows(Qt::Horizontal);
}

void TVMainForm::T1Click() {
    TileShownWindows(Qt::Vertical);
}

void TVMainForm::TileShownWindows(Qt::Orientation direction) {
    // Horizontal: side by side, each window as tall as the area; vertical: one above the other.
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* window : mdiArea_->subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isMinimized()) {
            shown.append(window);
        }
    }
    if (shown.isEmpty()) {
        return;
    }
    const QRect area = mdiArea_->viewport()->rect();
    const int n = int(shown.size());
    const int length = direction == Qt::Horizontal ? area.width() : area.height();
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* window = shown[i];
        if (window->isMaximized()) {
            window->showNormal();
        }
        const int start = length * i / n;
        const int end = length * (i + 1) / n;
        if (direction == Qt::Horizontal) {
            window->setGeometry(start, 0, end - start, area.height());
        } else {
            window->setGeometry(0, start, area.width(), end - start);
        }
    }
}

int TVMainForm::CascadeStep() const {
    QStyleOptionTitleBar option;
    option.initFrom(mdiArea_);
    option.titleBarFlags = Qt::Window | Qt::WindowTitleHint;
    const int caption = style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, mdiArea_);
    const int frame = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, mdiArea_);
    return caption + frame / 2;
}

void TVMainForm::Cascade1Click() {
    // Bottom window first, so that every caption stays visible and the active window ends in
    // front, as a cascade is expected to look.
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList(QMdiArea::StackingOrder);
    const int n = int(windows.size());
    if (n == 0) {
        return;
    }
    const int step = CascadeStep();
    // The frame's client area holds the toolbar and the line above it as well as the windows.
    const int height = central_->height() - plTop_->height() - n * step;
    const int width = central_->width() - n * step;
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* window = windows[i];
        if (window->isMaximized() || window->isMinimized()) {
            window->showNormal();
        }
        window->setGeometry(i * step, i * step, qMax(width, 0), qMax(height, 0));
    }
}

void TVMainForm::ArrangeIcon1Click() {
    // Minimised windows in a row along the bottom of the area, left to right.
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList(QMdiArea::CreationOrder);
    const QRect area = mdiArea_->viewport()->rect();
    int x = 0;
    int y = area.height();
    for (QMdiSubWindow* window : windows) {
        if (!window->isMinimized()) {
            continue;
        }
        const QSize size = window->size();
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            y -= size.height();
        }
        window->move(x, y - size.height());
        x += size.width();
    }
}

QSize TVMainForm::PresetSize(int preset) {
    static const QSize sizes[5] = {QSize(640, 480), QSize(800, 600), QSize(1024, 768),
                                   QSize(1152, 870), QSize(1280, 1024)};
    return preset >= 0 && preset < 5 ? sizes[preset] : QSize();
}

QAction* TVMainForm::PresetAction(int preset) const {
    return preset >= 0 && preset < presets_.size() ? presets_[preset] : nullptr;
}

void TVMainForm::SetPresetSize(int preset) {
    const QSize outer = PresetSize(preset);
    if (!outer.isValid()) {
        return;
    }
    setWindowState(windowState() &
                   ~(Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    showNormal();
    // The presets are outer sizes: take the window frame off.
    const QSize decoration = frameGeometry().size() - geometry().size();
    resize(outer - decoration);
}

void TVMainForm::N6404801Click() {
    SetPresetSize(0);
}

void TVMainForm::N8006001Click() {
    SetPresetSize(1);
}

void TVMainForm::N10247681Click() {
    SetPresetSize(2);
}

void TVMainForm::N11521Click() {
    SetPresetSize(3);
}

void TVMainForm::N5128010241Click() {
    SetPresetSize(4);
}

void TVMainForm::FixMaximizedChild(QMdiSubWindow* window) {
    if (window == nullptr || !window->isMaximized()) {
        return;
    }
    const QSize size = window->size();
    // Restored, then maximised again at the same size: the window lays its contents out anew.
    QResizeEvent restored(size, size);
    QCoreApplication::sendEvent(window, &restored);
    if (window->widget() != nullptr) {
        QResizeEvent inner(window->widget()->size(), window->widget()->size());
        QCoreApplication::sendEvent(window->widget(), &inner);
    }
    QResizeEvent maximized(size, size);
    QCoreApplication::sendEvent(window, &maximized);
}

void TVMainForm::PostFixMenuMessage() {
    if (closing_ || QCoreApplication::closingDown()) {
        return;
    }
    // Posted, so that the repair runs once the activation change is complete.
    QMetaObject::invokeMethod(this, &TVMainForm::FixMenuMessage, Qt::QueuedConnection);
}

void TVMainForm::FixMenuMessage() {
    TViewForm* form = ActiveDocumentWindow();
    if (form != nullptr && QApplication::activeWindow() == this &&
        mdiArea_->activeSubWindow() == form) {
        FixMaximizedChild(form);
    }
}

}  // namespace tavlex
