#include "app/platform/InstanceClaim.h"

#include <QDir>
#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavlex {

namespace {

// A real folder (not a link) of this user.
bool IsOwnFolder(const QByteArray& path) {
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid();
}

// A folder of ours closed to everyone else; one of ours with wider rights is narrowed.
bool IsPrivateFolder(const QByteArray& path) {
    struct stat info {};
    if (!IsOwnFolder(path) || ::lstat(path.constData(), &info) != 0) return false;
    return (info.st_mode & 077) == 0 || ::chmod(path.constData(), 0700) == 0;
}

bool MakePrivateFolder(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return false;
    return IsPrivateFolder(path);
}

}  // namespace

QString InstanceFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && IsOwnFolder(QFile::encodeName(runtime))) {
        const QString folder = runtime + QStringLiteral("/tavlex");
        if (MakePrivateFolder(folder)) return folder;
    }
    // Without a runtime folder (a root shell, a container): a folder named after the user in
    // the shared temporary folder, refused when someone else made it first.
    const QString folder =
        QDir::tempPath() + QStringLiteral("/tavlex-") + QString::number(::geteuid());
    return MakePrivateFolder(folder) ? folder : QString();
}

int TryTakeClaim(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void DropClaim(int fd) {
    ::flock(fd, LOCK_UN);
    ::close(fd);
}

bool PeerIsThisUser(qintptr socketDescriptor) {
    struct ucred peer {};
    socklen_t length = sizeof(peer);
    if (::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &peer, &length) !=
        0) {
        return false;
    }
    return peer.uid == ::geteuid();
}

}  // namespace tavlex
