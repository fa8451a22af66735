#pragma once

#include "metafile/ByteView.h"
#include "metafile/GdiDefs.h"
#include "metafile/Metafile.h"

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QList>
#include <QRgb>
#include <QTransform>

#include <cstdint>

class QPainter;

namespace tavlex::mf {

// What the bitmap records see of the device context while an enhanced metafile plays.
// Coordinates: "logical" are the units of the records; "device" are pixels of the metafile's
// reference device; "target" are the coordinates of the painter the page is played onto (the
// painter's own transform, set by the caller of Play, stays underneath).
class PlaybackContext {
  public:
    virtual ~PlaybackContext() = default;

    // The painter with the current clip applied and the caller's transform in place. Bitmap code
    // may change transform, hints and composition mode, but must leave them as it found them
    // (QPainter::save/restore).
    virtual QPainter& Painter() = 0;

    // Logical -> target: world transform, mapping mode and the frame-to-target stretch.
    virtual QTransform LogicalToTarget() const = 0;
    // Reference-device pixels -> target: the frame-to-target stretch alone.
    virtual QTransform DeviceToTarget() const = 0;

    virtual int StretchBltMode() const = 0;  // BLACKONWHITE 1 ... HALFTONE 4
    virtual int Rop2() const = 0;            // R2_BLACK 1 ... R2_WHITE 16
    virtual QColor TextColour() const = 0;
    virtual QColor BackgroundColour() const = 0;
    virtual int BackgroundMode() const = 0;  // TRANSPARENT 1, OPAQUE 2

    // The selected brush ready to fill target-space shapes (hatches and patterns resolved
    // against the current colours); Qt::NoBrush for a null brush.
    virtual QBrush CurrentBrush() const = 0;

    // Entries of the selected logical palette; empty when the default palette is selected.
    virtual const QList<QRgb>& Palette() const = 0;

    // Counts decoded bitmap bytes against the page's cap. False: the cap is exceeded, the
    // bitmap must not be decoded and playback stops after this record.
    virtual bool ChargeBitmapBytes(std::int64_t bytes) = 0;
    // The bytes still allowed on this page (for DibDecodeOptions::budget); charge what was used.
    virtual std::int64_t BitmapBytesLeft() const = 0;

    // Puts a pattern brush into object-table slot `index` (created by the brush records).
    // A monochrome pattern takes the text colour for 0 bits and the background colour for 1 bits
    // when it is used; give it as QImage::Format_Mono with a two-entry colour table.
    virtual void StorePatternBrush(std::uint32_t index, const QImage& pattern, bool monochrome) = 0;

    virtual const PlayLimits& Limits() const = 0;
};

// Record types handed to PlayBitmapRecord.
inline bool IsBitmapRecord(std::uint32_t type) {
    switch (type) {
        case emr::BitBlt:
        case emr::StretchBlt:
        case emr::MaskBlt:
        case emr::PlgBlt:
        case emr::SetDiBitsToDevice:
        case emr::StretchDiBits:
        case emr::CreateMonoBrush:
        case emr::CreateDibPatternBrushPt:
        case emr::AlphaBlend:
        case emr::TransparentBlt:
            return true;
        default:
            return false;
    }
}

// Plays one bitmap record (`record` spans the whole record, type and size included, already
// checked to be at least 8 bytes and a multiple of 4). Returns false when the record could
// not be played (damaged or unsupported); playback goes on with the next record.
bool PlayBitmapRecord(PlaybackContext& context, std::uint32_t type, ByteView record);

}  // namespace tavlex::mf
