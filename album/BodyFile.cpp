#include "album/BodyFile.h"

#include <QDir>
#include <QFile>

#include <unistd.h>
#include <algorithm>
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
    DropAhead();
    UnmapWindow();
    if (fd_ < 0) return;
    if (!Whole()) platform::DeleteHeldBody(fd_, path_);
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
        const int fd = platform::TakeBodyName(path);
        if (fd >= 0) return std::unique_ptr<BodyFile>(new BodyFile(fd, path, n));
    }
    throw AlbumError(AlbumErrorKind::NoTemporaryName,
                     QStringLiteral("no free temporary file name: Tavlex_0.TMP to Tavlex_30.TMP "
                                    "in %1 are all in use or cannot be created")
                         .arg(QDir::toNativeSeparators(tempFolder)));
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
        platform::UnmapRange(ahead_.get(), aheadLength_);
    } catch (const AlbumError&) {
        // A window nobody needs any more: its error does not matter.
    }
}

void BodyFile::UnmapWindow() {
    platform::UnmapRange(window_, windowLength_);
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
