#include "app/ProcessFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace tavlex {

namespace {

ProcessFolders& Folders() {
    static ProcessFolders folders;
    return folders;
}

QString WithSlash(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    return folder;
}

}  // namespace

bool SetUpProcessFolders(const QString& programPath) {
    ProcessFolders folders;
    folders.programFolder = WithSlash(QFileInfo(programPath).absolutePath());
    folders.viewFileFolder = WithSlash(folders.programFolder + QStringLiteral("VIEWFILE"));
    // The per-user data folder, so that album bodies of one user are never readable by another.
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) {
        base = QDir::homePath();
    }
    folders.tempFolder = WithSlash(WithSlash(base) + QStringLiteral("Velmo/TempFiles/Tavlex"));
    SetProcessFolders(folders);

    const QString temp = folders.tempFolder.chopped(1);
    if (!QDir().mkpath(temp)) {
        return false;
    }
    QFile::setPermissions(temp,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return true;
}

void SetProcessFolders(const ProcessFolders& folders) {
    Folders() = folders;
    Folders().programFolder = WithSlash(folders.programFolder);
    Folders().viewFileFolder = WithSlash(folders.viewFileFolder);
    Folders().tempFolder = WithSlash(folders.tempFolder);
}

QString ProgramFolder() {
    return Folders().programFolder;
}

QString ViewFileFolder() {
    return Folders().viewFileFolder;
}

QString TempFolder() {
    return Folders().tempFolder;
}

}  // namespace tavlex
