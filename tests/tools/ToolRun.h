#pragma once

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace tavlex::test {

// The tool sits in the build tree's tools/ folder, two levels above the test.
inline QString ToolPath() {
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(self).dir().filePath(QStringLiteral("../../tools/tavlex-album"));
}

struct ToolRun {
    int exitCode = -1;  // -1 when the tool did not end by itself (a crash or a timeout)
    QByteArray out;
    QByteArray err;
};

// Runs tavlex-album as the user runs it, with these variables added to the environment.
inline ToolRun RunTool(const QStringList& args,
                       const std::vector<std::pair<QString, QString>>& environment,
                       int timeoutMilliseconds) {
    QProcess process;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : environment) variables.insert(name, value);
    process.setProcessEnvironment(variables);
    process.start(ToolPath(), args);
    const bool ended = process.waitForFinished(timeoutMilliseconds) &&
                       process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

}  // namespace tavlex::test
