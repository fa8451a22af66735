#include "album/AlbumLoader.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <zlib.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <future>
#include <utility>

#include "album/BodyFile.h"
#include "album/UserMessage.h"
#include "support/Length.h"
#include "support/Text.h"

namespace tavlex {
namespace {

// Input is read in 64 KiB chunks; output goes straight into the body file through mapped
// windows of 4 MiB (two at most are mapped at once), so the body never sits in memory whole and
// is not copied once more. Small bodies, and bodies in files that cannot be mapped, are
// appended in 256 KiB blocks instead.
constexpr std::size_t kInputChunk = 64 * 1024;
constexpr std::int64_t kOutputWindow = 4 << 20;
constexpr std::int64_t kSpareBlock = 256 * 1024;

// A directory this large cannot come from a real album; refusing it keeps the page table's
// memory bounded (12 MB) whatever a small, highly compressed file claims.
constexpr std::int32_t kMaxPageCount = 1'000'000;

// Pages are handed to the metafile reader whole; a page beyond this is refused instead.
constexpr std::int64_t kMaxPageSize = std::int64_t{1} << 30;

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Descriptor() const { return fd_; }

  private:
    int fd_;
};

class Inflater {
  public:
    Inflater() {
        if (inflateInit(&stream_) != Z_OK) {
            throw AlbumError(AlbumErrorKind::CannotOpen, QStringLiteral("zlib cannot start"));
        }
    }
    ~Inflater() { inflateEnd(&stream_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    z_stream* operator->() { return &stream_; }
    z_stream* Stream() { return &stream_; }

  private:
    z_stream stream_{};
};

QString SystemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Reads up to length bytes; short only at the end of the file.
qint64 ReadFully(int fd, char* buffer, std::size_t length) {
    std::size_t total = 0;
    while (total < length) {
        const ssize_t got = ::read(fd, buffer + total, length - total);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        total += static_cast<std::size_t>(got);
    }
    return static_cast<qint64>(total);
}

// One mapped output window of the body file, prepared on a second thread while the previous
// one is being filled, and unmapped however the inflating ends.
class OutputWindow {
  public:
    OutputWindow() = default;
    OutputWindow(char* range, std::int64_t length) : range_(range), length_(length) {}
    OutputWindow(OutputWindow&& other) noexcept
        : range_(std::exchange(other.range_, nullptr)), length_(other.length_) {}
    OutputWindow& operator=(OutputWindow&&) = delete;
    ~OutputWindow() { BodyFile::Unmap(range_, length_); }

    char* Range() const { return range_; }  // null where the file cannot be mapped

  private:
    char* range_ = nullptr;
    std::int64_t length_ = 0;
};

class WindowAhead {
  public:
    explicit WindowAhead(const BodyFile& file) : file_(file) {}
    ~WindowAhead() { Drop(); }
    WindowAhead(const WindowAhead&) = delete;
    WindowAhead& operator=(const WindowAhead&) = delete;

    void Start(std::int64_t offset, std::int64_t length) {
        Drop();
        if (length <= 0) return;
        next_ = std::async(std::launch::async, [this, offset, length] {
            return OutputWindow(file_.MapRange(offset, length), length);
        });
    }
    // The prepared window (none where nothing was started); throws the preparing thread's
    // error.
    OutputWindow Take() { return next_.valid() ? next_.get() : OutputWindow(); }
    // Lets go of a window that is no longer needed, once its preparation is done.
    void Drop() {
        if (!next_.valid()) return;
        try {
            next_.get();
        } catch (const AlbumError&) {
            // A window nobody needs any more: its error does not matter.
        }
    }

  private:
    const BodyFile& file_;
    std::future<OutputWindow> next_;
};

// zlib's word for a stream whose trailer does not match the data before it.
bool IsChecksumFailure(const z_stream& stream) {
    return stream.msg != nullptr && std::strcmp(stream.msg, "incorrect data check") == 0;
}

// Inflates the zlib stream that starts at the album file's current position into body. The body
// is the first bodyLength bytes the stream yields: a stream that goes on past them, or stops
// right after them without its checksum, still gives the body, since producers are known to
// write both. A stream that ends or breaks before them is damaged, and so is one whose checksum
// follows them and does not match.
void InflateBody(int albumFd, std::int64_t bodyLength, BodyFile& body, const QString& name) {
    Inflater inflater;
    std::unique_ptr<char[]> input(new char[kInputChunk]);
    const auto damaged = [&](const QString& why) {
        return AlbumError(AlbumErrorKind::Damaged,
                          QStringLiteral("damaged album: %1 > %2").arg(why, name),
                          kAlbumHeaderSize + static_cast<std::int64_t>(inflater->total_in));
    };
    const auto corrupt = [&](int code) {
        const QString reason = inflater->msg ? QString::fromLatin1(inflater->msg)
                                             : QStringLiteral("zlib error %1").arg(code);
        return damaged(QStringLiteral("the compressed body is corrupt (%1)").arg(reason));
    };
    bool inputEnded = false;
    int status = Z_OK;
    // The stream broke beyond the bytes asked for so far; asking for more is then an error.
    int brokenBeyond = Z_OK;
    // Body: inflates into out until it is full or the stream ends; the input ending first is
    // damage. Probe: looks past the body only for a checksum that does not match.
    enum class Mode { Body, Probe };
    const auto fill = [&](char* out, std::size_t length, Mode mode) {
        if (brokenBeyond != Z_OK) throw corrupt(brokenBeyond);
        inflater->next_out = reinterpret_cast<Bytef*>(out);
        inflater->avail_out = static_cast<uInt>(length);
        while (inflater->avail_out > 0 && status != Z_STREAM_END) {
            if (inflater->avail_in == 0 && !inputEnded) {
                const qint64 got = ReadFully(albumFd, input.get(), kInputChunk);
                if (got < 0) {
                    throw AlbumError(AlbumErrorKind::CannotOpen,
                                     QStringLiteral("cannot read the album file: %1 > %2")
                                         .arg(SystemError(), name));
                }
                inputEnded = got < static_cast<qint64>(kInputChunk);
                inflater->next_in = reinterpret_cast<Bytef*>(input.get());
                inflater->avail_in = static_cast<uInt>(got);
            }
            if (inflater->avail_in == 0 && inputEnded) {
                if (mode == Mode::Probe) break;
                throw damaged(QStringLiteral("the compressed body ends early"));
            }
            status = inflate(inflater.Stream(), Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
                const bool beyond = mode == Mode::Probe || inflater->avail_out == 0;
                if (!beyond || IsChecksumFailure(*inflater.Stream())) throw corrupt(status);
                brokenBeyond = status;
                break;
            }
        }
        return length - inflater->avail_out;
    };

    // Never more than the stated length goes into the file, whatever the stream holds.
    std::unique_ptr<char[]> spare;
    std::int64_t produced = 0;
    WindowAhead ahead(body);
    // A small body is simply appended: a thread and a mapping would cost more than they save.
    if (bodyLength >= kOutputWindow) ahead.Start(0, kOutputWindow);
    while (status != Z_STREAM_END && produced < bodyLength) {
        const std::int64_t want = std::min<std::int64_t>(kOutputWindow, bodyLength - produced);
        std::size_t got = 0;
        const OutputWindow window = ahead.Take();
        if (window.Range()) {
            ahead.Start(produced + want,
                        std::min<std::int64_t>(kOutputWindow, bodyLength - produced - want));
            got = fill(window.Range(), static_cast<std::size_t>(want), Mode::Body);
            body.CommitMapped(static_cast<std::int64_t>(got));
        } else {
            if (!spare) spare.reset(new char[kSpareBlock]);
            got = fill(spare.get(),
                       static_cast<std::size_t>(std::min<std::int64_t>(want, kSpareBlock)),
                       Mode::Body);
            body.Append(spare.get(), static_cast<std::int64_t>(got));
        }
        produced += static_cast<std::int64_t>(got);
    }
    // Before the file is cut to its size: the thread must not reserve space behind that.
    ahead.Drop();
    if (status != Z_STREAM_END && brokenBeyond == Z_OK) {
        char probe = 0;
        fill(&probe, 1, Mode::Probe);
    }
    body.TrimToSize();
    if (produced != bodyLength) {
        throw damaged(QStringLiteral("the body inflates to %1 bytes, not its stated %2")
                          .arg(produced)
                          .arg(bodyLength));
    }
}

// Sequential reads from the body in file order, each checked against what the body holds.
class BodyReader {
  public:
    BodyReader(const BodyFile& body, QString name) : body_(body), name_(std::move(name)) {}

    std::int64_t Position() const { return position_; }
    std::int64_t Remaining() const { return body_.Size() - position_; }

    QByteArray Read(std::int64_t length, const char* what) {
        Require(length, what);
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
    const BodyFile& body_;
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

}  // namespace

AlbumLoadResult LoadAlbum(const QString& path, const QString& tempFolder, int pixelsPerInch) {
    AlbumLoadResult result;
    Document& document = result.document;
    const QFileInfo info(path);
    const QString name = info.fileName();
    document.HasPageOrientation = HasPageOrientationName(path);
    document.PageCount = 0;

    if (path.isEmpty() || !info.isFile()) {
        result.status = LoadStatus::NoFile;
        result.userMessage = UserMessage(result.status, name);
        return result;
    }
    if (!IsAlbumFileName(path)) {
        result.status = LoadStatus::NotAlbumName;
        result.userMessage = UserMessage(result.status, name);
        return result;
    }

    document.CurrentPage = 1;
    const FileDescriptor album(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (album.Descriptor() < 0) {
        throw AlbumError(
            AlbumErrorKind::CannotOpen,
            QStringLiteral("cannot open the album file: %1 > %2").arg(SystemError(), name));
    }
    struct stat status {};
    if (::fstat(album.Descriptor(), &status) != 0 || !S_ISREG(status.st_mode)) {
        throw AlbumError(AlbumErrorKind::CannotOpen,
                         QStringLiteral("the album is not a regular file > %1").arg(name));
    }
    QByteArray headerBytes(kAlbumHeaderSize, '\0');
    const qint64 headerRead = ReadFully(album.Descriptor(), headerBytes.data(), kAlbumHeaderSize);
    if (headerRead < 0) {
        throw AlbumError(
            AlbumErrorKind::CannotOpen,
            QStringLiteral("cannot read the album file: %1 > %2").arg(SystemError(), name), 0);
    }
    document.AlbumHeader = AlbumHeader::FromBytes(headerBytes);
    document.UsesLongSettings = HasLongSettings(document.AlbumHeader);
    document.FormatLevel = GetFormatLevel(document.AlbumHeader);
    if (document.FormatLevel < kFormatLevel1) {
        result.status = LoadStatus::UnsupportedVersion;
        result.userMessage = UserMessage(result.status, name);
        return result;
    }
    if (headerRead < kAlbumHeaderSize) {
        throw AlbumError(
            AlbumErrorKind::Damaged,
            QStringLiteral("damaged album: the file ends inside its header > %1").arg(name),
            headerRead);
    }
    document.FileIdentity = {static_cast<std::uint64_t>(status.st_dev),
                             static_cast<std::uint64_t>(status.st_ino),
                             static_cast<std::int64_t>(status.st_size)};

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

    document.BodyStream = BodyFile::Create(tempFolder);
    InflateBody(album.Descriptor(), bodyLength, *document.BodyStream, name);

    BodyReader reader(*document.BodyStream, name);
    document.AlbumSettings =
        AlbumSettings::FromBytes(reader.Read(settingsSize, "settings"), document.UsesLongSettings);
    const AlbumSettings& settings = document.AlbumSettings;
    document.PageOffset = settings.PageOffset();
    document.PaperWidth =
        MillimetresToPixels(FixedMm{settings.PaperWidthMm()} * kFixedOne, pixelsPerInch);
    document.PaperHeight =
        MillimetresToPixels(FixedMm{settings.PaperHeightMm()} * kFixedOne, pixelsPerInch);

    ReadContents(reader, document, name);
    ReadDirectory(reader, document, name);
    if (document.PageCount <= 0) {
        result.status = LoadStatus::NoPages;
        return result;
    }

    document.AlbumPath = info.absoluteFilePath();
    const AlbumHeader& header = document.AlbumHeader;
    document.EdgeOffsetTop = MillimetresToPixels(header.MarginTop(), pixelsPerInch);
    document.EdgeOffsetBottom = MillimetresToPixels(header.MarginBottom(), pixelsPerInch);
    document.EdgeOffsetLeft = MillimetresToPixels(header.MarginLeft(), pixelsPerInch);
    document.EdgeOffsetRight = MillimetresToPixels(header.MarginRight(), pixelsPerInch);
    result.status = LoadStatus::Loaded;
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
    const std::int64_t bodySize = document.BodyStream->Size();
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
    QByteArray bytes(entry.Size, Qt::Uninitialized);
    document.BodyStream->ReadAt(entry.Offset, bytes.data(), entry.Size);
    return bytes;
}

}  // namespace tavlex
