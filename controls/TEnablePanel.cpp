#include "controls/TEnablePanel.h"

#include <QEvent>
#include <QGroupBox>

namespace tavlex {

TEnablePanel::TEnablePanel(QWidget* parent) : TBevelPanel(parent) {}

void TEnablePanel::changeEvent(QEvent* event) {
    TBevelPanel::changeEvent(event);
    if (event->type() != QEvent::EnabledChange || handingOn_) {
        return;
    }
    // Our own setting, not the one inherited from a disabled parent.
    HandOnState(!testAttribute(Qt::WA_ForceDisabled));
}

void TEnablePanel::SetPanelEnabled(bool enabled) {
    if (updateParent_ && parentWidget() != nullptr) {
        parentWidget()->setEnabled(enabled);
    }
    setEnabled(enabled);
    HandOnState(enabled);
}

void TEnablePanel::HandOnState(bool enabled) {
    handingOn_ = true;
    if (updateParent_ && parentWidget() != nullptr) {
        parentWidget()->setEnabled(enabled);
        if (auto* box = qobject_cast<QGroupBox*>(parentWidget())) {
            box->update();
        }
    }
    const QList<QWidget*> inside = findChildren<QWidget*>();
    for (QWidget* child : inside) {
        child->setEnabled(enabled);
        if (qobject_cast<QGroupBox*>(child) != nullptr) {
            child->update();
        }
    }
    handingOn_ = false;
}

}  // namespace tavlex
