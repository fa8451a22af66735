#include "album/MarginWriter.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include "album/AlbumError.h"
#include "album/platform/FileIo.h"
#include "support/Length.h"

namespace tavlex {
namespace {

QString SystemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The whole header at the file's start; true only when every byte went out.
bool WriteHeader(int fd, const QByteArray& bytes) {
    return platform::WriteAt(fd, 0, bytes.constData(), bytes.size());
}

}  // namespace

void WriteMargins(Document& document, int pixelsPerInch) {
    const QString name = QFileInfo(document.AlbumPath).fileName();
    const auto fail = [&](const QString& why, AlbumErrorKind kind = AlbumErrorKind::CannotWrite) {
        return AlbumError(kind, QStringLiteral("cannot write the margins: %1 > %2").arg(why, name));
    };
    if (document.AlbumPath.isEmpty())
        throw fail(QStringLiteral("the album is not open"), AlbumErrorKind::NoSuchPage);

    AlbumHeader updated = document.AlbumHeader;
    updated.SetMargins(PixelsToMillimetres(document.EdgeOffsetTop, pixelsPerInch),
                       PixelsToMillimetres(document.EdgeOffsetBottom, pixelsPerInch),
                       PixelsToMillimetres(document.EdgeOffsetLeft, pixelsPerInch),
                       PixelsToMillimetres(document.EdgeOffsetRight, pixelsPerInch));

    // Links are followed: an album reached through a link is still the user's album; the identity
    // check below is what makes sure it is the same file.
    const platform::FileHandle file(
        platform::OpenFile(QFile::encodeName(document.AlbumPath).constData(), true));
    const int fd = file.Descriptor();
    if (fd < 0) throw fail(SystemError(errno));

    platform::FileStatus status;
    if (!platform::StatusOf(fd, status)) throw fail(SystemError(errno));
    const AlbumFileIdentity& loaded = document.FileIdentity;
    if (!status.regular || status.device != loaded.device || status.inode != loaded.inode ||
        status.size != loaded.size) {
        throw fail(QStringLiteral("the file is no longer the album that was opened"),
                   AlbumErrorKind::AlbumChanged);
    }
    const QByteArray original = document.AlbumHeader.Bytes();
    QByteArray onDisk(kAlbumHeaderSize, '\0');
    if (platform::ReadAt(fd, 0, onDisk.data(), kAlbumHeaderSize) != kAlbumHeaderSize ||
        onDisk != original) {
        throw fail(QStringLiteral("the album's header changed since it was opened"),
                   AlbumErrorKind::AlbumChanged);
    }

    if (!WriteHeader(fd, updated.Bytes())) {
        const int error = errno;
        // Put the header back so that no half-written header stays behind.
        const bool restored = WriteHeader(fd, original);
        throw fail(SystemError(error) + (restored ? QString()
                                                  : QStringLiteral("; the original header could "
                                                                   "not be restored")));
    }
    if (!platform::SyncToDisk(fd)) {
        const int error = errno;
        WriteHeader(fd, original);
        throw fail(SystemError(error));
    }
    document.AlbumHeader = updated;
}

}  // namespace tavlex
