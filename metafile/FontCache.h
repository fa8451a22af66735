#pragma once

#include "metafile/EmfObjects.h"
#include "metafile/FontMapper.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>
#include <unordered_map>

namespace tavlex::mf {

// What a logical font resolves to here: the installed families to draw with and the ascent and
// descent per em to align by. Finding them asks the font configuration, which costs far more
// than drawing a short run of text, so pages that repeat one font in every caption resolve it
// once. Shared by every player in the process; safe to use from several threads.
class FontCache {
  public:
    struct Resolved {
        QStringList families;
        FontMapper::Metrics metrics;
    };

    // Entries are small (a face name of at most 32 characters and a few families), so a bound
    // on their number bounds the memory.
    explicit FontCache(std::size_t capacity);

    // The process-wide cache the players use.
    static FontCache& Shared();

    // Resolves the font, from the cache when it was seen recently. Measuring faces without
    // known metrics needs a QGuiApplication.
    Resolved Resolve(const FontObject& font);

    std::size_t Size() const;

  private:
    struct Key {
        QString face;
        std::int32_t weight;
        bool italic;
        std::uint8_t charSet;
        std::uint8_t pitchAndFamily;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const noexcept;
    };
    struct Entry {
        Key key;
        Resolved value;
    };

    static Resolved Compute(const FontObject& font);

    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::list<Entry> entries_;  // most recently used first
    std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> index_;
};

}  // namespace tavlex::mf
