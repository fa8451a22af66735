// Albums spelled out byte by byte, independently of the format code: the reader must find every
// field where the format puts it, and the writer must put it there. (A fixture made by our own
// writer would agree with a reader that shares the writer's mistake.)
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <zlib.h>

#include "album/AlbumLoader.h"
#include "album/AlbumWriter.h"
#include "tests/album/AlbumTestSupport.h"

namespace tavlex {
namespace {

// Writes bytes at a fixed position of a zero-filled buffer.
void Put(QByteArray& into, int at, const QByteArray& bytes) {
    ASSERT_LE(at + bytes.size(), into.size());
    into.replace(at, bytes.size(), bytes);
}

QByteArray Literal(const char* bytes, int size) {
    return QByteArray(bytes, size);
}

QByteArray Inflated(const QByteArray& stream, qsizetype size) {
    QByteArray out(size, '\0');
    uLongf length = static_cast<uLongf>(size);
    const int status = uncompress(reinterpret_cast<Bytef*>(out.data()), &length,
                                  reinterpret_cast<const Bytef*>(stream.constData()),
                                  static_cast<uLong>(stream.size()));
    return status == Z_OK && length == static_cast<uLongf>(size) ? out : QByteArray();
}

struct Fixture {
    QByteArray header;  // 48 bytes, BodyLength still to be set
    QByteArray body;
};

// "JXA" 9.0: long settings, one contents record, 8-byte entries for two pages.
Fixture LongLayoutAlbum() {
    Fixture f;
    f.header = QByteArray(48, '\0');
    Put(f.header, 0, Literal("\x03JXA", 4));
    Put(f.header, 4, Literal("\x90\x5F\x01\x00\x00\x00\x00\x00", 8));   // 90000
    Put(f.header, 12, Literal("\x90\x65\x00\x00\x00\x00\x00\x00", 8));  // top 2.6 mm
    Put(f.header, 20, Literal("\x70\x9A\xFF\xFF\xFF\xFF\xFF\xFF", 8));  // bottom -2.6 mm
    Put(f.header, 28, Literal("\x00\x00\x00\x00\x00\x00\x00\x00", 8));  // left 0
    Put(f.header, 36, Literal("\xA0\x03\x02\x00\x00\x00\x00\x00", 8));  // right 13.2 mm

    QByteArray settings(441, '\0');
    Put(settings, 0, Literal("\x00\x00\x00\x00\x40\xF9\xE5\x40", 8));  // 45002.0
    Put(settings, 8, Literal("\x05Title", 6));
    Put(settings, 109, Literal("\x03Rem", 4));
    Put(settings, 160,
        Literal("\x02"
                "Au",
                3));
    Put(settings, 191, Literal("\xFD\xFF\xFF\xFF", 4));  // page offset -3
    Put(settings, 195, Literal("\x09\x00\x00\x00", 4));  // A4
    Put(settings, 199, Literal("\x01", 1));              // landscape
    Put(settings, 200, Literal("\xD2\x00\x00\x00", 4));  // 210 mm
    Put(settings, 204, Literal("\x29\x01\x00\x00", 4));  // 297 mm
    Put(settings, 208, Literal("\x01", 1));
    Put(settings, 209, Literal("\x04Subs", 5));
    Put(settings, 240, Literal("\x04X\r\nY", 5));

    QByteArray record(59, '\0');
    Put(record, 0, Literal("\x02\x00", 2));  // page 2
    Put(record, 4, Literal("\x01\x00", 2));  // level 1
    Put(record, 8, Literal("\x05Walls", 6));
    // 441 + 4 + 59 + 3 entries of 8 = 528 (0x210): the pages follow.
    const QByteArray directory = Literal(
        "\x00\x00\x00\x00\x02\x00\x00\x00"   // head: 2 pages
        "\x10\x02\x00\x00\x05\x00\x00\x00"   // 5 bytes at 528
        "\x15\x02\x00\x00\x07\x00\x00\x00",  // 7 bytes at 533
        24);
    f.body = settings + Literal("\x3B\x00\x00\x00", 4) + record + directory + "AAAAA" + "BBBBBBB";
    return f;
}

// "JXB" 7.0: short settings, no contents, 9-byte entries (a ".QZD" file) for two pages.
Fixture ShortLayoutAlbum() {
    Fixture f;
    f.header = QByteArray(48, '\0');
    Put(f.header, 0, Literal("\x03JXB", 4));
    Put(f.header, 4, Literal("\x70\x11\x01\x00\x00\x00\x00\x00", 8));   // 70000
    Put(f.header, 28, Literal("\x10\x27\x00\x00\x00\x00\x00\x00", 8));  // left 1 mm

    QByteArray settings(391, '\0');
    Put(settings, 8, Literal("\x02Ti", 3));
    Put(settings, 59, Literal("\x01R", 2));
    Put(settings, 110,
        Literal("\x01"
                "A",
                2));
    Put(settings, 141, Literal("\x0A\x00\x00\x00", 4));  // page offset 10
    Put(settings, 145, Literal("\x00\x01\x00\x00", 4));  // 256: user size
    Put(settings, 149, Literal("\x00", 1));
    Put(settings, 150, Literal("\x94\x01\x00\x00", 4));  // 404 mm
    Put(settings, 154, Literal("\x64\x00\x00\x00", 4));  // 100 mm
    Put(settings, 159, Literal("\x01S", 2));
    Put(settings, 190, Literal("\x01U", 2));
    // 391 + 4 + 3 entries of 9 = 422 (0x1A6).
    const QByteArray directory = Literal(
        "\x00\x00\x00\x00\x02\x00\x00\x00\x01"   // head
        "\xA6\x01\x00\x00\x03\x00\x00\x00\x00"   // 3 at 422
        "\xA9\x01\x00\x00\x04\x00\x00\x00\x01",  // 4 at 425
        27);
    f.body = settings + Literal("\x00\x00\x00\x00", 4) + directory + "ccc" + "dddd";
    return f;
}

QByteArray AlbumBytes(const Fixture& f) {
    QByteArray header = f.header;
    const auto length = static_cast<std::uint32_t>(f.body.size());
    Put(header, 44, QByteArray(1, char(length & 0xFF)) + char((length >> 8) & 0xFF) + '\0' + '\0');
    return header + test::Deflate(f.body);
}

class FixtureTest : public testing::Test {
  protected:
    AlbumLoadResult Load(const QByteArray& bytes, const QString& name) {
        return LoadAlbum(test::WriteFile(dir_, name, bytes), temp_.path(), 96);
    }
    QTemporaryDir dir_;
    QTemporaryDir temp_;
};

TEST_F(FixtureTest, LongLayoutAndEightByteEntriesAreReadWhereTheyStand) {
    const AlbumLoadResult result = Load(AlbumBytes(LongLayoutAlbum()), "hand.YRA");
    ASSERT_EQ(result.status, LoadStatus::Loaded);
    const Document& d = result.document;
    EXPECT_EQ(d.AlbumHeader.Signature(), "JXA");
    EXPECT_EQ(d.AlbumHeader.ProductVersion(), 90000);
    EXPECT_EQ(d.AlbumHeader.MarginTop(), 26000);
    EXPECT_EQ(d.AlbumHeader.MarginBottom(), -26000);
    EXPECT_EQ(d.AlbumHeader.MarginLeft(), 0);
    EXPECT_EQ(d.AlbumHeader.MarginRight(), 132000);
    EXPECT_EQ(d.AlbumHeader.BodyLength(), 540);
    EXPECT_EQ(
        (std::array{d.EdgeOffsetTop, d.EdgeOffsetBottom, d.EdgeOffsetLeft, d.EdgeOffsetRight}),
        (std::array{10, -10, 0, 50}));
    EXPECT_TRUE(d.UsesLongSettings);
    const AlbumSettings& s = d.AlbumSettings;
    EXPECT_EQ(s.Created(), 45002.0);
    EXPECT_EQ(s.Title(), "Title");
    EXPECT_EQ(s.Remarks(), "Rem");
    EXPECT_EQ(s.Author(), "Au");
    EXPECT_EQ(s.PageOffset(), -3);
    EXPECT_EQ(d.PageOffset, -3);
    EXPECT_EQ(s.PaperCode(), 9);
    EXPECT_EQ(s.Orientation(), 1);
    EXPECT_EQ(s.PaperWidthMm(), 210);
    EXPECT_EQ(s.PaperHeightMm(), 297);
    EXPECT_TRUE(s.GaijiAsBitmap());
    EXPECT_EQ(s.SubstituteFont(), "Subs");
    EXPECT_EQ(s.UsedFonts(), "X\r\nY");
    EXPECT_EQ(d.PaperWidth, 794);
    EXPECT_EQ(d.ContentsEntries, (std::vector<ContentsEntry>{{2, 1}, {0, 0}}));
    EXPECT_EQ(d.ContentsTexts, QStringList{"Walls"});
    EXPECT_EQ(d.PageCount, 2);
    EXPECT_EQ(d.PageDirectory[1], (PageEntry{528, 5, 0}));
    EXPECT_EQ(d.PageDirectory[2], (PageEntry{533, 7, 0}));
    EXPECT_EQ(ReadPageBytes(d, 1), "AAAAA");
    EXPECT_EQ(ReadPageBytes(d, 2), "BBBBBBB");
}

TEST_F(FixtureTest, ShortLayoutAndNineByteEntriesAreReadWhereTheyStand) {
    const AlbumLoadResult result = Load(AlbumBytes(ShortLayoutAlbum()), "hand.YRA.QZD");
    ASSERT_EQ(result.status, LoadStatus::Loaded);
    const Document& d = result.document;
    EXPECT_EQ(d.AlbumHeader.Signature(), "JXB");
    EXPECT_EQ(d.AlbumHeader.ProductVersion(), 70000);
    EXPECT_EQ(d.AlbumHeader.MarginLeft(), 10000);
    EXPECT_EQ(d.AlbumHeader.MarginTop(), 0);
    EXPECT_FALSE(d.UsesLongSettings);
    EXPECT_TRUE(d.HasPageOrientation);
    const AlbumSettings& s = d.AlbumSettings;
    EXPECT_EQ(s.Title(), "Ti");
    EXPECT_EQ(s.Remarks(), "R");
    EXPECT_EQ(s.Author(), "A");
    EXPECT_EQ(s.PageOffset(), 10);
    EXPECT_EQ(s.PaperCode(), 256);
    EXPECT_EQ(s.Orientation(), 0);
    EXPECT_EQ(s.PaperWidthMm(), 404);
    EXPECT_EQ(s.PaperHeightMm(), 100);
    EXPECT_FALSE(s.GaijiAsBitmap());
    EXPECT_EQ(s.SubstituteFont(), "S");
    EXPECT_EQ(s.UsedFonts(), "U");
    EXPECT_EQ(d.ContentsEntries, (std::vector<ContentsEntry>{{0, 0}}));
    EXPECT_EQ(d.PageCount, 2);
    EXPECT_EQ(d.PageDirectory[0], (PageEntry{0, 2, 1}));
    EXPECT_EQ(d.PageDirectory[1], (PageEntry{422, 3, 0}));
    EXPECT_EQ(d.PageDirectory[2], (PageEntry{425, 4, 1}));
    EXPECT_EQ(ReadPageBytes(d, 1), "ccc");
    EXPECT_EQ(ReadPageBytes(d, 2), "dddd");
}

// The writer, given the same album, writes the same bytes.
TEST_F(FixtureTest, TheWriterPutsEveryFieldWhereTheHandDid) {
    for (const bool longLayout : {true, false}) {
        SCOPED_TRACE(longLayout);
        const Fixture f = longLayout ? LongLayoutAlbum() : ShortLayoutAlbum();
        AlbumContents contents;
        contents.header = AlbumHeader::FromBytes(f.header);
        contents.settings = AlbumSettings::FromBytes(
            f.body.left(longLayout ? kLongSettingsSize : kShortSettingsSize), longLayout);
        if (longLayout) contents.contents.push_back({2, 1, "Walls"});
        contents.pageOrientation = !longLayout;
        contents.usualOrientation = longLayout ? 0 : 1;
        const std::vector<AlbumPage> pages =
            longLayout ? std::vector<AlbumPage>{{"AAAAA", 0}, {"BBBBBBB", 0}}
                       : std::vector<AlbumPage>{{"ccc", 0}, {"dddd", 1}};
        const QByteArray written = BuildAlbumBytes(contents, pages);
        const QByteArray expected = AlbumBytes(f);
        EXPECT_EQ(written.left(48), expected.left(48));
        EXPECT_EQ(Inflated(written.mid(48), f.body.size()), f.body);
    }
}

}  // namespace
}  // namespace tavlex
