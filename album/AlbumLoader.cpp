#include "album/AlbumLoader.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "album/BodyArrival.h"
#include "album/BodyFile.h"
#include "album/UserMessage.h"
#include "album/platform/FileIo.h"
#include "support/Length.h"
#include "support/Text.h"

namespace tavlex {
namespace {

// A directory this large cannot come from a real album; refusing it keeps the page table's
// memory bounded (12 MB) whatever a small, highly compressed file claims.
constexpr std::int32_t kMaxPageCount = 1'000'000;

// Pages are handed to the metafile reader whole; a page beyond this is refused instead.
constexpr std::int64_t kMaxPageSize = std::int64_t{1} << 30;

QString SystemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Sequential reads from the body in file order, each waiting for its bytes to arrive and
// checked against the body's stated length.
class BodyReader {
  public:
    BodyReader(const BodySink& body, BodyArrival& arrival, QString name)
        : body_(body), arrival_(arrival), name_(std::move(name)) {}

    std::int64_t Position() const { return position_; }
    std::int64_t Remaining() const { return arrival_.Expected() - position_; }

    QByteArray Read(std::int64_t length, const char* what) {
        Require(length, what);
        if (!arrival_.WaitFor(position_ + length)) {
            // The stream broke before these bytes: its own error says why.
            arrival_.ThrowIfFailed();
            throw AlbumError(AlbumErrorKind::Damaged,
                             QStringLiteral("the album's body stopped arriving > %1").arg(name_),
                             arrival_.Arrived());
        }
        QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
        body_.ReadAt(position_, bytes.data(), length);
        position_ += length;
        return bytes;
    }

    void Skip(std::int64_t length, const char* what) {
        Require(length, what);
        position_ += length;
    }

    void Require(std::int64_t length, const char* what) const {
        if (length > Remaining()) {
            throw AlbumError(AlbumErrorKind::Damaged,
                             QStringLiteral("damaged album: the body ends inside its %1 > %2")
                                 .arg(QLatin1String(what), name_),
                             body_.Size());
        }
    }

