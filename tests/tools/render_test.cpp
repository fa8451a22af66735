// tavlex-album render, render-metafile and export, run as the user runs them: where the page
// lands on the sheet (edge offsets scaled as printing scales them), the files export writes,
// and one-line refusals with exit code 2.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <cstring>
#include <ostream>

#include "album/AlbumWriter.h"
#include "metafile/EmfWriter.h"
#include "support/Length.h"
#include "tests/tools/ToolRun.h"

namespace tavlex {
namespace {

using test::ToolPath;
using test::ToolRun;

ToolRun RunTool(const QStringList& args) {
    return test::RunTool(args, {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}},
                         120000);
}

// A page of 200 x 275 mm on a reference device of 4 pixels per millimetre (frame 0..800 by
// 0..1100 pixels, inclusive) with black bars that start exactly at each edge of the frame: at
// left and top, and just past right and bottom. The frame's right and bottom map one pixel inside
// the target, so the bars beyond them start on the target's last column and row.
QByteArray EdgeBarsPage() {
    mf::EmfWriter::Header header;
    header.frame = mf::RectL{0, 0, 20000, 27500};
    header.devicePixels = QSize(2000, 2000);
    header.deviceMillimetres = QSize(500, 500);
    mf::EmfWriter w(header);
    QImage black(2, 2, QImage::Format_RGB32);
    black.fill(Qt::black);
    w.StretchDIBits(mf::RectL{0, 0, 40, 1100}, black);        // from the left edge
    w.StretchDIBits(mf::RectL{800, 0, 840, 1100}, black);     // from the right edge
    w.StretchDIBits(mf::RectL{300, 0, 500, 40}, black);       // from the top edge
    w.StretchDIBits(mf::RectL{300, 1100, 500, 1140}, black);  // from the bottom edge
    return w.Finish();
}

struct Edges {
    int left = 0, top = 0, right = 0, bottom = 0;  // screen pixels at 96 per inch
};

// An A4 album (PaperWidth 794 pixels at 96 per inch) whose header margins give these edge
// offsets, with the given pages.
QString WriteAlbum(const QTemporaryDir& dir, const Edges& edges, const QList<QByteArray>& pages,
                   const QString& name = QStringLiteral("album.YRA")) {
    AlbumContents contents = NewA4AlbumContents();
    contents.header.SetMargins(
        PixelsToMillimetres(edges.top, 96), PixelsToMillimetres(edges.bottom, 96),
        PixelsToMillimetres(edges.left, 96), PixelsToMillimetres(edges.right, 96));
    contents.settings.SetPaperCode(9);
    std::vector<AlbumPage> albumPages;
    for (const QByteArray& page : pages) albumPages.push_back({page, 0});
    const QString path = dir.filePath(name);
    WriteAlbumFile(path, contents, albumPages);
    return path;
}

bool Dark(QRgb pixel) {
    return qGray(pixel) < 128;
}

// Along a row or column: where the first dark run starts, and where the next one starts after a
// light gap; -1 for a run that is not there.
std::pair<int, int> BarStarts(const QImage& image, bool row, int at) {
    const int length = row ? image.width() : image.height();
    const auto dark = [&](int i) { return Dark(row ? image.pixel(i, at) : image.pixel(at, i)); };
    int i = 0;
    while (i < length && !dark(i)) ++i;
    const int first = i < length ? i : -1;
    while (i < length && dark(i)) ++i;
    while (i < length && !dark(i)) ++i;
    return {first, i < length ? i : -1};
}

struct PlacementCase {
    const char* what;
    QSize sheet;
    Edges edges;
    // Where the page's edges land on the sheet: its first column and row, and its last column
    // and row (the frame's right and bottom, one pixel inside); -1 when off the sheet.
    int left, right, top, bottom;
};
void PrintTo(const PlacementCase& c, std::ostream* out) {
    *out << c.what;
}

class RenderPlacement : public testing::TestWithParam<PlacementCase> {};

TEST_P(RenderPlacement, EdgeOffsetsAreScaledBySheetWidthOverPaperWidth) {
    if (!QFileInfo(ToolPath()).isExecutable())
        FAIL() << "tavlex-album is not built at " << ToolPath().toStdString();
    const PlacementCase& c = GetParam();
    QTemporaryDir dir;
    const QString album = WriteAlbum(dir, c.edges, {EdgeBarsPage()});
    const QString png = dir.filePath(QStringLiteral("page.png"));
    const ToolRun run = RunTool({QStringLiteral("render"), album, QStringLiteral("1"), png,
                                 QStringLiteral("--width"), QString::number(c.sheet.width()),
                                 QStringLiteral("--height"), QString::number(c.sheet.height())});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QImage image(png);
    ASSERT_EQ(image.size(), c.sheet);
    EXPECT_EQ(BarStarts(image, true, c.sheet.height() / 2), std::make_pair(c.left, c.right));
    EXPECT_EQ(BarStarts(image, false, c.sheet.width() / 2), std::make_pair(c.top, c.bottom));
}

// PaperWidth is 794: a 397-wide sheet scales by 0.5, 1588 by 2, 1000 by 1.2594.
INSTANTIATE_TEST_SUITE_P(
    Sheets, RenderPlacement,
    testing::Values(
        PlacementCase{"no offsets: the page fills the sheet", {397, 561}, {}, 0, 396, 0, 560},
        PlacementCase{"equal left and right shift the page: its right edge leaves the sheet",
                      {397, 561},
                      {10, 0, 10, 0},
                      5,
                      -1,
                      0,
                      560},
        PlacementCase{
            "negative offsets cut toward zero", {397, 561}, {-3, -3, -3, -3}, 0, 395, 0, 559},
        PlacementCase{
            "scale 1 at the paper's own width", {794, 1123}, {7, 5, 0, -4}, 7, 793, 5, 1118},
        PlacementCase{"scale 2", {1588, 2246}, {3, -2, -5, 6}, 6, 1577, 0, -1},
        PlacementCase{
            "scale rounded to four decimals", {1000, 1414}, {25, 13, -25, 0}, 31, 968, 16, 1413}));

TEST(RenderMetafile, StretchesTheFrameOverTheWholeImageOnWhite) {
    if (!QFileInfo(ToolPath()).isExecutable()) FAIL() << "tavlex-album is not built";
    QTemporaryDir dir;
    QFile page(dir.filePath(QStringLiteral("page.emf")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write(EdgeBarsPage());
    page.close();
    const QString png = dir.filePath(QStringLiteral("out.png"));
    const ToolRun run = RunTool({QStringLiteral("render-metafile"), page.fileName(), png,
                                 QStringLiteral("--height"), QStringLiteral("90"),
                                 QStringLiteral("--width"), QStringLiteral("300")});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QImage image(png);
    ASSERT_EQ(image.size(), QSize(300, 90));  // aspect not kept
    EXPECT_EQ(BarStarts(image, true, 45), std::make_pair(0, 299));
    EXPECT_EQ(BarStarts(image, false, 150), std::make_pair(0, 89));
}

// Captions are most of what a user reads on a page: the tool must draw text, which needs the
// font database of a (window-less) GUI application.
TEST(RenderMetafile, DrawsText) {
    if (!QFileInfo(ToolPath()).isExecutable()) FAIL() << "tavlex-album is not built";
    mf::EmfWriter::Header header;
    header.frame = mf::RectL{0, 0, 4000, 1000};  // 40 x 10 mm
    mf::EmfWriter w(header);
    mf::LogFont font;
    font.height = -30;
    font.charSet = 128;
    font.faceName = QStringLiteral("ＭＳ ゴシック");
    w.ExtCreateFontIndirectW(1, font);
    w.SelectObject(1);
    w.ExtTextOutW(QPoint(2, 2), QStringLiteral("工事写真 No.12"));
    QTemporaryDir dir;
    QFile page(dir.filePath(QStringLiteral("text.emf")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write(w.Finish());
    page.close();
    const QString png = dir.filePath(QStringLiteral("text.png"));
    const ToolRun run =
        RunTool({QStringLiteral("render-metafile"), page.fileName(), png, QStringLiteral("--width"),
                 QStringLiteral("151"), QStringLiteral("--height"), QStringLiteral("38")});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QImage image(png);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ink += Dark(image.pixel(x, y));
    EXPECT_GT(ink, 100) << "no text drawn";
}

TEST(Export, WritesEachKindByTheNamesExtension) {
    if (!QFileInfo(ToolPath()).isExecutable()) FAIL() << "tavlex-album is not built";
    QTemporaryDir dir;
    const QByteArray stored = EdgeBarsPage();
    const QString album = WriteAlbum(dir, {}, {stored, stored});
    const auto exportAs = [&](const QString& name) {
        const QString out = dir.filePath(name);
        const ToolRun run = RunTool({QStringLiteral("export"), album, QStringLiteral("2"), out});
        EXPECT_EQ(run.exitCode, 0) << run.err.constData();
        QFile file(out);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    EXPECT_EQ(exportAs(QStringLiteral("p.emf")), stored);
    const QByteArray wmf = exportAs(QStringLiteral("p.WMF"));
    ASSERT_GE(wmf.size(), 4);
    EXPECT_EQ(wmf.left(4), QByteArray("\xD7\xCD\xC6\x9A", 4));
    const QByteArray bmp = exportAs(QStringLiteral("p.Bmp"));
    const QImage image = QImage::fromData(bmp, "BMP");
    EXPECT_EQ(image.size(), QSize(800, 1100));  // 200 x 275 mm at the reference's 4 per mm
    ASSERT_GE(bmp.size(), 30);
    std::uint16_t bits = 0;
    std::memcpy(&bits, bmp.constData() + 28, 2);
    EXPECT_EQ(bits, 24);
}

// Every refusal: exit 2, nothing on standard output, one line on standard error.
struct RefusalCase {
    const char* what;
    QStringList args;  // {album} and {metafile} are replaced by the files below
    const char* message;
};
void PrintTo(const RefusalCase& c, std::ostream* out) {
    *out << c.what;
}

class Refusals : public testing::TestWithParam<RefusalCase> {};

TEST_P(Refusals, ExitTwoWithOneLine) {
    if (!QFileInfo(ToolPath()).isExecutable()) FAIL() << "tavlex-album is not built";
    QTemporaryDir dir;
    QByteArray truncated = EdgeBarsPage();
    truncated.truncate(60);
    const QString album = WriteAlbum(dir, {}, {EdgeBarsPage(), QByteArray(300, 'x'), truncated});
    QFile bad(dir.filePath(QStringLiteral("bad.emf")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    static const char kNotAMetafile[] = "\x01\0\0\0 not really a metafile";
    bad.write(QByteArray(kNotAMetafile, sizeof kNotAMetafile - 1));
    bad.close();
    QFile notAlbum(dir.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(notAlbum.open(QIODevice::WriteOnly));
    notAlbum.write("hello");
    notAlbum.close();
    QStringList args;
    for (QString arg : GetParam().args) {
        arg.replace(QStringLiteral("{album}"), album);
        arg.replace(QStringLiteral("{metafile}"), bad.fileName());
        arg.replace(QStringLiteral("{text}"), notAlbum.fileName());
        arg.replace(QStringLiteral("{out}"), dir.filePath(QStringLiteral("out")));
        args << arg;
    }
    const ToolRun run = RunTool(args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.constData();
    EXPECT_TRUE(QString::fromUtf8(run.err).contains(QString::fromUtf8(GetParam().message)))
        << run.err.constData();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("out.png"))));
}

const QStringList kSize = {QStringLiteral("--width"), QStringLiteral("50"),
                           QStringLiteral("--height"), QStringLiteral("70")};

INSTANTIATE_TEST_SUITE_P(
    Commands, Refusals,
    testing::Values(
        RefusalCase{"render: page that is no metafile",
                    QStringList{"render", "{album}", "2", "{out}.png"} + kSize,
                    "メタファイルが不正です"},
        RefusalCase{"render: metafile cut short",
                    QStringList{"render", "{album}", "3", "{out}.png"} + kSize,
                    "メタファイルが不正です"},
        RefusalCase{"export: page that is no metafile",
                    {"export", "{album}", "2", "{out}.png"},
                    "メタファイルが不正です"},
        RefusalCase{"export to bmp: page that is no metafile",
                    {"export", "{album}", "2", "{out}.bmp"},
                    "メタファイルが不正です"},
        RefusalCase{"render-metafile: no metafile",
                    QStringList{"render-metafile", "{metafile}", "{out}.png"} + kSize,
                    "メタファイルが不正です"},
        RefusalCase{"render: not an album",
                    QStringList{"render", "{text}", "1", "{out}.png"} + kSize, ""},
        RefusalCase{"render: page 0", QStringList{"render", "{album}", "0", "{out}.png"} + kSize,
                    ""},
        RefusalCase{"render: page past the end",
                    QStringList{"render", "{album}", "4", "{out}.png"} + kSize, ""},
        RefusalCase{"render: page not a number",
                    QStringList{"render", "{album}", "x", "{out}.png"} + kSize, ""},
        RefusalCase{"render: no size", {"render", "{album}", "1", "{out}.png"}, "--width"},
        RefusalCase{"render: zero width",
                    {"render", "{album}", "1", "{out}.png", "--width", "0", "--height", "5"},
                    "--width"},
        RefusalCase{
            "render: absurd size",
            {"render", "{album}", "1", "{out}.png", "--width", "20000", "--height", "20000"},
            "too large"},
        RefusalCase{"export: missing argument", {"export", "{album}", "1"}, "usage"}));

}  // namespace
}  // namespace tavlex
