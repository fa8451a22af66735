// Feeds arbitrary bytes to the album reader as an album file and reads every page it admits.
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "album/AlbumLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    // Odd sizes also exercise the 9-byte page entries of ".QZD" files.
    const QString path =
        dir.filePath((size % 2) ? QStringLiteral("f.YRA.QZD") : QStringLiteral("f.YRA"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    try {
        const tavlex::AlbumLoadResult result = tavlex::LoadAlbum(path, dir.path(), 96);
        if (result.Loaded()) {
            const int pages = std::min(result.document.PageCount, 4096);
            for (int page = 1; page <= pages; ++page) tavlex::ReadPageBytes(result.document, page);
        }
    } catch (const tavlex::AlbumError&) {
    }
    QFile::remove(path);
    return 0;
}
