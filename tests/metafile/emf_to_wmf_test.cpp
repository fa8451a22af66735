#include "metafile/EmfToWmf.h"
#include "metafile/EmfWriter.h"
#include "metafile/GdiDefs.h"
#include "metafile/Metafile.h"
#include "metafile/WmfToEmf.h"
#include "metafile/WmfWriter.h"
#include "tests/metafile/wmf_test_support.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStringEncoder>

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <ostream>
#include <tuple>

namespace tavlex::mf {
namespace {

using testing::View;
using testing::WithoutEscapes;
using testing::WmfRecord;
using testing::WmfRecords;
using testing::WmfRecordsOf;

// A4 portrait at a 96-pixel-per-inch reference device whose millimetres are exact.
EmfWriter::Header A4() {
    EmfWriter::Header h;
    h.frame = {0, 0, 21000, 29700};
    h.devicePixels = QSize(960, 960);
    h.deviceMillimetres = QSize(254, 254);
    return h;
}

// Logical units of 0.1 mm over the page, as album pages are drawn.
void TenthMillimetres(EmfWriter& w) {
    w.SetMapMode(8);
    w.SetWindowExtEx(2100, 2970);
    w.SetViewportExtEx(794, 1123);
}

QByteArray MakeEmf(const std::function<void(EmfWriter&)>& body) {
    EmfWriter w(A4());
    TenthMillimetres(w);
    body(w);
    return w.Finish();
}

QByteArray ToWmf(const QByteArray& emf) {
    return ConvertToPlaceableWmf(Metafile::Load(emf));
}

TEST(EmfToWmfTest, ResultIsAValidPlaceableMetafile) {
    const QByteArray wmf = ToWmf(MakeEmf([](EmfWriter& w) {
        w.CreatePen(1, 0, 5, 0xFF);
        w.SelectObject(1);
        w.Rectangle({100, 100, 2000, 2800});
        w.SelectObject(kStockObject | 5);  // NULL_BRUSH
        w.Ellipse({100, 100, 500, 500});
    }));
    ASSERT_TRUE(IsPlaceableWmf(wmf));
    const ByteView v = View(wmf);
    // Box: the frame at 1440 units per inch (21 cm is 11906.6 twips).
    EXPECT_EQ(v.I16Or(6), 0);
    EXPECT_EQ(v.I16Or(10), 11906);
    EXPECT_EQ(v.I16Or(12), 16838);
    EXPECT_EQ(v.U16Or(14), 1440);
    EXPECT_EQ(v.U16Or(22), 1);
    EXPECT_EQ(v.U16Or(24), 9);
    EXPECT_EQ(v.U16Or(26), 0x0300);
    EXPECT_EQ(v.U32Or(28), static_cast<std::uint32_t>((wmf.size() - 22) / 2));
    const auto records = WmfRecords(wmf);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().function, wmr::Eof);
    std::uint32_t largest = 0;
    for (const auto& r : records) {
        largest =
            std::max<std::uint32_t>(largest, static_cast<std::uint32_t>(3 + r.params.size() / 2));
    }
    EXPECT_EQ(v.U32Or(34), largest);
    EXPECT_GE(v.U16Or(32), 2);  // pen and the stand-in for the stock brush
    // The window covers the box.
    const auto ext = WmfRecordsOf(wmf, wmr::SetWindowExt);
    ASSERT_EQ(ext.size(), 1u);
    EXPECT_EQ(ext[0].params.I16Or(0), 16838);
    EXPECT_EQ(ext[0].params.I16Or(2), 11906);
}

TEST(EmfToWmfTest, LogicalCoordinatesAndWidthsAreMappedIntoTheBox) {
    const QByteArray wmf = ToWmf(MakeEmf([](EmfWriter& w) {
        w.CreatePen(1, 0, 10, 0);  // 1 mm
        w.SelectObject(1);
        w.Rectangle({100, 200, 1100, 700});  // 1 cm, 2 cm to 11 cm, 7 cm
    }));
    const auto rects = WmfRecordsOf(wmf, wmr::Rectangle);
    ASSERT_EQ(rects.size(), 1u);
    // 1 cm is 566.9 twips; the viewport rounds 21 cm to 794 pixels, within a twip or two.
    EXPECT_NEAR(rects[0].params.I16Or(6), 567, 3);   // left
    EXPECT_NEAR(rects[0].params.I16Or(4), 1134, 3);  // top
    EXPECT_NEAR(rects[0].params.I16Or(2), 6236, 8);  // right
    EXPECT_NEAR(rects[0].params.I16Or(0), 3969, 8);  // bottom
    const auto pens = WmfRecordsOf(wmf, wmr::CreatePenIndirect);
    ASSERT_EQ(pens.size(), 1u);
    EXPECT_NEAR(pens[0].params.I16Or(2), 57, 1);
}

TEST(EmfToWmfTest, WorldTransformScalesCoordinates) {
    const QByteArray wmf = ToWmf(MakeEmf([](EmfWriter& w) {
        QByteArray xf;
        for (float f : {2.0f, 0.0f, 0.0f, 2.0f, 100.0f, 0.0f}) {
            std::uint32_t bits;
            std::memcpy(&bits, &f, 4);
            PutU32(xf, bits);
        }
        w.AddRecord(emr::SetWorldTransform, xf);
        w.MoveToEx(0, 0);
        w.LineTo(100, 0);  // lands at 300 tenth-millimetres
    }));
    const auto lines = WmfRecordsOf(wmf, wmr::LineTo);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NEAR(lines[0].params.I16Or(2), 1701, 4);  // 3 cm in twips
}

// A transform that is not a number leaves coordinates at 0 instead of undefined values.
TEST(EmfToWmfTest, DamagedTransformGivesFiniteCoordinates) {
    const QByteArray wmf = ToWmf(MakeEmf([](EmfWriter& w) {
        QByteArray xf;
        for (std::uint32_t bits : {0x7FC00000u, 0u, 0u, 0x7F800000u, 0u, 0u}) PutU32(xf, bits);
        w.AddRecord(emr::SetWorldTransform, xf);
        w.CreatePen(1, 0, 5, 0);
        w.SelectObject(1);
        w.Rectangle({0, 0, 100, 100});
    }));
    const auto rects = WmfRecordsOf(wmf, wmr::Rectangle);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].params.I16Or(6), 0);
}

