#pragma once

#include "controls/TCustomPanelExt.h"

namespace tavlex {

// The status bar field of the document window.
class TPanelExt : public TCustomPanelExt {
    Q_OBJECT

  public:
    explicit TPanelExt(QWidget* parent = nullptr);
};

}  // namespace tavlex
