#include "support/ProgramTitle.h"

namespace tavlex {

QString ProgramTitle() {
    return QStringLiteral("Pelmarkブラウザ");
}

}  // namespace tavlex
