#include "metafile/Export.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QMimeData>
#include <QPainter>
#include <QSaveFile>

#include <stdexcept>

#include "metafile/EmfToWmf.h"
#include "metafile/Limits.h"
#include "metafile/Metafile.h"

namespace tavlex::mf {
namespace {

[[noreturn]] void ThrowWriteError(const QString& path, const QString& reason) {
    QString text = QStringLiteral("%1 に書き込めません").arg(path);
    if (!reason.isEmpty()) text += QStringLiteral(" (%1)").arg(reason);
    throw std::runtime_error(text.toStdString());
}

}  // namespace

QByteArray BitmapFileBytes(const QImage& image) {
    // Qt's BMP writer emits a 40-byte info header and 24 bits per pixel for every non-indexed
    // format; converting first keeps an indexed or monochrome image from being written at 1 or 8.
    const QImage rgb = image.format() == QImage::Format_RGB888
                           ? image
                           : image.convertToFormat(QImage::Format_RGB888);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(rgb)) return {};
    return bytes;
}

// Through a temporary file so that a failed write never leaves a half-written file under the
// chosen name.
void WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) ThrowWriteError(path, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        ThrowWriteError(path, reason);
    }
    if (!file.commit()) ThrowWriteError(path, file.errorString());
}

bool IsWmfFileName(const QString& path) {
    return QFileInfo(path).fileName().endsWith(QLatin1String(".wmf"), Qt::CaseInsensitive);
}

QByteArray MetafileFileBytes(const Metafile& metafile, const QString& path) {
    if (IsWmfFileName(path)) return ConvertToPlaceableWmf(metafile);
    return metafile.StoredBytes();
}

void WriteStoredMetafile(const Metafile& metafile, const QString& path) {
    WriteFileBytes(path, metafile.StoredBytes());
}

void WriteMetafileFile(const Metafile& metafile, const QString& path) {
    WriteFileBytes(path, MetafileFileBytes(metafile, path));
}

QImage RenderNaturalBitmap(const Metafile& metafile, int screenPixelsPerInch) {
    bool cancelled = false;
    return RenderNaturalBitmap(metafile, screenPixelsPerInch, PlayLimits{}, &cancelled);
}

QImage RenderNaturalBitmap(const Metafile& metafile, int screenPixelsPerInch,
                           const PlayLimits& limits, bool* cancelled) {
    const QSize size = metafile.NaturalPixelSize(screenPixelsPerInch);
    if (size.width() <= 0 || size.height() <= 0 ||
        qint64{size.width()} * size.height() * 4 > kExportLimits.maxBitmapBytes) {
        throw std::runtime_error(QStringLiteral("ビットマップを作成できません (%1 x %2)")
                                     .arg(size.width())
                                     .arg(size.height())
                                     .toStdString());
    }
    // Painting runs on the 32-bit format, which QPainter draws fastest; the result is 24-bit.
    QImage canvas(size, QImage::Format_RGB32);
    if (canvas.isNull()) throw std::runtime_error("ビットマップを作成できません");
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        const PlayResult result = Play(metafile, painter, QRect(QPoint(0, 0), size), limits);
        if (result.cancelled) {
            if (cancelled) *cancelled = true;
            return QImage();
        }
    }
    // The resolution the picture's own size was taken at: the reference device's for an EMF.
    double pixelsPerMillimetre = screenPixelsPerInch / 25.4;
    const QSize refPixels = metafile.ReferencePixels(), refMm = metafile.ReferenceMillimetres();
    if (metafile.Kind() == MetafileKind::Enhanced && refPixels.width() > 0 && refMm.width() > 0) {
        // A damaged header may claim any ratio: only a plausible device resolution (25 to
        // 25,400 pixels per inch) is written into the bitmap.
        const double reference = double(refPixels.width()) / refMm.width();
        if (reference >= 1.0 && reference <= 1000.0) pixelsPerMillimetre = reference;
    }
    const int dotsPerMetre = qRound(pixelsPerMillimetre * 1000);
    QImage result = canvas.convertToFormat(QImage::Format_RGB888);
    result.setDotsPerMeterX(dotsPerMetre);
    result.setDotsPerMeterY(dotsPerMetre);
    return result;
}

void WriteBitmapFile(const QImage& image, const QString& path) {
    const QByteArray bytes = BitmapFileBytes(image);
    if (bytes.isEmpty()) ThrowWriteError(path, QStringLiteral("bitmap encoding failed"));
    WriteFileBytes(path, bytes);
}

void WriteNaturalBitmap(const Metafile& metafile, int screenPixelsPerInch, const QString& path) {
    WriteBitmapFile(RenderNaturalBitmap(metafile, screenPixelsPerInch), path);
}

std::unique_ptr<QMimeData> MakeClipboardData(const Metafile& metafile, int screenPixelsPerInch) {
    return MakeClipboardData(metafile, RenderNaturalBitmap(metafile, screenPixelsPerInch));
}

std::unique_ptr<QMimeData> MakeClipboardData(const Metafile& metafile, const QImage& bitmap) {
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(kEmfMimeType), metafile.EnhancedBytes());
    data->setImageData(bitmap);
    return data;
}

}  // namespace tavlex::mf
