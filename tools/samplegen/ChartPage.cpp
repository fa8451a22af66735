#include "tools/samplegen/ChartPage.h"

#include <QStringList>
#include <QVector>

#include <cstdint>

#include "metafile/WmfWriter.h"
#include "support/Text.h"

namespace tavlex::samplegen {
namespace {

using mf::WmfWriter;

// Twips: A4 is 11906 x 16838, inside the 16-bit range of WMF coordinates.
constexpr int kWidth = 11906;
constexpr int kHeight = 16838;
constexpr std::uint16_t kMmAnisotropic = 8;
constexpr std::uint8_t kShiftJisCharset = 128;

struct Measurement {
    const char* station;
    int design;    // mm
    int measured;  // mm
};

// Crest widths of a retaining wall; the tolerance is -20 mm.
constexpr Measurement kMeasurements[] = {
    {"No.10", 300, 302}, {"No.11", 300, 305}, {"No.12", 300, 298}, {"No.13", 300, 301},
    {"No.14", 300, 296}, {"No.15", 300, 303}, {"No.16", 300, 300}, {"No.17", 300, 299},
};
constexpr int kTolerance = -20;

mf::LogFont Font(const QString& face, int height, int weight = 400) {
    mf::LogFont font;
    font.height = -height;
    font.weight = weight;
    font.charSet = kShiftJisCharset;
    font.pitchAndFamily = 0x31;
    font.faceName = face;
    return font;
}

// 8-bit text with one advance per byte: half an em each, so a two-byte character takes a full
// em as the monospaced Japanese faces give it.
void Text(WmfWriter& w, int x, int y, const QString& text, int height) {
    const QByteArray bytes = ToShiftJis(text);
    w.ExtTextOut(x, y, bytes, 0, {}, QVector<std::int32_t>(bytes.size(), height / 2));
}

void CentredText(WmfWriter& w, int centreX, int y, const QString& text, int height) {
    const int width = static_cast<int>(ToShiftJis(text).size()) * (height / 2);
    Text(w, centreX - width / 2, y, text, height);
}

}  // namespace

QByteArray ChartPage::Compose(const QString& albumTitle, int shownPageNumber) {
    WmfWriter w(WmfWriter::Placeable{0, 0, kWidth, kHeight, 1440});
    w.SetMapMode(kMmAnisotropic);
    w.SetWindowOrg(0, 0);
    w.SetWindowExt(kWidth, kHeight);
    w.SetBkMode(1);  // TRANSPARENT
    w.SetTextColor(0);

    const int thin = w.CreatePenIndirect(0, 8, 0);
    const int bold = w.CreatePenIndirect(0, 20, 0);
    const int dashed = w.CreatePenIndirect(1, 0, mf::ToColorRef(QColor(80, 80, 80)));
    const int red = w.CreatePenIndirect(0, 24, mf::ToColorRef(QColor(200, 30, 30)));
    const int shade = w.CreateBrushIndirect(0, mf::ToColorRef(QColor(230, 236, 242)), 0);
    const int band = w.CreateBrushIndirect(2, mf::ToColorRef(QColor(120, 170, 220)), 3);  // hatched
    const int white = w.CreateBrushIndirect(0, 0xFFFFFF, 0);
    const int titleFont = w.CreateFontIndirect(Font(QStringLiteral("ＭＳ ゴシック"), 270, 700));
    const int labelFont = w.CreateFontIndirect(Font(QStringLiteral("ＭＳ ゴシック"), 190));
    const int valueFont = w.CreateFontIndirect(Font(QStringLiteral("ＭＳ 明朝"), 180));

    const int left = 850, right = kWidth - 850;
    w.SelectObject(titleFont);
    CentredText(w, kWidth / 2, 450, albumTitle, 270);
    w.SelectObject(bold);
    w.MoveTo(left, 820);
    w.LineTo(right, 820);
    w.SelectObject(labelFont);
    CentredText(w, kWidth / 2, 1050, QStringLiteral("出来形管理図（擁壁工　天端幅）"), 190);

    // The table: station, design, measured, difference.
    const QStringList heads = {QStringLiteral("測点"), QStringLiteral("設計値(mm)"),
                               QStringLiteral("実測値(mm)"), QStringLiteral("差(mm)")};
    const int tableTop = 1500, rowHeight = 380, columnWidth = (right - left) / 4;
    const int rows = static_cast<int>(std::size(kMeasurements)) + 1;
    w.SelectObject(thin);
    w.SelectObject(shade);
    w.Rectangle(left, tableTop, right, tableTop + rowHeight);
    w.SelectObject(labelFont);
    for (int c = 0; c < 4; ++c)
        CentredText(w, left + c * columnWidth + columnWidth / 2, tableTop + 95, heads[c], 190);
    w.SelectObject(valueFont);
    for (int r = 1; r < rows; ++r) {
        const Measurement& m = kMeasurements[r - 1];
        const int y = tableTop + r * rowHeight;
        const QStringList cells = {QString::fromLatin1(m.station), QString::number(m.design),
                                   QString::number(m.measured),
                                   QString::number(m.measured - m.design)};
        for (int c = 0; c < 4; ++c)
            CentredText(w, left + c * columnWidth + columnWidth / 2, y + 100, cells[c], 180);
        w.MoveTo(left, y);
        w.LineTo(right, y);
    }
    for (int c = 1; c < 4; ++c) {
        w.MoveTo(left + c * columnWidth, tableTop);
        w.LineTo(left + c * columnWidth, tableTop + rows * rowHeight);
    }

    w.SelectObject(bold);  // the frame, drawn last so that it covers the grid's ends
    w.MoveTo(left, tableTop);
    w.LineTo(right, tableTop);
    w.LineTo(right, tableTop + rows * rowHeight);
    w.LineTo(left, tableTop + rows * rowHeight);
    w.LineTo(left, tableTop);

    // The chart: difference per station against the tolerance band, +10 .. -25 mm.
    const int chartTop = tableTop + rows * rowHeight + 900, chartBottom = kHeight - 1600;
    const int chartLeft = left + 900, chartRight = right - 200;
    const auto yOf = [&](int difference) {
        return chartTop + (10 - difference) * (chartBottom - chartTop) / 35;
    };
    const int stations = static_cast<int>(std::size(kMeasurements));
    const auto xOf = [&](int i) {
        return chartLeft + (2 * i + 1) * (chartRight - chartLeft) / (2 * stations);
    };
    w.SelectObject(thin);
    w.SelectObject(band);
    w.Rectangle(chartLeft, yOf(0), chartRight, yOf(kTolerance));  // the accepted range
    w.SelectObject(dashed);
    for (int d = 10; d >= -25; d -= 5) {
        w.MoveTo(chartLeft, yOf(d));
        w.LineTo(chartRight, yOf(d));
    }
    w.SelectObject(valueFont);
    for (int d = 10; d >= -25; d -= 5) Text(w, left, yOf(d) - 90, QString::number(d), 180);
    for (int i = 0; i < stations; ++i)
        CentredText(w, xOf(i), chartBottom + 120, QString::fromLatin1(kMeasurements[i].station),
                    180);
    w.SelectObject(bold);
    w.MoveTo(chartLeft, chartTop);
    w.LineTo(chartLeft, chartBottom);
    w.LineTo(chartRight, chartBottom);
    w.SelectObject(red);
    QVector<QPoint> line;
    for (int i = 0; i < stations; ++i)
        line.append(QPoint(xOf(i), yOf(kMeasurements[i].measured - kMeasurements[i].design)));
    w.Polyline(line);
    w.SelectObject(white);
    for (const QPoint& p : line) w.Ellipse(p.x() - 70, p.y() - 70, p.x() + 70, p.y() + 70);
    w.SelectObject(labelFont);
    Text(w, chartLeft + 100, chartTop - 380, QStringLiteral("差 (mm)　規格値 -20mm"), 190);

    w.SelectObject(valueFont);
    CentredText(w, kWidth / 2, kHeight - 650, QStringLiteral("- %1 -").arg(shownPageNumber), 180);
    for (int slot : {thin, bold, dashed, red, shade, band, white, titleFont, labelFont, valueFont})
        w.DeleteObject(slot);
    return w.Finish();
}

}  // namespace tavlex::samplegen
