#include "album/AlbumFormat.h"

#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tavlex {
namespace {

constexpr const char* kAlbumTokens[] = {".YRA", ".YRB", ".YRC", ".YRD"};

template <typename T>
T ReadLE(const std::uint8_t* p) {
    return qFromLittleEndian<T>(p);
}

template <typename T>
void WriteLE(std::uint8_t* p, T value) {
    qToLittleEndian<T>(value, p);
}

// The whole LenString[3] equals text: the length byte must be exactly 3, so a damaged length
// byte never admits a file.
bool SignatureIs(const std::array<std::uint8_t, kAlbumHeaderSize>& raw, const char* text) {
    return raw[0] == 3 && std::memcmp(raw.data() + 1, text, 3) == 0;
}

const QDate& OleEpoch() {
    static const QDate epoch(1899, 12, 30);
    return epoch;
}

}  // namespace

bool IsAlbumFileName(const QString& path) {
    const QString upper = path.toUpper();
    return std::any_of(std::begin(kAlbumTokens), std::end(kAlbumTokens),
                       [&](const char* token) { return upper.contains(QLatin1String(token)); });
}

bool HasPageOrientationName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && name.mid(dot).toUpper() == QLatin1String(".QZD");
}

// --- AlbumHeader

AlbumHeader AlbumHeader::FromBytes(QByteArrayView bytes) {
    AlbumHeader header;
    std::memcpy(header.raw_.data(), bytes.data(),
                static_cast<std::size_t>(std::min<qsizetype>(bytes.size(), kAlbumHeaderSize)));
    return header;
}

QByteArray AlbumHeader::Bytes() const {
    return QByteArray(reinterpret_cast<const char*>(raw_.data()), kAlbumHeaderSize);
}

QByteArray AlbumHeader::Signature() const {
    return QByteArray(reinterpret_cast<const char*>(raw_.data() + 1), std::min<int>(raw_[0], 3));
}

FixedMm AlbumHeader::ProductVersion() const {
    return ReadLE<std::int64_t>(raw_.data() + 4);
}
FixedMm AlbumHeader::MarginTop() const {
    return ReadLE<std::int64_t>(raw_.data() + 12);
}
FixedMm AlbumHeader::MarginBottom() const {
    return ReadLE<std::int64_t>(raw_.data() + 20);
}
FixedMm AlbumHeader::MarginLeft() const {
    return ReadLE<std::int64_t>(raw_.data() + 28);
}
FixedMm AlbumHeader::MarginRight() const {
    return ReadLE<std::int64_t>(raw_.data() + 36);
}
std::int32_t AlbumHeader::BodyLength() const {
    return ReadLE<std::int32_t>(raw_.data() + 44);
}

void AlbumHeader::SetSignature(QByteArrayView signature) {
    const auto length = static_cast<std::uint8_t>(std::min<qsizetype>(signature.size(), 3));
    std::fill(raw_.begin(), raw_.begin() + 4, 0);
    raw_[0] = length;
    std::memcpy(raw_.data() + 1, signature.data(), length);
}

void AlbumHeader::SetProductVersion(FixedMm version) {
    WriteLE(raw_.data() + 4, version);
}

void AlbumHeader::SetMargins(FixedMm top, FixedMm bottom, FixedMm left, FixedMm right) {
    WriteLE(raw_.data() + 12, top);
    WriteLE(raw_.data() + 20, bottom);
    WriteLE(raw_.data() + 28, left);
    WriteLE(raw_.data() + 36, right);
}

void AlbumHeader::SetBodyLength(std::int32_t length) {
    WriteLE(raw_.data() + 44, length);
}

std::int64_t GetFormatLevel(const AlbumHeader& header) {
    struct Row {
        const char* signature;
        FixedMm highestVersion;
    };
    static constexpr Row kRows[] = {{"JXA", 90000}, {"JXA", 80000}, {"JXA", 60000}, {"JXB", 70000}};
    for (const Row& row : kRows) {
        if (SignatureIs(header.Raw(), row.signature) &&
            row.highestVersion >= header.ProductVersion()) {
            return kFormatLevel1;
        }
    }
    return 0;
}

