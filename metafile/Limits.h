#pragma once

// Every cap of the engine, in one place: they keep any file within bounded time and memory.

#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace tavlex::mf {

// Caps that keep any file within bounded time and memory. A page that exceeds one stops
// playing; what was drawn until then stays.
struct PlayLimits {
    std::int64_t maxBitmapBytes = std::int64_t{512} << 20;  // decoded bitmap bytes per page
    int maxSaveDepth = 1024;                                // nested SaveDC
    int maxObjects = 65536;                                 // object table slots
    std::int64_t maxPointsPerRecord = 4'000'000;
    std::int64_t maxRecords = 50'000'000;
    int maxMillis = 20'000;  // wall time per page
    // An outline of this many points or more is filled and stroked on raster devices in bands of
    // rows, asking `cancelled` and the time cap between bands: Qt cannot be stopped inside one
    // fill, and one such fill can take minutes. The pixels are those of a single fill.
    std::int64_t bandedFrom = 20'000;
    // Asked before every record, on the playing thread: true abandons the page at once (it is no
    // longer wanted, or the caller's time for it is up). PlayResult::cancelled says so.
    std::function<bool()> cancelled;
};

// Caps of the conversions between the two formats: a placeable WMF into EMF records when a
// page is loaded, EMF records into a placeable WMF when a page is exported. Beyond a cap the
// conversion ends with what it wrote until then.
struct ConversionLimits {
    std::int64_t maxRecords;
    qsizetype maxOutputBytes;
    std::uint32_t maxPointsPerRecord;  // and gradient vertices and meshes
    std::size_t maxSaveDepth;
    std::uint32_t maxRegionRects;
};

inline constexpr ConversionLimits kWmfToEmfLimits{10'000'000, qsizetype{256} << 20, 4'000'000, 1024,
                                                  200'000};
inline constexpr ConversionLimits kEmfToWmfLimits{50'000'000, qsizetype{512} << 20, 4'000'000, 1024,
                                                  100'000};

// Caps of the exports. A natural-size bitmap larger than maxBitmapBytes is refused rather
// than attempted, since a frame read from a file may claim any size; an original larger than
// maxEmbeddedBytes is neither carried in an exported WMF nor taken back from one; past
// maxWmfObjects slots of a WMF's 16-bit object table the EMF-to-WMF conversion makes no new
// object (saved states keep theirs alive).
struct ExportLimits {
    qint64 maxBitmapBytes;
    std::uint32_t maxEmbeddedBytes;
    int maxWmfObjects;
};

inline constexpr ExportLimits kExportLimits{qint64{512} << 20, 256u << 20, 65000};

}  // namespace tavlex::mf
