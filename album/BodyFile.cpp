#include "album/BodyFile.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "album/AlbumError.h"

namespace tavlex {
namespace {

QString SystemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Opens and locks one candidate name; -1 when the name cannot be taken (held by another open
// album, not a regular file of this user, a symbolic or hard link, or not creatable). Nothing is
// truncated before these checks: a hard link would let the body overwrite another file.
int TryTake(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
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

}  // namespace

BodyFile::BodyFile(int fd, QString path, int number)
    : fd_(fd), path_(std::move(path)), number_(number) {}

BodyFile::~BodyFile() {
    if (fd_ >= 0) ::close(fd_);  // also releases the lock on the name
}

QString BodyFile::NameFor(const QString& tempFolder, int n) {
    QString folder = tempFolder;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder + QStringLiteral("Tavlex_%1.TMP").arg(n);
}

std::unique_ptr<BodyFile> BodyFile::Create(const QString& tempFolder) {
    for (int n = 0; n < kMaxNames; ++n) {
        const QString path = NameFor(tempFolder, n);
        const int fd = TryTake(path);
        if (fd >= 0) return std::unique_ptr<BodyFile>(new BodyFile(fd, path, n));
    }
    throw AlbumError(AlbumErrorKind::NoTemporaryName,
                     QStringLiteral("no free temporary file name: Tavlex_0.TMP to Tavlex_30.TMP "
                                    "in %1 are all in use or cannot be created")
                         .arg(QDir::toNativeSeparators(tempFolder)));
}

void BodyFile::Append(const void* data, std::int64_t length) {
    const auto* bytes = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t written = ::pwrite(fd_, bytes, static_cast<std::size_t>(length), size_);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            throw AlbumError(
                AlbumErrorKind::TemporaryFile,
                QStringLiteral("cannot write the temporary file %1: %2").arg(path_, SystemError()),
                size_);
        }
        bytes += written;
        length -= written;
        size_ += written;
    }
}

char* BodyFile::MapRange(std::int64_t offset, std::int64_t length) const {
    static const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (offset < 0 || length <= 0 || pageSize <= 0 || offset % pageSize != 0) return nullptr;
    // Reserved first: a page of a shared mapping that finds the disk full kills the process
    // when it is written, where a failed reservation is an ordinary error.
    const int reserved = ::posix_fallocate(fd_, offset, length);
    if (reserved == EOPNOTSUPP || reserved == EINVAL) return nullptr;
    if (reserved != 0) {
        throw AlbumError(AlbumErrorKind::TemporaryFile,
                         QStringLiteral("cannot write the temporary file %1: %2")
                             .arg(path_, QString::fromLocal8Bit(std::strerror(reserved))),
                         offset);
    }
    void* range = ::mmap(nullptr, static_cast<std::size_t>(length), PROT_READ | PROT_WRITE,
                         MAP_SHARED, fd_, static_cast<off_t>(offset));
    if (range == MAP_FAILED) return nullptr;
    // Faulting the pages in one by one while inflating would cost more than the copy this
    // saves; an older kernel without this advice faults them in after all.
    ::madvise(range, static_cast<std::size_t>(length), MADV_POPULATE_WRITE);
    return static_cast<char*>(range);
}

void BodyFile::Unmap(char* range, std::int64_t length) {
    if (range) ::munmap(range, static_cast<std::size_t>(length));
}

void BodyFile::TrimToSize() {
    if (::ftruncate(fd_, size_) != 0) {
        throw AlbumError(
            AlbumErrorKind::TemporaryFile,
            QStringLiteral("cannot write the temporary file %1: %2").arg(path_, SystemError()),
            size_);
    }
}

void BodyFile::ReadAt(std::int64_t offset, void* buffer, std::int64_t length) const {
    if (offset < 0 || length < 0 || offset > size_ || length > size_ - offset) {
        throw AlbumError(AlbumErrorKind::Damaged,
                         QStringLiteral("read of %1 bytes at %2 lies outside the album body "
                                        "(%3 bytes)")
                             .arg(length)
                             .arg(offset)
                             .arg(size_),
                         offset);
    }
    auto* bytes = static_cast<char*>(buffer);
    while (length > 0) {
        const ssize_t got = ::pread(fd_, bytes, static_cast<std::size_t>(length), offset);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            throw AlbumError(
                AlbumErrorKind::TemporaryFile,
                QStringLiteral("cannot read the temporary file %1: %2")
                    .arg(path_, got < 0 ? SystemError() : QStringLiteral("ends early")),
                offset);
        }
        bytes += got;
        offset += got;
        length -= got;
    }
}

}  // namespace tavlex
