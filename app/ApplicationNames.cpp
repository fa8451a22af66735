#include "app/ApplicationNames.h"

#include <QCoreApplication>

namespace tavlex {

void NameApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("Tavlex"));
}

}  // namespace tavlex
