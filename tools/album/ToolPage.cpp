#include "tools/album/ToolPage.h"

#include <QFile>
#include <QPainter>

#include <stdexcept>

#include "album/AlbumLoader.h"
#include "support/PageRect.h"
#include "tools/album/ToolLoad.h"

namespace tavlex::tool {
namespace {

constexpr int kMaxSide = 20000;
constexpr qint64 kMaxPixels = qint64{1} << 28;
// No page is this large; refusing such a file bounds the read.
constexpr qint64 kMaxMetafileBytes = qint64{1} << 30;

[[noreturn]] void Refuse(const QString& line) {
    throw std::runtime_error(line.toStdString());
}

}  // namespace

ToolPage LoadToolPage(const QString& albumPath, const QString& pageText) {
    bool numeric = false;
    const int page = pageText.toInt(&numeric);
    if (!numeric) Refuse(QStringLiteral("PAGE must be a number: %1").arg(pageText));
    const Document document = LoadForTool(albumPath);
    ToolPage result;
    result.metafile = mf::Metafile::Load(ReadPageBytes(document, page));
    result.paperWidth = document.PaperWidth;
    result.edgeTop = document.EdgeOffsetTop;
    result.edgeBottom = document.EdgeOffsetBottom;
    result.edgeLeft = document.EdgeOffsetLeft;
    result.edgeRight = document.EdgeOffsetRight;
    return result;
}

mf::Metafile LoadMetafileFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) Refuse(QStringLiteral("cannot open %1").arg(path));
    if (file.size() > kMaxMetafileBytes)
        throw mf::MetafileError(mf::MetafileErrorKind::TooLarge, "file too large");
    return mf::Metafile::Load(file.readAll());
}

QSize TakeSheetSize(QStringList& args) {
    int width = -1, height = -1;
    QStringList rest;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        int* target = arg == QLatin1String("--width")    ? &width
                      : arg == QLatin1String("--height") ? &height
                                                         : nullptr;
        if (!target) {
            rest.append(arg);
            continue;
        }
        bool ok = false;
        const int value = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
        if (!ok || value < 1 || value > kMaxSide)
            Refuse(QStringLiteral("%1 takes a number from 1 to %2").arg(arg).arg(kMaxSide));
        *target = value;
        ++i;
    }
    if (width < 0 || height < 0) Refuse(QStringLiteral("--width W and --height H are required"));
    if (qint64{width} * height > kMaxPixels)
        Refuse(QStringLiteral("image too large: %1 x %2").arg(width).arg(height));
    args = rest;
    return QSize(width, height);
}

std::optional<QRect> SheetPageRect(const QSize& sheet, const ToolPage& page) {
    if (page.paperWidth <= 0) return std::nullopt;
    const QMargins offsets(page.edgeLeft, page.edgeTop, page.edgeRight, page.edgeBottom);
    return ShiftedPageRect(QRect(QPoint(0, 0), sheet), SheetScale(sheet.width(), page.paperWidth),
                           offsets);
}

QImage RenderOnWhite(const mf::Metafile& metafile, const QSize& size, const QRect& target) {
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        Refuse(QStringLiteral("cannot make a %1 x %2 image").arg(size.width()).arg(size.height()));
    image.fill(Qt::white);
    if (target.width() > 0 && target.height() > 0) {
        QPainter painter(&image);
        mf::Play(metafile, painter, target);
    }
    return image;
}

void SavePng(const QImage& image, const QString& path) {
    if (!image.save(path, "PNG")) Refuse(QStringLiteral("cannot write %1").arg(path));
}

}  // namespace tavlex::tool
