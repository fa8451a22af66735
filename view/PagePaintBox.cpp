#include "view/PagePaintBox.h"

#include <QElapsedTimer>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <cmath>

#include "metafile/Metafile.h"
#include "metafile/PageWeight.h"
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
    connect(&worker_, &PageRenderWorker::Finished, this, &PagePaintBox::Delivered);
}

void PagePaintBox::DropRendering() {
    worker_.Cancel();
    ShowBusy(false);
    cache_.Clear();
    failedKey_.reset();
}

void PagePaintBox::ForgetSlowPages() {
    slowGeneration_.reset();
    slowPages_.clear();
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

bool PagePaintBox::OverBudget(const PageRenderCache::Key& key) const {
    const qreal ratio = key.devicePixelRatio;
    const qreal bytes = qreal(key.size.width()) * ratio * qreal(key.size.height()) * ratio * 4;
    return bytes > qreal(budget_);
}

QRect PagePaintBox::AreaFor(const PageRenderCache::Key& key) const {
    if (!OverBudget(key)) return rect();
    // Too large to keep whole: the part that shows, which the screen bounds.
    const QRect shown = visibleRegion().boundingRect();
    return shown.isEmpty() ? rect() : shown;
}

bool PagePaintBox::KnownSlow(const PageView& view) const {
    return view.generation == slowGeneration_ || (view.page > 0 && slowPages_.contains(view.page));
}

bool PagePaintBox::Heavy(const PageView& view) {
    if (weighedGeneration_ != view.generation) {
        weighedGeneration_ = view.generation;
        heavy_ = mf::HeaviestOutline(*view.metafile) >= mf::kHeavyOutlinePoints;
    }
    return heavy_;
}

void PagePaintBox::MarkSlow(const PageView& view) {
    slowGeneration_ = view.generation;
    if (view.page > 0) slowPages_.insert(view.page);
}

mf::PlayLimits PagePaintBox::FrameLimits() const {
    mf::PlayLimits limits;
    QElapsedTimer clock;
    clock.start();
    limits.cancelled = [clock, millis = frameMillis_] {
        return millis <= 0 || clock.hasExpired(millis);
    };
    return limits;
}

void PagePaintBox::ShowBusy(bool busy) {
    if (busy == busyShown_) return;
    busyShown_ = busy;
    // The box lets the mouse through to the sheet beneath, whose cursor is the one shown.
    QWidget* target =
        parentWidget() && testAttribute(Qt::WA_TransparentForMouseEvents) ? parentWidget() : this;
    if (busy)
        target->setCursor(Qt::BusyCursor);
    else
        target->unsetCursor();
}

void PagePaintBox::KeepRenderingLater() {
    if (renderingQueued_) return;
    renderingQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        renderingQueued_ = false;
        const PageView view = source_ ? source_() : PageView{};
        if (!view.metafile || view.metafile->IsNull()) return;
        const PageRenderCache::Key key = KeyFor(view);
        if (cache_.Holds(key) || OverBudget(key) || worker_.Busy()) return;
        // The part that shows played in time, the whole may not: then the worker keeps it,
        // without the busy cursor, since the page is on screen already.
        if (!cache_.Render(*view.metafile, key, rect(), FrameLimits()))
            RenderElsewhere(view, key, rect(), false);
    });
}

void PagePaintBox::RenderElsewhere(const PageView& view, const PageRenderCache::Key& key,
                                   const QRect& area, bool busy) {
    if (busy) ShowBusy(true);
    if (worker_.Busy() && worker_.BusyKey() == key && worker_.BusyArea().contains(area)) return;
    if (view.metafile->PendingArrival()) {
        // Its bytes are still being read for this paint; once they are whole, the next paint
        // hands it over.
        QTimer::singleShot(10, this, [this] { update(); });
        return;
    }
    if (worker_.Start({*view.metafile, key, area})) return;
    // No thread to be had: the page plays here, however long it takes.
    cache_.Render(*view.metafile, key, area, {});
    ShowBusy(false);
    update();
}

void PagePaintBox::Delivered(const PageRenderCache::Key& key, const QRect& area,
                             const QImage& image, qint64 millis) {
    ShowBusy(false);
    const PageView view = source_ ? source_() : PageView{};
    if (!view.metafile || view.metafile->IsNull() || KeyFor(view) != key) return;  // stale
    if (millis < frameMillis_) {
        slowGeneration_.reset();
        slowPages_.erase(view.page);
    }
    if (image.isNull())
        failedKey_ = key;
    else
        cache_.Adopt(key, area, image);
    update(area);
}

