#pragma once

#include <QJsonObject>
#include <QString>

#include <vector>

#include "album/AlbumWriter.h"
#include "album/Document.h"
#include "tools/album/OrderedJson.h"

namespace tavlex::tool {

// The description of a loaded album that `info` prints; texts decoded from Shift-JIS, contents
// texts trimmed as the list shows them, margins and versions raw.
OrderedJson AlbumInfo(const Document& document);

// An album described in the same shape, pages given as {"file": path, "orientation": n} (paths
// relative to descriptionFolder). Keys that follow from the rest (format_level, body_length,
// page_count, page offsets and sizes) are ignored; long_settings and has_page_orientation, when
// present, must agree with the header and the output name. Texts must fit their fields in
// Shift-JIS. Throws AlbumError naming the first thing wrong.
struct AlbumDescription {
    AlbumContents contents;
    std::vector<AlbumPage> pages;
};
AlbumDescription ReadAlbumDescription(const QJsonObject& description,
                                      const QString& descriptionFolder, bool pageOrientation);

}  // namespace tavlex::tool
