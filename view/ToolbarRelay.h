#pragma once

#include <QMetaObject>

#include <vector>

class QWidget;

namespace tavlex {

struct FrameControls;

// The frame's toolbar and zoom list act on one document window at a time: the one that bound them
// last (on its activation). The frame owns one relay; a window that goes releases it, which only
// does something when that window still holds the toolbar, so closing a window in the background
// leaves the active window's buttons working.
class ToolbarRelay {
  public:
    ToolbarRelay() = default;
    ToolbarRelay(const ToolbarRelay&) = delete;
    ToolbarRelay& operator=(const ToolbarRelay&) = delete;
    ~ToolbarRelay() { Drop(); }

    // Drops the connections of the previous holder; holder (only compared, never used) keeps
    // connections until it is released or another window binds.
    void Bind(const void* holder, std::vector<QMetaObject::Connection> connections);
    bool IsHeldBy(const void* holder) const { return holder_ != nullptr && holder_ == holder; }
    // When holder has the toolbar: drops its connections and returns true; otherwise false.
    bool Release(const void* holder);

  private:
    void Drop();

    const void* holder_ = nullptr;
    std::vector<QMetaObject::Connection> connections_;
};

// Disables every control a document window relays (all but SB_Open).
void DisableRelayedControls(const FrameControls& controls);

// A frame control's state; a control the frame does not have counts as disabled.
bool ControlEnabled(const QWidget* control);
void EnableControl(QWidget* control, bool on);

}  // namespace tavlex