bool PagePaintBox::PlayInto(QPainter& painter, const PageView& view, const QRect& pageRect,
                            const QRegion& exposed) {
    painter.setClipRegion(exposed);
    painter.fillRect(exposed.boundingRect(), Qt::white);
    const mf::PlayResult result = mf::Play(*view.metafile, painter, pageRect, FrameLimits());
    if (result.cancelled) return false;
    if (overlay_) overlay_(painter, view);
    return true;
}

void PagePaintBox::PaintWaiting(QPainter& painter, const PageView& view,
                                const PageRenderCache::Key& key, const QRegion& exposed) {
    painter.setClipRegion(exposed);
    painter.fillRect(exposed.boundingRect(), Qt::white);
    // The same page at another zoom or size: its last rendering, scaled, until the new one comes.
    const PageRenderCache::Key& held = cache_.HeldKey();
    if (!cache_.Image().isNull() && held.pageGeneration == key.pageGeneration &&
        held.pageRect.width() > 0 && held.pageRect.height() > 0) {
        const QRectF from(held.pageRect);
        const QRectF to(key.pageRect);
        const qreal sx = to.width() / from.width();
        const qreal sy = to.height() / from.height();
        painter.save();
        painter.setTransform(
            QTransform(sx, 0, 0, sy, to.x() - from.x() * sx, to.y() - from.y() * sy));
        painter.drawImage(QRectF(cache_.HeldArea()), cache_.Image());
        painter.restore();
    }
    if (overlay_) overlay_(painter, view);
}

void PagePaintBox::CopyHeld(QPainter& painter, const QRect& dirty) const {
    const QImage& image = cache_.Image();
    if (image.isNull()) return;
    const QRect from = dirty.translated(-cache_.HeldArea().topLeft());
    const qreal ratio = image.devicePixelRatio();
    const QRectF source(from.x() * ratio, from.y() * ratio, from.width() * ratio,
                        from.height() * ratio);
    painter.drawImage(QRectF(dirty), image, source);
}

void PagePaintBox::paintEvent(QPaintEvent* event) {
    const PageView view = source_ ? source_() : PageView{};
    if (!view.metafile || view.metafile->IsNull()) {
        // No page: only the white of the sheet.
        worker_.Cancel();
        ShowBusy(false);
        QPainter(this).fillRect(event->rect(), Qt::white);
        return;
    }
    const PageRenderCache::Key key = KeyFor(view);
    const QRect dirty = event->rect();
    if (cache_.Covers(key, dirty)) {
        QPainter painter(this);
        CopyHeld(painter, dirty);
        if (overlay_) overlay_(painter, view);
        return;
    }
    // Whatever the worker renders for another page, zoom or size is no longer wanted.
    if (worker_.Busy() && worker_.BusyKey() != key) {
        worker_.Cancel();
        ShowBusy(false);
    }
    if (failedKey_ == key) {
        QPainter painter(this);
        painter.setClipRegion(event->region());
        painter.fillRect(dirty, Qt::white);
        if (overlay_) overlay_(painter, view);
        return;
    }
    const QRect area = AreaFor(key);
    if (KnownSlow(view) || Heavy(view)) {
        RenderElsewhere(view, key, area, true);
        QPainter painter(this);
        PaintWaiting(painter, view, key, event->region());
        return;
    }
    // Everything that shows is exposed (a new page, zoom or size) and nothing is kept yet: the
    // page is played straight onto the window, the same pixels the kept rendering would give,
    // without copying a whole rendering once more. A page that can be scrolled is kept once the
    // window is idle, for the parts that scrolling uncovers. At another pixel ratio the page is
    // always played at device resolution into the kept rendering. Too large a page to keep,
    // or one the worker is keeping meanwhile, plays for each exposed part.
    const bool whole = (visibleRegion() - event->region()).isEmpty();
    const bool overBudget = OverBudget(key);
    if (overBudget || (key.devicePixelRatio == 1 && (whole || worker_.Busy()))) {
        if (overBudget) cache_.Clear();
        QPainter painter(this);
        if (!PlayInto(painter, view, key.pageRect, event->region())) {
            MarkSlow(view);
            RenderElsewhere(view, key, area, true);
            PaintWaiting(painter, view, key, event->region());
            return;
        }
        if (!overBudget && visibleRegion() != QRegion(rect())) KeepRenderingLater();
        return;
    }
    QPainter painter(this);
    if (!cache_.Render(*view.metafile, key, area, FrameLimits())) {
        MarkSlow(view);
        RenderElsewhere(view, key, area, true);
        PaintWaiting(painter, view, key, event->region());
        return;
    }
    CopyHeld(painter, dirty);
    if (overlay_) overlay_(painter, view);
}

}  // namespace tavlex