TEST(EmfToWmfTest, WideTextIsEncodedInTheFontsCharacterSet) {
    const QString text = QStringLiteral("撮影日1");
    const QByteArray wmf = ToWmf(MakeEmf([&](EmfWriter& w) {
        LogFont font;
        font.height = -40;
        font.charSet = 128;
        font.faceName = QStringLiteral("ＭＳ ゴシック");
        w.ExtCreateFontIndirectW(1, font);
        w.SelectObject(1);
        w.ExtTextOutW(QPoint(100, 100), text, {40, 40, 40, 20});
    }));
    QStringEncoder sjis("windows-932", QStringConverter::Flag::Stateless);
    const QByteArray expected = sjis(text);
    const auto fonts = WmfRecordsOf(wmf, wmr::CreateFontIndirect);
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(fonts[0].params.U8(13).value_or(0), 128);
    const QByteArray face(reinterpret_cast<const char*>(fonts[0].params.data()) + 18, 13);
    EXPECT_EQ(face, sjis(QStringLiteral("ＭＳ ゴシック")));
    const auto texts = WmfRecordsOf(wmf, wmr::ExtTextOut);
    ASSERT_EQ(texts.size(), 1u);
    const ByteView p = texts[0].params;
    ASSERT_EQ(p.U16Or(4), expected.size());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(p.data()) + 8, expected.size()), expected);
    // Advances per byte: the lead byte carries the character's, the trail byte none.
    const std::uint64_t dx = 8 + ((expected.size() + 1) & ~1);
    ASSERT_TRUE(p.Has(dx, 2 * expected.size()));
    EXPECT_GT(p.I16Or(dx), 0);
    EXPECT_EQ(p.I16Or(dx + 2), 0);
    std::int64_t total = 0;
    for (int i = 0; i < expected.size(); ++i) total += p.I16Or(dx + 2 * i);
    EXPECT_NEAR(total, 140 * 1440 / 254, 2);  // 14 mm in twips
}

