#pragma once

#include "controls/TComboBoxNext.h"

namespace tavlex {

// The zoom list of the toolbar: reports the closing of its drop-down list, draws a wide caret in
// an editable field and lets the panel it sits on show through around it.
class TPaintComboBox : public TComboBoxNext {
    Q_OBJECT

  public:
    explicit TPaintComboBox(QWidget* parent = nullptr);

    void hidePopup() override;

  signals:
    // The drop-down list closes (fired before the list's own handling of that).
    void CloseUp();

  protected:
    void focusInEvent(QFocusEvent* event) override;
};

}  // namespace tavlex
