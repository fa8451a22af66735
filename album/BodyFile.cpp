#include "album/BodyFile.h"

#include <QDir>
#include <QFile>

#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "album/AlbumError.h"
#include "album/platform/BodyName.h"
#include "album/platform/MappedWindow.h"

namespace tavlex {
namespace {

QString SystemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
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
        const int fd = platform::TakeBodyName(path);
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
    const platform::MappedRange mapped = platform::MapForWriting(fd_, offset, length);
    if (mapped.error != 0) {
        throw AlbumError(AlbumErrorKind::TemporaryFile,
                         QStringLiteral("cannot write the temporary file %1: %2")
                             .arg(path_, QString::fromLocal8Bit(std::strerror(mapped.error))),
                         offset);
    }
    return mapped.range;
}

void BodyFile::Unmap(char* range, std::int64_t length) {
    platform::UnmapRange(range, length);
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
