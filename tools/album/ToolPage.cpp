#include "tools/album/ToolPage.h"

#include <QFile>
#include <QImage>
#include <QPainter>

#include <cmath>

#include "album/AlbumLoader.h"
#include "tools/album/CommandRegistry.h"

namespace tavlex::tool {
namespace {

constexpr int kMaxSide = 20000;
constexpr qint64 kMaxPixels = qint64{1} << 28;
// A metafile file larger than this is not a page anyone draws; refusing it bounds the read.
constexpr qint64 kMaxMetafileBytes = qint64{1} << 30;

QString InvalidMetafile() {
    return QString::fromUtf8(mf::MetafileError().what());
}

}  // namespace

ToolResult LoadToolPage(const QString& albumPath, const QString& pageText, int pixelsPerInch) {
    ToolResult out;
    bool numeric = false;
    const int page = pageText.toInt(&numeric);
    if (!numeric) {
        out.error = QStringLiteral("ページ番号が不正です: %1").arg(pageText);
        return out;
    }
    try {
        AlbumLoadResult loaded = LoadAlbum(albumPath, ToolTempFolder(), pixelsPerInch);
        if (!loaded.Loaded()) {
            out.error = loaded.userMessage.isEmpty()
                            ? QStringLiteral("ページがありません > %1").arg(albumPath)
                            : loaded.userMessage;
            return out;
        }
        const Document& document = loaded.document;
        if (page < 1 || page > document.PageCount) {
            out.error = QStringLiteral("ページ番号が範囲外です: %1 (1..%2)")
                            .arg(page)
                            .arg(document.PageCount);
            return out;
        }
        ToolPage result;
        result.metafile = mf::Metafile::Load(ReadPageBytes(document, page));
        result.paperWidth = document.PaperWidth;
        result.edgeTop = document.EdgeOffsetTop;
        result.edgeBottom = document.EdgeOffsetBottom;
        result.edgeLeft = document.EdgeOffsetLeft;
        result.edgeRight = document.EdgeOffsetRight;
        out.page = std::move(result);
    } catch (const mf::MetafileError&) {
        out.error = InvalidMetafile();
    } catch (const AlbumError& error) {
        out.error = error.Message();
    }
    return out;
}

std::optional<mf::Metafile> LoadMetafileFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 を開けません").arg(path);
        return std::nullopt;
    }
    if (file.size() > kMaxMetafileBytes) {
        *error = InvalidMetafile();
        return std::nullopt;
    }
    try {
        return mf::Metafile::Load(file.readAll());
    } catch (const mf::MetafileError&) {
        *error = InvalidMetafile();
    }
    return std::nullopt;
}

std::optional<QSize> TakeSheetSize(QStringList& args, QString* error) {
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
        if (!ok || value < 1 || value > kMaxSide) {
            *error = QStringLiteral("%1 には 1 から %2 までの数を指定してください")
                         .arg(arg)
                         .arg(kMaxSide);
            return std::nullopt;
        }
        *target = value;
        ++i;
    }
    if (width < 0 || height < 0) {
        *error = QStringLiteral("--width と --height を指定してください");
        return std::nullopt;
    }
    if (qint64{width} * height > kMaxPixels) {
        *error = QStringLiteral("画像が大きすぎます: %1 x %2").arg(width).arg(height);
        return std::nullopt;
    }
    args = rest;
    return QSize(width, height);
}

std::optional<QRect> SheetPageRect(const QSize& sheet, const ToolPage& page) {
    if (page.paperWidth <= 0) return std::nullopt;
    // Scale in ten-thousandths, so the edge products are cut exactly rather than after a
    // binary rounding (0.29 x 100 must give 29).
    const qint64 scale = std::llround(sheet.width() * 10000.0 / page.paperWidth);
    const auto scaled = [scale](std::int32_t offset) {
        return static_cast<int>(qint64{offset} * scale / 10000);  // truncates toward zero
    };
    const int left = scaled(page.edgeLeft);
    const int top = scaled(page.edgeTop);
    const int right = sheet.width() + scaled(page.edgeRight);
    const int bottom = sheet.height() + scaled(page.edgeBottom);
    return QRect(left, top, right - left, bottom - top);
}

QImage RenderOnWhite(const mf::Metafile& metafile, const QSize& size, const QRect& target) {
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) return image;
    image.fill(Qt::white);
    if (target.width() > 0 && target.height() > 0) {
        QPainter painter(&image);
        mf::Play(metafile, painter, target);
    }
    return image;
}

}  // namespace tavlex::tool
