#pragma once

#include <QMargins>
#include <QWidget>

#include <cstdint>
#include <functional>

#include "view/PageRenderCache.h"

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
};

// The page rectangle inside a paint box of the given size: each edge moved by its offset at the
// zoom, cut toward zero, so that equal left and right offsets shift the page without resizing it
// (ShiftedPageRect with the scale zoomPercent / 100).
QRect PageRectangle(QSize box, int zoomPercent, const QMargins& edgeOffsets);

// PaintBox: draws the current page stretched into the page rectangle. A full exposure plays the
// page directly; a rendering is kept for the current page and size, so repaints of parts (while
// scrolling or dragging) copy pixels.
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
    void DropRendering() { cache_.Clear(); }

    // A rendering larger than this (a large paper at a high zoom) is not kept: the page is then
    // played for each exposed part instead, so memory stays bounded whatever the album says.
    static constexpr qint64 kDefaultRenderingBudget = qint64{192} << 20;
    void SetRenderingBudget(qint64 bytes) { budget_ = bytes; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    PageRenderCache::Key KeyFor(const PageView& view) const;
    bool OverBudget(const PageRenderCache::Key& key) const;
    void PlayInto(QPainter& painter, const PageView& view, const QRect& pageRect,
                  const QRegion& exposed);
    void KeepRenderingLater();

    std::function<PageView()> source_;
    std::function<void(QPainter&, const PageView&)> overlay_;
    PageRenderCache cache_;
    qint64 budget_ = kDefaultRenderingBudget;
    bool renderingQueued_ = false;
};

}  // namespace tavlex
