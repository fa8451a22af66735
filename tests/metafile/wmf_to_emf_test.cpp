#include "metafile/EmfWriter.h"
#include "metafile/GdiDefs.h"
#include "metafile/Metafile.h"
#include "metafile/WmfToEmf.h"
#include "metafile/WmfWriter.h"
#include "tests/metafile/wmf_test_support.h"

#include <gtest/gtest.h>

#include <QStringEncoder>

#include <functional>

namespace tavlex::mf {
namespace {

using testing::EmfRecords;
using testing::EmfRecordsOfType;
using testing::View;

constexpr int kPpi = 96;

QByteArray MakeWmf(const std::function<void(WmfWriter&)>& body,
                   WmfWriter::Placeable placeable = {0, 0, 1440, 720, 1440}) {
    WmfWriter w(placeable);
    body(w);
    return w.Finish();
}

void FixChecksum(QByteArray& wmf) {
    std::uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= View(wmf).U16Or(2 * i);
    wmf[20] = static_cast<char>(sum & 0xFF);
    wmf[21] = static_cast<char>(sum >> 8);
}

void Put16(QByteArray& bytes, int at, std::uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

QByteArray Sjis(const QString& text) {
    QStringEncoder encoder("windows-932", QStringConverter::Flag::Stateless);
    return encoder(text);
}

// --- Placeable and metafile headers -------------------------------------------------------

struct HeaderCase {
    const char* name;
    std::function<void(QByteArray&)> damage;
    bool placeable;  // IsPlaceableWmf
    MetafileErrorKind kind;
};

class PlaceableHeaderTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(PlaceableHeaderTest, InvalidHeadersAreRefused) {
    QByteArray wmf = MakeWmf([](WmfWriter& w) { w.Rectangle(0, 0, 100, 100); });
    GetParam().damage(wmf);
    EXPECT_EQ(IsPlaceableWmf(wmf), GetParam().placeable);
    try {
        ConvertPlaceableWmfToEmf(wmf, kPpi);
        ADD_FAILURE() << "accepted";
    } catch (const MetafileError& e) {
        EXPECT_EQ(e.Kind(), GetParam().kind) << e.Detail();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlaceableHeaderTest,
    ::testing::Values(HeaderCase{"BadKey", [](QByteArray& b) { b[0] = 0x00; }, false,
                                 MetafileErrorKind::NotMetafile},
                      HeaderCase{"BadChecksum",
                                 [](QByteArray& b) { b[20] = static_cast<char>(b[20] ^ 1); }, false,
                                 MetafileErrorKind::NotMetafile},
                      HeaderCase{"ShorterThanThePlaceableHeader",
                                 [](QByteArray& b) { b.truncate(21); }, false,
                                 MetafileErrorKind::NotMetafile},
                      HeaderCase{"NoMetafileHeader", [](QByteArray& b) { b.truncate(22); }, true,
                                 MetafileErrorKind::Truncated},
                      HeaderCase{"TruncatedMetafileHeader", [](QByteArray& b) { b.truncate(30); },
                                 true, MetafileErrorKind::Truncated},
                      HeaderCase{"ZeroUnitsPerInch",
                                 [](QByteArray& b) {
                                     Put16(b, 14, 0);
                                     FixChecksum(b);
                                 },
                                 true, MetafileErrorKind::BadHeader},
                      HeaderCase{"EmptyBox",
                                 [](QByteArray& b) {
                                     Put16(b, 10, 0);  // right = left
                                     FixChecksum(b);
                                 },
                                 true, MetafileErrorKind::BadHeader},
                      HeaderCase{"UnknownMetafileType", [](QByteArray& b) { Put16(b, 22, 3); },
                                 true, MetafileErrorKind::BadHeader},
                      HeaderCase{"WrongHeaderSize", [](QByteArray& b) { Put16(b, 24, 8); }, true,
                                 MetafileErrorKind::BadHeader},
                      HeaderCase{"UnknownVersion", [](QByteArray& b) { Put16(b, 26, 0x0200); },
                                 true, MetafileErrorKind::BadHeader}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WmfToEmfTest, FrameIsTheBoxAtItsUnitsPerInchAndTheWindowFillsIt) {
    // 2 x 1 inch at 1440 units per inch; the metafile sets no window of its own.
    const QByteArray emf = ConvertPlaceableWmfToEmf(
        MakeWmf([](WmfWriter& w) { w.Rectangle(0, 0, 1440, 720); }, {-100, 50, 2780, 1490, 1440}),
        kPpi);
    const ByteView v = View(emf);
    EXPECT_EQ(v.I32Or(24), 0);
    EXPECT_EQ(v.I32Or(32), 5080);  // 2 inches in 0.01 mm
    EXPECT_EQ(v.I32Or(36), 2540);
    EXPECT_EQ(v.U32Or(48), static_cast<std::uint32_t>(emf.size()));
    const auto viewport = EmfRecordsOfType(emf, emr::SetViewportExtEx);
    ASSERT_EQ(viewport.size(), 1u);
    EXPECT_EQ(viewport[0].record.I32Or(8), 192);  // 2 inches at 96 pixels per inch
    EXPECT_EQ(viewport[0].record.I32Or(12), 96);
    const auto org = EmfRecordsOfType(emf, emr::SetWindowOrgEx);
    const auto ext = EmfRecordsOfType(emf, emr::SetWindowExtEx);
    ASSERT_EQ(org.size(), 1u);
    ASSERT_EQ(ext.size(), 1u);
    EXPECT_EQ(org[0].record.I32Or(8), -100);
    EXPECT_EQ(org[0].record.I32Or(12), 50);
    EXPECT_EQ(ext[0].record.I32Or(8), 2880);
    EXPECT_EQ(ext[0].record.I32Or(12), 1440);
    const auto map = EmfRecordsOfType(emf, emr::SetMapMode);
    ASSERT_EQ(map.size(), 1u);
    EXPECT_EQ(map[0].record.I32Or(8), 8);  // MM_ANISOTROPIC

    const Metafile m = Metafile::Load(
        MakeWmf([](WmfWriter& w) { w.Rectangle(0, 0, 10, 10); }, {0, 0, 2880, 1440, 1440}));
    EXPECT_EQ(m.Kind(), MetafileKind::Placeable);
    EXPECT_EQ(m.Frame().width(), 5081);  // inclusive right edge at 5080
}

// --- Record conversion --------------------------------------------------------------------

struct Field {
    std::uint64_t offset;
    std::int64_t value;
};

struct RecordCase {
    const char* name;
    std::function<void(WmfWriter&)> write;
    std::uint32_t emfType;
    std::vector<Field> fields;  // of the last record of that type; 32-bit, signed
};

void PrintTo(const RecordCase& c, std::ostream* os) {
    *os << c.name;
}

class RecordConversionTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(RecordConversionTest, BecomesTheEquivalentEnhancedRecord) {
    const RecordCase& c = GetParam();
    const QByteArray emf = ConvertPlaceableWmfToEmf(MakeWmf(c.write), kPpi);
    const auto records = EmfRecordsOfType(emf, c.emfType);
    ASSERT_FALSE(records.empty()) << "no record of type " << c.emfType;
    const ByteView r = records.back().record;
    for (const Field& f : c.fields) {
        EXPECT_EQ(r.I32Or(f.offset, -999999), f.value) << "at offset " << f.offset;
    }
}

QByteArray Words(std::initializer_list<int> words) {
    QByteArray out;
    for (int w : words) PutI16(out, static_cast<std::int16_t>(w));
    return out;
}

QByteArray Dib2x1() {
    QByteArray dib;
    PutU32(dib, 40);
    PutI32(dib, 2);
    PutI32(dib, 1);
    PutU16(dib, 1);
    PutU16(dib, 24);
    for (int i = 0; i < 6; ++i) PutU32(dib, 0);
    dib.append(QByteArray(8, '\x7F'));  // one row: 6 bytes, padded to 8
    return dib;
}

QByteArray Long(std::uint32_t value) {
    QByteArray out;
    PutU32(out, value);
    return out;
}

// A device-dependent 2 x 1 bitmap of 24 bits: header (type, width, height, width bytes,
// planes and bits per pixel) and its one row.
QByteArray Bitmap16_2x1() {
    QByteArray bitmap = Words({0, 2, 1, 6});
    bitmap.append('\x01');
    bitmap.append('\x18');
    bitmap.append(QByteArray(6, '\x7F'));
    return bitmap;
}

// Slot 0 a red brush, slot 1 a region of one rectangle (5, 10)-(15, 20). The writer does not
// make regions, so the region takes a slot the writer freed.
void BrushAndRegion(WmfWriter& w) {
    w.CreateBrushIndirect(0, 0xFF, 0);
    w.DeleteObject(w.CreateBrushIndirect(0, 0, 0));
    // Header words, then one scan: two x values between the scan's top and bottom.
    w.AddRecord(wmr::CreateRegion,
                Words({0, 6, 0, 0, 0, 1, 0, 5, 10, 15, 20, 2, 10, 20, 5, 15, 2}));
}

// Slot 0 a palette of three entries, selected.
void SelectedPalette(WmfWriter& w) {
    w.SelectPalette(w.CreatePalette(QByteArray(12, '\x10')));
}

// The region record's bounds and data size (one rectangle), and the data's header.
const std::vector<Field> kOneRectRegion = {{8, 5}, {12, 10}, {16, 15}, {20, 20}, {24, 48}};

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordConversionTest,
    ::testing::Values(
        RecordCase{"Rectangle", [](WmfWriter& w) { w.Rectangle(10, 20, 30, 40); },
                   emr::Rectangle, {{8, 10}, {12, 20}, {16, 30}, {20, 40}}},
        RecordCase{"Ellipse", [](WmfWriter& w) { w.Ellipse(-5, -6, 7, 8); }, emr::Ellipse,
                   {{8, -5}, {12, -6}, {16, 7}, {20, 8}}},
        RecordCase{"RoundRect", [](WmfWriter& w) { w.RoundRect(1, 2, 30, 40, 5, 6); },
                   emr::RoundRect, {{8, 1}, {12, 2}, {16, 30}, {20, 40}, {24, 5}, {28, 6}}},
        RecordCase{"Pie",
                   [](WmfWriter& w) { w.ArcLike(wmr::Pie, 0, 0, 100, 50, 100, 25, 0, 25); },
                   emr::Pie, {{16, 100}, {20, 50}, {24, 100}, {28, 25}, {32, 0}, {36, 25}}},
        RecordCase{"Arc", [](WmfWriter& w) { w.ArcLike(wmr::Arc, 0, 0, 10, 10, 1, 2, 3, 4); },
                   emr::Arc, {{24, 1}, {28, 2}, {32, 3}, {36, 4}}},
        RecordCase{"LineTo", [](WmfWriter& w) { w.LineTo(-300, 400); }, emr::LineTo,
                   {{8, -300}, {12, 400}}},
        RecordCase{"SetPixel", [](WmfWriter& w) { w.SetPixel(7, 8, 0x00123456); },
                   emr::SetPixelV, {{8, 7}, {12, 8}, {16, 0x123456}}},
        RecordCase{"ExcludeClipRect", [](WmfWriter& w) { w.ExcludeClipRect(1, 2, 3, 4); },
                   emr::ExcludeClipRect, {{8, 1}, {12, 2}, {16, 3}, {20, 4}}},
        RecordCase{"TextColorDropsTheFlagByte",
                   [](WmfWriter& w) { w.SetTextColor(0x02FF8040); }, emr::SetTextColor,
                   {{8, 0xFF8040}}},
        RecordCase{"TextAlign", [](WmfWriter& w) { w.SetTextAlign(0x18); }, emr::SetTextAlign,
                   {{8, 0x18}}},
        RecordCase{"PatBltIsABlitWithoutSource",
                   [](WmfWriter& w) { w.PatBlt(5, 6, 70, 80, 0x00F00021); }, emr::BitBlt,
                   {{24, 5}, {28, 6}, {32, 70}, {36, 80}, {40, 0x00F00021}, {88, 0}}},
        RecordCase{"Polygon",
                   [](WmfWriter& w) { w.Polygon({{1, 2}, {30, 4}, {5, 60}}); }, emr::Polygon16,
                   {{24, 3}, {28, 2 << 16 | 1}, {36, 60 << 16 | 5}}},
        RecordCase{"PolyPolygon",
                   [](WmfWriter& w) {
                       w.PolyPolygon({{{0, 0}, {1, 0}, {1, 1}}, {{5, 5}, {6, 5}, {6, 6}, {5, 6}}});
                   },
                   emr::PolyPolygon16, {{24, 2}, {28, 7}, {32, 3}, {36, 4}, {40 + 3 * 4, 5 << 16 | 5}}},
        RecordCase{"OffsetWindowOrgBecomesAbsolute",
                   [](WmfWriter& w) {
                       w.SetWindowOrg(100, 200);
                       w.AddRecord(wmr::OffsetWindowOrg, Words({-20, 10}));  // y, x
                   },
                   emr::SetWindowOrgEx, {{8, 110}, {12, 180}}},
        RecordCase{"ScaleWindowExt",
                   [](WmfWriter& w) { w.AddRecord(wmr::ScaleWindowExt, Words({4, 3, 2, 1})); },
                   emr::ScaleWindowExtEx, {{8, 1}, {12, 2}, {16, 3}, {20, 4}}},
        RecordCase{"RestoreDcAbsoluteBecomesRelative",
                   [](WmfWriter& w) {
                       w.SaveDC();
                       w.SaveDC();
                       w.SaveDC();
                       w.RestoreDC(1);  // back to before the first save
                   },
                   emr::RestoreDc, {{8, -3}}},
        RecordCase{"StretchDib",
                   [](WmfWriter& w) { w.StretchDib(10, 20, 200, 100, 0, 0, 2, 1, 0x00CC0020, 0, Dib2x1()); },
                   emr::StretchDiBits,
                   {{24, 10}, {28, 20}, {40, 2}, {44, 1}, {52, 40}, {60, 8}, {68, 0x00CC0020},
                    {72, 200}, {76, 100}}},
        RecordCase{"DibStretchBlt",
                   [](WmfWriter& w) {
                       // rop, source height, width, y, x, destination height, width, y, x.
                       QByteArray p;
                       PutU32(p, 0x00CC0020);
                       p += Words({1, 2, 0, 0, 30, 40, 6, 5});
                       w.AddRecord(wmr::DibStretchBlt, p + Dib2x1());
                   },
                   emr::StretchDiBits, {{24, 5}, {28, 6}, {40, 2}, {44, 1}, {72, 40}, {76, 30}}},
        RecordCase{"DibBitBltTakesTheSourceSizeFromTheDestination",
                   [](WmfWriter& w) {
                       // rop, source y, x, height, width, destination y, x.
                       w.AddRecord(wmr::DibBitBlt,
                                   Long(0x00CC0020) + Words({0, 0, 1, 2, 6, 5}) + Dib2x1());
                   },
                   emr::StretchDiBits, {{24, 5}, {28, 6}, {40, 2}, {44, 1}, {72, 2}, {76, 1}}},
        RecordCase{"DibBitBltWithoutABitmapIsAPatternFill",
                   [](WmfWriter& w) {
                       // rop, source y, x, a reserved word, height, width, y, x.
                       w.AddRecord(wmr::DibBitBlt, Long(0x00F00021) + Words({0, 0, 0, 4, 3, 2, 1}));
                   },
                   emr::BitBlt, {{24, 1}, {28, 2}, {32, 3}, {36, 4}, {40, 0x00F00021}}},
        RecordCase{"BitBltBitmapBecomesADib",
                   [](WmfWriter& w) {
                       w.AddRecord(wmr::BitBlt,
                                   Long(0x00CC0020) + Words({0, 0, 1, 2, 6, 5}) + Bitmap16_2x1());
                   },
                   emr::StretchDiBits,
                   {{24, 5}, {28, 6}, {52, 40}, {60, 8}, {68, 0x00CC0020}, {72, 2}, {76, 1}}},
        RecordCase{"StretchBltBitmapBecomesADib",
                   [](WmfWriter& w) {
                       w.AddRecord(wmr::StretchBlt, Long(0x00CC0020) +
                                                        Words({1, 2, 0, 0, 30, 40, 6, 5}) +
                                                        Bitmap16_2x1());
                   },
                   emr::StretchDiBits,
                   {{24, 5}, {28, 6}, {40, 2}, {44, 1}, {60, 8}, {72, 40}, {76, 30}}},
        RecordCase{"SetRop2", [](WmfWriter& w) { w.SetRop2(13); }, emr::SetRop2, {{8, 13}}},
        RecordCase{"PolyFillMode", [](WmfWriter& w) { w.SetPolyFillMode(2); },
                   emr::SetPolyFillMode, {{8, 2}}},
        RecordCase{"StretchBltMode", [](WmfWriter& w) { w.SetStretchBltMode(4); },
                   emr::SetStretchBltMode, {{8, 4}}},
        RecordCase{"BkMode", [](WmfWriter& w) { w.SetBkMode(1); }, emr::SetBkMode, {{8, 1}}},
        RecordCase{"MapMode", [](WmfWriter& w) { w.SetMapMode(mapmode::Isotropic); },
                   emr::SetMapMode, {{8, mapmode::Isotropic}}},
        RecordCase{"MapperFlagsKeepAllThirtyTwoBits",
                   [](WmfWriter& w) { w.AddRecord(wmr::SetMapperFlags, Long(0x00010001)); },
                   emr::SetMapperFlags, {{8, 0x00010001}}},
        RecordCase{"LayoutKeepsAllThirtyTwoBits",
                   [](WmfWriter& w) { w.AddRecord(wmr::SetLayout, Long(0x00010001)); },
                   emr::SetLayout, {{8, 0x00010001}}},
        RecordCase{"BkColorDropsTheFlagByte", [](WmfWriter& w) { w.SetBkColor(0x01FF8040); },
                   emr::SetBkColor, {{8, 0xFF8040}}},
        RecordCase{"WindowExt", [](WmfWriter& w) { w.SetWindowExt(300, -200); },
                   emr::SetWindowExtEx, {{8, 300}, {12, -200}}},
        RecordCase{"ViewportExt",
                   [](WmfWriter& w) { w.AddRecord(wmr::SetViewportExt, Words({-50, 70})); },
                   emr::SetViewportExtEx, {{8, 70}, {12, -50}}},
        RecordCase{"MoveTo", [](WmfWriter& w) { w.MoveTo(-3, 4); }, emr::MoveToEx,
                   {{8, -3}, {12, 4}}},
        RecordCase{"OffsetClipRgn",
                   [](WmfWriter& w) { w.AddRecord(wmr::OffsetClipRgn, Words({6, -5})); },
                   emr::OffsetClipRgn, {{8, -5}, {12, 6}}},
        RecordCase{"IntersectClipRect", [](WmfWriter& w) { w.IntersectClipRect(1, 2, 3, 4); },
                   emr::IntersectClipRect, {{8, 1}, {12, 2}, {16, 3}, {20, 4}}},
        RecordCase{"Chord",
                   [](WmfWriter& w) { w.ArcLike(wmr::Chord, 0, 1, 10, 11, 1, 2, 3, 4); },
                   emr::Chord, {{8, 0}, {12, 1}, {16, 10}, {20, 11}, {24, 1}, {36, 4}}},
        RecordCase{"Polyline", [](WmfWriter& w) { w.Polyline({{1, 2}, {3, 4}}); },
                   emr::Polyline16, {{24, 2}, {28, 2 << 16 | 1}, {32, 4 << 16 | 3}}},
        RecordCase{"ScaleViewportExt",
                   [](WmfWriter& w) { w.AddRecord(wmr::ScaleViewportExt, Words({4, 3, 2, 1})); },
                   emr::ScaleViewportExtEx, {{8, 1}, {12, 2}, {16, 3}, {20, 4}}},
        RecordCase{"OffsetViewportOrgBecomesAbsolute",
                   [](WmfWriter& w) {
                       w.AddRecord(wmr::SetViewportOrg, Words({20, 10}));
                       w.AddRecord(wmr::OffsetViewportOrg, Words({-5, 7}));
                   },
                   emr::SetViewportOrgEx, {{8, 17}, {12, 15}}},
        RecordCase{"OffsetViewportOrgIgnoresTheWindowOrg",
                   [](WmfWriter& w) {
                       w.SetWindowOrg(100, 200);
                       w.AddRecord(wmr::OffsetViewportOrg, Words({1, 2}));
                   },
                   emr::SetViewportOrgEx, {{8, 2}, {12, 1}}},
        RecordCase{"OffsetWindowOrgAfterARestoreStartsFromTheSavedOrg",
                   [](WmfWriter& w) {
                       w.SetWindowOrg(100, 200);
                       w.SaveDC();
                       w.SetWindowOrg(0, 0);
                       w.RestoreDC();
                       w.AddRecord(wmr::OffsetWindowOrg, Words({1, 2}));
                   },
                   emr::SetWindowOrgEx, {{8, 102}, {12, 201}}},
        RecordCase{"FillRegion",
                   [](WmfWriter& w) {
                       BrushAndRegion(w);
                       w.AddRecord(wmr::FillRegion, Words({1, 0}));
                   },
                   emr::FillRgn, {{8, 5}, {24, 48}, {28, 1}, {32, 32}, {40, 1}, {64, 5}, {76, 20}}},
        RecordCase{"FrameRegion",
                   [](WmfWriter& w) {
                       BrushAndRegion(w);
                       w.AddRecord(wmr::FrameRegion, Words({1, 0, 3, 4}));  // height, width
                   },
                   emr::FrameRgn, {{8, 5}, {24, 48}, {28, 1}, {32, 4}, {36, 3}, {40, 32}}},
        RecordCase{"PaintRegion",
                   [](WmfWriter& w) {
                       BrushAndRegion(w);
                       w.AddRecord(wmr::PaintRegion, Words({1}));
                   },
                   emr::PaintRgn, {{20, 20}, {24, 48}, {28, 32}, {60, 5}, {72, 20}}},
        RecordCase{"InvertRegion",
                   [](WmfWriter& w) {
                       BrushAndRegion(w);
                       w.AddRecord(wmr::InvertRegion, Words({1}));
                   },
                   emr::InvertRgn, {{8, 5}, {24, 48}, {28, 32}}},
        RecordCase{"SelectingARegionSetsTheClip",
                   [](WmfWriter& w) {
                       BrushAndRegion(w);
                       w.SelectObject(1);
                   },
                   emr::ExtSelectClipRgn, {{8, 48}, {12, regionmode::Copy}, {16, 32}, {48, 5}}},
        RecordCase{"SelectClipRegionZeroResetsTheClip",
                   [](WmfWriter& w) { w.AddRecord(wmr::SelectClipRegion, Words({0})); },
                   emr::ExtSelectClipRgn, {{8, 0}, {12, regionmode::Copy}}},
        RecordCase{"SelectPalette", SelectedPalette, emr::SelectPalette, {{8, 1}}},
        RecordCase{"SetPalEntriesChangesTheSelectedPalette",
                   [](WmfWriter& w) {
                       SelectedPalette(w);
                       // Start, count, and two entries.
                       w.AddRecord(wmr::SetPalEntries, Words({1, 2, 0x0201, 0x0003, 0x0605, 0}));
                   },
                   emr::SetPaletteEntries, {{8, 1}, {12, 1}, {16, 2}, {20, 0x030201}}},
        RecordCase{"ResizePalette",
                   [](WmfWriter& w) {
                       SelectedPalette(w);
                       w.AddRecord(wmr::ResizePalette, Words({5}));
                   },
                   emr::ResizePalette, {{8, 1}, {12, 5}}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Objects -------------------------------------------------------------------------------

TEST(WmfToEmfTest, ObjectsTakeTheLowestFreeSlot) {
    const QByteArray emf = ConvertPlaceableWmfToEmf(MakeWmf([](WmfWriter& w) {
                                                        w.CreatePenIndirect(0, 1, 0);       // 0
                                                        w.CreateBrushIndirect(0, 0xFF, 0);  // 1
                                                        w.DeleteObject(0);
                                                        LogFont f;
                                                        f.faceName = "Arial";
                                                        w.CreateFontIndirect(f);  // 0 again
                                                        w.SelectObject(0);
                                                        w.SelectObject(1);
                                                    }),
                                                    kPpi);
    const auto pens = EmfRecordsOfType(emf, emr::CreatePen);
    const auto brushes = EmfRecordsOfType(emf, emr::CreateBrushIndirect);
    const auto fonts = EmfRecordsOfType(emf, emr::ExtCreateFontIndirectW);
    const auto deletes = EmfRecordsOfType(emf, emr::DeleteObject);
    const auto selects = EmfRecordsOfType(emf, emr::SelectObject);
    ASSERT_EQ(pens.size(), 1u);
    ASSERT_EQ(brushes.size(), 1u);
    ASSERT_EQ(fonts.size(), 1u);
    ASSERT_EQ(deletes.size(), 1u);
    ASSERT_EQ(selects.size(), 2u);
    EXPECT_EQ(pens[0].record.U32Or(8), 1u);  // slot 0 is handle 1
    EXPECT_EQ(brushes[0].record.U32Or(8), 2u);
    EXPECT_EQ(deletes[0].record.U32Or(8), 1u);
    EXPECT_EQ(fonts[0].record.U32Or(8), 1u);
    EXPECT_EQ(selects[0].record.U32Or(8), 1u);
    EXPECT_EQ(selects[1].record.U32Or(8), 2u);
    EXPECT_GE(View(emf).U16Or(56), 3);
}

TEST(WmfToEmfTest, SelectingAFreedSlotOrARegionDrawsNoObject) {
    const QByteArray emf = ConvertPlaceableWmfToEmf(MakeWmf([](WmfWriter& w) {
                                                        w.CreatePenIndirect(0, 1, 0);
                                                        w.DeleteObject(0);
                                                        w.SelectObject(0);
                                                        w.SelectObject(7);
                                                    }),
                                                    kPpi);
    EXPECT_TRUE(EmfRecordsOfType(emf, emr::SelectObject).empty());
}

// --- Text -----------------------------------------------------------------------------------

TEST(WmfToEmfTest, ShiftJisTextBecomesUtf16WithOneAdvancePerCharacter) {
    const QString text = QStringLiteral("工事名A");
    const QByteArray bytes = Sjis(text);
    ASSERT_EQ(bytes.size(), 7);
    const QByteArray emf =
        ConvertPlaceableWmfToEmf(MakeWmf([&](WmfWriter& w) {
                                     LogFont f;
                                     f.charSet = 128;
                                     f.faceName = QStringLiteral("ＭＳ 明朝");
                                     w.SelectObject(w.CreateFontIndirect(f));
                                     w.ExtTextOut(10, 20, bytes, 0, {}, {5, 6, 7, 8, 9, 10, 11});
                                 }),
                                 kPpi);
    const auto fonts = EmfRecordsOfType(emf, emr::ExtCreateFontIndirectW);
    ASSERT_EQ(fonts.size(), 1u);
    QString face;
    for (int i = 0; i < 32 && fonts[0].record.U16Or(40 + 2 * i); ++i) {
        face += QChar(fonts[0].record.U16Or(40 + 2 * i));
    }
    EXPECT_EQ(face, QStringLiteral("ＭＳ 明朝"));
    const auto texts = EmfRecordsOfType(emf, emr::ExtTextOutW);
    ASSERT_EQ(texts.size(), 1u);
    const ByteView r = texts[0].record;
    EXPECT_EQ(r.I32Or(36), 10);
    EXPECT_EQ(r.I32Or(40), 20);
    ASSERT_EQ(r.U32Or(44), 4u);
    QString decoded;
    for (int i = 0; i < 4; ++i) decoded += QChar(r.U16Or(r.U32Or(48) + 2 * i));
    EXPECT_EQ(decoded, text);
    const std::uint32_t dx = r.U32Or(72);
    ASSERT_NE(dx, 0u);
    EXPECT_EQ(r.I32Or(dx), 11);
    EXPECT_EQ(r.I32Or(dx + 4), 15);
    EXPECT_EQ(r.I32Or(dx + 8), 19);
    EXPECT_EQ(r.I32Or(dx + 12), 11);
}

TEST(WmfToEmfTest, TextOutKeepsTheClipRectangleAndOptions) {
    const QByteArray emf =
        ConvertPlaceableWmfToEmf(MakeWmf([](WmfWriter& w) {
                                     w.ExtTextOut(1, 2, "ab\xE9", 6, {3, 4, 50, 60}, {});
                                 }),
                                 kPpi);
    const auto texts = EmfRecordsOfType(emf, emr::ExtTextOutW);
    ASSERT_EQ(texts.size(), 1u);
    const ByteView r = texts[0].record;
    EXPECT_EQ(r.U32Or(52), 6u);
    EXPECT_EQ(r.I32Or(56), 3);
    EXPECT_EQ(r.I32Or(68), 60);
    EXPECT_EQ(r.U32Or(72), 0u);  // no advances recorded
    ASSERT_EQ(r.U32Or(44), 3u);
    // A font of the default character set reads bytes that are not Shift-JIS as Windows-1252.
    EXPECT_EQ(r.U16Or(r.U32Or(48) + 4), 0x00E9);
}

// --- Damaged records ------------------------------------------------------------------------

struct DamageCase {
    const char* name;
    std::function<QByteArray()> make;
    bool laterRecordsKept;  // the rectangle written after the damaged record
};

class DamagedRecordTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedRecordTest, ConversionEndsWithAValidMetafile) {
    QByteArray emf;
    ASSERT_NO_THROW(emf = ConvertPlaceableWmfToEmf(GetParam().make(), kPpi));
    const auto records = EmfRecords(emf);
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(records.back().type, emr::Eof);
    EXPECT_EQ(View(emf).U32Or(52), records.size());
    EXPECT_EQ(View(emf).U32Or(48), static_cast<std::uint32_t>(emf.size()));
    EXPECT_EQ(EmfRecordsOfType(emf, emr::Rectangle).size(), GetParam().laterRecordsKept ? 1u : 0u);
}

// The first record of a metafile made by MakeWmf starts at byte 40.
QByteArray WithFirstRecordSize(std::uint32_t words) {
    QByteArray wmf = MakeWmf([](WmfWriter& w) {
        w.SaveDC();
        w.Rectangle(0, 0, 5, 5);
    });
    for (int i = 0; i < 4; ++i) wmf[40 + i] = static_cast<char>((words >> (8 * i)) & 0xFF);
    return wmf;
}

QByteArray WithRecord(std::uint16_t function, const QByteArray& params) {
    return MakeWmf([&](WmfWriter& w) {
        w.AddRecord(function, params);
        w.Rectangle(0, 0, 5, 5);
    });
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedRecordTest,
    ::testing::Values(
        DamageCase{"SizeZero", [] { return WithFirstRecordSize(0); }, false},
        DamageCase{"SizeTwoWords", [] { return WithFirstRecordSize(2); }, false},
        DamageCase{"SizePastTheEnd", [] { return WithFirstRecordSize(0x7FFFFFFF); }, false},
        DamageCase{"TruncatedFile",
                   [] {
                       QByteArray b = WithFirstRecordSize(3);
                       b.chop(12);  // into the rectangle record
                       return b;
                   },
                   false},
        DamageCase{"PolylineCountPastTheRecord",
                   [] {
                       return WithRecord(wmr::Polyline, Words({-1, 1, 2, 3, 4}));
                   },
                   true},
        DamageCase{"PolyPolygonHugeCounts",
                   [] {
                       return WithRecord(wmr::PolyPolygon, Words({-1, -1, -1, 1, 2}));
                   },
                   true},
        DamageCase{"PolyPolygonCountsWrappingThirtyTwoBits",
                   [] {
                       // 32769 polygons whose point counts sum past two thousand million.
                       QByteArray p;
                       PutU16(p, 32769);
                       for (int i = 0; i < 32768; ++i) PutU16(p, 65535);
                       PutU16(p, 16384);
                       return WithRecord(wmr::PolyPolygon, p);
                   },
                   true},
        DamageCase{"TextLongerThanTheRecord",
                   [] {
                       return WithRecord(wmr::ExtTextOut, Words({0, 0, 30000, 0, 0x4141}));
                   },
                   true},
        DamageCase{"TextOutWithoutPosition",
                   [] {
                       return WithRecord(wmr::TextOut, Words({2, 0x4141}));
                   },
                   true},
        DamageCase{"RegionWithHugeScanCount",
                   [] {
                       return WithRecord(wmr::CreateRegion,
                                         Words({0, 6, 0, 0, 0, -1, 0, 0, 0, 10, 10, 4, 0, 5}));
                   },
                   true},
        DamageCase{"DibWithImpossibleHeader",
                   [] {
                       QByteArray p;
                       PutU32(p, 0x00CC0020);
                       p += Words({0, 1, 1, 0, 0, 1, 1, 0, 0, 0});
                       PutU32(p, 0xFFFFFFF0u);  // header size
                       return WithRecord(wmr::StretchDib, p);
                   },
                   true},
        DamageCase{"RestoreWithoutSave", [] { return WithRecord(wmr::RestoreDc, Words({-5})); },
                   true},
        DamageCase{"EmptyParameters", [] { return WithRecord(wmr::CreatePenIndirect, {}); }, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WmfToEmfTest, RecordsPastTheObjectTableAreNotMade) {
    QByteArray wmf = MakeWmf([](WmfWriter& w) {
        w.CreatePenIndirect(0, 1, 0);
        w.CreatePenIndirect(0, 2, 0);
    });
    Put16(wmf, 22 + 10, 1);  // the header now declares one object
    const QByteArray emf = ConvertPlaceableWmfToEmf(wmf, kPpi);
    EXPECT_EQ(EmfRecordsOfType(emf, emr::CreatePen).size(), 1u);
}

}  // namespace
}  // namespace tavlex::mf
