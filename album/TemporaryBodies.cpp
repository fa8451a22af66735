#include "album/TemporaryBodies.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "album/BodyFile.h"

namespace tavlex {

void DeleteTemporaryBodies(const QString& tempFolder) {
    if (tempFolder.isEmpty()) {
        return;
    }
    for (int n = 0; n < BodyFile::kMaxNames; ++n) {
        const QString path = BodyFile::NameFor(tempFolder, n);
        const QByteArray native = QFile::encodeName(path);
        const int fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        // The lock of a body in use by another running viewer: that one is still being read.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(native.constData());
        }
        ::close(fd);
    }
}

}  // namespace tavlex