TEST(EmfToWmfTest, BitmapsBecomeStretchDib) {
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(qRgb(200, 100, 50));
    const QByteArray wmf = ToWmf(MakeEmf([&](EmfWriter& w) {
        w.StretchDIBits({0, 0, 1050, 1485}, image);
    }));
    const auto dibs = WmfRecordsOf(wmf, wmr::StretchDib);
    ASSERT_EQ(dibs.size(), 1u);
    const ByteView p = dibs[0].params;
    EXPECT_EQ(p.U32Or(0), 0x00CC0020u);
    EXPECT_EQ(p.I16Or(6), 2);           // source height
    EXPECT_EQ(p.I16Or(8), 4);           // source width
    EXPECT_NEAR(p.I16Or(16), 5953, 8);  // destination width: half the page
    EXPECT_EQ(p.I16Or(20), 0);          // destination x
    EXPECT_EQ(p.U32Or(22), 40u);
    EXPECT_EQ(p.I32Or(22 + 4), 4);
    EXPECT_EQ(p.U16Or(22 + 14), 24);
}

TEST(EmfToWmfTest, FilledPathBecomesAPolygonWithoutOutline) {
    const QByteArray wmf = ToWmf(MakeEmf([](EmfWriter& w) {
        w.AddRecord(emr::BeginPath, {});
        w.MoveToEx(100, 100);
        w.LineTo(1000, 100);
        w.LineTo(1000, 1000);
        w.AddRecord(emr::CloseFigure, {});
        w.AddRecord(emr::EndPath, {});
        w.AddRecord(emr::FillPath, QByteArray(16, '\0'));
    }));
    const auto polygons = WmfRecordsOf(wmf, wmr::Polygon);
    ASSERT_EQ(polygons.size(), 1u);
    EXPECT_GE(polygons[0].params.U16Or(0), 3);
    // A null pen for the fill, then the default pen back for what follows.
    const auto pens = WmfRecordsOf(wmf, wmr::CreatePenIndirect);
    ASSERT_EQ(pens.size(), 2u);
    EXPECT_EQ(pens[0].params.U16Or(0), 5);  // PS_NULL
    EXPECT_EQ(pens[1].params.U16Or(0), 0);
    EXPECT_TRUE(WmfRecordsOf(wmf, wmr::LineTo).empty());
}

// A figure begun by a line starts at the current position, and drawing after the path
// continues from where the path ended.
TEST(EmfToWmfTest, StrokedPathFollowsTheCurrentPosition) {
    const QByteArray wmf = ToWmf(MakeEmf([](EmfWriter& w) {
        w.MoveToEx(1000, 1000);
        w.AddRecord(emr::BeginPath, {});
        w.LineTo(2000, 1000);
        w.AddRecord(emr::EndPath, {});
        w.AddRecord(emr::StrokePath, QByteArray(16, '\0'));
        w.LineTo(2000, 2000);
    }));
    const auto lines = WmfRecordsOf(wmf, wmr::Polyline);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].params.U16Or(0), 2);
    EXPECT_NEAR(lines[0].params.I16Or(2), 5669, 8);  // 10 cm in twips, not the origin
    const auto moves = WmfRecordsOf(wmf, wmr::MoveTo);
    ASSERT_FALSE(moves.empty());
    EXPECT_NEAR(moves.back().params.I16Or(2), 11339, 16);  // x of the path's end
}

TEST(EmfToWmfTest, CarriesTheOriginalForReadersThatTakeItBack) {
    QImage photo(100, 40, QImage::Format_RGB32);  // 12 kB of bits: two chunks
    photo.fill(qRgb(10, 200, 30));
    const QByteArray emf = MakeEmf([&](EmfWriter& w) {
        w.StretchDIBits({0, 0, 2100, 840}, photo);
        w.Ellipse({0, 0, 100, 100});
    });
    QByteArray wmf = ToWmf(emf);
    const auto escapes = WmfRecordsOf(wmf, wmr::Escape);
    ASSERT_EQ(escapes.size(), 2u);
    EXPECT_EQ(escapes[0].params.U32Or(4), 0x43464D57u);  // "WMFC"
    EXPECT_EQ(escapes[0].params.U32Or(34), static_cast<std::uint32_t>(emf.size()));
    EXPECT_EQ(ConvertPlaceableWmfToEmf(wmf, 96), emf);

    // A damaged chunk is not trusted: the records are played instead.
    const qsizetype data = wmf.indexOf(QByteArray("WMFC")) + 34;
    wmf[data + 200] = static_cast<char>(wmf[data + 200] ^ 0x5A);
    const QByteArray played = ConvertPlaceableWmfToEmf(wmf, 96);
    EXPECT_NE(played, emf);
    EXPECT_FALSE(testing::EmfRecordsOfType(played, emr::Ellipse).empty());
}

