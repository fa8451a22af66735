#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

#include "metafile/Metafile.h"

namespace tavlex::tool {

// Shared steps of the commands that draw or write one page. Each returns an error line for
// Fail() instead of throwing, so a command stays a straight sequence of checks.

// A page of an album, decoded, with the figures the print arithmetic needs.
struct ToolPage {
    mf::Metafile metafile;
    std::int32_t paperWidth = 0;  // screen pixels at 100 %
    std::int32_t edgeTop = 0, edgeBottom = 0, edgeLeft = 0, edgeRight = 0;
};

struct ToolResult {
    std::optional<ToolPage> page;
    QString error;  // one line for standard error when page is empty
};

// Loads the album through the viewer's loader, reads page (1-based text) and decodes it.
ToolResult LoadToolPage(const QString& albumPath, const QString& pageText, int pixelsPerInch);

// Reads and decodes a metafile file.
std::optional<mf::Metafile> LoadMetafileFile(const QString& path, QString* error);

// Takes "--width W --height H" out of args (anywhere after the command); the remaining
// positional arguments are left in args. Sizes must be 1..20000 and W x H at most 2^28.
std::optional<QSize> TakeSheetSize(QStringList& args, QString* error);

// The rectangle the page covers on a sheet of sheet pixels, as printing places it: each edge
// offset scaled by s = sheet width / paper width (rounded to four decimals), cut toward zero.
// Right and bottom are exclusive. Empty when paperWidth is not positive.
std::optional<QRect> SheetPageRect(const QSize& sheet, const ToolPage& page);

// Draws the metafile stretched over target on a white image of the given size.
QImage RenderOnWhite(const mf::Metafile& metafile, const QSize& size, const QRect& target);

}  // namespace tavlex::tool
