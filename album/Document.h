#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

#include "album/AlbumFormat.h"
#include "album/BodyArrival.h"
#include "album/BodySink.h"

namespace tavlex {

// Which file on disk a document was loaded from, so that the margin write-back can make sure it
// still writes into that same file.
struct AlbumFileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
};

// The state of one open album as the loader fills it. A document window holds one; its own
// fields (zoom, page metafile, contents font metrics) live in the window.
//
// Ownership: the Document owns its open body (BodyStream) and the thread that may still be
// inflating into it (Arrival). Moving a Document transfers both; destroying it stops that
// thread, then closes the body file and frees its temporary name. Not copyable.
class Document {
  public:
    Document() = default;
    Document(Document&&) noexcept = default;
    Document& operator=(Document&&) noexcept = default;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // The inflated body; none before loading. Shared with the inflating thread only, which
    // keeps it alive until it has stopped.
    std::shared_ptr<BodySink> BodyStream;
    // The body still arriving after the open; whole (or failed) once its state says so. Declared
    // after the body: it goes first, stopping its thread.
    std::unique_ptr<BodyArrival> Arrival;

    std::int32_t PaperWidth = 0;   // screen pixels at 100 %
    std::int32_t PaperHeight = 0;  // screen pixels at 100 %
    std::int32_t CurrentPage = 0;  // 1-based
    std::int32_t PageCount = 0;
    std::int32_t PageOffset = 0;  // added to page positions for display and print

    // PageCount + 1 entries as stored, entry 0 being the directory head. An entry may point
    // outside the body: CheckedPageEntry refuses that page alone.
    std::vector<PageEntry> PageDirectory;

    // One entry per contents record in list order, plus a final (0, 0) entry. Page is as stored
    // and may lie outside 1..PageCount: whoever moves to it must ignore such an entry.
    std::vector<ContentsEntry> ContentsEntries;
    // The contents texts as the list shows them (trimmed, one per record): Shift-JIS bytes and
    // their decoded form (undecodable bytes show as U+FFFD).
    std::vector<QByteArray> ContentsTextBytes;
    QStringList ContentsTexts;
    bool ContentsTextErrors = false;  // some contents text did not decode cleanly

    bool ShowPrintableArea = false;
    bool SyncingContents = false;
    std::int64_t FormatLevel = 0;
    bool HasPageOrientation = true;  // 9-byte page entries (".QZD" file)

    // Header margins in screen pixels at 100 %; the margin dialog edits them.
    std::int32_t EdgeOffsetTop = 0;
    std::int32_t EdgeOffsetBottom = 0;
    std::int32_t EdgeOffsetLeft = 0;
    std::int32_t EdgeOffsetRight = 0;

    QString AlbumPath;  // set only once the album has opened
    AlbumFileIdentity FileIdentity;
    bool UsesLongSettings = true;

    // The header exactly as read and the settings record in its layout. Declared last: the
    // member names are also the type names.
    tavlex::AlbumHeader AlbumHeader;
    tavlex::AlbumSettings AlbumSettings;
};

}  // namespace tavlex
