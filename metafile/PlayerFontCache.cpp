#include "metafile/PlayerFontCache.h"

#include <algorithm>

namespace tavlex::mf {

namespace {

// The fields that choose the face and its style; size and angle are applied per run.
bool SameFont(const FontObject& a, const FontObject& b) {
    return a.weight == b.weight && a.italic == b.italic && a.underline == b.underline &&
           a.strikeOut == b.strikeOut && a.charSet == b.charSet &&
           a.pitchAndFamily == b.pitchAndFamily && a.face == b.face;
}

}  // namespace

int PlayerFontCache::DrawnWeight(int weight, int pixels) {
    // Below ten pixels per em a bold face's stems close its counters; the reference playback
    // draws such text in the regular weight, and so do we.
    if (weight >= 600 && pixels < kSmallestBoldPixels) return 400;
    return std::clamp(weight == 0 ? 400 : weight, 100, 900);
}

const QRawFont& PlayerFontCache::Fonts::Raw() {
    if (!rawMade_) {
        raw_ = QRawFont::fromFont(font_);
        rawMade_ = true;
    }
    return raw_;
}

PlayerFontCache::Fonts& PlayerFontCache::Get(const FontObject& logical, const QStringList& families,
                                             int pixels) {
    const auto hit = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
        return e.pixels == pixels && SameFont(e.logical, logical);
    });
    if (hit != entries_.end()) {
        std::rotate(hit, hit + 1, entries_.end());
        return entries_.back().fonts;
    }
    if (entries_.size() >= kCapacity) entries_.erase(entries_.begin());
    Entry e{logical, pixels, {}};
    QFont& font = e.fonts.font_;
    font.setFamilies(families);
    font.setWeight(static_cast<QFont::Weight>(DrawnWeight(logical.weight, pixels)));
    font.setItalic(logical.italic);
    font.setUnderline(logical.underline);
    font.setStrikeOut(logical.strikeOut);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPixelSize(pixels);
    entries_.push_back(std::move(e));
    return entries_.back().fonts;
}

}  // namespace tavlex::mf
