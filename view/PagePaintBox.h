#pragma once

#include <QMargins>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <set>

#include "view/PageRenderCache.h"
#include "view/PageRenderWorker.h"

namespace tavlex::mf {
class Metafile;
}

namespace tavlex {

// What the paint box draws, read from its window at each paint.
struct PageView {
    const mf::Metafile* metafile = nullptr;  // none before the first page is loaded
    std::uint64_t generation = 0;            // changes with every page loaded
    int zoomPercent = 0;
    QMargins edgeOffsets;  // the album's edge offsets in pixels at 100 % (left, top, right, bottom)
    int page = 0;          // the page's number, so that a slow page is known again (0: unknown)
};

// The page rectangle inside a paint box of the given size: each edge moved by its offset at the
// zoom, cut toward zero, so that equal left and right offsets shift the page without resizing it
// (ShiftedPageRect with the scale zoomPercent / 100).
QRect PageRectangle(QSize box, int zoomPercent, const QMargins& edgeOffsets);

// PaintBox: draws the current page stretched into the page rectangle. A full exposure plays the
// page directly; a rendering is kept for the current page and size, so repaints of parts (while
// scrolling or dragging) copy pixels. A page may play here for one frame's time only: a page
// slower than that (heavy or damaged) is rendered on a worker thread while the sheet shows
// white, or the page's last rendering scaled, under the busy cursor, and is known as slow from
// then on, so that it goes to the worker at once next time, until the worker finds it fast
// (it was slow only while the machine was busy).
class PagePaintBox : public QWidget {
    Q_OBJECT
  public:
    explicit PagePaintBox(QWidget* parent = nullptr);

    void SetSource(std::function<PageView()> source) { source_ = std::move(source); }
    // Drawn over the page after it (the printer's printable area while a print or margin dialog
    // is open).
    void SetOverlay(std::function<void(QPainter&, const PageView&)> overlay) {
        overlay_ = std::move(overlay);
    }
    const PageRenderCache& Cache() const { return cache_; }
    const PageRenderWorker& Worker() const { return worker_; }
    // Drops the kept rendering and abandons the worker's page (a page turn, a close).
    void DropRendering();
    // Another album: its pages are not known as slow.
    void ForgetSlowPages();

    // A rendering larger than this (a large paper at a high zoom) is not kept: the page is then
    // played for each exposed part instead, so memory stays bounded whatever the album says.
    static constexpr qint64 kDefaultRenderingBudget = qint64{192} << 20;
    void SetRenderingBudget(qint64 bytes) {
        budget_ = bytes;
        cache_.Clear();
    }
    // How long a page may play on this thread before the worker takes it: input waits at most
    // about this long (and one record) for a page. At 0 every page goes to the worker.
    static constexpr int kDefaultFrameMillis = 60;
    void SetFrameMillis(int millis) { frameMillis_ = millis; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    PageRenderCache::Key KeyFor(const PageView& view) const;
    bool OverBudget(const PageRenderCache::Key& key) const;
    QRect AreaFor(const PageRenderCache::Key& key) const;
    bool KnownSlow(const PageView& view) const;
    // The page has an outline too heavy to draw within a frame: it goes to the worker at once.
    bool Heavy(const PageView& view);
    void MarkSlow(const PageView& view);
    // False when the frame's time ran out; the exposed part is then white again.
    bool PlayInto(QPainter& painter, const PageView& view, const QRect& pageRect,
                  const QRegion& exposed);
    void PaintWaiting(QPainter& painter, const PageView& view, const PageRenderCache::Key& key,
                      const QRegion& exposed);
    void RenderElsewhere(const PageView& view, const PageRenderCache::Key& key, const QRect& area,
                         bool busy);
    void Delivered(const PageRenderCache::Key& key, const QRect& area, const QImage& image,
                   qint64 millis);
    void ShowBusy(bool busy);
    void KeepRenderingLater();
    // Copies the dirty part of the held rendering, which covers it, onto the box.
    void CopyHeld(QPainter& painter, const QRect& dirty) const;
    mf::PlayLimits FrameLimits() const;

    std::function<PageView()> source_;
    std::function<void(QPainter&, const PageView&)> overlay_;
    PageRenderCache cache_;
    PageRenderWorker worker_;
    qint64 budget_ = kDefaultRenderingBudget;
    int frameMillis_ = kDefaultFrameMillis;
    bool renderingQueued_ = false;
    bool busyShown_ = false;
    std::optional<std::uint64_t> slowGeneration_;
    std::optional<std::uint64_t> weighedGeneration_;  // the page Heavy last looked at
    bool heavy_ = false;
    std::set<int> slowPages_;
    std::optional<PageRenderCache::Key> failedKey_;  // the worker had no memory for it
};

}  // namespace tavlex
