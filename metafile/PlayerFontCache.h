#pragma once

#include "metafile/EmfObjects.h"

#include <QFont>
#include <QRawFont>
#include <QStringList>

#include <vector>

namespace tavlex::mf {

// The fonts of one playback, kept from one text run to the next: finding a new QFont's engine
// costs more than drawing a short run, and pages repeat one font in every caption. A handful
// of entries, the least recently used leaving first. Fonts belong to the thread that made
// them, so one cache serves one player on one thread.
class PlayerFontCache {
  public:
    static constexpr std::size_t kCapacity = 8;
    static constexpr int kSmallestBoldPixels = 10;

    // The weight text of `weight` is drawn in at `pixels` pixels per em.
    static int DrawnWeight(int weight, int pixels);

    class Fonts {
      public:
        const QFont& Font() const { return font_; }
        // The raw font of the primary family, made on first use.
        const QRawFont& Raw();

      private:
        friend class PlayerFontCache;
        QFont font_;
        QRawFont raw_;
        bool rawMade_ = false;
    };

    // The font for `logical` at `pixels` pixels per em, drawn with `families` (what the
    // logical font resolves to). The reference stays valid until the next call.
    Fonts& Get(const FontObject& logical, const QStringList& families, int pixels);

    std::size_t Size() const { return entries_.size(); }

  private:
    struct Entry {
        FontObject logical;
        int pixels;
        Fonts fonts;
    };
    std::vector<Entry> entries_;  // the most recently used last
};

}  // namespace tavlex::mf
