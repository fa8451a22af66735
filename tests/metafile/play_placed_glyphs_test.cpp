// Text with a spacing array draws each character where the array puts it: the result must be
// what the text engine draws for each character set down at that place on its own, whichever
// family supplies the glyph.
#include "play_support.h"

#include "metafile/EmfObjects.h"

namespace tavlex::mf {
namespace {

using namespace testing;

struct PlacedCase {
    const char* name;
    const char* face;
    std::uint8_t charSet;
    const char* text;  // UTF-8
    std::int32_t escapement;
};

void PrintTo(const PlacedCase& c, std::ostream* os) {
    *os << c.name;
}

class PlacedGlyphsTest : public ::testing::TestWithParam<PlacedCase> {};

void SelectFont(EmfWriter& w, const PlacedCase& c) {
    LogFont f;
    f.height = -18;
    f.weight = 400;
    f.escapement = c.escapement;
    f.orientation = c.escapement;
    f.charSet = c.charSet;
    f.faceName = QString::fromUtf8(c.face);
    w.ExtCreateFontIndirectW(1, f);
    w.SelectObject(1);
    w.SetBkMode(1);  // TRANSPARENT
}

TEST_P(PlacedGlyphsTest, EachCharacterAsTheEngineDrawsItAlone) {
    const PlacedCase& c = GetParam();
    const QString text = QString::fromUtf8(c.text);
    QVector<std::int32_t> dx;
    for (QChar ch : text) dx.append(ch.isLowSurrogate() ? 0 : 19);
    const double rad = c.escapement / 10.0 * 3.14159265358979 / 180;
    const QImage placed = Render(BuildEmf([&](EmfWriter& w) {
        SelectFont(w, c);
        w.ExtTextOutW(QPoint(5, 60), text, dx);
    }));
    const QImage alone = Render(BuildEmf([&](EmfWriter& w) {
        SelectFont(w, c);
        double along = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype length = text[i].isHighSurrogate() ? 2 : 1;
            const QPoint at(5 + static_cast<int>(std::lround(along * std::cos(rad))),
                            60 - static_cast<int>(std::lround(along * std::sin(rad))));
            w.ExtTextOutW(at, text.mid(i, length));
            for (qsizetype k = 0; k < length; ++k) along += dx[i + k];
            i += length - 1;
        }
    }));
    ASSERT_FALSE(InkColumns(placed, 0, 100).empty()) << c.name;
    EXPECT_EQ(placed, alone) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Faces, PlacedGlyphsTest,
    ::testing::Values(PlacedCase{"latin", "Arial", 0, "AVWaj", 0},
                      PlacedCase{"japanese_face", "ＭＳ 明朝", 128, "工事No.1", 0},
                      // The Latin substitute has none of these: a Japanese family supplies them.
                      PlacedCase{"japanese_in_a_latin_face", "Arial", 0, "A工事写真", 0},
                      // Marks and format characters are the engine's to place or hide.
                      PlacedCase{"combining_and_format", "Arial", 0,
                                 "e\xcc\x81x\xc2\xad y\xe2\x80\x8bz", 0},
                      PlacedCase{"upright", "Arial", 0, "AVWaj", 900}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tavlex::mf
