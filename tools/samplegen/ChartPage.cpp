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

// The page's pens, brushes and fonts, made once before anything is drawn.
struct Tools {
    int thin, bold, dashed, red;
    int shade, band, white;
    int titleFont, labelFont, valueFont;
};

Tools MakeTools(WmfWriter& w) {
    Tools t;
    t.thin = w.CreatePenIndirect(0, 8, 0);
    t.bold = w.CreatePenIndirect(0, 20, 0);
    t.dashed = w.CreatePenIndirect(1, 0, mf::ToColorRef(QColor(80, 80, 80)));
    t.red = w.CreatePenIndirect(0, 24, mf::ToColorRef(QColor(200, 30, 30)));
    t.shade = w.CreateBrushIndirect(0, mf::ToColorRef(QColor(230, 236, 242)), 0);
    t.band = w.CreateBrushIndirect(2, mf::ToColorRef(QColor(120, 170, 220)), 3);  // hatched
    t.white = w.CreateBrushIndirect(0, 0xFFFFFF, 0);
    t.titleFont = w.CreateFontIndirect(Font(QStringLiteral("ＭＳ ゴシック"), 270, 700));
    t.labelFont = w.CreateFontIndirect(Font(QStringLiteral("ＭＳ ゴシック"), 190));
    t.valueFont = w.CreateFontIndirect(Font(QStringLiteral("ＭＳ 明朝"), 180));
    return t;
}

void DeleteTools(WmfWriter& w, const Tools& t) {
    for (int slot : {t.thin, t.bold, t.dashed, t.red, t.shade, t.band, t.white, t.titleFont,
                     t.labelFont, t.valueFont})
        w.DeleteObject(slot);
}

constexpr int kLeft = 850, kRight = kWidth - 850;
constexpr int kStations = static_cast<int>(std::size(kMeasurements));

void Heading(WmfWriter& w, const Tools& t, const QString& albumTitle) {
    w.SelectObject(t.titleFont);
    CentredText(w, kWidth / 2, 450, albumTitle, 270);
    w.SelectObject(t.bold);
    w.MoveTo(kLeft, 820);
    w.LineTo(kRight, 820);
    w.SelectObject(t.labelFont);
    CentredText(w, kWidth / 2, 1050, QStringLiteral("出来形管理図（擁壁工　天端幅）"), 190);
}

// The table: station, design, measured, difference; a shaded head row, then one row per
// station.
struct Table {
    static constexpr int kTop = 1500, kRowHeight = 380, kColumnWidth = (kRight - kLeft) / 4;
    static constexpr int kRows = kStations + 1;
    static constexpr int kBottom = kTop + kRows * kRowHeight;

    static int CentreOf(int column) { return kLeft + column * kColumnWidth + kColumnWidth / 2; }

    static void Draw(WmfWriter& w, const Tools& t) {
        HeadRow(w, t);
        StationRows(w, t);
        for (int c = 1; c < 4; ++c) {
            w.MoveTo(kLeft + c * kColumnWidth, kTop);
            w.LineTo(kLeft + c * kColumnWidth, kBottom);
        }
        w.SelectObject(t.bold);  // the frame, drawn last so that it covers the grid's ends
        w.MoveTo(kLeft, kTop);
        w.LineTo(kRight, kTop);
        w.LineTo(kRight, kBottom);
        w.LineTo(kLeft, kBottom);
        w.LineTo(kLeft, kTop);
    }

    static void HeadRow(WmfWriter& w, const Tools& t) {
        const QStringList heads = {QStringLiteral("測点"), QStringLiteral("設計値(mm)"),
                                   QStringLiteral("実測値(mm)"), QStringLiteral("差(mm)")};
        w.SelectObject(t.thin);
        w.SelectObject(t.shade);
        w.Rectangle(kLeft, kTop, kRight, kTop + kRowHeight);
        w.SelectObject(t.labelFont);
        for (int c = 0; c < 4; ++c) CentredText(w, CentreOf(c), kTop + 95, heads[c], 190);
    }

