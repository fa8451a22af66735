#include "view/ViewerSettings.h"

namespace tavlex {

ViewerSettings& Settings() {
    static ViewerSettings settings;
    return settings;
}

}  // namespace tavlex
