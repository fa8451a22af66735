#pragma once

#include <QByteArray>
#include <QString>

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

// Reads the album at path: checks the name and header, inflates the body into a temporary file
// in tempFolder (see BodyFile) and reads settings, contents and page directory. Refusals are
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
