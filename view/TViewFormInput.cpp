// The document window's input: keys of the window, the page area and the contents list, the mouse
// wheel over the page area, dragging the sheet, and the page area's focus colours.
#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <cstdlib>

#include "controls/ProgramCursors.h"
#include "controls/TCngLstBox.h"
#include "controls/TFocusControl.h"
#include "view/ContentsPanel.h"
#include "view/PageScrollBox.h"
#include "view/PaperPanel.h"
#include "view/TViewForm.h"
#include "view/ToolbarRelay.h"
#include "view/ViewHost.h"
#include "view/ViewerSettings.h"

namespace tavlex {
namespace {

const QColor kFocusedAreaColor(0x80, 0x80, 0x80);
constexpr int kKeyStep = 30;
// Scrolling up "to the end": the scroll bar clamps it to the bottom of the previous page.
constexpr int kFarDown = 99999;

// One axis of a drag. The sheet moves with the view, so coordinates relative to it jump after each
// scroll step: a move only records its coordinate as the reference, and the next one that differs
// scrolls by the distance covered since and clears it. Returns the scroll distance.
int DragStep(int at, int& last) {
    if (at == last) return 0;
    if (last == 0) {
        last = at;
        return 0;
    }
    const int step = last - at;
    last = 0;
    return step;
}

}  // namespace

void TViewForm::keyPressEvent(QKeyEvent* event) {
    // FormKeyPress: Enter on the window itself does nothing (and does not beep).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QMdiSubWindow::keyPressEvent(event);
}

bool TViewForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == JumpTree() && event->type() == QEvent::KeyPress) {
        return JumpTreeKeyDown(static_cast<QKeyEvent*>(event));
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

bool TViewForm::JumpTreeKeyDown(QKeyEvent* event) {
    const FrameControls& frame = host_.Controls();
    if (event->key() == Qt::Key_Left && ControlEnabled(frame.BackBtn)) {
        BackBtnClick();
        return true;
    }
    if (event->key() == Qt::Key_Right && ControlEnabled(frame.NextBtn)) {
        NextBtnClick();
        return true;
    }
    return false;
}

void TViewForm::FocusControlEnter() {
    paper_->SetColor(Qt::black);
    scrollBox_->SetBackground(kFocusedAreaColor);
}

void TViewForm::FocusControlExit() {
    paper_->SetColor(Qt::white);
    scrollBox_->SetBackground(contents_->ListColor());
}

void TViewForm::ScrollPageVertically(int delta, bool down) {
    const FrameControls& frame = host_.Controls();
    const int before = scrollBox_->VerticalPosition();
    scrollBox_->SetVerticalPosition(before + delta);
    if (scrollBox_->VerticalPosition() != before || !host_.Settings().PageScroll) return;
    if (down && ControlEnabled(frame.NextBtn)) {
        NextBtnClick();
        scrollBox_->SetVerticalPosition(0);
    } else if (!down && ControlEnabled(frame.BackBtn)) {
        BackBtnClick();
        scrollBox_->SetVerticalPosition(kFarDown);
    }
}

void TViewForm::FocusControlKeyDown(QKeyEvent* event) {
    const FrameControls& frame = host_.Controls();
    switch (event->key()) {
        case Qt::Key_PageUp:
            if (!ControlEnabled(frame.BackBtn)) return;
            BackBtnClick();
            break;
        case Qt::Key_PageDown:
            if (!ControlEnabled(frame.NextBtn)) return;
            NextBtnClick();
            break;
        case Qt::Key_Left:
            scrollBox_->SetHorizontalPosition(scrollBox_->HorizontalPosition() - kKeyStep);
            break;
        case Qt::Key_Right:
            scrollBox_->SetHorizontalPosition(scrollBox_->HorizontalPosition() + kKeyStep);
            break;
        case Qt::Key_Up:
            ScrollPageVertically(-kKeyStep, false);
            break;
        case Qt::Key_Down:
            ScrollPageVertically(kKeyStep, true);
            break;
        default:
            return;
    }
    event->accept();
}

void TViewForm::PageAreaWheel(QWheelEvent* event) {
    // One notch is 120; smooth wheels send parts of it, which add up.
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / 120;
    wheelRemainder_ -= notches * 120;
    const int lines = QApplication::wheelScrollLines();
    for (int i = 0; i < std::abs(notches); ++i) {
        if (lines <= 0) break;
        const bool down = notches < 0;
        const int step = lines * PageScrollBox::kVerticalLine;
        ScrollPageVertically(down ? step : -step, down);
    }
    event->accept();
}

void TViewForm::ImageOrgMouseDown(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    focusControl_->setFocus(Qt::MouseFocusReason);
    if (!drag_.cursorSet) {
        QApplication::setOverrideCursor(ProgramCursor(MoveCursor));
        drag_.cursorSet = true;
    }
    drag_.dragging = true;
    drag_.lastX = 0;
    drag_.lastY = 0;
}

void TViewForm::ImageOrgMouseMove(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || !drag_.dragging) return;
    const QPoint at = event->position().toPoint();
    const int dx = DragStep(at.x(), drag_.lastX);
    const int dy = DragStep(at.y(), drag_.lastY);
    if (dx != 0) scrollBox_->SetHorizontalPosition(scrollBox_->HorizontalPosition() + dx);
    if (dy != 0) scrollBox_->SetVerticalPosition(scrollBox_->VerticalPosition() + dy);
    // Painted now, not at the next idle moment; the sheet's pixels were moved along with it,
    // so only the uncovered strip is drawn (from the kept rendering).
    if (dx != 0 || dy != 0) QApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

void TViewForm::ImageOrgMouseUp(QMouseEvent*) {
    EndDrag();
}

void TViewForm::EndDrag() {
    const bool cursorSet = drag_.cursorSet;
    drag_ = DragState{};
    if (cursorSet) QApplication::restoreOverrideCursor();
}

}  // namespace tavlex
