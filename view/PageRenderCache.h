#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include <cstdint>

#include "metafile/Limits.h"

namespace tavlex::mf {
class Metafile;
}

namespace tavlex {

// One rendering of the current page at the size it is shown, so that scrolling and dragging
// repaint from pixels instead of playing the page again. It holds at most one page: any change
// of what the picture depends on (page, metafile, paint box size, zoom, edge offsets, device
// pixel ratio) renders anew and drops the old one. A rendering covers the whole paint box, or
// only the part that shows when the whole would be too large to keep.
class PageRenderCache {
  public:
    struct Key {
        std::uint64_t pageGeneration = 0;  // changes with every page loaded
        QSize size;                        // paint box size in logical pixels
        int zoomPercent = 0;
        QRect pageRect;  // the page rectangle inside the paint box (edge offsets applied)
        qreal devicePixelRatio = 1;
        friend bool operator==(const Key&, const Key&) = default;
    };

    // Draws the part `area` (paint box pixels) of the page as key places it, white where the
    // page draws nothing. Safe on any thread: it touches only its arguments. Empty when the
    // area is empty or the limits' cancel check stopped the page (then *cancelled is set).
    // `reuse` lends its pixels when it has the size needed.
    static QImage Draw(const mf::Metafile& metafile, const Key& key, const QRect& area,
                       const mf::PlayLimits& limits = {}, bool* cancelled = nullptr,
                       QImage reuse = {});

    // The rendering of the whole box for key, made now when the held one does not match.
    const QImage& Rendering(const mf::Metafile& metafile, const Key& key);
    // The same within limits: false, with nothing held, when their cancel check stopped it.
    bool Render(const mf::Metafile& metafile, const Key& key, const QRect& area,
                const mf::PlayLimits& limits);
    // Keeps a rendering made elsewhere (Draw on a worker thread).
    void Adopt(const Key& key, const QRect& area, QImage image);

    void Clear();
    // The whole box is held for key.
    bool Holds(const Key& key) const { return Covers(key, QRect(QPoint(0, 0), key.size)); }
    // What is held for key covers `part` (paint box pixels).
    bool Covers(const Key& key, const QRect& part) const {
        return !image_.isNull() && key_ == key && area_.contains(part);
    }
    const Key& HeldKey() const { return key_; }
    const QRect& HeldArea() const { return area_; }
    const QImage& Image() const { return image_; }
    // Bytes held (the one image).
    qsizetype Bytes() const { return image_.sizeInBytes(); }
    int RenderCount() const { return renders_; }

  private:
    Key key_;
    QRect area_;
    QImage image_;
    int renders_ = 0;
};

}  // namespace tavlex
