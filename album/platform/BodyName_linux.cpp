#include "album/platform/BodyName.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavlex::platform {

namespace {

int OpenBodyName(const QByteArray& native, int extraFlags) {
    return ::open(native.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | extraFlags, 0600);
}

// This user's own plain file, named once, and not held by another viewer (its lock is taken).
bool TakeLock(int fd, struct stat& info) {
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 &&
           info.st_uid == ::geteuid() && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

}  // namespace

int TakeBodyName(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = OpenBodyName(native, 0);
    if (fd < 0) return -1;
    // Checked before anything is removed or truncated: a hard link here would let the body
    // overwrite the file it points to.
    struct stat info {};
    if (!TakeLock(fd, info)) {
        ::close(fd);
        return -1;
    }
    if (info.st_size == 0) {
        // An existing file may have been readable by others; the body is this user's alone.
        ::fchmod(fd, 0600);
        return fd;
    }
    // A body left by a viewer that did not end is replaced by a new file, not emptied in place:
    // ext4 writes a file emptied by truncation back to disk in full when it is closed (its guard
    // for files rewritten that way), so closing a large album would wait for the disk.
    if (::unlink(native.constData()) == 0) {
        const int fresh = OpenBodyName(native, O_EXCL);
        ::close(fd);
        if (fresh < 0) return -1;  // another viewer took the name meanwhile
        if (!TakeLock(fresh, info)) {
            ::close(fresh);
            return -1;
        }
        return fresh;
    }
    if (::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return -1;
    }
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
