#include "view/PageRenderCache.h"

#include <QPainter>

#include <cmath>

#include "metafile/Metafile.h"

namespace tavlex {

const QImage& PageRenderCache::Rendering(const mf::Metafile& metafile, const Key& key) {
    if (Holds(key)) return image_;
    const QSize device(static_cast<int>(std::ceil(key.size.width() * key.devicePixelRatio)),
                       static_cast<int>(std::ceil(key.size.height() * key.devicePixelRatio)));
    key_ = key;
    if (device.isEmpty()) {
        image_ = QImage();
        return image_;
    }
    // A page turn at the same size draws into the same pixels; otherwise the old picture goes
    // before the new one is allocated.
    if (image_.size() != device) {
        image_ = QImage();
        image_ = QImage(device, QImage::Format_RGB32);
    }
    // Played at device resolution into a plain image (the page rectangle scaled, no painter
    // scale), so that every record lands on whole device pixels; the ratio is set afterwards
    // for drawing onto the widget.
    image_.setDevicePixelRatio(1);
    image_.fill(Qt::white);
    const qreal ratio = key.devicePixelRatio;
    const QRect& page = key.pageRect;
    const QRect target(qRound(page.x() * ratio), qRound(page.y() * ratio),
                       qRound(page.width() * ratio), qRound(page.height() * ratio));
    {
        QPainter painter(&image_);
        mf::Play(metafile, painter, target);
    }
    image_.setDevicePixelRatio(ratio);
    ++renders_;
    return image_;
}

void PageRenderCache::Clear() {
    image_ = QImage();
    key_ = Key{};
}

}  // namespace tavlex
