#include "controls/TNoPaintPanel.h"

namespace tavlex {

TNoPaintPanel::TNoPaintPanel(QWidget* parent) : TBevelPanel(parent) {}

}  // namespace tavlex