TEST(EmfToWmfTest, GradientRectangleBecomesBandsFromColourToColour) {
    const QByteArray wmf = ToWmf(MakeEmf([](EmfWriter& w) {
        QByteArray p;
        PutRect(p, {0, 0, -1, -1});
        PutU32(p, 2);  // vertices
        PutU32(p, 1);  // one rectangle
        PutU32(p, 0);  // GRADIENT_FILL_RECT_H
        for (auto [x, y, red, blue] : {std::tuple{0, 0, 0xFF00, 0}, {1000, 500, 0, 0xFF00}}) {
            PutI32(p, x);
            PutI32(p, y);
            PutU16(p, static_cast<std::uint16_t>(red));
            PutU16(p, 0);
            PutU16(p, static_cast<std::uint16_t>(blue));
            PutU16(p, 0);
        }
        PutU32(p, 0);
        PutU32(p, 1);
        w.AddRecord(emr::GradientFill, p);
    }));
    const auto bands = WmfRecordsOf(wmf, wmr::Polygon);
    ASSERT_GE(bands.size(), 16u);
    const auto brushes = WmfRecordsOf(wmf, wmr::CreateBrushIndirect);
    ASSERT_GE(brushes.size(), bands.size());
    EXPECT_GT(brushes.front().params.U8(2).value_or(0), 240);            // red first
    EXPECT_GT(brushes[bands.size() - 1].params.U8(4).value_or(0), 240);  // blue last
    EXPECT_NEAR(bands.back().params.I16Or(2 + 4), 5669, 8);  // the last band ends at 10 cm
}

TEST(EmfToWmfTest, ClockwiseArcsSwapTheirEnds) {
    const QByteArray wmf = ToWmf(MakeEmf([](EmfWriter& w) {
        QByteArray direction;
        PutU32(direction, 2);  // AD_CLOCKWISE
        w.AddRecord(emr::SetArcDirection, direction);
        QByteArray arc;
        PutRect(arc, {0, 0, 1000, 1000});
        for (int v : {1000, 500, 500, 0}) PutI32(arc, v);  // start right, end top
        w.AddRecord(emr::Arc, arc);
    }));
    const auto arcs = WmfRecordsOf(wmf, wmr::Arc);
    ASSERT_EQ(arcs.size(), 1u);
    // Parameters: yEnd, xEnd, yStart, xStart, ...: the top point now starts the arc.
    EXPECT_NEAR(arcs[0].params.I16Or(6), 2835, 8);  // xStart: 5 cm
    EXPECT_NEAR(arcs[0].params.I16Or(2), 5669, 8);  // xEnd: 10 cm
}

TEST(EmfToWmfTest, SmallTextAndGlyphIndicesBecomeEightBitText) {
    const QByteArray wmf = ToWmf(MakeEmf([](EmfWriter& w) {
        QByteArray small;
        PutI32(small, 100);
        PutI32(small, 200);
        PutU32(small, 2);
        PutU32(small, 0x100 | 0x200);  // no clip box, 8-bit characters
        PutU32(small, 1);
        PutU32(small, 0);
        PutU32(small, 0);
        small.append("AB");
        w.AddRecord(emr::SmallTextOut, small);
        // Glyph indices keep their opaque box only.
        w.ExtTextOutW(QPoint(0, 0), QString(QChar(0x2A3)), {}, 0x10 | 0x02, {0, 0, 100, 100});
    }));
    const auto texts = WmfRecordsOf(wmf, wmr::ExtTextOut);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].params.U16Or(4), 2);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(texts[0].params.data()) + 8, 2), "AB");
    EXPECT_NEAR(texts[0].params.I16Or(2), 567, 3);  // x: 1 cm
    EXPECT_EQ(texts[1].params.U16Or(4), 0);
    EXPECT_EQ(texts[1].params.U16Or(6), 0x02);
}

