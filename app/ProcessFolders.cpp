#include "app/ProcessFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "support/SIniFile.h"

namespace tavlex {

namespace {

ProcessFolders& Folders() {
    static ProcessFolders folders;
    return folders;
}

}  // namespace

bool SetUpProcessFolders(const QString& programPath) {
    ProcessFolders folders;
    folders.programFolder = AddBackslash(QFileInfo(programPath).absolutePath());
    folders.viewFileFolder = AddBackslash(folders.programFolder + QStringLiteral("VIEWFILE"));
    // The per-user data folder, so that album bodies of one user are never readable by another.
    QString base = AppDataFolder();
    if (base.isEmpty()) {
        base = QDir::homePath();
    }
    folders.tempFolder =
        AddBackslash(AddBackslash(base) + QStringLiteral("Velmo/TempFiles/Tavlex"));
    SetProcessFolders(folders);

    const QString temp = RemoveBackslash(folders.tempFolder);
    if (!QDir().mkpath(temp)) {
        return false;
    }
    QFile::setPermissions(temp,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return true;
}

void SetProcessFolders(const ProcessFolders& folders) {
    Folders().programFolder = AddBackslash(folders.programFolder);
    Folders().viewFileFolder = AddBackslash(folders.viewFileFolder);
    Folders().tempFolder = AddBackslash(folders.tempFolder);
    SetProgramFolder(Folders().programFolder);
    SetIniFolder(Folders().tempFolder);
    SetDefaultIniName(QString::fromLatin1(kDefaultIniName));
}

QString ViewFileFolder() {
    return Folders().viewFileFolder;
}

QString TempFolder() {
    return Folders().tempFolder;
}

}  // namespace tavlex
