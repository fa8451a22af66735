#include "view/PagePaintBox.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <cmath>

#include "metafile/Metafile.h"
#include "support/PageRect.h"

namespace tavlex {
QRect PageRectangle(QSize box, int zoomPercent, const QMargins& edgeOffsets) {
    return ShiftedPageRect(QRect(QPoint(0, 0), box), zoomPercent / 100.0, edgeOffsets);
}

PagePaintBox::PagePaintBox(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PaintBox"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // It covers itself completely (the page or the white sheet), so the panels beneath are not
    // painted again on every scroll step.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PageRenderCache::Key PagePaintBox::KeyFor(const PageView& view) const {
    PageRenderCache::Key key;
    key.pageGeneration = view.generation;
    key.size = size();
    key.zoomPercent = view.zoomPercent;
    key.pageRect = PageRectangle(size(), view.zoomPercent, view.edgeOffsets);
    key.devicePixelRatio = devicePixelRatioF();
    return key;
}

void PagePaintBox::KeepRenderingLater() {
    if (renderingQueued_) return;
    renderingQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        renderingQueued_ = false;
        const PageView view = source_ ? source_() : PageView{};
        if (!view.metafile || view.metafile->IsNull()) return;
        const PageRenderCache::Key key = KeyFor(view);
        if (!cache_.Holds(key) && !OverBudget(key)) cache_.Rendering(*view.metafile, key);
    });
}

bool PagePaintBox::OverBudget(const PageRenderCache::Key& key) const {
    const qreal ratio = key.devicePixelRatio;
    const qreal bytes = qreal(key.size.width()) * ratio * qreal(key.size.height()) * ratio * 4;
    return bytes > qreal(budget_);
}

void PagePaintBox::PlayInto(QPainter& painter, const PageView& view, const QRect& pageRect,
                            const QRegion& exposed) {
    painter.setClipRegion(exposed);
    painter.fillRect(exposed.boundingRect(), Qt::white);
    mf::Play(*view.metafile, painter, pageRect);
    if (overlay_) overlay_(painter, view);
}

void PagePaintBox::paintEvent(QPaintEvent* event) {
    const PageView view = source_ ? source_() : PageView{};
    if (!view.metafile || view.metafile->IsNull()) {
        // No page: only the white of the sheet.
        QPainter(this).fillRect(event->rect(), Qt::white);
        return;
    }
    const PageRenderCache::Key key = KeyFor(view);
    if (OverBudget(key)) {
        cache_.Clear();
        QPainter painter(this);
        PlayInto(painter, view, key.pageRect, event->region());
        return;
    }
    // Everything that shows is exposed (a new page, zoom or size) and nothing is kept yet: the
    // page is played straight onto the window, the same pixels the kept rendering would give,
    // without copying a whole rendering once more. A page that can be scrolled is kept once the
    // window is idle, for the parts that scrolling uncovers. At another pixel ratio the page is
    // always played at device resolution into the kept rendering.
    if (!cache_.Holds(key) && key.devicePixelRatio == 1 &&
        (visibleRegion() - event->region()).isEmpty()) {
        QPainter painter(this);
        PlayInto(painter, view, key.pageRect, event->region());
        if (visibleRegion() != QRegion(rect())) KeepRenderingLater();
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
