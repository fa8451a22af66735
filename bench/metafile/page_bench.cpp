// A typical album page (three 2000 x 1500 photographs as 24-bit StretchDIBits with HALFTONE and
// about sixty text runs) drawn at the whole-page size of a 1920 x 1080 window, against the lower
// bound of smoothly scaling its three photographs alone, already decoded, to the sizes they take
// on that page. Prints the ratio of the two (target: at most 1.3).

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

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

enum class Content { Everything, PhotosOnly, WithoutPhotos };

QByteArray TypicalPage(const std::vector<QImage>& photos, Content content = Content::Everything) {
    const bool withText = content != Content::PhotosOnly;
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
        if (content != Content::WithoutPhotos)
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
    // The same page without its text, and without its photographs, to tell the costs apart.
    tavlex::mf::Metafile photosOnly;
    tavlex::mf::Metafile withoutPhotos;
    Fixture() {
        for (int i = 0; i < 3; ++i) photos.push_back(Photo(i));
        page = tavlex::mf::Metafile::Load(TypicalPage(photos));
        photosOnly = tavlex::mf::Metafile::Load(TypicalPage(photos, Content::PhotosOnly));
        withoutPhotos = tavlex::mf::Metafile::Load(TypicalPage(photos, Content::WithoutPhotos));
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

void DrawOnce(QImage& canvas, const tavlex::mf::Metafile& page) {
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    tavlex::mf::Play(page, painter, QRect(QPoint(0, 0), kTarget));
    painter.end();
    benchmark::DoNotOptimize(canvas.constBits());
}

void ScaleOnce(const Fixture& f) {
    for (std::size_t i = 0; i < f.photos.size(); ++i) {
        QImage scaled =
            f.photos[i].scaled(f.photoTargets[i], Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(scaled.constBits());
    }
}

void DrawPage(benchmark::State& state, const tavlex::mf::Metafile& page) {
    QImage canvas(kTarget, QImage::Format_RGB32);
    for (auto _ : state) DrawOnce(canvas, page);
}

void BM_DrawPage(benchmark::State& state) {
    DrawPage(state, Data().page);
}
void BM_DrawPageWithoutText(benchmark::State& state) {
    DrawPage(state, Data().photosOnly);
}
void BM_DrawPageWithoutPhotos(benchmark::State& state) {
    DrawPage(state, Data().withoutPhotos);
}

void BM_ScalePhotosOnly(benchmark::State& state) {
    const Fixture& f = Data();
    for (auto _ : state) ScaleOnce(f);
}

// Scaling and decoding use worker threads, so wall-clock time is what counts, also for how
// many iterations a run takes. The machine is shared: the benchmarks take turns in random
// order over several repetitions, so that a burst of load elsewhere spreads over all of them.
constexpr int kRepetitions = 16;

double Minimum(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

double Maximum(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

// The q-quantile (0 <= q <= 1), interpolating between neighbours.
double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const double at = q * static_cast<double>(v.size() - 1);
    const std::size_t lo = static_cast<std::size_t>(at);
    const std::size_t hi = std::min(lo + 1, v.size() - 1);
    return v[lo] + (v[hi] - v[lo]) * (at - static_cast<double>(lo));
}

void Register(const char* name, void (*function)(benchmark::State&)) {
    benchmark::RegisterBenchmark(name, function)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MeasureProcessCPUTime()
        ->MinTime(0.25)
        ->Repetitions(kRepetitions)
        ->ComputeStatistics("min", [](const std::vector<double>& v) { return Minimum(v); });
}

// Keeps every repetition's time per iteration so that the ratios can be printed after the
// table; of repeated benchmarks it shows only the statistics over the repetitions.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> shown;
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                seconds[run.run_name.function_name].push_back(run.real_accumulated_time /
                                                              run.iterations);
                processor[run.run_name.function_name].push_back(run.cpu_accumulated_time /
                                                                run.iterations);
            }
            if (run.run_type == Run::RT_Aggregate || run.repetitions <= 1) shown.push_back(run);
        }
        if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
    }
    std::map<std::string, std::vector<double>> seconds;
    std::map<std::string, std::vector<double>> processor;  // all threads of the process
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // text needs the font database
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);  // a later flag of the caller's still wins
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    Register("BM_DrawPage", BM_DrawPage);
    Register("BM_DrawPageWithoutText", BM_DrawPageWithoutText);
    Register("BM_DrawPageWithoutPhotos", BM_DrawPageWithoutPhotos);
    Register("BM_ScalePhotosOnly", BM_ScalePhotosOnly);
    Data();  // build the page outside the timed runs
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto& t = reporter.seconds;
    const auto get = [&](const char* name) {
        const auto it = t.find(name);
        return it == t.end() ? std::vector<double>() : it->second;
    };
    const std::vector<double> page = get("BM_DrawPage"), scale = get("BM_ScalePhotosOnly");
    const std::vector<double> photosPage = get("BM_DrawPageWithoutText");
    const std::vector<double> textPage = get("BM_DrawPageWithoutPhotos");
    if (!page.empty() && Minimum(scale) > 0) {
        std::printf(
            "page %dx%d: draw %.2f ms, photographs scaled alone %.2f ms, ratio %.2f (target <= "
            "1.3); medians of %zu repetitions each, taken in turns\n",
            kTarget.width(), kTarget.height(), Quantile(page, 0.5) * 1e3,
            Quantile(scale, 0.5) * 1e3, Quantile(page, 0.5) / Quantile(scale, 0.5), page.size());
        std::printf(
            "  spread: draw %.2f-%.2f ms (quartiles %.2f-%.2f), scaling %.2f-%.2f ms (quartiles "
            "%.2f-%.2f); ratio of the best repetitions %.2f\n",
            Minimum(page) * 1e3, Maximum(page) * 1e3, Quantile(page, 0.25) * 1e3,
            Quantile(page, 0.75) * 1e3, Minimum(scale) * 1e3, Maximum(scale) * 1e3,
            Quantile(scale, 0.25) * 1e3, Quantile(scale, 0.75) * 1e3,
            Minimum(page) / Minimum(scale));
        if (!photosPage.empty())
            std::printf("  the same page without its text: %.2f ms (ratio %.2f)\n",
                        Quantile(photosPage, 0.5) * 1e3,
                        Quantile(photosPage, 0.5) / Quantile(scale, 0.5));
        if (!textPage.empty())
            std::printf("  its text and lines without the photographs: %.2f ms\n",
                        Quantile(textPage, 0.5) * 1e3);
        // Processor time is what the work costs whatever else runs on the machine; on a busy
        // one it tells the cost apart from the waiting.
        const auto cpu = [&](const char* name) {
            const auto it = reporter.processor.find(name);
            return it == reporter.processor.end() ? 0.0 : Quantile(it->second, 0.5);
        };
        if (cpu("BM_ScalePhotosOnly") > 0)
            std::printf(
                "  processor time (all threads): draw %.2f ms, without text %.2f ms, scaling "
                "%.2f ms; ratio %.2f\n",
                cpu("BM_DrawPage") * 1e3, cpu("BM_DrawPageWithoutText") * 1e3,
                cpu("BM_ScalePhotosOnly") * 1e3, cpu("BM_DrawPage") / cpu("BM_ScalePhotosOnly"));
    }
    benchmark::Shutdown();
    return 0;
}
