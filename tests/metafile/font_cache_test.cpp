// The font cache: what it returns must not depend on what it held before, and it stays bounded.
#include "metafile/FontCache.h"

#include "metafile/EmfObjects.h"
#include "metafile/FontMapper.h"

#include <gtest/gtest.h>

#include "tests/common/GuiTestEnvironment.h"

#include <thread>
#include <vector>

// fontconfig keeps its pattern caches until exit; the leak checker must not count them.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so";
}

namespace tavlex::mf {
namespace {

FontObject Font(const char* face, std::uint8_t charSet, std::uint8_t pitchAndFamily = 0,
                std::int32_t weight = 400, bool italic = false) {
    FontObject f;
    f.face = QString::fromUtf8(face);
    f.charSet = charSet;
    f.pitchAndFamily = pitchAndFamily;
    f.weight = weight;
    f.italic = italic;
    return f;
}

// Fonts that differ in one field of the logical font only, each resolving differently: a key
// that left the field out would hand one of them the other's families or metrics.
std::vector<FontObject> Fonts() {
    return {
        Font("Arial", 0),
        Font("ＭＳ 明朝", 128),
        Font("MS Mincho", 128),
        Font("No Such Face", 0),          // the sans default
        Font("No Such Face", 128),        // Japanese by its character set
        Font("No Such Face", 0, 0x10),    // roman family
        Font("No Such Face", 0, 0x30),    // modern family: monospaced
        Font("No Such Face", 0, 0x01),    // fixed pitch
        Font("No Such Face", 0, 0, 700),  // measured bold
        Font("No Such Face", 0, 0, 400, true),
    };
}

void ExpectResolvesAsUncached(FontCache& cache, const FontObject& f) {
    const FontCache::Resolved r = cache.Resolve(f);
    EXPECT_EQ(r.families, FontMapper::Families(f)) << f.face.toStdString() << " " << int(f.charSet);
    const FontMapper::Metrics known = FontMapper::WindowsMetrics(f);
    if (known.ascent > 0) {
        EXPECT_EQ(r.metrics.ascent, known.ascent) << f.face.toStdString();
        EXPECT_EQ(r.metrics.descent, known.descent) << f.face.toStdString();
    } else {
        EXPECT_GT(r.metrics.ascent, 0) << f.face.toStdString();
    }
}

TEST(FontCacheTest, EachLogicalFontGetsItsOwnResolution) {
    FontCache cache(64);
    const std::vector<FontObject> fonts = Fonts();
    for (int pass = 0; pass < 2; ++pass)  // the second pass is answered from the cache
        for (const FontObject& f : fonts) ExpectResolvesAsUncached(cache, f);
    EXPECT_EQ(cache.size(), fonts.size());
    EXPECT_NE(cache.Resolve(fonts[0]).families, cache.Resolve(fonts[1]).families);
    EXPECT_NE(cache.Resolve(fonts[5]).families, cache.Resolve(fonts[6]).families);
}

TEST(FontCacheTest, StaysWithinItsCapacityAndKeepsAnsweringRightly) {
    FontCache cache(3);
    const std::vector<FontObject> fonts = Fonts();
    for (int pass = 0; pass < 3; ++pass) {
        for (const FontObject& f : fonts) {
            ExpectResolvesAsUncached(cache, f);
            EXPECT_LE(cache.size(), 3u);
        }
    }
    // A font in constant use survives a stream of others.
    for (const FontObject& f : fonts) {
        ExpectResolvesAsUncached(cache, fonts[1]);
        ExpectResolvesAsUncached(cache, f);
    }
    EXPECT_EQ(cache.size(), 3u);
}

TEST(FontCacheTest, ThreadsShareOneCache) {
    FontCache cache(2);  // three fonts in turn: entries leave while others read
    const std::vector<FontObject> fonts = Fonts();
    const FontCache::Resolved expected = cache.Resolve(fonts[2]);
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                const FontObject& f = fonts[static_cast<std::size_t>((i + t) % 3)];
                const FontCache::Resolved r = cache.Resolve(f);
                if (&f == &fonts[2] && r.families != expected.families) ++wrong[t];
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
    EXPECT_LE(cache.size(), 2u);
}

}  // namespace
}  // namespace tavlex::mf
