#include "album/BodyFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

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
    if (!block_) block_.reset(new char[kBlock]);
    return {block_.get(), std::max<std::int64_t>(1, std::min(want, kBlock))};
}

void BodyFile::Commit(std::int64_t used) {
    if (!platform::WriteAt(fd_, written_, block_.get(), used)) {
        throw AlbumError(
            AlbumErrorKind::TemporaryFile,
            QStringLiteral("cannot write the temporary file %1: %2").arg(path_, SystemError()),
            written_);
    }
    written_ += used;
    Publish(written_);
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