bool HasLongSettings(const AlbumHeader& header) {
    if (SignatureIs(header.Raw(), "QZD") || SignatureIs(header.Raw(), "JXB")) return false;
    if (SignatureIs(header.Raw(), "JXA")) return header.ProductVersion() >= 90000;
    return true;
}

// --- AlbumSettings

AlbumSettings::AlbumSettings(bool longLayout)
    : long_(longLayout), raw_(longLayout ? kLongSettingsSize : kShortSettingsSize, '\0') {}

AlbumSettings AlbumSettings::FromBytes(QByteArrayView bytes, bool longLayout) {
    AlbumSettings settings(longLayout);
    std::memcpy(settings.raw_.data(), bytes.data(),
                static_cast<std::size_t>(std::min<qsizetype>(bytes.size(), settings.Size())));
    return settings;
}

// Offsets are those of the long layout; after the title the short layout is 50 bytes earlier.
AlbumSettings::Field AlbumSettings::At(int longOffset, int capacity) const {
    return Field{(!long_ && longOffset > 8) ? longOffset - 50 : longOffset, capacity};
}

QByteArray AlbumSettings::LenString(Field field) const {
    const auto length =
        std::min<int>(static_cast<std::uint8_t>(raw_[field.offset]), field.capacity);
    return raw_.mid(field.offset + 1, length);
}

void AlbumSettings::SetLenString(Field field, QByteArrayView text) {
    const auto length = static_cast<int>(std::min<qsizetype>(text.size(), field.capacity));
    raw_[field.offset] = static_cast<char>(length);
    for (int i = 0; i < field.capacity; ++i) {
        raw_[field.offset + 1 + i] = i < length ? text[i] : '\0';
    }
}

std::int32_t AlbumSettings::I32(int longOffset) const {
    return ReadLE<std::int32_t>(reinterpret_cast<const std::uint8_t*>(raw_.constData()) +
                                At(longOffset).offset);
}

void AlbumSettings::SetI32(int longOffset, std::int32_t value) {
    WriteLE(reinterpret_cast<std::uint8_t*>(raw_.data()) + At(longOffset).offset, value);
}

double AlbumSettings::Created() const {
    return ReadLE<double>(reinterpret_cast<const std::uint8_t*>(raw_.constData()));
}
QByteArray AlbumSettings::Title() const {
    return LenString(At(8, long_ ? 100 : 50));
}
QByteArray AlbumSettings::Remarks() const {
    return LenString(At(109, 50));
}
QByteArray AlbumSettings::Author() const {
    return LenString(At(160, 30));
}
std::int32_t AlbumSettings::PageOffset() const {
    return I32(191);
}
std::int32_t AlbumSettings::PaperCode() const {
    return I32(195);
}
std::uint8_t AlbumSettings::Orientation() const {
    return static_cast<std::uint8_t>(raw_[At(199).offset]);
}
std::int32_t AlbumSettings::PaperWidthMm() const {
    return I32(200);
}
std::int32_t AlbumSettings::PaperHeightMm() const {
    return I32(204);
}
bool AlbumSettings::GaijiAsBitmap() const {
    return GaijiAsBitmapRaw() != 0;
}
std::uint8_t AlbumSettings::GaijiAsBitmapRaw() const {
    return static_cast<std::uint8_t>(raw_[At(208).offset]);
}
QByteArray AlbumSettings::SubstituteFont() const {
    return LenString(At(209, 30));
}
QByteArray AlbumSettings::UsedFonts() const {
    return LenString(At(240, 200));
}