  private:
    const BodySink& body_;
    BodyArrival& arrival_;
    QString name_;
    std::int64_t position_ = 0;
};

void ReadContents(BodyReader& reader, Document& document, const QString& name) {
    const std::int32_t contentsLength =
        qFromLittleEndian<std::int32_t>(reader.Read(4, "contents length").constData());
    if (contentsLength < 0) {
        throw AlbumError(AlbumErrorKind::Damaged,
                         QStringLiteral("damaged album: negative contents length %1 > %2")
                             .arg(contentsLength)
                             .arg(name),
                         reader.Position() - 4);
    }
    reader.Require(contentsLength, "table of contents");
    // More than 999 records is beyond the format; the first 999 are read, the rest skipped.
    const int count = std::min(contentsLength / kContentsRecordSize, kMaxContentsRecords);
    const QByteArray records = reader.Read(std::int64_t{count} * kContentsRecordSize, "contents");
    reader.Skip(contentsLength - std::int64_t{count} * kContentsRecordSize, "contents");

    document.ContentsEntries.reserve(static_cast<std::size_t>(count) + 1);
    document.ContentsTextBytes.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const ContentsRecord record = ContentsRecord::FromBytes(QByteArrayView(records).sliced(
            qsizetype{i} * kContentsRecordSize, kContentsRecordSize));
        document.ContentsEntries.push_back({record.Page, record.Level});
        QByteArray text = TrimWide(record.EntryText);
        DecodedText decoded = DecodeShiftJis(text);
        document.ContentsTextErrors = document.ContentsTextErrors || decoded.hadErrors;
        document.ContentsTexts.append(std::move(decoded.text));
        document.ContentsTextBytes.push_back(std::move(text));
    }
    document.ContentsEntries.push_back({0, 0});
}

void ReadDirectory(BodyReader& reader, Document& document, const QString& name) {
    const bool oriented = document.HasPageOrientation;
    const int entrySize = oriented ? kOrientedPageEntrySize : kPageEntrySize;
    const PageEntry head = PageEntry::FromBytes(reader.Read(entrySize, "page directory"), oriented);
    document.PageDirectory.assign(1, head);
    document.PageCount = head.Size;
    if (head.Size <= 0) return;

    if (head.Size > kMaxPageCount) {
        throw AlbumError(AlbumErrorKind::Damaged,
                         QStringLiteral("damaged album: a page count of %1 is beyond what an "
                                        "album holds > %2")
                             .arg(head.Size)
                             .arg(name),
                         reader.Position() - entrySize);
    }
    reader.Require(std::int64_t{head.Size} * entrySize, "page directory");
    document.PageDirectory.reserve(static_cast<std::size_t>(head.Size) + 1);
    // Entries are kept as stored: one that points outside the body spoils only its own page,
    // which CheckedPageEntry refuses when it is asked for.
    constexpr int kEntriesPerRead = 4096;
    for (std::int32_t done = 0; done < head.Size;) {
        const int batch = std::min<std::int32_t>(kEntriesPerRead, head.Size - done);
        const QByteArray bytes = reader.Read(std::int64_t{batch} * entrySize, "page directory");
        for (int i = 0; i < batch; ++i) {
            document.PageDirectory.push_back(PageEntry::FromBytes(
                QByteArrayView(bytes).sliced(qsizetype{i} * entrySize, entrySize), oriented));
        }
        done += batch;
    }
}

// Opens the album file for reading; only a regular file is an album. Notes which file it is, for
// the margin write-back.
platform::FileHandle OpenAlbumFile(const QString& path, const QString& name, Document& document) {
    platform::FileHandle album(platform::OpenFile(QFile::encodeName(path).constData(), false));
    if (album.Descriptor() < 0) {
        throw AlbumError(
            AlbumErrorKind::CannotOpen,
            QStringLiteral("cannot open the album file: %1 > %2").arg(SystemError(), name));
    }
    platform::FileStatus status;
    if (!platform::StatusOf(album.Descriptor(), status) || !status.regular) {
        throw AlbumError(AlbumErrorKind::CannotOpen,
                         QStringLiteral("the album is not a regular file > %1").arg(name));
    }
    document.FileIdentity = {status.device, status.inode, status.size};
    return album;
}

// Reads the header at the file's start. False when it is of a format level this viewer does not
// read, which is said before a short header is.
bool ReadHeader(int album, Document& document, const QString& name) {
    QByteArray headerBytes(kAlbumHeaderSize, '\0');
    const qint64 headerRead = platform::ReadFully(album, headerBytes.data(), kAlbumHeaderSize);
    if (headerRead < 0) {
        throw AlbumError(
            AlbumErrorKind::CannotOpen,
            QStringLiteral("cannot read the album file: %1 > %2").arg(SystemError(), name), 0);
    }
    document.AlbumHeader = AlbumHeader::FromBytes(headerBytes);
    document.UsesLongSettings = HasLongSettings(document.AlbumHeader);
    document.FormatLevel = GetFormatLevel(document.AlbumHeader);
    if (document.FormatLevel < kFormatLevel1) return false;
    if (headerRead < kAlbumHeaderSize) {
        throw AlbumError(
            AlbumErrorKind::Damaged,
            QStringLiteral("damaged album: the file ends inside its header > %1").arg(name),
            headerRead);
    }
    return true;
}

// Starts the body inflating into its sink and reads, as their bytes arrive, the settings, the
// table of contents and the page directory.
void ReadBodyStart(platform::FileHandle& album, Document& document, const AlbumOpenOptions& options,
                   const QString& name) {
    const std::int64_t bodyLength = document.AlbumHeader.BodyLength();
    const int settingsSize = document.UsesLongSettings ? kLongSettingsSize : kShortSettingsSize;
    if (bodyLength < settingsSize + 4) {
        throw AlbumError(AlbumErrorKind::Damaged,
                         QStringLiteral("damaged album: a body length of %1 bytes cannot hold its "
                                        "settings > %2")
                             .arg(bodyLength)
                             .arg(name),
                         kAlbumHeaderSize - 4);
    }

    document.BodyStream = options.makeSink
                              ? options.makeSink(bodyLength)
                              : std::shared_ptr<BodySink>(BodyFile::Create(options.tempFolder));
    document.Arrival =
        BodyArrival::Start(album.Release(), bodyLength, document.BodyStream, name,
                           options.bodyOnCallingThread ? BodyArrival::Where::CallingThread
                                                       : BodyArrival::Where::OwnThread);

    BodyReader reader(*document.BodyStream, *document.Arrival, name);
    document.AlbumSettings =
        AlbumSettings::FromBytes(reader.Read(settingsSize, "settings"), document.UsesLongSettings);
    const AlbumSettings& settings = document.AlbumSettings;
    document.PageOffset = settings.PageOffset();
    document.PaperWidth =
        MillimetresToPixels(FixedMm{settings.PaperWidthMm()} * kFixedOne, options.pixelsPerInch);
    document.PaperHeight =
        MillimetresToPixels(FixedMm{settings.PaperHeightMm()} * kFixedOne, options.pixelsPerInch);

    ReadContents(reader, document, name);
    ReadDirectory(reader, document, name);
}

}  // namespace

