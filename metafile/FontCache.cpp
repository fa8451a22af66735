#include "metafile/FontCache.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHashFunctions>

#include <algorithm>

namespace tavlex::mf {

FontCache::FontCache(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

FontCache& FontCache::Shared() {
    static FontCache cache(64);
    return cache;
}

std::size_t FontCache::KeyHash::operator()(const Key& k) const noexcept {
    return qHashMulti(0, k.face, k.weight, k.italic, k.charSet, k.pitchAndFamily);
}

FontCache::Resolved FontCache::Compute(const FontObject& f) {
    Resolved r;
    r.families = FontMapper::Families(f);
    // The Windows face's own ascent and descent when known, so that recorded positions line
    // up although a substitute draws the glyphs; else the substitute's.
    r.metrics = FontMapper::WindowsMetrics(f);
    if (r.metrics.ascent <= 0) {
        QFont probe;
        probe.setFamilies(r.families);
        probe.setWeight(
            static_cast<QFont::Weight>(std::clamp(f.weight == 0 ? 400 : f.weight, 100, 900)));
        probe.setItalic(f.italic);
        probe.setKerning(false);
        probe.setHintingPreference(QFont::PreferNoHinting);
        probe.setPixelSize(256);
        const QFontMetricsF pm(probe);
        r.metrics = {pm.ascent() / 256, pm.descent() / 256};
    }
    return r;
}

FontCache::Resolved FontCache::Resolve(const FontObject& font) {
    Key key{font.face, font.weight, font.italic, font.charSet, font.pitchAndFamily};
    {
        const std::lock_guard lock(mutex_);
        if (const auto it = index_.find(key); it != index_.end()) {
            entries_.splice(entries_.begin(), entries_, it->second);
            return it->second->value;
        }
    }
    // Resolved outside the lock: other threads keep drawing meanwhile, and two threads that
    // miss at once merely compute the same value.
    Resolved value = Compute(font);
    const std::lock_guard lock(mutex_);
    if (const auto it = index_.find(key); it != index_.end()) {
        entries_.splice(entries_.begin(), entries_, it->second);
        return it->second->value;
    }
    entries_.push_front(Entry{key, value});
    index_.emplace(std::move(key), entries_.begin());
    while (entries_.size() > capacity_) {
        index_.erase(entries_.back().key);
        entries_.pop_back();
    }
    return value;
}

std::size_t FontCache::Size() const {
    const std::lock_guard lock(mutex_);
    return entries_.size();
}

}  // namespace tavlex::mf