void AlbumSettings::SetCreated(double oleDate) {
    WriteLE(reinterpret_cast<std::uint8_t*>(raw_.data()), oleDate);
}
void AlbumSettings::SetTitle(QByteArrayView text) {
    SetLenString(At(8, long_ ? 100 : 50), text);
}
void AlbumSettings::SetRemarks(QByteArrayView text) {
    SetLenString(At(109, 50), text);
}
void AlbumSettings::SetAuthor(QByteArrayView text) {
    SetLenString(At(160, 30), text);
}
void AlbumSettings::SetPageOffset(std::int32_t value) {
    SetI32(191, value);
}
void AlbumSettings::SetPaperCode(std::int32_t value) {
    SetI32(195, value);
}
void AlbumSettings::SetOrientation(std::uint8_t value) {
    raw_[At(199).offset] = static_cast<char>(value);
}
void AlbumSettings::SetPaperWidthMm(std::int32_t value) {
    SetI32(200, value);
}
void AlbumSettings::SetPaperHeightMm(std::int32_t value) {
    SetI32(204, value);
}
void AlbumSettings::SetGaijiAsBitmap(std::uint8_t value) {
    raw_[At(208).offset] = static_cast<char>(value);
}
void AlbumSettings::SetSubstituteFont(QByteArrayView text) {
    SetLenString(At(209, 30), text);
}
void AlbumSettings::SetUsedFonts(QByteArrayView text) {
    SetLenString(At(240, 200), text);
}

// --- OLE dates

QDateTime OleDateToDateTime(double oleDate) {
    // Years 100..9999 keep every intermediate value well inside 64-bit seconds.
    constexpr double kLowest = -657434.0;   // 0100-01-01
    constexpr double kHighest = 2958466.0;  // 10000-01-01
    if (!std::isfinite(oleDate) || oleDate < kLowest || oleDate >= kHighest) return {};
    const double wholeDays = std::trunc(oleDate);
    auto seconds =
        static_cast<std::int64_t>(std::llround(std::fabs(oleDate - wholeDays) * 86400.0));
    const auto days = static_cast<std::int64_t>(wholeDays) + seconds / 86400;
    seconds %= 86400;
    const QDate date = OleEpoch().addDays(days);
    if (!date.isValid() || date.year() < 100 || date.year() > 9999) return {};
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(seconds * 1000)),
                     Qt::UTC);
}

double DateTimeToOleDate(const QDateTime& dateTime) {
    const auto days = static_cast<double>(OleEpoch().daysTo(dateTime.date()));
    const double fraction = dateTime.time().msecsSinceStartOfDay() / 86400000.0;
    return days >= 0 ? days + fraction : days - fraction;
}

// --- records

ContentsRecord ContentsRecord::FromBytes(QByteArrayView record) {
    ContentsRecord result;
    if (record.size() < kContentsRecordSize) return result;
    const auto* p = reinterpret_cast<const std::uint8_t*>(record.data());
    result.Page = ReadLE<std::int16_t>(p);
    result.Level = ReadLE<std::int16_t>(p + 4);
    result.EntryText = record.sliced(9, std::min<int>(p[8], 50)).toByteArray();
    return result;
}

QByteArray ContentsRecord::Bytes() const {
    QByteArray record(kContentsRecordSize, '\0');
    auto* p = reinterpret_cast<std::uint8_t*>(record.data());
    WriteLE(p, Page);
    WriteLE(p + 4, Level);
    const auto length = static_cast<int>(std::min<qsizetype>(EntryText.size(), 50));
    p[8] = static_cast<std::uint8_t>(length);
    std::memcpy(p + 9, EntryText.constData(), static_cast<std::size_t>(length));
    return record;
}

PageEntry PageEntry::FromBytes(QByteArrayView bytes, bool withOrientation) {
    PageEntry entry;
    if (bytes.size() < (withOrientation ? kOrientedPageEntrySize : kPageEntrySize)) return entry;
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    entry.Offset = ReadLE<std::int32_t>(p);
    entry.Size = ReadLE<std::int32_t>(p + 4);
    entry.Orientation = withOrientation ? p[8] : 0;
    return entry;
}

QByteArray PageEntry::Bytes(bool withOrientation) const {
    QByteArray bytes(withOrientation ? kOrientedPageEntrySize : kPageEntrySize, '\0');
    auto* p = reinterpret_cast<std::uint8_t*>(bytes.data());
    WriteLE(p, Offset);
    WriteLE(p + 4, Size);
    if (withOrientation) p[8] = Orientation;
    return bytes;
}

}  // namespace tavlex