AlbumLoadResult OpenAlbum(const QString& path, const AlbumOpenOptions& options) {
    AlbumLoadResult result;
    Document& document = result.document;
    const QFileInfo info(path);
    const QString name = info.fileName();
    document.HasPageOrientation = HasPageOrientationName(path);
    document.PageCount = 0;
    const auto refuse = [&](LoadStatus status) {
        result.status = status;
        if (status != LoadStatus::NoPages) result.userMessage = UserMessage(status, name);
        return std::move(result);
    };

    if (path.isEmpty() || !info.isFile()) return refuse(LoadStatus::NoFile);
    if (!IsAlbumFileName(path)) return refuse(LoadStatus::NotAlbumName);

    document.CurrentPage = 1;
    platform::FileHandle album = OpenAlbumFile(path, name, document);
    if (!ReadHeader(album.Descriptor(), document, name))
        return refuse(LoadStatus::UnsupportedVersion);
    ReadBodyStart(album, document, options, name);
    if (document.PageCount <= 0) return refuse(LoadStatus::NoPages);

    document.AlbumPath = info.absoluteFilePath();
    const AlbumHeader& header = document.AlbumHeader;
    const int pixelsPerInch = options.pixelsPerInch;
    document.EdgeOffsetTop = MillimetresToPixels(header.MarginTop(), pixelsPerInch);
    document.EdgeOffsetBottom = MillimetresToPixels(header.MarginBottom(), pixelsPerInch);
    document.EdgeOffsetLeft = MillimetresToPixels(header.MarginLeft(), pixelsPerInch);
    document.EdgeOffsetRight = MillimetresToPixels(header.MarginRight(), pixelsPerInch);
    result.status = LoadStatus::Loaded;
    return result;
}

AlbumLoadResult LoadAlbum(const QString& path, const QString& tempFolder, int pixelsPerInch) {
    AlbumOpenOptions options;
    options.tempFolder = tempFolder;
    options.pixelsPerInch = pixelsPerInch;
    AlbumLoadResult result = OpenAlbum(path, options);
    if (BodyArrival* arrival = result.document.Arrival.get()) {
        arrival->Join();
        arrival->ThrowIfFailed();
    }
    return result;
}

const PageEntry& CheckedPageEntry(const Document& document, int page) {
    if (!document.BodyStream) {
        throw AlbumError(AlbumErrorKind::NoSuchPage, QStringLiteral("the album is not open"));
    }
    if (page < 1 || page > document.PageCount ||
        static_cast<std::size_t>(page) >= document.PageDirectory.size()) {
        throw AlbumError(AlbumErrorKind::NoSuchPage, QStringLiteral("page %1 is not in the album "
                                                                    "(1 to %2)")
                                                         .arg(page)
                                                         .arg(document.PageCount));
    }
    const PageEntry& entry = document.PageDirectory[static_cast<std::size_t>(page)];
    // While the body arrives, entries are measured against its stated length: pages not there
    // yet are waited for by whoever reads them.
    const std::int64_t bodySize =
        document.Arrival ? document.Arrival->Expected() : document.BodyStream->Size();
    if (entry.Offset < 0 || entry.Size < 0 || std::int64_t{entry.Offset} + entry.Size > bodySize) {
        throw AlbumError(AlbumErrorKind::InvalidPage,
                         QStringLiteral("page %1 (%2 bytes at %3) lies outside the %4-byte body")
                             .arg(page)
                             .arg(entry.Size)
                             .arg(entry.Offset)
                             .arg(bodySize),
                         entry.Offset);
    }
    if (entry.Size > kMaxPageSize) {
        throw AlbumError(
            AlbumErrorKind::InvalidPage,
            QStringLiteral("page %1 is too large to read (%2 bytes)").arg(page).arg(entry.Size),
            entry.Offset);
    }
    return entry;
}

void SizePageBuffer(QByteArray& buffer, std::int64_t bytes) {
    const auto size = static_cast<qsizetype>(bytes);
    // A shared buffer would be copied on detach, and a much larger one would keep memory the
    // page does not need: both get a buffer of their own.
    if (!buffer.isDetached() || buffer.capacity() < size || buffer.capacity() / 2 > size) {
        buffer = QByteArray(size, Qt::Uninitialized);
    } else {
        buffer.resize(size);
    }
}

QByteArray ReadPageBytes(const Document& document, int page) {
    const PageEntry& entry = CheckedPageEntry(document, page);
    if (document.Arrival && !document.Arrival->WaitFor(std::int64_t{entry.Offset} + entry.Size)) {
        throw AlbumError(AlbumErrorKind::Damaged,
                         QStringLiteral("damaged album: page %1 lies past the point where its "
                                        "body broke off")
                             .arg(page),
                         document.Arrival->Arrived());
    }
    QByteArray bytes(entry.Size, Qt::Uninitialized);
    document.BodyStream->ReadAt(entry.Offset, bytes.data(), entry.Size);
    return bytes;
}

}  // namespace tavlex
