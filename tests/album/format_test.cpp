#include <gtest/gtest.h>

#include <QtEndian>

#include <cmath>
#include <limits>

#include "album/AlbumFormat.h"
#include "tests/album/AlbumTestSupport.h"

namespace tavlex {
namespace {

struct NameCase {
    const char* path;
    bool album;
    bool orientation;
};

class NameTest : public testing::TestWithParam<NameCase> {};

TEST_P(NameTest, RecognisesAlbumsAndTheirEntryForm) {
    EXPECT_EQ(IsAlbumFileName(QString::fromUtf8(GetParam().path)), GetParam().album);
    EXPECT_EQ(HasPageOrientationName(QString::fromUtf8(GetParam().path)), GetParam().orientation);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, NameTest,
    testing::Values(NameCase{"/data/A.yra", true, false}, NameCase{"/data/A.YRB", true, false},
                    NameCase{"/data/A.yrc", true, false}, NameCase{"/data/A.Yrd", true, false},
                    NameCase{"/data/A.QZD", false, true}, NameCase{"/data/A.YRA.QZD", true, true},
                    NameCase{"/data/ALBUM.YRA.BAK", true, false},
                    NameCase{"/data.yra/photo.jpg", true, false},  // token anywhere in the path
                    NameCase{"/data/A.YRE", false, false}, NameCase{"/data/AYRA", false, false},
                    NameCase{"/data/写真.yra", true, false}, NameCase{"/data/a.qzd", false, true},
                    NameCase{"/data.qzd/a", false, false}, NameCase{"", false, false}));

struct VersionCase {
    const char* signature;
    std::int64_t version;
    std::int64_t level;
    bool longSettings;
};

class VersionTest : public testing::TestWithParam<VersionCase> {};

TEST_P(VersionTest, AdmitsAndPicksTheSettingsLayout) {
    const AlbumHeader header = test::MakeHeader(GetParam().signature, GetParam().version);
    EXPECT_EQ(GetFormatLevel(header), GetParam().level);
    EXPECT_EQ(HasLongSettings(header), GetParam().longSettings);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, VersionTest,
    testing::Values(VersionCase{"JXA", 90000, 10000, true}, VersionCase{"JXA", 90001, 0, true},
                    VersionCase{"JXA", 85000, 10000, false},
                    VersionCase{"JXA", 60000, 10000, false}, VersionCase{"JXA", -5, 10000, false},
                    VersionCase{"JXB", 70000, 10000, false}, VersionCase{"JXB", 70001, 0, false},
                    VersionCase{"QZD", 10000, 0, false}, VersionCase{"jxa", 90000, 0, true},
                    VersionCase{"", 0, 0, true}, VersionCase{"JX", 10000, 0, true},
                    VersionCase{"ABC", 10000, 0, true}));

TEST(AlbumHeaderTest, SignatureLengthByteMustBeExact) {
    // "JXA" followed by a length byte of 4 is not the signature "JXA", even if clamped.
    AlbumHeader header = test::MakeHeader("JXA", 90000);
    QByteArray bytes = header.Bytes();
    bytes[0] = 4;
    EXPECT_EQ(GetFormatLevel(AlbumHeader::FromBytes(bytes)), 0);
    EXPECT_EQ(AlbumHeader::FromBytes(bytes).Signature(), QByteArray("JXA"));
}

TEST(AlbumHeaderTest, FieldsSitAtTheirOffsets) {
    AlbumHeader header = test::MakeHeader("JXB", 70000);
    header.SetMargins(1, -2, 3, -4);
    header.SetBodyLength(0x01020304);
    const QByteArray bytes = header.Bytes();
    ASSERT_EQ(bytes.size(), 48);
    EXPECT_EQ(bytes.left(4), QByteArray("\x03JXB"));
    EXPECT_EQ(qFromLittleEndian<std::int64_t>(bytes.constData() + 4), 70000);
    EXPECT_EQ(qFromLittleEndian<std::int64_t>(bytes.constData() + 12), 1);
    EXPECT_EQ(qFromLittleEndian<std::int64_t>(bytes.constData() + 20), -2);
    EXPECT_EQ(qFromLittleEndian<std::int64_t>(bytes.constData() + 28), 3);
    EXPECT_EQ(qFromLittleEndian<std::int64_t>(bytes.constData() + 36), -4);
    EXPECT_EQ(qFromLittleEndian<std::int32_t>(bytes.constData() + 44), 0x01020304);
    EXPECT_EQ(AlbumHeader::FromBytes(bytes), header);
}

// Offsets of the long layout; the short layout is 50 bytes earlier after the title.
TEST(AlbumSettingsTest, BothLayoutsPlaceFieldsWhereTheFormatSays) {
    for (const bool longLayout : {true, false}) {
        SCOPED_TRACE(longLayout);
        AlbumSettings settings(longLayout);
        settings.SetCreated(45000.5);
        settings.SetTitle("T");
        settings.SetRemarks("R");
        settings.SetAuthor("A");
        settings.SetPageOffset(-3);
        settings.SetPaperCode(256);
        settings.SetOrientation(1);
        settings.SetPaperWidthMm(420);
        settings.SetPaperHeightMm(594);
        settings.SetGaijiAsBitmap(7);
        settings.SetSubstituteFont("F");
        settings.SetUsedFonts("X\r\nY");
        const QByteArray raw = settings.Bytes();
        ASSERT_EQ(raw.size(), longLayout ? 441 : 391);
        const int shift = longLayout ? 0 : 50;
        const char* p = raw.constData();
        EXPECT_EQ(qFromLittleEndian<double>(p), 45000.5);
        EXPECT_EQ(raw.mid(8, 2), QByteArray("\x01T"));
        EXPECT_EQ(raw.mid(109 - shift, 2), QByteArray("\x01R"));
        EXPECT_EQ(raw.mid(160 - shift, 2), QByteArray("\x01"
                                                      "A"));
        EXPECT_EQ(qFromLittleEndian<std::int32_t>(p + 191 - shift), -3);
        EXPECT_EQ(qFromLittleEndian<std::int32_t>(p + 195 - shift), 256);
        EXPECT_EQ(raw[199 - shift], '\x01');
        EXPECT_EQ(qFromLittleEndian<std::int32_t>(p + 200 - shift), 420);
        EXPECT_EQ(qFromLittleEndian<std::int32_t>(p + 204 - shift), 594);
        EXPECT_EQ(raw[208 - shift], '\x07');
        EXPECT_EQ(raw.mid(209 - shift, 2), QByteArray("\x01"
                                                      "F"));
        EXPECT_EQ(raw.mid(240 - shift, 5), QByteArray("\x04X\r\nY"));

        const AlbumSettings back = AlbumSettings::FromBytes(raw, longLayout);
        EXPECT_EQ(back.Title(), "T");
        EXPECT_EQ(back.Author(), "A");
        EXPECT_EQ(back.PaperHeightMm(), 594);
        EXPECT_TRUE(back.GaijiAsBitmap());
        EXPECT_EQ(back.UsedFonts(), "X\r\nY");
    }
}

struct LenStringCase {
    int offset;  // of the length byte in the long layout
    int capacity;
    QByteArray (AlbumSettings::*get)() const;
};

class LenStringTest : public testing::TestWithParam<LenStringCase> {};

TEST_P(LenStringTest, LengthBeyondCapacityIsClamped) {
    QByteArray raw(441, 'x');
    raw[GetParam().offset] = static_cast<char>(255);
    const AlbumSettings settings = AlbumSettings::FromBytes(raw, true);
    EXPECT_EQ((settings.*GetParam().get)(), QByteArray(GetParam().capacity, 'x'));
}

INSTANTIATE_TEST_SUITE_P(Fields, LenStringTest,
                         testing::Values(LenStringCase{8, 100, &AlbumSettings::Title},
                                         LenStringCase{109, 50, &AlbumSettings::Remarks},
                                         LenStringCase{160, 30, &AlbumSettings::Author},
                                         LenStringCase{209, 30, &AlbumSettings::SubstituteFont},
                                         LenStringCase{240, 200, &AlbumSettings::UsedFonts}));

TEST(AlbumSettingsTest, SettersCutToCapacityAndShortRecordsArePadded) {
    AlbumSettings settings(false);
    settings.SetTitle(QByteArray(80, 'a'));
    EXPECT_EQ(settings.Title().size(), 50);
    EXPECT_EQ(AlbumSettings::FromBytes(QByteArray(10, '\0'), false).Bytes().size(), 391);
}

TEST(ContentsRecordTest, ReadsPageLevelAndClampedText) {
    QByteArray record(59, 'z');
    qToLittleEndian<std::int16_t>(-2, record.data());
    qToLittleEndian<std::int16_t>(3, record.data() + 4);
    record[8] = static_cast<char>(200);
    const ContentsRecord parsed = ContentsRecord::FromBytes(record);
    EXPECT_EQ(parsed.Page, -2);
    EXPECT_EQ(parsed.Level, 3);
    EXPECT_EQ(parsed.EntryText, QByteArray(50, 'z'));
    EXPECT_EQ(ContentsRecord::FromBytes(ContentsRecord{5, 1, "abc"}.Bytes()).EntryText, "abc");
}

TEST(PageEntryTest, EightAndNineByteForms) {
    const PageEntry entry{100, 200, 1};
    EXPECT_EQ(entry.Bytes(false).size(), 8);
    EXPECT_EQ(entry.Bytes(true).size(), 9);
    EXPECT_EQ(PageEntry::FromBytes(entry.Bytes(true), true), entry);
    EXPECT_EQ(PageEntry::FromBytes(entry.Bytes(true), false), (PageEntry{100, 200, 0}));
}

struct OleCase {
    double ole;
    const char* text;
};

class OleDateTest : public testing::TestWithParam<OleCase> {};

TEST_P(OleDateTest, ConvertsBothWays) {
    const QDateTime when = OleDateToDateTime(GetParam().ole);
    ASSERT_TRUE(when.isValid());
    EXPECT_EQ(when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")), QLatin1String(GetParam().text));
    EXPECT_NEAR(DateTimeToOleDate(when), GetParam().ole, 1.0 / 86400);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, OleDateTest,
    testing::Values(OleCase{0.0, "1899-12-30T00:00:00"}, OleCase{2.25, "1900-01-01T06:00:00"},
                    OleCase{-1.25, "1899-12-29T06:00:00"}, OleCase{45000.5, "2023-03-15T12:00:00"},
                    // 23:59:59.6 rounds into the next day
                    OleCase{45000.0 + 86399.6 / 86400, "2023-03-16T00:00:00"}));

TEST(OleDateTest, AbsurdValuesGiveNoDate) {
    for (const double value :
         {std::nan(""), std::numeric_limits<double>::infinity(), -1e300, 1e300, 3e6, -7e5}) {
        EXPECT_FALSE(OleDateToDateTime(value).isValid()) << value;
    }
}

}  // namespace
}  // namespace tavlex
