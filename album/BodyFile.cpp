#include "album/BodyFile.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
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
    DropAhead();
    UnmapWindow();
    if (fd_ < 0) return;
    if (!Whole()) {
        // Only the file this object created: the name may have been replaced meanwhile.
        struct stat held {};
        struct stat named {};
        const QByteArray native = QFile::encodeName(path_);
        if (::fstat(fd_, &held) == 0 && ::lstat(native.constData(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            ::unlink(native.constData());
        }
    }
    ::close(fd_);  // also releases the lock on the name
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

void BodyFile::Expect(std::int64_t length) {
    expected_ = length;
    // A small body is simply appended: a thread and a mapping would cost more than they save.
    appending_ = length < kWindow;
    if (!appending_) StartAhead(0);
}

void BodyFile::StartAhead(std::int64_t offset) {
    aheadStart_ = offset;
    aheadLength_ = std::min(kWindow, expected_ - offset);
    if (aheadLength_ <= 0) return;
    reserved_ = true;
    ahead_ = std::async(std::launch::async,
                        [this, offset, length = aheadLength_] { return MapRange(offset, length); });
}

void BodyFile::DropAhead() {
    if (!ahead_.valid()) return;
    try {
        if (char* range = ahead_.get()) ::munmap(range, static_cast<std::size_t>(aheadLength_));
    } catch (const AlbumError&) {
        // A window nobody needs any more: its error does not matter.
    }
}

void BodyFile::UnmapWindow() {
    if (window_) ::munmap(window_, static_cast<std::size_t>(windowLength_));
    window_ = nullptr;
}

BodySink::Space BodyFile::Next(std::int64_t want) {
    if (!appending_) {
        if (!window_ || written_ == windowStart_ + windowLength_) {
            UnmapWindow();
            if (ahead_.valid()) {
                windowStart_ = aheadStart_;
                windowLength_ = aheadLength_;
                window_ = ahead_.get();  // throws the preparing thread's error
                if (window_) StartAhead(windowStart_ + windowLength_);
            }
            appending_ = !window_;
        }
        if (window_) {
            const std::int64_t room = windowStart_ + windowLength_ - written_;
            return {window_ + (written_ - windowStart_),
                    std::max<std::int64_t>(1, std::min(want, room))};
        }
    }
    if (!block_) block_.reset(new char[kBlock]);
    return {block_.get(), std::max<std::int64_t>(1, std::min(want, kBlock))};
}

void BodyFile::Commit(std::int64_t used) {
    if (appending_) {
        const char* bytes = block_.get();
        std::int64_t left = used;
        while (left > 0) {
            const ssize_t written = ::pwrite(fd_, bytes, static_cast<std::size_t>(left), written_);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) {
                throw AlbumError(AlbumErrorKind::TemporaryFile,
                                 QStringLiteral("cannot write the temporary file %1: %2")
                                     .arg(path_, SystemError()),
                                 written_);
            }
            bytes += written;
            left -= written;
            written_ += written;
        }
    } else {
        written_ += used;
    }
    Publish(written_);
}

void BodyFile::Finish() {
    // The preparing thread is done before the file is cut: it must not reserve space behind.
    DropAhead();
    UnmapWindow();
    if (reserved_ && ::ftruncate(fd_, written_) != 0) {
        throw AlbumError(
            AlbumErrorKind::TemporaryFile,
            QStringLiteral("cannot write the temporary file %1: %2").arg(path_, SystemError()),
            written_);
    }
}

void BodyFile::ReadAt(std::int64_t offset, void* buffer, std::int64_t length) const {
    CheckRange(offset, length);
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