TEST(EmfToWmfTest, APageStoredAsWmfIsWrittenAsStored) {
    WmfWriter w({0, 0, 1000, 1000, 1000});
    w.Rectangle(1, 2, 3, 4);
    const QByteArray stored = w.Finish();
    EXPECT_EQ(ConvertToPlaceableWmf(Metafile::Load(stored)), stored);
}

// Same pixels after EMF -> WMF -> EMF: the conversions keep geometry, colours and bitmaps.
TEST(EmfToWmfTest, RoundTripPlaysLikeTheOriginal) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        GTEST_SKIP() << "needs a QGuiApplication";
    }
    QImage photo(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) photo.setPixel(x, y, qRgb(x * 4, y * 5, 128));
    }
    const QByteArray emf = MakeEmf([&](EmfWriter& w) {
        w.CreatePen(1, 0, 8, 0x000000);
        w.CreateBrushIndirect(2, 0, 0x00C0E0FF);
        w.SelectObject(1);
        w.SelectObject(2);
        w.Rectangle({100, 100, 2000, 1400});
        w.StretchDIBits({200, 200, 1000, 800}, photo);
        w.CreatePen(3, 0, 20, 0x0000FF);
        w.SelectObject(3);
        w.DeleteObject(1);
        w.Ellipse({1100, 1500, 1900, 2300});
        w.Polyline16({{100, 2500}, {1000, 2900}, {2000, 2500}});
        w.Polygon16({{200, 1600}, {900, 1600}, {550, 2300}});
    });
    const Metafile original = Metafile::Load(emf);
    const Metafile back = Metafile::Load(WithoutEscapes(ConvertToPlaceableWmf(original)));
    auto render = [](const Metafile& m) {
        QImage image(420, 594, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        Play(m, painter, image.rect());
        return image;
    };
    const QImage a = render(original), b = render(back);
    int ink = 0, differ = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (p != qRgb(255, 255, 255)) ++ink;
            const int d = std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                          std::abs(qBlue(p) - qBlue(q));
            if (d > 90) ++differ;
        }
    }
    ASSERT_GT(ink, 10000);
    EXPECT_LT(differ, ink / 50) << differ << " of " << ink << " pixels differ";
}

// The isotropic mode keeps a logical unit as long across as down in millimetres of the reference
// device, as the page shows it, also where that device's pixels are not square.
TEST(EmfToWmfTest, IsotropicPageKeepsItsShapeOnOblongPixels) {
    EmfWriter::Header h;
    h.frame = {0, 0, 10000, 10000};     // 10 cm square
    h.devicePixels = QSize(1000, 500);  // 10 pixels a millimetre across, 5 down
    h.deviceMillimetres = QSize(100, 100);
    EmfWriter w(h);
    w.SetMapMode(7);  // MM_ISOTROPIC
    w.SetWindowExtEx(1000, 1000);
    w.SetViewportExtEx(1000, 500);  // already square in millimetres: nothing to shrink
    w.Rectangle({0, 0, 1000, 1000});
    const QByteArray wmf = ToWmf(w.Finish());
    const auto rects = WmfRecordsOf(wmf, wmr::Rectangle);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_NEAR(rects[0].params.I16Or(2), 5669, 2);  // right: 10 cm in twips
    EXPECT_NEAR(rects[0].params.I16Or(0), 5669, 2);  // bottom
}

// Every stock object, as the exported metafile makes it and as the page and its export show it:
// a rectangle over a blue ground, drawn with the stock object and the null pen or brush.
struct StockCase {
    std::uint32_t index;
    std::uint16_t made;  // the Windows-metafile record that makes it; 0 for none
    QRgb shown;          // pens: the outline; brushes: the inside; others: the ground
    const char* face = "";
};

void PrintTo(const StockCase& c, std::ostream* os) {
    *os << "stock object " << c.index;
}

class StockObjectTest : public ::testing::TestWithParam<StockCase> {};

constexpr QRgb kGround = qRgb(0x30, 0x80, 0xC0);

