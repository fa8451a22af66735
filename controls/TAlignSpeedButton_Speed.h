#pragma once

#include "controls/TAlignSpeedButton.h"

namespace tavlex {

// The frame's toolbar button: its size is set by the toolbar (28 x 28), never by its contents.
class TAlignSpeedButton_Speed : public TAlignSpeedButton {
    Q_OBJECT

  public:
    explicit TAlignSpeedButton_Speed(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
};

}  // namespace tavlex
