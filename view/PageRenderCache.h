#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include <cstdint>

namespace tavlex::mf {
class Metafile;
}

namespace tavlex {

// One rendering of the current page at the size it is shown, so that scrolling and dragging
// repaint from pixels instead of playing the page again. It holds at most one page: any change
// of what the picture depends on (page, metafile, paint box size, zoom, edge offsets, device
// pixel ratio) renders anew and drops the old one.
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

    // The rendering for key, made now when the held one does not match. White where the page
    // draws nothing, as the sheet under it.
    const QImage& Rendering(const mf::Metafile& metafile, const Key& key);

    void Clear();
    bool Holds(const Key& key) const { return !image_.isNull() && key_ == key; }
    // Bytes held (the one image).
    qsizetype Bytes() const { return image_.sizeInBytes(); }
    int RenderCount() const { return renders_; }

  private:
    Key key_;
    QImage image_;
    int renders_ = 0;
};

}  // namespace tavlex
