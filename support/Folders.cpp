#include "support/Folders.h"

#include "support/FileError.h"
#include "support/platform/ProgramPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <mutex>

namespace tavlex {

namespace {

struct BeepHolder {
    std::mutex mutex;
    std::function<void()> beep;
};

BeepHolder& Beep() {
    static BeepHolder holder;
    return holder;
}

void Sound() {
    std::function<void()> beep;
    {
        std::lock_guard lock(Beep().mutex);
        beep = Beep().beep;
    }
    if (beep) beep();
}

}  // namespace

QString AddBackslash(const QString& path) {
    if (path.isEmpty() || path.endsWith(u'/')) return path;
    return path + u'/';
}

QString RemoveBackslash(const QString& path) {
    if (path.size() > 1 && path.endsWith(u'/')) return path.chopped(1);
    return path;
}

QString FolderPart(const QString& path) {
    return path.left(path.lastIndexOf(u'/') + 1);
}

bool FolderExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool MakeFolderPath(const QString& path) {
    if (path.isEmpty()) throw FileError(FileErrorKind::CannotMakeFolder, path);
    const QString folder = RemoveBackslash(path);
    if (FolderExists(folder)) return true;
    // mkpath walks the parents without recursion and treats a parent made meanwhile by
    // someone else as made.
    return QDir().mkpath(folder) && FolderExists(folder);
}

bool EnsureFolder(const QString& path) {
    if (FolderExists(path)) return true;
    bool made = false;
    try {
        made = MakeFolderPath(path);
    } catch (const FileError&) {
        made = false;
    }
    if (!made) Sound();
    return made;
}

std::function<void()> SetFolderBeep(std::function<void()> beep) {
    std::lock_guard lock(Beep().mutex);
    std::swap(Beep().beep, beep);
    return beep;
}

QString ProgramPath() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath();
    return platform::RunningProgramFile();
}

namespace {

struct ProgramFolderHolder {
    std::mutex mutex;
    QString folder;
};

ProgramFolderHolder& ProgramFolderValue() {
    static ProgramFolderHolder holder;
    return holder;
}

}  // namespace

QString ProgramFolder() {
    {
        std::lock_guard lock(ProgramFolderValue().mutex);
        if (!ProgramFolderValue().folder.isEmpty()) return ProgramFolderValue().folder;
    }
    return AddBackslash(FolderPart(ProgramPath()));
}

void SetProgramFolder(const QString& folder) {
    std::lock_guard lock(ProgramFolderValue().mutex);
    ProgramFolderValue().folder = AddBackslash(folder);
}

QString AppDataFolder() {
    return RemoveBackslash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

}  // namespace tavlex
