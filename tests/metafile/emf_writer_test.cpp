#include "metafile/EmfWriter.h"
#include "metafile/Metafile.h"
#include "tests/metafile/wmf_test_support.h"

#include <gtest/gtest.h>

#include <QImage>

namespace tavlex::mf {
namespace {

using testing::EmfRecords;
using testing::EmfRecordsOfType;
using testing::View;

EmfWriter::Header SampleHeader() {
    EmfWriter::Header h;
    h.frame = {0, 0, 20999, 29699};  // A4 in 0.01 mm
    h.devicePixels = QSize(1920, 1080);
    h.deviceMillimetres = QSize(508, 286);
    return h;
}

QByteArray SamplePage() {
    EmfWriter w(SampleHeader());
    w.SetMapMode(8);
    w.SetWindowExtEx(2100, 2970);
    w.SetViewportExtEx(794, 1123);
    w.CreatePen(1, 0, 2, 0x000000FF);
    w.CreateBrushIndirect(3, 0, 0x00FFFFFF);
    w.SelectObject(1);
    w.SelectObject(3);
    w.Rectangle({100, 100, 2000, 600});
    w.Polyline16({{0, 0}, {10, 10}, {20, 0}});
    w.DeleteObject(1);
    return w.Finish();
}

// The header counts must agree with the records: players reject or truncate a file whose
// byte count or record count is wrong, and size handle tables by nHandles.
TEST(EmfWriterTest, HeaderCountsMatchTheRecords) {
    const QByteArray bytes = SamplePage();
    const ByteView v = View(bytes);
    const auto records = EmfRecords(bytes);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(v.U32Or(40), 0x464D4520u);
    EXPECT_EQ(v.U32Or(48), static_cast<std::uint32_t>(bytes.size()));
    EXPECT_EQ(v.U32Or(52), records.size());
    EXPECT_EQ(v.U16Or(56), 4);  // handles 1..3 plus the reserved 0
    EXPECT_EQ(records.front().type, emr::Header);
    EXPECT_EQ(records.back().type, emr::Eof);
    std::size_t total = 0;
    for (const auto& r : records) {
        EXPECT_EQ(r.record.size() % 4, 0u) << "record type " << r.type;
        total += r.record.size();
    }
    EXPECT_EQ(total, static_cast<std::size_t>(bytes.size()));
    // The frame, device size and its micrometre extension.
    EXPECT_EQ(v.I32Or(32), 20999);
    EXPECT_EQ(v.I32Or(72), 1920);
    EXPECT_EQ(v.I32Or(84), 286);
    EXPECT_EQ(v.I32Or(100), 508000);
    // Bounds derived from the frame at the reference device's resolution.
    EXPECT_EQ(v.I32Or(16), 20999 * 1920 / 50800);
}

TEST(EmfWriterTest, DescriptionIsCountedInCharactersAndPadded) {
    EmfWriter::Header h = SampleHeader();
    h.description = QString::fromUtf16(u"Tavlex\0Page 1", 13);
    EmfWriter w(h);
    const QByteArray bytes = w.Finish();
    const ByteView v = View(bytes);
    EXPECT_EQ(v.U32Or(60), 15u);  // 13 characters and the closing pair of NULs
    EXPECT_EQ(v.U32Or(64), 108u);
    EXPECT_EQ(v.U32Or(4) % 4, 0u);
    EXPECT_EQ(v.U16Or(108), u'T');
    EXPECT_EQ(v.U16Or(108 + 2 * 7), u'P');
}

TEST(EmfWriterTest, StretchDIBitsWritesABottomUp24BitDib) {
    QImage image(3, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));  // top-left red
    image.setPixel(1, 0, qRgb(0, 255, 0));
    image.setPixel(2, 0, qRgb(0, 0, 255));
    image.setPixel(0, 1, qRgb(10, 20, 30));  // bottom-left
    image.setPixel(1, 1, qRgb(0, 0, 0));
    image.setPixel(2, 1, qRgb(0, 0, 0));
    EmfWriter w(SampleHeader());
    w.StretchDIBits({10, 20, 310, 220}, image);
    const QByteArray bytes = w.Finish();
    const auto records = EmfRecordsOfType(bytes, emr::StretchDiBits);
    ASSERT_EQ(records.size(), 1u);
    const ByteView r = records[0].record;
    EXPECT_EQ(r.I32Or(24), 10);   // xDest
    EXPECT_EQ(r.I32Or(28), 20);   // yDest
    EXPECT_EQ(r.I32Or(40), 3);    // cxSrc
    EXPECT_EQ(r.I32Or(44), 2);    // cySrc
    EXPECT_EQ(r.I32Or(72), 300);  // cxDest
    EXPECT_EQ(r.I32Or(76), 200);  // cyDest
    EXPECT_EQ(r.U32Or(68), 0x00CC0020u);
    const std::uint32_t bmi = r.U32Or(48), bits = r.U32Or(56);
    EXPECT_EQ(r.U32Or(52), 40u);
    EXPECT_EQ(r.I32Or(bmi + 4), 3);
    EXPECT_EQ(r.I32Or(bmi + 8), 2);  // positive: bottom-up
    EXPECT_EQ(r.U16Or(bmi + 14), 24);
    EXPECT_EQ(r.U32Or(60), 2u * 12u);  // 9 bytes a row, padded to 12
    // First stored row is the bottom one, blue-green-red.
    EXPECT_EQ(r.U8(bits).value_or(0), 30);
    EXPECT_EQ(r.U8(bits + 1).value_or(0), 20);
    EXPECT_EQ(r.U8(bits + 2).value_or(0), 10);
    EXPECT_EQ(r.U8(bits + 12 + 2).value_or(0), 255);  // top row starts with red
    EXPECT_EQ(r.U8(bits + 12 + 6).value_or(0), 255);  // then blue of the third pixel
}

TEST(EmfWriterTest, ExtTextOutWKeepsOneAdvancePerCharacter) {
    EmfWriter w(SampleHeader());
    const QString text = QStringLiteral("工事名A");
    w.ExtTextOutW(QPoint(50, 60), text, {40, 40, 40, 20}, 4, {0, 0, 100, 50});
    const QByteArray bytes = w.Finish();
    const auto records = EmfRecordsOfType(bytes, emr::ExtTextOutW);
    ASSERT_EQ(records.size(), 1u);
    const ByteView r = records[0].record;
    EXPECT_EQ(r.I32Or(36), 50);
    EXPECT_EQ(r.I32Or(40), 60);
    EXPECT_EQ(r.U32Or(44), 4u);
    EXPECT_EQ(r.U32Or(52), 4u);
    EXPECT_EQ(r.I32Or(64), 100);
    const std::uint32_t s = r.U32Or(48), dx = r.U32Or(72);
    EXPECT_EQ(r.U16Or(s), text.at(0).unicode());
    EXPECT_EQ(r.U16Or(s + 6), u'A');
    EXPECT_EQ(dx % 4, 0u);
    EXPECT_EQ(r.I32Or(dx), 40);
    EXPECT_EQ(r.I32Or(dx + 12), 20);
    EXPECT_TRUE(r.Has(dx, 16));
}

TEST(EmfWriterTest, FontRecordCarriesTheFaceAsUtf16) {
    EmfWriter w(SampleHeader());
    LogFont font;
    font.height = -120;
    font.weight = 700;
    font.charSet = 128;
    font.faceName = QStringLiteral("ＭＳ 明朝");
    w.ExtCreateFontIndirectW(2, font);
    const QByteArray bytes = w.Finish();
    const auto records = EmfRecordsOfType(bytes, emr::ExtCreateFontIndirectW);
    ASSERT_EQ(records.size(), 1u);
    const ByteView r = records[0].record;
    EXPECT_EQ(r.size(), 332u);
    EXPECT_EQ(r.U32Or(8), 2u);
    EXPECT_EQ(r.I32Or(12), -120);
    EXPECT_EQ(r.I32Or(28), 700);
    EXPECT_EQ(r.U8(35).value_or(0), 128);
    QString face;
    for (int i = 0; i < 32 && r.U16Or(40 + 2 * i) != 0; ++i) face += QChar(r.U16Or(40 + 2 * i));
    EXPECT_EQ(face, font.faceName);
}

TEST(EmfWriterTest, OutputLoadsAsAnEnhancedMetafile) {
    const Metafile m = Metafile::Load(SamplePage());
    EXPECT_EQ(m.Kind(), MetafileKind::Enhanced);
    EXPECT_EQ(m.Frame().right(), 20999);
    EXPECT_EQ(m.ReferencePixels(), QSize(1920, 1080));
}

}  // namespace
}  // namespace tavlex::mf
