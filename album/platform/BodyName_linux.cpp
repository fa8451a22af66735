#include "album/platform/BodyName.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavlex::platform {

int TakeBodyName(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    // Checked before anything is truncated: a hard link here would let the body overwrite the
    // file it points to.
    struct stat info {};
    const bool usable = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 &&
                        info.st_uid == ::geteuid() && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                        ::ftruncate(fd, 0) == 0;
    if (!usable) {
        ::close(fd);
        return -1;
    }
    // An existing file may have been readable by others; the body is this user's alone.
    ::fchmod(fd, 0600);
    return fd;
}

void DeleteUnheldBody(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    // The lock of a body in use by another running viewer: that one is still being read.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(native.constData());
    ::close(fd);
}

void DeleteHeldBody(int fd, const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) == 0 && ::lstat(native.constData(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
        ::unlink(native.constData());
    }
}

}  // namespace tavlex::platform
