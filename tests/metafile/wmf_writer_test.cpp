#include "metafile/GdiDefs.h"
#include "metafile/WmfToEmf.h"
#include "metafile/WmfWriter.h"
#include "tests/metafile/wmf_test_support.h"

#include <gtest/gtest.h>

namespace tavlex::mf {
namespace {

using testing::View;
using testing::WmfRecords;
using testing::WmfRecordsOf;

TEST(WmfWriterTest, HeadersDescribeTheRecords) {
    WmfWriter w({-10, -20, 990, 480, 1000});
    w.SetMapMode(8);
    w.SetWindowExt(1000, 500);
    w.CreatePenIndirect(0, 3, 0x0000FF);
    w.Polygon({{0, 0}, {100, 0}, {50, 80}});
    const QByteArray wmf = w.Finish();
    ASSERT_TRUE(IsPlaceableWmf(wmf));
    const ByteView v = View(wmf);
    EXPECT_EQ(v.I16Or(6), -10);
    EXPECT_EQ(v.I16Or(12), 480);
    EXPECT_EQ(v.U16Or(14), 1000);
    EXPECT_EQ(v.U32Or(28), static_cast<std::uint32_t>((wmf.size() - 22) / 2));
    EXPECT_EQ(v.U16Or(32), 1);               // one object
    EXPECT_EQ(v.U32Or(34), 3u + 1 + 3 * 2);  // the polygon is the largest record
    const auto records = WmfRecords(wmf);
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records.back().function, wmr::Eof);
    // Parameters run in reverse: SetWindowExt holds y before x.
    EXPECT_EQ(records[1].params.I16Or(0), 500);
    EXPECT_EQ(records[1].params.I16Or(2), 1000);
}

TEST(WmfWriterTest, ObjectsReuseTheLowestFreeSlot) {
    WmfWriter w({0, 0, 100, 100, 1440});
    EXPECT_EQ(w.CreatePenIndirect(0, 1, 0), 0);
    EXPECT_EQ(w.CreateBrushIndirect(0, 0, 0), 1);
    EXPECT_EQ(w.CreatePenIndirect(0, 1, 0), 2);
    w.DeleteObject(1);
    w.DeleteObject(0);
    EXPECT_EQ(w.CreateBrushIndirect(0, 0, 0), 0);
    EXPECT_EQ(w.CreateBrushIndirect(0, 0, 0), 1);
    EXPECT_EQ(w.CreateBrushIndirect(0, 0, 0), 3);
    const QByteArray wmf = w.Finish();
    EXPECT_EQ(View(wmf).U16Or(32), 4);  // the table never held more than four
}

TEST(WmfWriterTest, LongPolylinesAreSplitIntoConnectedPieces) {
    QVector<QPoint> points;
    for (int i = 0; i < 70000; ++i) points.append(QPoint(i % 1000, i / 1000));
    WmfWriter w({0, 0, 1000, 100, 1440});
    w.Polyline(points);
    const QByteArray wmf = w.Finish();
    const auto lines = WmfRecordsOf(wmf, wmr::Polyline);
    ASSERT_EQ(lines.size(), 3u);
    int total = 0;
    for (const auto& line : lines) total += line.params.U16Or(0);
    EXPECT_EQ(total, 70000 + 2);  // each piece starts where the last ended
    // The second piece starts on the last point of the first.
    const int first = lines[0].params.U16Or(0);
    EXPECT_EQ(lines[1].params.I16Or(2), lines[0].params.I16Or(2 + 4 * (first - 1)));
}

TEST(WmfWriterTest, CoordinatesOutsideSixteenBitsAreClamped) {
    WmfWriter w({0, 0, 100, 100, 1440});
    w.Rectangle(-100000, 0, 100000, 40000);
    const QByteArray wmf = w.Finish();
    const auto rects = WmfRecordsOf(wmf, wmr::Rectangle);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].params.I16Or(6), -32768);
    EXPECT_EQ(rects[0].params.I16Or(2), 32767);
    EXPECT_EQ(rects[0].params.I16Or(0), 32767);
}

}  // namespace
}  // namespace tavlex::mf
