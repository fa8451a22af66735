#include "controls/TPanelExt.h"

namespace tavlex {

TPanelExt::TPanelExt(QWidget* parent) : TCustomPanelExt(parent) {}

}  // namespace tavlex