TEST_P(StockObjectTest, ExportMakesItAndBothShowIt) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        GTEST_SKIP() << "needs a QGuiApplication";
    }
    const StockCase& c = GetParam();
    const QByteArray emf = MakeEmf([&](EmfWriter& w) {
        w.CreateBrushIndirect(1, 0, 0xC08030);  // the ground (COLORREF is blue, green, red)
        w.SelectObject(1);
        w.SelectObject(kStockObject | 8);  // NULL_PEN
        w.Rectangle({0, 0, 2100, 2970});
        w.SelectObject(kStockObject | 5);  // NULL_BRUSH: a pen shows only its outline
        w.SelectObject(kStockObject | c.index);
        w.Rectangle({500, 500, 1500, 1500});
    });
    const QByteArray wmf = ToWmf(emf);
    const auto made = WmfRecords(wmf);
    // The ground's brush, the null pen and brush, then the object itself.
    const auto isObject = [](const WmfRecord& r) {
        return r.function == wmr::CreatePenIndirect || r.function == wmr::CreateBrushIndirect ||
               r.function == wmr::CreateFontIndirect;
    };
    std::vector<WmfRecord> objects;
    std::copy_if(made.begin(), made.end(), std::back_inserter(objects), isObject);
    ASSERT_GE(objects.size(), 3u);
    if (c.made == 0) {
        EXPECT_EQ(objects.size(), 3u);
    } else {
        ASSERT_EQ(objects.size(), 4u);
        EXPECT_EQ(objects.back().function, c.made);
    }
    if (c.made == wmr::CreateFontIndirect) {
        const ByteView face = *objects.back().params.Sub(18, 32);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(face.data())), QByteArray(c.face));
    }
    const auto shown = [](const Metafile& m) {
        QImage image(420, 594, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        Play(m, painter, image.rect());
        painter.end();
        // The outline crosses the middle column near y = 100; the inside is at the centre.
        QRgb outline = kGround;
        for (int y = 95; y <= 105; ++y) {
            if (image.pixel(200, y) != kGround) outline = image.pixel(200, y);
        }
        return std::pair{outline, image.pixel(200, 200)};
    };
    const Metafile original = Metafile::Load(emf);
    const Metafile back = Metafile::Load(WithoutEscapes(wmf));
    for (const Metafile* m : {&original, &back}) {
        const auto [outline, inside] = shown(*m);
        const bool pen = c.made == wmr::CreatePenIndirect;
        const bool brush = c.made == wmr::CreateBrushIndirect;
        const char* which = m == &back ? "exported" : "original";
        if (!brush) {
            EXPECT_EQ(outline, pen ? c.shown : kGround) << which;
        }
        EXPECT_EQ(inside, brush ? c.shown : kGround) << which;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Stock, StockObjectTest,
    ::testing::Values(StockCase{0, wmr::CreateBrushIndirect, qRgb(255, 255, 255)},
                      StockCase{1, wmr::CreateBrushIndirect, qRgb(192, 192, 192)},
                      StockCase{2, wmr::CreateBrushIndirect, qRgb(128, 128, 128)},
                      StockCase{3, wmr::CreateBrushIndirect, qRgb(64, 64, 64)},
                      StockCase{4, wmr::CreateBrushIndirect, qRgb(0, 0, 0)},
                      StockCase{5, wmr::CreateBrushIndirect, kGround},  // null brush
                      StockCase{6, wmr::CreatePenIndirect, qRgb(255, 255, 255)},
                      StockCase{7, wmr::CreatePenIndirect, qRgb(0, 0, 0)},
                      StockCase{8, wmr::CreatePenIndirect, kGround},  // null pen
                      StockCase{9, 0, kGround},                       // no such object
                      StockCase{10, wmr::CreateFontIndirect, kGround, "Courier New"},
                      StockCase{12, wmr::CreateFontIndirect, kGround, "Arial"},
                      StockCase{15, 0, kGround},  // the default palette
                      StockCase{16, wmr::CreateFontIndirect, kGround, "Courier New"},
                      StockCase{17, wmr::CreateFontIndirect, kGround, "Arial"},
                      StockCase{18, wmr::CreateBrushIndirect, qRgb(255, 255, 255)},
                      StockCase{19, wmr::CreatePenIndirect, qRgb(0, 0, 0)},
                      StockCase{20, 0, kGround}));

}  // namespace
}  // namespace tavlex::mf

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
