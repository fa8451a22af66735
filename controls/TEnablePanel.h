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
