#include "tests/fuzz/FuzzInputs.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "album/AlbumLoader.h"
#include "album/BodySink.h"
#include "metafile/EmfToWmf.h"
#include "metafile/Export.h"
#include "metafile/Metafile.h"
#include "tests/fuzz/FuzzPlayLimits.h"

namespace tavlex::fuzz {
namespace {

QByteArray View(const std::uint8_t* data, std::size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                   static_cast<qsizetype>(size));
}

// A natural size above this many pixels is not rendered: the caps of the export are the
// viewer's, so a large picture would take seconds per input.
constexpr qint64 kMaxExportPixels = 256 * 256;

constexpr std::size_t kAlbumHeaderSize = 48;
// Bodies beyond this are refused like a full disk would refuse them.
constexpr std::int64_t kMaxBodyInMemory = std::int64_t{256} << 20;

// Header from the input with an admitted signature and version; the body is the deflated rest.
// Bit 1 of the mode byte keeps the input's BodyLength, so wrong lengths stay reachable.
std::vector<std::uint8_t> BuildAdmittedAlbum(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t mode = data[kAlbumHeaderSize];
    const std::uint8_t* body = data + kAlbumHeaderSize + 1;
    const std::size_t bodySize = size - kAlbumHeaderSize - 1;
    std::vector<std::uint8_t> album(data, data + kAlbumHeaderSize);
    std::memcpy(album.data(), (mode & 4) ? "\x03JXB" : "\x03JXA", 4);
    const std::int64_t version = (mode & 8) ? 90000 : 60000;
    std::memcpy(album.data() + 4, &version, sizeof version);
    if ((mode & 2) == 0) {
        const auto length = static_cast<std::int32_t>(bodySize);
        std::memcpy(album.data() + 44, &length, sizeof length);
    }
    uLongf packed = compressBound(static_cast<uLong>(bodySize));
    album.resize(kAlbumHeaderSize + packed);
    if (compress2(album.data() + kAlbumHeaderSize, &packed, body, static_cast<uLong>(bodySize),
                  1) != Z_OK) {
        return {};
    }
    album.resize(kAlbumHeaderSize + packed);
    return album;
}

}  // namespace

void StartGuiApplication(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Kept reachable for the rest of the process, so the leak checker does not count it.
    static QGuiApplication* const app = new QGuiApplication(*argc, *argv);
    (void)app;
}

void PlayMetafileInput(const std::uint8_t* data, std::size_t size) {
    mf::Metafile metafile;
    try {
        metafile = mf::Metafile::Load(View(data, size));
    } catch (const mf::MetafileError&) {
        return;
    }
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    mf::Play(metafile, painter, QRect(0, 0, 64, 64), mf::testing::FuzzPlayLimits());
}

void ExportMetafileInput(const std::uint8_t* data, std::size_t size) {
    mf::Metafile metafile;
    try {
        metafile = mf::Metafile::Load(View(data, size));
    } catch (const mf::MetafileError&) {
        return;
    }
    const QByteArray wmf = mf::MetafileFileBytes(metafile, QStringLiteral("page.wmf"));
    // What was written must read back as a page.
    try {
        mf::Metafile::Load(wmf);
    } catch (const mf::MetafileError&) {
    }
    const QSize natural = metafile.NaturalPixelSize(96);
    if (natural.isEmpty() || qint64{natural.width()} * natural.height() > kMaxExportPixels) return;
    try {
        mf::BitmapFileBytes(mf::RenderNaturalBitmap(metafile, 96));
    } catch (const std::runtime_error&) {
    }
}

namespace {

// The album is written to a file because the loader opens a path. A memory-backed folder, where
// there is one, and names that are overwritten rather than made anew keep the file system's
// bookkeeping out of every input.
QTemporaryDir& AlbumFolder() {
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/tavlex-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/tavlex-fuzz-XXXXXX"));
    return dir;
}

}  // namespace

void LoadAlbumInput(const std::uint8_t* data, std::size_t size) {
    QTemporaryDir& dir = AlbumFolder();
    // Odd sizes also exercise the 9-byte page entries of ".QZD" files.
    const QString path =
        dir.filePath((size % 2) ? QStringLiteral("f.YRA.QZD") : QStringLiteral("f.YRA"));
    std::vector<std::uint8_t> built;
    if (size > kAlbumHeaderSize && (data[kAlbumHeaderSize] & 1)) {
        built = BuildAdmittedAlbum(data, size);
        if (built.empty()) return;
        data = built.data();
        size = built.size();
    }
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    try {
        // The body stays in memory and arrives on this thread: a temporary file or a thread per
        // input would cost more than the reading it is there to test.
        AlbumOpenOptions options;
        options.pixelsPerInch = 96;
        options.bodyOnCallingThread = true;
        options.makeSink = [](std::int64_t length) {
            return std::shared_ptr<BodySink>(MemoryBody::Create(length, kMaxBodyInMemory));
        };
        const AlbumLoadResult result = OpenAlbum(path, options);
        if (result.document.Arrival) result.document.Arrival->Join();
        if (result.Loaded()) {
            const int pages = std::min(result.document.PageCount, 4096);
            for (int page = 1; page <= pages; ++page) {
                try {
                    ReadPageBytes(result.document, page);
                } catch (const AlbumError&) {
                    // One page's damage spoils only that page.
                }
            }
        }
    } catch (const AlbumError&) {
    }
}

}  // namespace tavlex::fuzz
