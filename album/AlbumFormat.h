#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

#include "support/Length.h"

namespace tavlex {

// Layout of an album file: a 48-byte header, then one zlib stream (the body) that inflates to
// BodyLength bytes: settings record, contents length and records, page directory, page data.
// All numbers are little-endian; text is Shift-JIS.

inline constexpr int kAlbumHeaderSize = 48;
inline constexpr int kLongSettingsSize = 441;
inline constexpr int kShortSettingsSize = 391;
inline constexpr int kContentsRecordSize = 59;
inline constexpr int kMaxContentsRecords = 999;
inline constexpr int kMaxContentsLength = kContentsRecordSize * kMaxContentsRecords;  // 58 941
inline constexpr int kPageEntrySize = 8;
inline constexpr int kOrientedPageEntrySize = 9;  // ".QZD" files
inline constexpr std::int64_t kFormatLevel1 = 10000;

// The name test: the upper-cased path contains ".YRA", ".YRB", ".YRC" or ".YRD" anywhere.
bool IsAlbumFileName(const QString& path);

// True when the file's own extension (from the last period of the file name) is ".QZD": its
// page entries carry an orientation byte (9-byte form).
bool HasPageOrientationName(const QString& path);

// The 48-byte header, kept exactly as read; the margin write-back changes only the margin fields.
class AlbumHeader {
  public:
    AlbumHeader() = default;  // all zero
    // Takes the first 48 bytes; missing bytes are zero (callers check the size they read).
    static AlbumHeader FromBytes(QByteArrayView bytes);
    QByteArray Bytes() const;
    const std::array<std::uint8_t, kAlbumHeaderSize>& Raw() const { return raw_; }

    // Signature characters (length byte clamped to 3).
    QByteArray Signature() const;
    FixedMm ProductVersion() const;  // raw: 9.0 is 90000
    FixedMm MarginTop() const;
    FixedMm MarginBottom() const;
    FixedMm MarginLeft() const;
    FixedMm MarginRight() const;
    std::int32_t BodyLength() const;

    // Stores the signature as given (at most 3 bytes; the rest of the field is zeroed).
    void SetSignature(QByteArrayView signature);
    void SetProductVersion(FixedMm version);
    void SetMargins(FixedMm top, FixedMm bottom, FixedMm left, FixedMm right);
    void SetBodyLength(std::int32_t length);

    friend bool operator==(const AlbumHeader&, const AlbumHeader&) = default;

  private:
    std::array<std::uint8_t, kAlbumHeaderSize> raw_{};
};

// 10000 (format level 1.0) when the signature and product version are admitted, else 0.
std::int64_t GetFormatLevel(const AlbumHeader& header);

// True selects the 441-byte settings layout, false the 391-byte one.
bool HasLongSettings(const AlbumHeader& header);

// The settings record in either layout, kept as read. Text accessors return the Shift-JIS bytes
// with the length byte clamped to the field's capacity; setters cut texts to the capacity.
class AlbumSettings {
  public:
    explicit AlbumSettings(bool longLayout = true);
    // Takes the record's bytes (441 or 391 by layout); missing bytes are zero.
    static AlbumSettings FromBytes(QByteArrayView bytes, bool longLayout);
    const QByteArray& Bytes() const { return raw_; }
    bool IsLongLayout() const { return long_; }
    int Size() const { return long_ ? kLongSettingsSize : kShortSettingsSize; }

    double Created() const;  // OLE date: days since 1899-12-30, fraction = time of day
    QByteArray Title() const;
    QByteArray Remarks() const;
    QByteArray Author() const;
    std::int32_t PageOffset() const;
    std::int32_t PaperCode() const;
    std::uint8_t Orientation() const;  // 0 portrait, 1 landscape
    std::int32_t PaperWidthMm() const;
    std::int32_t PaperHeightMm() const;
    bool GaijiAsBitmap() const;
    std::uint8_t GaijiAsBitmapRaw() const;
    QByteArray SubstituteFont() const;
    QByteArray UsedFonts() const;  // names separated by CR LF

    void SetCreated(double oleDate);
    void SetTitle(QByteArrayView text);
    void SetRemarks(QByteArrayView text);
    void SetAuthor(QByteArrayView text);
    void SetPageOffset(std::int32_t value);
    void SetPaperCode(std::int32_t value);
    void SetOrientation(std::uint8_t value);
    void SetPaperWidthMm(std::int32_t value);
    void SetPaperHeightMm(std::int32_t value);
    void SetGaijiAsBitmap(std::uint8_t value);
    void SetSubstituteFont(QByteArrayView text);
    void SetUsedFonts(QByteArrayView text);

  private:
    struct Field {
        int offset;
        int capacity;  // LenString capacity; 0 for other types
    };
    Field At(int longOffset, int capacity = 0) const;
    QByteArray LenString(Field field) const;
    void SetLenString(Field field, QByteArrayView text);
    std::int32_t I32(int longOffset) const;
    void SetI32(int longOffset, std::int32_t value);

    bool long_;
    QByteArray raw_;
};

// OLE date <-> wall-clock date and time (no zone: held as UTC so that no daylight
// saving shift applies), rounded to whole seconds. Before 1899-12-30 the OLE rule holds: the
// fraction counts forward from that day's midnight. Non-finite values or dates outside years
// 100..9999 give an invalid QDateTime.
QDateTime OleDateToDateTime(double oleDate);
double DateTimeToOleDate(const QDateTime& dateTime);

// One 59-byte table-of-contents record.
struct ContentsRecord {
    std::int16_t Page = 0;   // 1-based page position, as stored
    std::int16_t Level = 0;  // nesting level, as stored
    QByteArray EntryText;    // Shift-JIS bytes, length clamped to 50, untrimmed

    static ContentsRecord FromBytes(QByteArrayView record);  // record has 59 bytes
    QByteArray Bytes() const;                                // 59 bytes; text cut to 50
};

// What the document keeps of a contents record; the list ends with a (0, 0) entry.
struct ContentsEntry {
    std::int16_t Page = 0;
    std::int16_t Level = 0;
    friend bool operator==(const ContentsEntry&, const ContentsEntry&) = default;
};

// One page directory entry; Orientation is meaningful only in the 9-byte form. Entry 0 is the
// directory head: Size holds the page count, Orientation the album's usual orientation.
struct PageEntry {
    std::int32_t Offset = 0;
    std::int32_t Size = 0;
    std::uint8_t Orientation = 0;

    static PageEntry FromBytes(QByteArrayView bytes, bool withOrientation);  // 8 or 9 bytes
    QByteArray Bytes(bool withOrientation) const;
    friend bool operator==(const PageEntry&, const PageEntry&) = default;
};

}  // namespace tavlex
