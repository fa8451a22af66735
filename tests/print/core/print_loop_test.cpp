// The page loop against a recording printer: jobs per run of one orientation, cancel and errors
// discarding the job.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <stdexcept>
#include <string>
#include <vector>

#include "metafile/EmfWriter.h"
#include "metafile/Metafile.h"
#include "print/core/PrintDevice.h"
#include "print/core/PrintLoop.h"
#include "tests/common/A4Page.h"

namespace tavlex {
namespace {

// Records every call as a word: "begin:0", "page", "end", "abort", "orient:1".
class RecordingDevice : public PrintDevice {
  public:
    bool Printing() const override { return printing; }
    int Orientation() const override { return orientation; }
    void SetOrientation(int value) override {
        if (value == 0 || value == 1) orientation = value;
        calls.push_back("orient:" + std::to_string(value));
    }
    void SetTitle(const QString&) override {}
    void BeginDoc() override {
        printing = true;
        calls.push_back("begin:" + std::to_string(orientation));
    }
    void NewPage() override { calls.push_back("page"); }
    void EndDoc() override {
        printing = false;
        calls.push_back("end");
    }
    void Abort() override {
        printing = false;
        calls.push_back("abort");
    }
    DeviceMetrics Metrics() const override { return {100, 141, 0, 0, 72, 72}; }
    QPainter& Painter() override { return painter; }

