#pragma once

#include <QString>

#include <cstdint>
#include <stdexcept>

namespace tavlex {

// What went wrong, for the caller to choose its words by; the text beside it is for developers.
enum class AlbumErrorKind {
    CannotOpen,         // the album file cannot be opened, is not a regular file, or a read failed
    Damaged,            // the compressed data are damaged or the structures do not fit the body
    NoTemporaryName,    // all 31 temporary names are in use or cannot be made
    TemporaryFile,      // the temporary file cannot be written or read back
    InvalidPage,        // a page's directory entry lies outside the body
    NoSuchPage,         // a page number outside 1..PageCount, or no album open
    CannotWrite,        // a margin write-back or a written album failed
    AlbumChanged,       // the album on disk is no longer the one that was opened
    InvalidDescription  // a tool's album description is not usable
};

// The one error of album reading and writing. what() is the developer text in UTF-8;
// Offset() the byte offset (in the file or the inflated body, as the text says) where reading
// stopped, or -1 where no offset applies.
class AlbumError : public std::runtime_error {
  public:
    AlbumError(AlbumErrorKind kind, const QString& detail, std::int64_t offset = -1);
    AlbumErrorKind Kind() const noexcept { return kind_; }
    std::int64_t Offset() const noexcept { return offset_; }
    QString Message() const { return QString::fromUtf8(what()); }

  private:
    AlbumErrorKind kind_;
    std::int64_t offset_;
};

}  // namespace tavlex
