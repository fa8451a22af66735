#pragma once

#include <QImage>
#include <QString>

#include <memory>

#include "metafile/Limits.h"

class QMimeData;

namespace tavlex::mf {

class Metafile;

// Writing a page out of the viewer: as a metafile file, as a bitmap, or as clipboard data.
// Every write failure throws std::runtime_error whose what() (UTF-8) names the file; nothing
// here swallows an error, so the caller's ordinary error report shows it.

// True when the file name's own extension is ".wmf" in any letter case.
bool IsWmfFileName(const QString& path);

// The bytes a metafile file of this name receives: a placeable WMF for a ".wmf" name, otherwise
// the kind in which the page is stored (the stored bytes).
QByteArray MetafileFileBytes(const Metafile& metafile, const QString& path);

// Writes bytes to path through a temporary file of the same folder, renamed at the end.
void WriteFileBytes(const QString& path, const QByteArray& bytes);

// Writes the stored bytes as they are.
void WriteStoredMetafile(const Metafile& metafile, const QString& path);

// Writes MetafileFileBytes(metafile, path) to path.
void WriteMetafileFile(const Metafile& metafile, const QString& path);

// The page at its own pixel size (Metafile::naturalPixelSize), drawn at the origin over white,
// independent of any zoom; 24 bits per pixel (QImage::Format_RGB888). Throws when the picture
// is too large to hold as one bitmap.
QImage RenderNaturalBitmap(const Metafile& metafile, int screenPixelsPerInch);
// The same under the caller's limits: a page abandoned by limits.cancelled gives a null image
// and sets *cancelled.
QImage RenderNaturalBitmap(const Metafile& metafile, int screenPixelsPerInch,
                           const PlayLimits& limits, bool* cancelled);

// The bytes of a Windows bitmap file with 24 bits per pixel and a 40-byte info header; empty
// when the image cannot be encoded.
QByteArray BitmapFileBytes(const QImage& image);

// Writes BitmapFileBytes(image) to path.
void WriteBitmapFile(const QImage& image, const QString& path);

// RenderNaturalBitmap followed by WriteBitmapFile.
void WriteNaturalBitmap(const Metafile& metafile, int screenPixelsPerInch, const QString& path);

// Clipboard contents for the page: the enhanced metafile as "image/x-emf" (a page stored as a
// WMF is given in its converted EMF form) and the natural-size bitmap for programs that do not
// read EMF. The caller owns the result (QClipboard::setMimeData takes it over).
std::unique_ptr<QMimeData> MakeClipboardData(const Metafile& metafile, int screenPixelsPerInch);
// The same around a bitmap made before (RenderNaturalBitmap, perhaps on another thread).
std::unique_ptr<QMimeData> MakeClipboardData(const Metafile& metafile, const QImage& bitmap);

inline constexpr char kEmfMimeType[] = "image/x-emf";

}  // namespace tavlex::mf
