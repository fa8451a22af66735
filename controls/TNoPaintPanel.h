#pragma once

#include "controls/TBevelPanel.h"

namespace tavlex {

// A panel that starts without a caption (its object name never shows as text).
class TNoPaintPanel : public TBevelPanel {
    Q_OBJECT

  public:
    explicit TNoPaintPanel(QWidget* parent = nullptr);
};

}  // namespace tavlex
