#pragma once

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>

#include "metafile/Limits.h"

class QPainter;

namespace tavlex::mf {

// What stopped the reader, for the caller to choose the user's text by.
enum class MetafileErrorKind {
    NotMetafile,  // neither an enhanced metafile nor a placeable Windows metafile
    BadHeader,    // the header's values contradict each other or the data
    BadRecord,    // a record cannot be read
    TooLarge,     // a cap on size or count was exceeded
    Truncated,    // the bytes end inside the header or a record
    NotArrived,   // the bytes were still being read and never came
};

// The one error of the metafile reader: the bytes are neither an enhanced metafile nor a
// placeable Windows metafile, or they are damaged beyond reading. what() is the user-facing
// text, "メタファイルが不正です" (UTF-8), whatever the kind; the detail is for developers.
class MetafileError : public std::runtime_error {
  public:
    MetafileError(MetafileErrorKind kind, const std::string& detail,
                  std::optional<std::uint64_t> byteOffset = std::nullopt,
                  std::optional<std::uint64_t> recordIndex = std::nullopt);

    MetafileErrorKind Kind() const { return kind_; }
    const std::string& Detail() const { return detail_; }
    // Where reading stopped: the offset in the bytes given to the reader, and for a fault in
    // a record its index (0 is the header record). Empty where it is not known.
    std::optional<std::uint64_t> ByteOffset() const { return byteOffset_; }
    std::optional<std::uint64_t> RecordIndex() const { return recordIndex_; }

  private:
    MetafileErrorKind kind_;
    std::string detail_;
    std::optional<std::uint64_t> byteOffset_;
    std::optional<std::uint64_t> recordIndex_;
};

struct PlayResult {
    bool complete = true;  // false: a cap or a damaged record stopped playback early
    QString stopReason;    // developer text; empty when complete
    std::optional<MetafileErrorKind> stopKind;  // empty when complete
    // Where playback stopped: the record's index (0 is the header) and byte offset.
    std::uint64_t stopRecord = 0;
    std::uint64_t stopOffset = 0;
    bool cancelled = false;  // stopped by PlayLimits::cancelled, not by the page (no stopKind)
};

// The two kinds a page may be stored in.
enum class MetafileKind { Enhanced, Placeable };

// One decoded page, immutable once loaded. Holds the stored bytes and, for a placeable WMF,
// the enhanced-metafile records it was converted into (playback always runs on EMF records).
class Metafile {
  public:
    Metafile() = default;

    // Validates and decodes; throws MetafileError for anything that is neither kind.
    static Metafile Load(const QByteArray& bytes);

    // Bytes still arriving: called with an end offset, it returns once the bytes before it are
    // there, or false when they never will be.
    using Arrival = std::function<bool(std::uint64_t end)>;
    // The same over bytes still arriving: the header is waited for here, and playback waits
    // for each record before reading it. A placeable WMF is converted once it is whole.
    static Metafile Load(const QByteArray& bytes, Arrival arrival);
    const Arrival& PendingArrival() const { return arrival_; }

    bool IsNull() const { return enhanced_.isEmpty(); }
    MetafileKind Kind() const { return kind_; }
    const QByteArray& StoredBytes() const { return stored_; }
    const QByteArray& EnhancedBytes() const { return enhanced_; }

    // EMF header values (for a placeable WMF those of the converted EMF): rclFrame in 0.01 mm
    // (inclusive), rclBounds in device units, the reference device in pixels and millimetres.
    QRect Frame() const { return frame_; }
    QRect Bounds() const { return bounds_; }
    QSize ReferencePixels() const { return refPixels_; }
    QSize ReferenceMillimetres() const { return refMillimetres_; }

    // The picture's own size in pixels: the frame at the reference device's resolution for an
    // enhanced metafile, at the given screen pixels per inch for a placeable WMF.
    QSize NaturalPixelSize(int screenPixelsPerInch) const;

  private:
    MetafileKind kind_ = MetafileKind::Enhanced;
    Arrival arrival_;  // none once the bytes are whole
    QByteArray stored_;
    QByteArray enhanced_;
    QRect frame_;
    QRect bounds_;
    QSize refPixels_;
    QSize refMillimetres_;
};

// Plays the metafile so that its frame maps onto target with the right and bottom edges taken
// one pixel inside (inclusive bounds); the aspect ratio is not preserved. The painter's state
// is restored afterwards. Never throws for damaged records: playback stops and says why.
PlayResult Play(const Metafile& metafile, QPainter& painter, const QRect& target,
                const PlayLimits& limits = {});

}  // namespace tavlex::mf
