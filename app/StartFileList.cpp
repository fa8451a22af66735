#include "app/StartFileList.h"

#include <QFileInfo>

namespace tavlex {

QStringList StartFileList(const QStringList& arguments, const QString& programPath,
                          const QString& programFolder) {
    QStringList files;
    if (arguments.isEmpty()) {
        const QFileInfo program(programPath);
        for (const char* extension : {"YRA", "YRB", "YRC", "YRD"}) {
            const QString path = program.absolutePath() + QLatin1Char('/') +
                                 program.completeBaseName() + QLatin1Char('.') +
                                 QLatin1String(extension);
            if (QFileInfo(path).isFile()) {
                files.append(path);
            }
        }
        return files;
    }
    for (const QString& argument : arguments) {
        if (argument.isEmpty()) {
            continue;
        }
        QString path;
        if (QFileInfo(argument).isFile()) {
            path = argument;
        } else if (!argument.contains(QLatin1Char('/')) &&
                   QFileInfo(programFolder + argument).isFile()) {
            path = programFolder + argument;
        } else {
            continue;
        }
        if (files.size() == kMaxStartFiles) {
            break;
        }
        files.append(path);
    }
    return files;
}

}  // namespace tavlex
