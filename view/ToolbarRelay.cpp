#include "view/ToolbarRelay.h"

#include <QAbstractButton>
#include <QObject>
#include <QWidget>

#include "view/ViewHost.h"

namespace tavlex {

void ToolbarRelay::Bind(const void* holder, std::vector<QMetaObject::Connection> connections) {
    Drop();
    holder_ = holder;
    connections_ = std::move(connections);
}

bool ToolbarRelay::Release(const void* holder) {
    if (!IsHeldBy(holder)) return false;
    Drop();
    return true;
}

void ToolbarRelay::Drop() {
    for (const QMetaObject::Connection& connection : connections_) {
        QObject::disconnect(connection);
    }
    connections_.clear();
    holder_ = nullptr;
}

void DisableRelayedControls(const FrameControls& controls) {
    const QList<QWidget*> relayed = {
        controls.MarjinBtn,     controls.PrnBtn,   controls.SB_JumpTree, controls.JumpBtn,
        controls.PageScrollBtn, controls.StartBtn, controls.BackBtn,     controls.NextBtn,
        controls.EndBtn,        controls.SmallBtn, controls.BigBtn,      controls.PL_Ritu};
    for (QWidget* control : relayed) EnableControl(control, false);
}

bool ControlEnabled(const QWidget* control) {
    return control && control->isEnabled();
}

void EnableControl(QWidget* control, bool on) {
    if (control) control->setEnabled(on);
}

}  // namespace tavlex
