#include "album/BodyFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "album/AlbumError.h"
#include "album/platform/BodyName.h"
#include "album/platform/FileIo.h"

namespace tavlex {
namespace {

QString SystemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

}  // namespace

BodyFile::BodyFile(int fd, QString path, int number)
    : fd_(fd), path_(std::move(path)), number_(number) {}

BodyFile::~BodyFile() {
    StopWriter();
    if (fd_ < 0) return;
    if (!Whole()) platform::DeleteHeldBody(fd_, path_);
    platform::CloseFile(fd_);  // also releases the lock on the name
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

BodySink::Space BodyFile::Next(std::int64_t want) {
    std::unique_ptr<char[]>& block = blocks_[filling_];
    if (!block) block.reset(new char[kBlock]);
    return {block.get(), std::max<std::int64_t>(1, std::min(want, kBlock))};
}

void BodyFile::Commit(std::int64_t used) {
    if (used <= 0) return;
    if (!writer_.joinable() && !alone_) {
        try {
            writer_ = std::thread([this] { WriteBlocks(); });
        } catch (const std::system_error&) {
            alone_ = true;
        }
    }
    if (alone_) {
        if (!platform::WriteAt(fd_, written_, blocks_[filling_].get(), used)) {
            throw AlbumError(
                AlbumErrorKind::TemporaryFile,
                QStringLiteral("cannot write the temporary file %1: %2").arg(path_, SystemError()),
                written_);
        }
        written_ += used;
        Publish(written_);
        return;
    }
    // The block filled before this one must be in the file before this one goes to the writer.
    WaitForWriter();
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        pending_ = blocks_[filling_].get();
        pendingLength_ = used;
    }
    changed_.notify_all();
    filling_ = 1 - filling_;
}

void BodyFile::Finish() {
    if (!writer_.joinable()) return;
    StopWriter();
    WaitForWriter();  // throws the error of the last block, if it failed
}

void BodyFile::StopWriter() {
    if (!writer_.joinable()) return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    writer_.join();  // after the last block: the writer quits only with nothing pending
}

void BodyFile::WaitForWriter() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return pending_ == nullptr; });
    if (writeError_ != 0) {
        errno = writeError_;
        throw AlbumError(
            AlbumErrorKind::TemporaryFile,
            QStringLiteral("cannot write the temporary file %1: %2").arg(path_, SystemError()),
            written_);
    }
}

void BodyFile::WriteBlocks() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return quit_ || pending_ != nullptr; });
        if (pending_ == nullptr) return;  // quitting with nothing left to write
        const char* block = pending_;
        const std::int64_t length = pendingLength_;
        const std::int64_t at = written_;
        const bool failed = writeError_ != 0;
        lock.unlock();
        const bool ok = !failed && platform::WriteAt(fd_, at, block, length);
        const int error = errno;
        lock.lock();
        if (ok) {
            written_ += length;
            Publish(written_);
        } else if (!failed) {
            writeError_ = error != 0 ? error : EIO;
        }
        pending_ = nullptr;
        changed_.notify_all();
    }
}

void BodyFile::ReadAt(std::int64_t offset, void* buffer, std::int64_t length) const {
    CheckRange(offset, length);
    const std::int64_t got = platform::ReadAt(fd_, offset, static_cast<char*>(buffer), length);
    if (got != length) {
        throw AlbumError(AlbumErrorKind::TemporaryFile,
                         QStringLiteral("cannot read the temporary file %1: %2")
                             .arg(path_, got < 0 ? SystemError() : QStringLiteral("ends early")),
                         offset + std::max<std::int64_t>(got, 0));
    }
}

}  // namespace tavlex
