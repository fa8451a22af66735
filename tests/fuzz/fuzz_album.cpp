// Feeds arbitrary bytes to the album reader as an album file and reads every page it admits.
// Raw bytes rarely survive the inflate, so a second mode builds an admitted header and deflates
// the rest of the input as the body: the settings, contents and page directory get fuzzed too.
#include <QFile>
#include <QTemporaryDir>

#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "album/AlbumLoader.h"
#include "album/BodySink.h"

namespace {

constexpr std::size_t kHeaderSize = 48;
// Bodies beyond this are refused like a full disk would refuse them.
constexpr std::int64_t kMaxBodyInMemory = std::int64_t{256} << 20;

// Header from the input with an admitted signature and version; the body is the deflated rest.
// Bit 1 of the mode byte keeps the input's BodyLength, so wrong lengths stay reachable.
std::vector<std::uint8_t> BuildAdmittedAlbum(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t mode = data[kHeaderSize];
    const std::uint8_t* body = data + kHeaderSize + 1;
    const std::size_t bodySize = size - kHeaderSize - 1;
    std::vector<std::uint8_t> album(data, data + kHeaderSize);
    std::memcpy(album.data(), (mode & 4) ? "\x03JXB" : "\x03JXA", 4);
    const std::int64_t version = (mode & 8) ? 90000 : 60000;
    std::memcpy(album.data() + 4, &version, sizeof version);
    if ((mode & 2) == 0) {
        const auto length = static_cast<std::int32_t>(bodySize);
        std::memcpy(album.data() + 44, &length, sizeof length);
    }
    uLongf packed = compressBound(static_cast<uLong>(bodySize));
    album.resize(kHeaderSize + packed);
    if (compress2(album.data() + kHeaderSize, &packed, body, static_cast<uLong>(bodySize), 1) !=
        Z_OK) {
        return {};
    }
    album.resize(kHeaderSize + packed);
    return album;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    // Odd sizes also exercise the 9-byte page entries of ".QZD" files.
    const QString path =
        dir.filePath((size % 2) ? QStringLiteral("f.YRA.QZD") : QStringLiteral("f.YRA"));
    std::vector<std::uint8_t> built;
    if (size > kHeaderSize && (data[kHeaderSize] & 1)) {
        built = BuildAdmittedAlbum(data, size);
        if (built.empty()) return 0;
        data = built.data();
        size = built.size();
    }
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    try {
        // The body stays in memory: a temporary file per input would cost more than the
        // reading it is there to test.
        tavlex::AlbumOpenOptions options;
        options.pixelsPerInch = 96;
        options.makeSink = [](std::int64_t length) {
            return std::shared_ptr<tavlex::BodySink>(
                tavlex::MemoryBody::Create(length, kMaxBodyInMemory));
        };
        const tavlex::AlbumLoadResult result = tavlex::OpenAlbum(path, options);
        if (result.document.Arrival) result.document.Arrival->Join();
        if (result.Loaded()) {
            const int pages = std::min(result.document.PageCount, 4096);
            for (int page = 1; page <= pages; ++page) tavlex::ReadPageBytes(result.document, page);
        }
    } catch (const tavlex::AlbumError&) {
    }
    QFile::remove(path);
    return 0;
}
