// The font cache: what it returns must not depend on what it held before, and it stays bounded.
#include "metafile/FontCache.h"

#include "metafile/EmfObjects.h"
#include "metafile/FontMapper.h"
#include "metafile/PlayerFontCache.h"

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

QStringList Families0() {
    return FontMapper::Families(Fonts()[0]);
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
    EXPECT_EQ(cache.Size(), fonts.size());
    EXPECT_NE(cache.Resolve(fonts[0]).families, cache.Resolve(fonts[1]).families);
    EXPECT_NE(cache.Resolve(fonts[5]).families, cache.Resolve(fonts[6]).families);
}

TEST(FontCacheTest, StaysWithinItsCapacityAndKeepsAnsweringRightly) {
    FontCache cache(3);
    const std::vector<FontObject> fonts = Fonts();
    for (int pass = 0; pass < 3; ++pass) {
        for (const FontObject& f : fonts) {
            ExpectResolvesAsUncached(cache, f);
            EXPECT_LE(cache.Size(), 3u);
        }
    }
    // A font in constant use survives a stream of others.
    for (const FontObject& f : fonts) {
        ExpectResolvesAsUncached(cache, fonts[1]);
        ExpectResolvesAsUncached(cache, f);
    }
    EXPECT_EQ(cache.Size(), 3u);
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
    EXPECT_LE(cache.Size(), 2u);
}

// A player's own fonts: the font it hands out is the one asked for, whatever came before, and
// the cache keeps no more than its few entries however many fonts a file uses.
TEST(PlayerFontCacheTest, HandsOutTheRequestedFontAndStaysSmall) {
    PlayerFontCache cache;
    struct Request {
        FontObject logical;
        int pixels;
    };
    std::vector<Request> requests;
    for (const FontObject& f : Fonts())
        for (int pixels : {12, 13, 40}) requests.push_back({f, pixels});
    FontObject underlined = Font("Arial", 0);
    underlined.underline = true;
    FontObject struck = Font("Arial", 0);
    struck.strikeOut = true;
    requests.push_back({underlined, 12});
    requests.push_back({struck, 12});
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < requests.size(); ++i) {
            // Every other request returns to the first font, so it stays while others churn.
            for (const Request& r : {requests[i], requests[0]}) {
                const QStringList families = FontMapper::Families(r.logical);
                const QFont& font = cache.Get(r.logical, families, r.pixels).Font();
                const std::string what =
                    r.logical.face.toStdString() + " at " + std::to_string(r.pixels);
                EXPECT_EQ(font.pixelSize(), r.pixels) << what;
                EXPECT_EQ(font.families(), families) << what;
                EXPECT_EQ(font.weight(), r.logical.weight) << what;
                EXPECT_EQ(font.italic(), r.logical.italic) << what;
                EXPECT_EQ(font.underline(), r.logical.underline) << what;
                EXPECT_EQ(font.strikeOut(), r.logical.strikeOut) << what;
                EXPECT_LE(cache.Size(), PlayerFontCache::kCapacity);
            }
        }
    }
    // The raw font draws the primary family at the same size.
    const QRawFont& raw = cache.Get(requests[0].logical, Families0(), 13).Raw();
    ASSERT_TRUE(raw.isValid());
    EXPECT_EQ(raw.familyName(), Families0().value(0));
    EXPECT_DOUBLE_EQ(raw.pixelSize(), 13);
}

// Bold below ten pixels per em is drawn regular, as the reference playback draws it; lighter
// weights and larger sizes keep what the file asked for.
TEST(PlayerFontCacheTest, SmallBoldTextDrawsRegular) {
    PlayerFontCache cache;
    const FontObject bold = Font("Arial", 0, 0, 700);
    const QStringList families = FontMapper::Families(bold);
    EXPECT_EQ(cache.Get(bold, families, 9).Font().weight(), QFont::Normal);
    EXPECT_EQ(cache.Get(bold, families, PlayerFontCache::kSmallestBoldPixels).Font().weight(),
              QFont::Bold);
    const FontObject light = Font("Arial", 0, 0, 300);
    EXPECT_EQ(cache.Get(light, families, 6).Font().weight(), QFont::Light);
    // A weight of zero is the default, regular.
    EXPECT_EQ(PlayerFontCache::DrawnWeight(0, 20), 400);
    EXPECT_EQ(PlayerFontCache::DrawnWeight(5000, 20), 900);
}

}  // namespace
}  // namespace tavlex::mf
