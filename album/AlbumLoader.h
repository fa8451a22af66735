#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

#include "album/AlbumError.h"
#include "album/Document.h"

namespace tavlex {

// How a load ended when it did not throw.
enum class LoadStatus {
    Loaded,              // the document holds an album with at least one page
    NoFile,              // no file at the path (an empty path included)
    NotAlbumName,        // the name fails the name test
    UnsupportedVersion,  // signature or product version not admitted
    NoPages,             // the directory head gives no pages: refused without a message
};

struct AlbumLoadResult {
    LoadStatus status = LoadStatus::NoFile;
    // UserMessage(status, file name): the text to show the user (ShowInfo) for NoFile,
    // NotAlbumName and UnsupportedVersion; empty for Loaded and NoPages.
    QString userMessage;
    // Filled for Loaded (CurrentPage = 1, body file open, AlbumPath set). For NoPages it still
    // holds what was read and keeps the body file until it is destroyed.
    Document document;

    bool Loaded() const { return status == LoadStatus::Loaded; }
};

struct AlbumOpenOptions {
    QString tempFolder;     // where the body's temporary file is made
    int pixelsPerInch = 0;  // margins and paper size are converted at this (0: the screen's)
    // Makes the body's sink for the stated body length instead of a temporary file in
    // tempFolder (the fuzz targets keep it in memory). May throw AlbumError.
    std::function<std::shared_ptr<BodySink>(std::int64_t bodyLength)> makeSink;
    // The body arrives whole on the calling thread before OpenAlbum returns, with no thread of
    // its own: for callers with nothing to show meanwhile (the fuzz target opens thousands of
    // small albums a second, and a thread each would cost more than the reading).
    bool bodyOnCallingThread = false;
};

// Opens the album at path with the body still arriving: checks the name and header, starts
// inflating the body on a thread of its own (Document::Arrival) and reads settings, contents and
// page directory as soon as they have arrived. Refusals are results; damage before the end of the
// page directory, read failures and the lack of a free temporary name throw AlbumError. Damage
// found later ends the arrival as Failed: the pages before it stay readable.
AlbumLoadResult OpenAlbum(const QString& path, const AlbumOpenOptions& options);

// Reads the album at path: checks the name and header, inflates the body into a temporary file
// in tempFolder (see BodyFile) and reads settings, contents and page directory; returns once the
// whole body has arrived. Refusals are
// results. Damage, read failures and the lack of a free temporary name throw AlbumError; the
// album file is closed and the temporary name freed whatever happens. Margins and paper size are
// converted at pixelsPerInch (0: the screen's). Does not load or check any page's metafile.
AlbumLoadResult LoadAlbum(const QString& path, const QString& tempFolder, int pixelsPerInch = 0);

// The stored bytes of page (1..PageCount), read from the body file. Throws AlbumError:
// NoSuchPage when the page number is out of range or the document has no body, InvalidPage when
// the page's entry points outside the body (the other pages stay readable).
QByteArray ReadPageBytes(const Document& document, int page);

// The directory entry of page, checked as ReadPageBytes checks it.
const PageEntry& CheckedPageEntry(const Document& document, int page);
// Makes `buffer` `bytes` long for a page, reusing its storage when nothing else shares it and
// it is not much larger than the page: a viewer turning pages then touches no fresh memory.
void SizePageBuffer(QByteArray& buffer, std::int64_t bytes);

}  // namespace tavlex
