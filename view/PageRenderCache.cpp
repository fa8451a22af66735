#include "view/PageRenderCache.h"

#include <QPainter>

#include <cmath>

#include "metafile/Metafile.h"

namespace tavlex {

const QImage& PageRenderCache::Rendering(const mf::Metafile& metafile, const Key& key) {
    if (Holds(key)) return image_;
    image_ = QImage();  // the old page's pixels go before the new ones are allocated
    const QSize device(static_cast<int>(std::ceil(key.size.width() * key.devicePixelRatio)),
                       static_cast<int>(std::ceil(key.size.height() * key.devicePixelRatio)));
    if (device.isEmpty()) {
        key_ = key;
        return image_;
    }
    QImage image(device, QImage::Format_RGB32);
    image.setDevicePixelRatio(key.devicePixelRatio);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        mf::Play(metafile, painter, key.pageRect);
    }
    image_ = std::move(image);
    key_ = key;
    ++renders_;
    return image_;
}

void PageRenderCache::Clear() {
    image_ = QImage();
    key_ = Key{};
}

}  // namespace tavlex
