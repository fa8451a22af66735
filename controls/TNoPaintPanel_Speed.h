#pragma once

#include "controls/TNoPaintPanel.h"

namespace tavlex {

// The container panel of the windows (toolbar, page area, sheet, contents panel). Its size is
// always set by its owner: it never grows or shrinks to its children.
class TNoPaintPanel_Speed : public TNoPaintPanel {
    Q_OBJECT

  public:
    explicit TNoPaintPanel_Speed(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
};

}  // namespace tavlex
