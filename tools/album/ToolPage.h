#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

#include "metafile/Metafile.h"

namespace tavlex::tool {

// Shared steps of the commands that draw or write one page. Refusals throw (AlbumError,
// MetafileError or std::runtime_error); the tool's main turns them into one line and exit 2.

// A page of an album, decoded, with the figures the print arithmetic needs.
struct ToolPage {
    mf::Metafile metafile;
    std::int32_t paperWidth = 0;  // screen pixels at 100 %
    std::int32_t edgeTop = 0, edgeBottom = 0, edgeLeft = 0, edgeRight = 0;
};

// Loads the album as the viewer does, reads page (1-based, as text) and decodes it.
ToolPage LoadToolPage(const QString& albumPath, const QString& pageText);

// Reads and decodes a metafile file.
mf::Metafile LoadMetafileFile(const QString& path);

// Takes "--width W --height H" out of args (anywhere after the command); the positional
// arguments stay in args. Sides must be 1..20000 and W x H at most 2^28 pixels.
QSize TakeSheetSize(QStringList& args);

// The rectangle the page covers on a sheet, as printing places it: each edge offset scaled by
// s = sheet width / paper width (rounded to four decimals) and cut toward zero, as the viewer
// does at its zoom (ShiftedPageRect). Right and bottom are exclusive. Empty when the paper width
// is not positive.
std::optional<QRect> SheetPageRect(const QSize& sheet, const ToolPage& page);

// Draws the metafile stretched over target on a white image of the given size.
QImage RenderOnWhite(const mf::Metafile& metafile, const QSize& size, const QRect& target);

// Saves a PNG; throws when the file cannot be written.
void SavePng(const QImage& image, const QString& path);

}  // namespace tavlex::tool