    // Each row's values, and the line that closes the row above it.
    static void StationRows(WmfWriter& w, const Tools& t) {
        w.SelectObject(t.valueFont);
        for (int r = 1; r < kRows; ++r) {
            const Measurement& m = kMeasurements[r - 1];
            const int y = kTop + r * kRowHeight;
            const QStringList cells = {QString::fromLatin1(m.station), QString::number(m.design),
                                       QString::number(m.measured),
                                       QString::number(m.measured - m.design)};
            for (int c = 0; c < 4; ++c) CentredText(w, CentreOf(c), y + 100, cells[c], 180);
            w.MoveTo(kLeft, y);
            w.LineTo(kRight, y);
        }
    }
};

// The chart: the difference per station against the tolerance band, +10 .. -25 mm.
struct Chart {
    static constexpr int kTop = Table::kBottom + 900, kBottom = kHeight - 1600;
    static constexpr int kLeftEdge = kLeft + 900, kRightEdge = kRight - 200;

    static int YOf(int difference) { return kTop + (10 - difference) * (kBottom - kTop) / 35; }
    static int XOf(int station) {
        return kLeftEdge + (2 * station + 1) * (kRightEdge - kLeftEdge) / (2 * kStations);
    }

    static void Draw(WmfWriter& w, const Tools& t) {
        Scales(w, t);
        Differences(w, t);
        w.SelectObject(t.labelFont);
        Text(w, kLeftEdge + 100, kTop - 380, QStringLiteral("差 (mm)　規格値 -20mm"), 190);
    }

    // The accepted range, the dashed grid with its values, the stations and the axes.
    static void Scales(WmfWriter& w, const Tools& t) {
        w.SelectObject(t.thin);
        w.SelectObject(t.band);
        w.Rectangle(kLeftEdge, YOf(0), kRightEdge, YOf(kTolerance));
        w.SelectObject(t.dashed);
        for (int d = 10; d >= -25; d -= 5) {
            w.MoveTo(kLeftEdge, YOf(d));
            w.LineTo(kRightEdge, YOf(d));
        }
        w.SelectObject(t.valueFont);
        for (int d = 10; d >= -25; d -= 5) Text(w, kLeft, YOf(d) - 90, QString::number(d), 180);
        for (int i = 0; i < kStations; ++i)
            CentredText(w, XOf(i), kBottom + 120, QString::fromLatin1(kMeasurements[i].station),
                        180);
        w.SelectObject(t.bold);
        w.MoveTo(kLeftEdge, kTop);
        w.LineTo(kLeftEdge, kBottom);
        w.LineTo(kRightEdge, kBottom);
    }

    // The measured differences as a red line with a white marker at each station.
    static void Differences(WmfWriter& w, const Tools& t) {
        w.SelectObject(t.red);
        QVector<QPoint> line;
        for (int i = 0; i < kStations; ++i)
            line.append(QPoint(XOf(i), YOf(kMeasurements[i].measured - kMeasurements[i].design)));
        w.Polyline(line);
        w.SelectObject(t.white);
        for (const QPoint& p : line) w.Ellipse(p.x() - 70, p.y() - 70, p.x() + 70, p.y() + 70);
    }
};

}  // namespace

QByteArray ChartPage::Compose(const QString& albumTitle, int shownPageNumber) {
    WmfWriter w(WmfWriter::Placeable{0, 0, kWidth, kHeight, 1440});
    w.SetMapMode(kMmAnisotropic);
    w.SetWindowOrg(0, 0);
    w.SetWindowExt(kWidth, kHeight);
    w.SetBkMode(1);  // TRANSPARENT
    w.SetTextColor(0);

    const Tools tools = MakeTools(w);
    Heading(w, tools, albumTitle);
    Table::Draw(w, tools);
    Chart::Draw(w, tools);
    w.SelectObject(tools.valueFont);
    CentredText(w, kWidth / 2, kHeight - 650, QStringLiteral("- %1 -").arg(shownPageNumber), 180);
    DeleteTools(w, tools);
    return w.Finish();
}

}  // namespace tavlex::samplegen
