#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

#include "album/AlbumFormat.h"

namespace tavlex {

// Everything of an album except its page data. The writer fills BodyLength; the settings layout
// must agree with HasLongSettings(header) for a reader to find the fields where they were put.
struct AlbumContents {
    AlbumHeader header;
    AlbumSettings settings;
    std::vector<ContentsRecord> contents;  // at most 999
    bool pageOrientation = false;          // 9-byte page entries (for a ".QZD" file)
    std::uint8_t usualOrientation = 0;     // entry 0's orientation byte in the 9-byte form
    int compressionLevel = 6;              // zlib level 0..9
};

// A new album as the current writer makes it: signature "JXA", version 9.0 (the long settings
// layout) and A4 paper. Callers change what differs.
AlbumContents NewA4AlbumContents();

struct AlbumPage {
    QByteArray data;
    std::uint8_t orientation = 0;
};

// For large albums: page sizes up front (the directory precedes the data), bytes on demand.
struct AlbumPageSize {
    std::int32_t size = 0;
    std::uint8_t orientation = 0;
};
// Returns the bytes of page index (0-based); must return exactly the announced size.
using AlbumPageProvider = std::function<QByteArray(int index)>;

// Builds the album in memory (small albums: tests, seeds).
QByteArray BuildAlbumBytes(const AlbumContents& contents, const std::vector<AlbumPage>& pages);

// Writes the album file at path, streaming the pages through zlib. Throws AlbumError when the
// file cannot be written, the body would exceed 2 GiB - 1 or a provider returns a wrong size.
void WriteAlbumFile(const QString& path, const AlbumContents& contents,
                    const std::vector<AlbumPage>& pages);
void WriteAlbumFile(const QString& path, const AlbumContents& contents,
                    const std::vector<AlbumPageSize>& pages, const AlbumPageProvider& provider);

}  // namespace tavlex
