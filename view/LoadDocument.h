#pragma once

#include <QString>

namespace tavlex {

class TViewForm;

// Opens the album at path into a fresh document window: reads it, fills the contents list, shows
// page 1, lays the sheet out and refreshes the window, with the hourglass cursor while it reads.
// False when the album was refused (its message has been shown, except for an album without
// pages): the caller destroys the window. A first page whose entry points outside the body is
// reported and left blank while the album opens. Other damage and read failures leave as
// AlbumError or mf::MetafileError; the window then stays open without a page.
bool LoadDocument(TViewForm& form, const QString& path);

}  // namespace tavlex