    bool printing = false;
    int orientation = 0;
    std::vector<std::string> calls;
    QImage sheet{100, 141, QImage::Format_RGB32};
    QPainter painter{&sheet};
};

class PrintLoopTest : public testing::Test {
  protected:
    PrintRun Run(int first, int last, std::vector<int> orientations = {}) {
        PrintRun run;
        run.first = first;
        run.last = last;
        run.paperWidth = 794;
        run.hasPageOrientation = !orientations.empty();
        run.pageOrientation = [orientations](int p) { return orientations.at(p - 1); };
        run.loadPage = [this](int p) -> const mf::Metafile& {
            loaded.push_back(p);
            return page;  // an empty page: placed, nothing played
        };
        run.step = [this](int p) {
            steps.push_back(p);
            return p == cancelAt;
        };
        run.end = [this] { return cancelAtEnd; };
        run.close = [this] { closed = true; };
        return run;
    }
    mf::Metafile page;
    std::vector<int> loaded, steps;
    int cancelAt = -1;
    bool cancelAtEnd = false;
    bool closed = false;
};

TEST_F(PrintLoopTest, PortraitLandscapeLandscapePortraitIsThreeJobsEndingPortrait) {
    RecordingDevice device;
    const PrintOutcome outcome = RunPrintLoop(device, Run(1, 4, {0, 1, 1, 0}));
    EXPECT_EQ(outcome.jobsBegun, 3);
    EXPECT_EQ(outcome.pagesDrawn, 4);
    EXPECT_FALSE(outcome.cancelled);
    const std::vector<std::string> expected = {"begin:0", "end",      "orient:1", "begin:1", "page",
                                               "end",     "orient:0", "begin:0",  "end"};
    EXPECT_EQ(device.calls, expected);
    EXPECT_EQ(device.orientation, 0);
}

TEST_F(PrintLoopTest, FirstPageOfTheOtherOrientationTurnsThePrinterBeforeTheJob) {
    RecordingDevice device;
    RunPrintLoop(device, Run(2, 3, {0, 1, 1, 0}));
    const std::vector<std::string> expected = {"orient:1", "begin:1", "page", "end"};
    EXPECT_EQ(device.calls, expected);
}

TEST_F(PrintLoopTest, WithoutPageOrientationOneJobWhateverThePages) {
    RecordingDevice device;
    device.orientation = 1;
    RunPrintLoop(device, Run(3, 5));
    const std::vector<std::string> expected = {"begin:1", "page", "page", "end"};
    EXPECT_EQ(device.calls, expected);
    EXPECT_EQ(loaded, (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(steps, (std::vector<int>{3, 4, 5}));
}

TEST_F(PrintLoopTest, CancelBeforeTheFirstPageBeginsNothingAndAbortsNothing) {
    RecordingDevice device;
    cancelAt = 1;
    const PrintOutcome outcome = RunPrintLoop(device, Run(1, 3));
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_TRUE(device.calls.empty());
    EXPECT_TRUE(loaded.empty());
}

TEST_F(PrintLoopTest, CancelBetweenPagesAbortsTheWholeJob) {
    RecordingDevice device;
    cancelAt = 3;
    const PrintOutcome outcome = RunPrintLoop(device, Run(1, 5));
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.pagesDrawn, 2);
    const std::vector<std::string> expected = {"begin:0", "page", "abort"};
    EXPECT_EQ(device.calls, expected);
}

TEST_F(PrintLoopTest, CancelHandledOnlyAtTheEndStillAbortsAJobWhosePagesWereAllSent) {
    RecordingDevice device;
    cancelAtEnd = true;
    const PrintOutcome outcome = RunPrintLoop(device, Run(1, 2));
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(device.calls.back(), "abort");
}

TEST_F(PrintLoopTest, PageThatCannotBeReadAbortsTheJobClosesProgressAndPassesTheError) {
    RecordingDevice device;
    PrintRun run = Run(1, 3);
    run.loadPage = [this](int p) -> const mf::Metafile& {
        if (p == 2) throw std::runtime_error("damaged page");
        return page;
    };
    EXPECT_THROW(RunPrintLoop(device, run), std::runtime_error);
    EXPECT_EQ(device.calls.back(), "abort");
    EXPECT_FALSE(device.printing);
    EXPECT_TRUE(closed);
}

// A page that plays far longer than a service interval: the sheet filled again and again.
mf::Metafile LongPage(QColor colour, int fills) {
    mf::EmfWriter writer = tavlex::test::A4PageWriter();
    writer.CreateBrushIndirect(1, 0, mf::ToColorRef(colour));
    writer.SelectObject(1);
    for (int i = 0; i < fills; ++i) writer.Rectangle({0, 0, 794, 1123});
    return mf::Metafile::Load(writer.Finish());
}

class PlayingPageTest : public PrintLoopTest {
  protected:
    void SetUp() override { page = LongPage(QColor(20, 120, 40), 400'000); }
};

TEST_F(PlayingPageTest, CancelWhileAPagePlaysAbandonsItAndAbortsTheJob) {
    RecordingDevice device;
    device.sheet.fill(Qt::white);
    PrintRun run = Run(1, 3);
    int services = 0;
    run.playing = [&] { return ++services == 2; };
    QElapsedTimer clock;
    clock.start();
    const PrintOutcome outcome = RunPrintLoop(device, run);
    const qint64 millis = clock.elapsed();
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.pagesDrawn, 0);
    EXPECT_GE(services, 2);
    EXPECT_EQ(loaded, (std::vector<int>{1}));
    const std::vector<std::string> expected = {"begin:0", "abort"};
    EXPECT_EQ(device.calls, expected);
    // Far below what the whole page takes (the engine's own cap is 20 s).
    EXPECT_LT(millis, 10'000);
}

TEST_F(PlayingPageTest, ProgressIsServedWhileAPagePlaysAndMayReplaceTheWindowsPage) {
    RecordingDevice device;
    device.sheet.fill(Qt::white);
    PrintRun run = Run(1, 1);
    mf::Metafile windowsPage = LongPage(QColor(20, 120, 40), 200'000);
    run.loadPage = [&](int) -> const mf::Metafile& { return windowsPage; };
    int services = 0;
    run.playing = [&] {
        // A page turn handled meanwhile drops the window's page under the loop.
        windowsPage = mf::Metafile();
        ++services;
        return false;
    };
    const PrintOutcome outcome = RunPrintLoop(device, run);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_EQ(outcome.pagesDrawn, 1);
    EXPECT_GE(services, 1);
    EXPECT_EQ(device.calls.back(), "end");
    EXPECT_EQ(device.sheet.pixelColor(50, 70), QColor(20, 120, 40));
}

TEST_F(PrintLoopTest, ProgressIsServedInsideOneLongRecord) {
    // One polygon of a million zigzag edges: a single record that plays for a long while.
    QVector<QPoint> zigzag;
    for (int i = 0; i < 1'000'000; ++i) zigzag << QPoint(i % 2 ? 794 : 0, (i * 7) % 1123);
    mf::EmfWriter writer = tavlex::test::A4PageWriter();
    writer.Polygon(zigzag);
    page = mf::Metafile::Load(writer.Finish());
    RecordingDevice device;
    PrintRun run = Run(1, 1);
    int services = 0;
    run.playing = [&] {
        ++services;
        return false;
    };
    RunPrintLoop(device, run);
    // Served between records alone, the page would have had one turn at most; the polygon plays
    // for far longer than two service intervals.
    EXPECT_GE(services, 2);
    EXPECT_EQ(device.calls.back(), "end");
}

TEST_F(PrintLoopTest, APagePlayedOnItsThreadPrintsWhatPlayingHereDoes) {
    // Hatching lines up with the painter's origin; text takes fonts the thread makes for itself,
    // by a face name only the substitution table knows.
    mf::EmfWriter writer = tavlex::test::A4PageWriter();
    writer.CreateBrushIndirect(1, 2, mf::ToColorRef(QColor(20, 60, 180)), 5);
    writer.SelectObject(1);
    writer.Ellipse({40, 60, 700, 1000});
    mf::LogFont font;
    font.height = -300;
    font.faceName = QStringLiteral("ＭＳ 明朝");
    writer.ExtCreateFontIndirectW(2, font);
    writer.SelectObject(2);
    writer.ExtTextOutW(QPoint(60, 300), QStringLiteral("工事写真"));
    page = mf::Metafile::Load(writer.Finish());
    RecordingDevice here, thread;
    for (RecordingDevice* device : {&here, &thread}) device->sheet.fill(Qt::white);
    RunPrintLoop(here, Run(1, 1));
    PrintRun threaded = Run(1, 1);
    threaded.playing = [] { return false; };
    RunPrintLoop(thread, threaded);
    EXPECT_NE(here.sheet, QImage(here.sheet.size(), here.sheet.format()));
    EXPECT_EQ(thread.sheet, here.sheet);
}

}  // namespace
}  // namespace tavlex
