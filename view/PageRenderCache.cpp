#include "view/PageRenderCache.h"

#include <QPainter>

#include <cmath>

#include "metafile/Metafile.h"

namespace tavlex {

QImage PageRenderCache::Draw(const mf::Metafile& metafile, const Key& key, const QRect& area,
                             const mf::PlayLimits& limits, bool* cancelled, QImage reuse) {
    if (cancelled) *cancelled = false;
    const qreal ratio = key.devicePixelRatio;
    const QSize device(static_cast<int>(std::ceil(area.width() * ratio)),
                       static_cast<int>(std::ceil(area.height() * ratio)));
    if (device.isEmpty()) return {};
    // A page turn at the same size draws into the same pixels; otherwise the old picture goes
    // before the new one is allocated.
    QImage image;
    if (reuse.size() == device && reuse.format() == QImage::Format_RGB32) {
        image = std::move(reuse);
    } else {
        reuse = QImage();
        image = QImage(device, QImage::Format_RGB32);
    }
    if (image.isNull()) return {};  // no memory for it
    // Played at device resolution into a plain image (the page rectangle scaled, no painter
    // scale), so that every record lands on whole device pixels; the ratio is set afterwards
    // for drawing onto the widget. A part is the whole moved, so its pixels (brush patterns
    // included) are those of the whole.
    image.setDevicePixelRatio(1);
    image.fill(Qt::white);
    const QRect& page = key.pageRect;
    const QRect target(qRound(page.x() * ratio), qRound(page.y() * ratio),
                       qRound(page.width() * ratio), qRound(page.height() * ratio));
    mf::PlayResult result;
    {
        QPainter painter(&image);
        painter.translate(-qRound(area.x() * ratio), -qRound(area.y() * ratio));
        result = mf::Play(metafile, painter, target, limits);
    }
    if (result.cancelled) {
        if (cancelled) *cancelled = true;
        return {};
    }
    image.setDevicePixelRatio(ratio);
    return image;
}

const QImage& PageRenderCache::Rendering(const mf::Metafile& metafile, const Key& key) {
    Render(metafile, key, QRect(QPoint(0, 0), key.size), {});
    return image_;
}

bool PageRenderCache::Render(const mf::Metafile& metafile, const Key& key, const QRect& area,
                             const mf::PlayLimits& limits) {
    if (Covers(key, area)) return true;
    // The same page's rendering at another size stays until this one is done: it is what the
    // sheet shows, scaled, should this one be left to the worker.
    const bool samePage = !image_.isNull() && key_.pageGeneration == key.pageGeneration;
    bool cancelled = false;
    QImage image =
        Draw(metafile, key, area, limits, &cancelled, samePage ? QImage() : std::move(image_));
    if (cancelled) {
        if (!samePage) Clear();
        return false;
    }
    Adopt(key, area, std::move(image));
    return true;
}

void PageRenderCache::Adopt(const Key& key, const QRect& area, QImage image) {
    key_ = key;
    area_ = area;
    image_ = std::move(image);
    if (!image_.isNull()) ++renders_;
}

void PageRenderCache::Clear() {
    image_ = QImage();
    key_ = Key{};
    area_ = QRect();
}

}  // namespace tavlex
