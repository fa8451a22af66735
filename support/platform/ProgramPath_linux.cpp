#include "support/platform/ProgramPath.h"

#include <QFileInfo>

namespace tavlex::platform {

QString RunningProgramFile() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

}  // namespace tavlex::platform
