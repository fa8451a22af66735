#include "view/PagePaintBox.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

#include "metafile/Metafile.h"

namespace tavlex {
namespace {

int ScaledOffset(int offset, int zoomPercent) {
    // Long double as the layout: 3 x 0.5 is 1.5 and truncates to 1, -1.5 to -1.
    return static_cast<int>(std::trunc(static_cast<long double>(offset) *
                                       (static_cast<long double>(zoomPercent) / 100)));
}

}  // namespace

QRect PageRectangle(QSize box, int zoomPercent, const QMargins& edgeOffsets) {
    const int left = ScaledOffset(edgeOffsets.left(), zoomPercent);
    const int top = ScaledOffset(edgeOffsets.top(), zoomPercent);
    const int right = box.width() + ScaledOffset(edgeOffsets.right(), zoomPercent);
    const int bottom = box.height() + ScaledOffset(edgeOffsets.bottom(), zoomPercent);
    // Right and bottom are exclusive, as the page's frame is mapped with inclusive bounds.
    return QRect(left, top, right - left, bottom - top);
}

PagePaintBox::PagePaintBox(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PaintBox"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // It covers itself completely (the page or the white sheet), so the panels beneath are not
    // painted again on every scroll step.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PagePaintBox::paintEvent(QPaintEvent* event) {
    const PageView view = source_ ? source_() : PageView{};
    if (!view.metafile || view.metafile->isNull()) {
        // No page: only the white of the sheet.
        QPainter(this).fillRect(event->rect(), Qt::white);
        return;
    }
    PageRenderCache::Key key;
    key.pageGeneration = view.generation;
    key.size = size();
    key.zoomPercent = view.zoomPercent;
    key.pageRect = PageRectangle(size(), view.zoomPercent, view.edgeOffsets);
    key.devicePixelRatio = devicePixelRatioF();
    const qreal ratio = key.devicePixelRatio;
    const qreal bytes = qreal(key.size.width()) * ratio * qreal(key.size.height()) * ratio * 4;
    if (bytes > qreal(budget_)) {
        cache_.Clear();
        QPainter painter(this);
        painter.setClipRect(event->rect());
        painter.fillRect(event->rect(), Qt::white);
        mf::Play(*view.metafile, painter, key.pageRect);
        if (overlay_) overlay_(painter, view);
        return;
    }
    const QImage& image = cache_.Rendering(*view.metafile, key);
    QPainter painter(this);
    if (!image.isNull()) {
        const QRect dirty = event->rect();
        const qreal ratio = image.devicePixelRatio();
        const QRectF source(dirty.x() * ratio, dirty.y() * ratio, dirty.width() * ratio,
                            dirty.height() * ratio);
        painter.drawImage(QRectF(dirty), image, source);
    }
    if (overlay_) overlay_(painter, view);
}

}  // namespace tavlex
