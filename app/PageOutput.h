#pragma once

#include <QString>

class QFileDialog;

namespace tavlex {

namespace mf {
class Metafile;
}

class TViewForm;

// The file types of the frame's save dialog, in the order its filter lists them.
enum class PageFileType { Emf = 1, Wmf = 2, Bmp = 3 };

// Sets up the frame's save dialog for page output: the three types, default extension "EMF"
// (the extension follows the type the user picks), overwrite prompt, starting at the program's
// folder with the name "画像".
void SetUpPageSaveDialog(QFileDialog& dialog, const QString& programFolder);

// The type chosen in the dialog.
PageFileType SelectedPageFileType(const QFileDialog& dialog);

// Writes a page: as a metafile (a ".wmf" name in any letter case gives a placeable Windows
// metafile, any other name the page's own kind) or as a 24-bit bitmap at the page's own size,
// whatever the zoom. Written under a temporary name and renamed, so a failed write leaves no
// partial file; throws std::runtime_error then.
void WritePage(const mf::Metafile& page, const QString& path, PageFileType type);

// ファイル(&F)...: offers the last name again without its extension (the type stays as chosen),
// runs the dialog and writes the window's current page through a PageOutputJob, so the write
// may still be under way when this returns. A failed write is reported.
void Mn_FileClick(TViewForm& form, QFileDialog& dialog);

// クリップボード(&C): the page as an enhanced metafile, under the usual EMF names of the
// clipboard, with its bitmap beside it for programs that do not read metafiles. The bitmap is
// drawn by a PageOutputJob, which fills the clipboard once it is done.
void Mn_ClipClick(TViewForm& form);

// The clipboard formats, for the check of what was put there.
inline constexpr char kQtWindowsEmfMime[] =
    "application/x-qt-windows-mime;value=\"Enhanced Metafile\"";

}  // namespace tavlex
