#include "view/FailureReport.h"

#include <QFileInfo>

#include <cstdio>

#include "album/UserMessage.h"

namespace tavlex {

QString DescribeFailure(const std::exception& error, const QString& albumPath) {
    const QByteArray path = QFile::encodeName(albumPath);
    std::fprintf(stderr, "tavlex: %s: %s\n", path.isEmpty() ? "-" : path.constData(), error.what());
    return UserMessage(error, QFileInfo(albumPath).fileName());
}

}  // namespace tavlex
