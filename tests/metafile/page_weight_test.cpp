// How heavy a page's heaviest outline is: what decides whether the page may hold up input.
#include <gtest/gtest.h>

#include <QtEndian>

#include "metafile/EmfWriter.h"
#include "metafile/GdiDefs.h"
#include "metafile/Metafile.h"
#include "metafile/PageWeight.h"
#include "tests/common/A4Page.h"

namespace tavlex::mf {
namespace {

EmfWriter Page() {
    return test::A4PageWriter();
}

QVector<QPoint> Points(int count) {
    QVector<QPoint> points;
    for (int i = 0; i < count; ++i) points.push_back(QPoint(i % 700, (i * 7) % 1000));
    return points;
}

QByteArray Words(std::initializer_list<std::uint32_t> values) {
    QByteArray bytes;
    for (const std::uint32_t v : values) {
        char word[4];
        qToLittleEndian(v, word);
        bytes.append(word, 4);
    }
    return bytes;
}

// A many-polygon record with the given counts, its points left at the origin.
QByteArray PolyPolygon(const std::vector<std::uint32_t>& counts) {
    std::uint32_t total = 0;
    for (const std::uint32_t c : counts) total += c;
    QByteArray payload = Words({0, 0, 10, 10, static_cast<std::uint32_t>(counts.size()), total});
    for (const std::uint32_t c : counts) payload += Words({c});
    payload += QByteArray(static_cast<qsizetype>(total) * 8, '\0');
    return payload;
}

TEST(PageWeightTest, CountsTheHeaviestSingleDrawing) {
    EmfWriter writer = Page();
    writer.Polygon(Points(300));
    writer.Polyline16(Points(1200));
    writer.Polyline(Points(40));
    writer.AddRecord(emr::PolyPolygon, PolyPolygon({500, 600, 700}));
    writer.Rectangle({0, 0, 10, 10});
    EXPECT_EQ(HeaviestOutline(Metafile::Load(writer.Finish())), 1800u);
}

// A path drawn record by record is filled as one outline.
TEST(PageWeightTest, APathWeighsAllItsRecords) {
    EmfWriter writer = Page();
    writer.AddRecord(emr::BeginPath, {});
    writer.MoveToEx(0, 0);
    for (int i = 0; i < 30; ++i) writer.Polyline(Points(1000));  // 30,000 in all
    writer.AddRecord(emr::EndPath, {});
    writer.AddRecord(emr::FillPath, Words({0, 0, 10, 10}));
    // An abandoned path counts only as far as it went; the points after it stand alone.
    writer.AddRecord(emr::BeginPath, {});
    writer.Polyline(Points(100));
    writer.AddRecord(emr::AbortPath, {});
    writer.Polyline(Points(25'000));
    const std::uint64_t weight = HeaviestOutline(Metafile::Load(writer.Finish()));
    EXPECT_EQ(weight, 30'001u);
    EXPECT_GE(weight, kHeavyOutlinePoints);
}

// The weight is what the records claim, read without following it: no points stand behind this
// count, and the player refuses the record when it plays.
TEST(PageWeightTest, ClaimsAreReadWithoutTrustingThem) {
    EmfWriter writer = Page();
    writer.AddRecord(emr::Polygon, Words({0, 0, 10, 10, 4'000'000}));  // no points follow
    const Metafile page = Metafile::Load(writer.Finish());
    EXPECT_EQ(HeaviestOutline(page), 4'000'000u);
    EXPECT_EQ(HeaviestOutline(Metafile()), 0u);
}

}  // namespace
}  // namespace tavlex::mf
