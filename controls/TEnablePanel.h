#pragma once

#include "controls/TBevelPanel.h"

namespace tavlex {

// A panel whose enabled state is handed to everything inside it (and, with UpdateParent, to its
// parent first): disabling the zoom panel disables its label and its list, enabling it enables
// them again even where a child had been disabled on its own.
class TEnablePanel : public TBevelPanel {
    Q_OBJECT

  public:
    explicit TEnablePanel(QWidget* parent = nullptr);

    // setEnabled with the parent first when UpdateParent is on; needed when the parent is already
    // disabled, where setEnabled alone notices no change of this panel.
    void SetPanelEnabled(bool enabled);

    bool UpdateParent() const { return updateParent_; }
    void SetUpdateParent(bool on) { updateParent_ = on; }

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void HandOnState(bool enabled);

    bool updateParent_ = false;
    bool handingOn_ = false;
};

}  // namespace tavlex
