#include "album/AlbumWriter.h"

#include <QBuffer>
#include <QSaveFile>
#include <QtEndian>

#include <zlib.h>

#include <limits>
#include <memory>

#include "album/AlbumError.h"

namespace tavlex {
namespace {

// Feeds bytes through deflate into a device.
class DeflateSink {
  public:
    DeflateSink(QIODevice& out, int level) : out_(out), buffer_(new char[kChunk]) {
        if (deflateInit(&stream_, level) != Z_OK)
            throw AlbumError(AlbumErrorKind::CannotWrite, QStringLiteral("zlib cannot start"));
    }
    ~DeflateSink() { deflateEnd(&stream_); }
    DeflateSink(const DeflateSink&) = delete;
    DeflateSink& operator=(const DeflateSink&) = delete;

    void Write(QByteArrayView bytes) { Run(bytes, Z_NO_FLUSH); }
    void Finish() { Run({}, Z_FINISH); }

  private:
    static constexpr std::size_t kChunk = 64 * 1024;

    void Run(QByteArrayView bytes, int flush) {
        // Fed in pieces that fit zlib's 32-bit counters.
        qsizetype offset = 0;
        do {
            const qsizetype piece = std::min<qsizetype>(bytes.size() - offset, 1 << 30);
            stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + offset));
            stream_.avail_in = static_cast<uInt>(piece);
            offset += piece;
            const int mode = offset < bytes.size() ? Z_NO_FLUSH : flush;
            int status;
            do {
                stream_.next_out = reinterpret_cast<Bytef*>(buffer_.get());
                stream_.avail_out = static_cast<uInt>(kChunk);
                status = deflate(&stream_, mode);
                const auto count = static_cast<qint64>(kChunk - stream_.avail_out);
                if (count > 0 && out_.write(buffer_.get(), count) != count) {
                    throw AlbumError(
                        AlbumErrorKind::CannotWrite,
                        QStringLiteral("cannot write the album: %1").arg(out_.errorString()));
                }
            } while (stream_.avail_out == 0 || (mode == Z_FINISH && status != Z_STREAM_END));
        } while (offset < bytes.size());
    }

    QIODevice& out_;
    std::unique_ptr<char[]> buffer_;
    z_stream stream_{};
};

void WriteAlbum(QIODevice& out, const AlbumContents& contents,
                const std::vector<AlbumPageSize>& pages, const AlbumPageProvider& provider) {
    if (contents.contents.size() > static_cast<std::size_t>(kMaxContentsRecords)) {
        throw AlbumError(AlbumErrorKind::InvalidDescription,
                         QStringLiteral("an album holds at most 999 contents entries"));
    }
    if (pages.size() > 1'000'000)
        throw AlbumError(AlbumErrorKind::InvalidDescription, QStringLiteral("too many pages"));
    const bool oriented = contents.pageOrientation;
    const std::int64_t entrySize = oriented ? kOrientedPageEntrySize : kPageEntrySize;
    const std::int64_t contentsLength =
        static_cast<std::int64_t>(contents.contents.size()) * kContentsRecordSize;
    const std::int64_t dataStart = contents.settings.Size() + 4 + contentsLength +
                                   (static_cast<std::int64_t>(pages.size()) + 1) * entrySize;
    std::int64_t bodyLength = dataStart;
    for (const AlbumPageSize& page : pages) {
        if (page.size < 0)
            throw AlbumError(AlbumErrorKind::InvalidDescription,
                             QStringLiteral("negative page size"));
        bodyLength += page.size;
    }
    if (bodyLength > std::numeric_limits<std::int32_t>::max()) {
        throw AlbumError(AlbumErrorKind::InvalidDescription,
                         QStringLiteral("the album body would exceed 2 GiB"));
    }

    AlbumHeader header = contents.header;
    header.SetBodyLength(static_cast<std::int32_t>(bodyLength));
    if (out.write(header.Bytes()) != kAlbumHeaderSize) {
        throw AlbumError(AlbumErrorKind::CannotWrite,
                         QStringLiteral("cannot write the album: %1").arg(out.errorString()));
    }

    DeflateSink sink(out, contents.compressionLevel);
    sink.Write(contents.settings.Bytes());
    const auto length32 = qToLittleEndian(static_cast<std::int32_t>(contentsLength));
    sink.Write(QByteArrayView(reinterpret_cast<const char*>(&length32), 4));
    for (const ContentsRecord& record : contents.contents) sink.Write(record.Bytes());

    PageEntry head;
    head.Size = static_cast<std::int32_t>(pages.size());
    head.Orientation = contents.usualOrientation;
    QByteArray directory = head.Bytes(oriented);
    std::int64_t offset = dataStart;
    for (const AlbumPageSize& page : pages) {
        directory +=
            PageEntry{static_cast<std::int32_t>(offset), page.size, page.orientation}.Bytes(
                oriented);
        offset += page.size;
    }
    sink.Write(directory);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const QByteArray data = provider(static_cast<int>(i));
        if (data.size() != pages[i].size) {
            throw AlbumError(AlbumErrorKind::InvalidDescription,
                             QStringLiteral("page %1 has %2 bytes, not the announced %3")
                                 .arg(i + 1)
                                 .arg(data.size())
                                 .arg(pages[i].size));
        }
        sink.Write(data);
    }
    sink.Finish();
}

std::vector<AlbumPageSize> SizesOf(const std::vector<AlbumPage>& pages) {
    std::vector<AlbumPageSize> sizes;
    sizes.reserve(pages.size());
    for (const AlbumPage& page : pages) {
        if (page.data.size() > std::numeric_limits<std::int32_t>::max()) {
            throw AlbumError(AlbumErrorKind::InvalidDescription,
                             QStringLiteral("a page exceeds 2 GiB"));
        }
        sizes.push_back({static_cast<std::int32_t>(page.data.size()), page.orientation});
    }
    return sizes;
}

}  // namespace

AlbumContents NewA4AlbumContents() {
    AlbumContents contents;
    contents.header.SetSignature("JXA");
    contents.header.SetProductVersion(90000);
    contents.settings = AlbumSettings(HasLongSettings(contents.header));
    contents.settings.SetPaperWidthMm(210);
    contents.settings.SetPaperHeightMm(297);
    return contents;
}

QByteArray BuildAlbumBytes(const AlbumContents& contents, const std::vector<AlbumPage>& pages) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    WriteAlbum(buffer, contents, SizesOf(pages),
               [&](int index) { return pages[static_cast<std::size_t>(index)].data; });
    return bytes;
}

void WriteAlbumFile(const QString& path, const AlbumContents& contents,
                    const std::vector<AlbumPage>& pages) {
    WriteAlbumFile(path, contents, SizesOf(pages),
                   [&](int index) { return pages[static_cast<std::size_t>(index)].data; });
}

void WriteAlbumFile(const QString& path, const AlbumContents& contents,
                    const std::vector<AlbumPageSize>& pages, const AlbumPageProvider& provider) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw AlbumError(AlbumErrorKind::CannotWrite,
                         QStringLiteral("cannot create %1: %2").arg(path, file.errorString()));
    }
    WriteAlbum(file, contents, pages, provider);
    if (!file.commit()) {
        throw AlbumError(AlbumErrorKind::CannotWrite,
                         QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    }
}

}  // namespace tavlex
