// A typical album page (three 2000 x 1500 photographs as 24-bit StretchDIBits with HALFTONE and
// about sixty text runs) drawn at the whole-page size of a 1920 x 1080 window, against the lower
// bound of smoothly scaling its three photographs alone, already decoded, to the sizes they take
// on that page. Prints the ratio of the two (target: at most 1.3).

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <map>
#include <string>

#include "metafile/EmfWriter.h"
#include "metafile/Metafile.h"

namespace {

using tavlex::mf::EmfWriter;
using tavlex::mf::RectL;

constexpr int kPageWidth = 21000, kPageHeight = 29700;  // A4 in 0.01 mm
// A4 portrait fitted into the height of a 1920 x 1080 window.
const QSize kTarget(1080 * kPageWidth / kPageHeight, 1080);

struct Slot {
    QRect photo;    // 0.01 mm
    QRect caption;  // 0.01 mm
};

std::vector<Slot> Layout() {
    std::vector<Slot> layout;
    for (int i = 0; i < 3; ++i) {
        const int top = 1800 + i * 8700 + 400;
        layout.push_back({QRect(1500, top, 10500, 7875), QRect(12400, top, 7100, 7875)});
    }
    return layout;
}

// A photograph-like picture: gradients with fine grain, so scaling has real work to do.
QImage Photo(int seed) {
    QImage image(2000, 1500, QImage::Format_RGB32);
    std::uint32_t state = 0x9E3779B9u * (seed + 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int n = static_cast<int>(state & 31) - 16;
            line[x] = qRgb(qBound(0, x / 8 + n, 255), qBound(0, y / 6 + n, 255),
                           qBound(0, 128 + seed * 40 + n, 255));
        }
    }
    return image;
}

QByteArray TypicalPage(const std::vector<QImage>& photos, bool withText = true) {
    EmfWriter::Header header;
    header.frame = RectL{0, 0, kPageWidth - 1, kPageHeight - 1};
    EmfWriter w(header);
    w.SetMapMode(8);  // MM_ANISOTROPIC, 0.01 mm logical units
    w.SetWindowExtEx(kPageWidth, kPageHeight);
    w.SetViewportExtEx(kPageWidth * 1920 / 50800, kPageHeight * 1080 / 28600);
    QByteArray halftone;
    tavlex::mf::PutU32(halftone, 4);
    w.AddRecord(tavlex::mf::emr::SetStretchBltMode, halftone);
    w.SetBkMode(1);
    w.CreatePen(1, 0, 15, 0);
    tavlex::mf::LogFont font;
    font.height = -320;
    font.charSet = 128;
    font.faceName = QStringLiteral("ＭＳ 明朝");
    w.ExtCreateFontIndirectW(2, font);
    w.SelectObject(1);
    w.SelectObject(2);
    const QString labels[] = {QStringLiteral("工事名"), QStringLiteral("工種"),
                              QStringLiteral("撮影日"), QStringLiteral("撮影箇所"),
                              QStringLiteral("備考")};
    const QString values[] = {QStringLiteral("県道桜川線道路改良工事"), QStringLiteral("鉄筋工"),
                              QStringLiteral("令和6年10月15日"), QStringLiteral("No.12+5.0 左側"),
                              QStringLiteral("配筋状況 D19@200")};
    const auto text = [&](int x, int y, const QString& s) {
        if (!withText) return;
        QVector<std::int32_t> dx;
        for (QChar c : s) dx.append(c.unicode() < 0x80 ? 160 : 320);
        w.ExtTextOutW(QPoint(x, y), s, dx);
    };
    int runs = 0;
    const std::vector<Slot> layout = Layout();
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const QRect& p = layout[i].photo;
        w.StretchDIBits(RectL{p.left(), p.top(), p.right() + 1, p.bottom() + 1}, photos[i]);
        const QRect& c = layout[i].caption;
        w.Rectangle(RectL{c.left(), c.top(), c.right() + 1, c.bottom() + 1});
        for (int row = 0; row < 5; ++row) {  // label, value and a second value line per row
            const int y = c.top() + row * c.height() / 5 + 200;
            text(c.left() + 150, y, labels[row]);
            text(c.left() + 2150, y, values[row]);
            text(c.left() + 2150, y + 700, values[(row + 1) % 5]);
            w.MoveToEx(c.left(), y - 200);
            w.LineTo(c.right(), y - 200);
            runs += 3;
        }
        text(c.left() + 150, c.bottom() - 500, QStringLiteral("写真番号 %1").arg(i + 1));
        ++runs;
    }
    for (; runs < 60; ++runs) text(1500, 1000, QStringLiteral("工事写真帳"));
    return w.Finish();
}

struct Fixture {
    std::vector<QImage> photos;
    std::vector<QSize> photoTargets;  // pixels on the target page
    tavlex::mf::Metafile page;
    tavlex::mf::Metafile photosOnly;  // the same page without its text, to tell the costs apart
    Fixture() {
        for (int i = 0; i < 3; ++i) photos.push_back(Photo(i));
        page = tavlex::mf::Metafile::Load(TypicalPage(photos));
        photosOnly = tavlex::mf::Metafile::Load(TypicalPage(photos, false));
        for (const Slot& slot : Layout()) {
            photoTargets.push_back(QSize(slot.photo.width() * kTarget.width() / kPageWidth,
                                         slot.photo.height() * kTarget.height() / kPageHeight));
        }
    }
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

void DrawPage(benchmark::State& state, const tavlex::mf::Metafile& page) {
    QImage canvas(kTarget, QImage::Format_RGB32);
    for (auto _ : state) {
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        tavlex::mf::Play(page, painter, QRect(QPoint(0, 0), kTarget));
        painter.end();
        benchmark::DoNotOptimize(canvas.constBits());
    }
}

void BM_DrawPage(benchmark::State& state) {
    DrawPage(state, Data().page);
}
void BM_DrawPageWithoutText(benchmark::State& state) {
    DrawPage(state, Data().photosOnly);
}

void BM_ScalePhotosOnly(benchmark::State& state) {
    Fixture& f = Data();
    for (auto _ : state) {
        for (std::size_t i = 0; i < f.photos.size(); ++i) {
            QImage scaled = f.photos[i].scaled(f.photoTargets[i], Qt::IgnoreAspectRatio,
                                               Qt::SmoothTransformation);
            benchmark::DoNotOptimize(scaled.constBits());
        }
    }
}

BENCHMARK(BM_DrawPage)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DrawPageWithoutText)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ScalePhotosOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Keeps each run's time per iteration so that the ratio can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.iterations > 0)
                seconds[run.run_name.function_name] = run.real_accumulated_time / run.iterations;
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // text needs the font database
    benchmark::Initialize(&argc, argv);
    Data();  // build the page outside the timed runs
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double page = reporter.seconds["BM_DrawPage"];
    const double scale = reporter.seconds["BM_ScalePhotosOnly"];
    const double photosPage = reporter.seconds["BM_DrawPageWithoutText"];
    if (page > 0 && scale > 0) {
        std::printf(
            "page %dx%d: draw %.2f ms, photographs scaled alone %.2f ms, ratio %.2f "
            "(target <= 1.3)\n",
            kTarget.width(), kTarget.height(), page * 1e3, scale * 1e3, page / scale);
        std::printf(
            "  the same page without its text: %.2f ms (ratio %.2f); text runs cost %.2f ms\n",
            photosPage * 1e3, photosPage / scale, (page - photosPage) * 1e3);
    }
    benchmark::Shutdown();
    return 0;
}
