// tavlex-album pdf: the viewer's printing path into a PDF file, read back with poppler's tools.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "album/AlbumLoader.h"
#include "album/AlbumWriter.h"

namespace tavlex {
namespace {

const QString kBuild = QStringLiteral(TAVLEX_BINARY_DIR);

struct Outcome {
    int exitCode = -1;
    QByteArray out, err;
};

Outcome Execute(const QString& program, const QStringList& args, int timeoutMs = 120000) {
    QProcess process;
    process.start(program, args);
    Outcome run;
    if (!process.waitForStarted()) {
        run.err = "cannot start " + program.toUtf8();
        return run;
    }
    if (process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

Outcome Tool(const QStringList& args) {
    return Execute(kBuild + QStringLiteral("/tools/tavlex-album"), args);
}

QString Sample(const QString& name) {
    return kBuild + QStringLiteral("/samples/") + name;
}

// pdfinfo's "Page N size: W x H pts" lines, as (width, height) in points.
std::vector<QSizeF> PageSizes(const QString& pdf) {
    const Outcome info =
        Execute(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                            QStringLiteral("-l"), QStringLiteral("9999"), pdf});
    std::vector<QSizeF> sizes;
    static const QRegularExpression line(
        QStringLiteral(R"(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)"));
    auto it = line.globalMatch(QString::fromUtf8(info.out));
    while (it.hasNext()) {
        const auto m = it.next();
        sizes.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
    return sizes;
}

class PdfToolTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo::exists(Sample(QStringLiteral("sample.YRA"))))
            << "the build did not make the sample albums";
        ASSERT_EQ(Execute(QStringLiteral("pdfinfo"), {QStringLiteral("-v")}).exitCode, 0)
            << "poppler-utils are missing: run scripts/deps.sh";
    }
    QString Out(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

TEST_F(PdfToolTest, RangeInDisplayedNumbersPrintsThoseActualPages) {
    // The works sample numbers its pages from 3 (offset 2): 4..6 are positions 2..4.
    const Outcome run = Tool({QStringLiteral("pdf"), Sample(QStringLiteral("sample.YRA")),
                              Out(QStringLiteral("r.pdf")), QStringLiteral("--from"),
                              QStringLiteral("4"), QStringLiteral("--to"), QStringLiteral("6")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.trimmed(), "pages 3, jobs 1");
    EXPECT_EQ(PageSizes(Out(QStringLiteral("r.pdf"))).size(), 3u);
    // The second page printed is the one numbered 5 (the sample prints its shown number).
    const Outcome text =
        Execute(QStringLiteral("pdftotext"),
                {QStringLiteral("-f"), QStringLiteral("2"), QStringLiteral("-l"),
                 QStringLiteral("2"), Out(QStringLiteral("r.pdf")), QStringLiteral("-")});
    EXPECT_TRUE(QString::fromUtf8(text.out).contains(QStringLiteral("- 5 -")))
        << text.out.toStdString();
}

TEST_F(PdfToolTest, RangeOutsideTheDisplayedNumbersIsRefusedAndWritesNothing) {
    for (const QStringList& range : {QStringList{QStringLiteral("--from"), QStringLiteral("2")},
                                     QStringList{QStringLiteral("--to"), QStringLiteral("99")},
                                     QStringList{QStringLiteral("--from"), QStringLiteral("6"),
                                                 QStringLiteral("--to"), QStringLiteral("5")}}) {
        QStringList args{QStringLiteral("pdf"), Sample(QStringLiteral("sample.YRA")),
                         Out(QStringLiteral("bad.pdf"))};
        args += range;
        const Outcome run = Tool(args);
        EXPECT_EQ(run.exitCode, 2) << range.join(' ').toStdString();
        EXPECT_FALSE(QFileInfo::exists(Out(QStringLiteral("bad.pdf"))));
    }
}

TEST_F(PdfToolTest, PortraitLandscapeLandscapePortraitKeepsEachPagesSheetInThreeJobs) {
    // Pages 1 (portrait) and 2 (landscape) of the turned sample, as P L L P.
    QTemporaryDir temp;
    const AlbumLoadResult source =
        LoadAlbum(Sample(QStringLiteral("sample.YRA.QZD")), temp.path(), 96);
    ASSERT_TRUE(source.Loaded());
    const QByteArray portrait = ReadPageBytes(source.document, 1);
    const QByteArray landscape = ReadPageBytes(source.document, 2);
    AlbumContents contents;
    contents.header = source.document.AlbumHeader;
    contents.settings = source.document.AlbumSettings;
    contents.pageOrientation = true;
    contents.usualOrientation = 0;
    const QString album = Out(QStringLiteral("plp.YRA.QZD"));
    WriteAlbumFile(album, contents, {{portrait, 0}, {landscape, 1}, {landscape, 1}, {portrait, 0}});

    const Outcome run = Tool({QStringLiteral("pdf"), album, Out(QStringLiteral("plp.pdf"))});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.trimmed(), "pages 4, jobs 3");
    const std::vector<QSizeF> sizes = PageSizes(Out(QStringLiteral("plp.pdf")));
    ASSERT_EQ(sizes.size(), 4u);
    const QSizeF a4(595.276, 841.89);
    const QSizeF turned = a4.transposed();
    const std::vector<QSizeF> expected = {a4, turned, turned, a4};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(sizes[i].width(), expected[i].width(), 0.5) << "page " << i + 1;
        EXPECT_NEAR(sizes[i].height(), expected[i].height(), 0.5) << "page " << i + 1;
    }
}

TEST_F(PdfToolTest, CaptionsAreTextAndPhotographsArePicturesNotAPageRaster) {
    const QString pdf = Out(QStringLiteral("s.pdf"));
    ASSERT_EQ(Tool({QStringLiteral("pdf"), Sample(QStringLiteral("sample.YRA")), pdf}).exitCode, 0);
    const QString text =
        QString::fromUtf8(Execute(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).out);
    for (const char* caption : {"床掘り状況", "配筋状況 D19@200", "型枠組立完了", "出来形 良好"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(caption))) << caption;
    const QString fonts = QString::fromUtf8(Execute(QStringLiteral("pdffonts"), {pdf}).out);
    EXPECT_FALSE(
        fonts.contains(QRegularExpression(QStringLiteral(R"(\bno\s+\S+\s+\S+\s+\d+\s+\d+\s*$)"),
                                          QRegularExpression::MultilineOption)))
        << "every font is embedded:\n"
        << fonts.toStdString();
    // Photographs at their own pixels: no picture as large as a page at the PDF's resolution.
    const QString images =
        QString::fromUtf8(Execute(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).out);
    static const QRegularExpression row(QStringLiteral(R"(^\s*\d+\s+\d+\s+\w+\s+(\d+)\s+(\d+))"),
                                        QRegularExpression::MultilineOption);
    int pictures = 0;
    for (auto it = row.globalMatch(images); it.hasNext();) {
        const auto m = it.next();
        ++pictures;
        EXPECT_LT(m.captured(1).toInt(), 2000) << images.toStdString();
        EXPECT_LT(m.captured(2).toInt(), 2000) << images.toStdString();
    }
    EXPECT_GT(pictures, 0) << images.toStdString();
}

TEST_F(PdfToolTest, PdfIsNoLargerThanOneAndAHalfTimesItsAlbum) {
    for (const QString& name : {QStringLiteral("sample.YRA"), QStringLiteral("sample.YRA.QZD")}) {
        const QString pdf = Out(name + QStringLiteral(".pdf"));
        ASSERT_EQ(Tool({QStringLiteral("pdf"), Sample(name), pdf}).exitCode, 0);
        const qint64 album = QFileInfo(Sample(name)).size();
        EXPECT_LE(QFileInfo(pdf).size(), album * 3 / 2)
            << name.toStdString() << ": album " << album << " bytes";
    }
}

// How alike two renderings of a page are: the share of ink pixels (in either) that find a
// pixel of nearly the same colour within one pixel in the other. A one-pixel shift and other
// antialiasing keep it near 1; content moved by more than a pixel lowers it.
double Likeness(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return 0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    const auto ink = [](QRgb c) { return std::min({qRed(c), qGreen(c), qBlue(c)}) < 215; };
    const auto near = [](QRgb c, QRgb d) {
        return std::abs(qRed(c) - qRed(d)) <= 48 && std::abs(qGreen(c) - qGreen(d)) <= 48 &&
               std::abs(qBlue(c) - qBlue(d)) <= 48;
    };
    const auto found = [&](const QImage& in, int px, int py, QRgb colour) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int qx = px + dx, qy = py + dy;
                if (qx >= 0 && qy >= 0 && qx < in.width() && qy < in.height() &&
                    near(in.pixel(qx, qy), colour))
                    return true;
            }
        return false;
    };
    qint64 inked = 0, matched = 0;
    for (int py = 0; py < x.height(); ++py)
        for (int px = 0; px < x.width(); ++px) {
            const QRgb c = x.pixel(px, py), d = y.pixel(px, py);
            if (!ink(c) && !ink(d)) continue;
            ++inked;
            matched += found(y, px, py, c) && found(x, px, py, d);
        }
    return inked ? double(matched) / double(inked) : 1.0;
}

// The PDF page rasterised by poppler against the engine's own rendering of the page on a sheet
// of the same size, with and without edge offsets.
class PdfPlacementTest : public PdfToolTest {
  protected:
    // pdftoppm's picture of displayed page 3 (position 1) and the tool's rendering of it.
    std::pair<QImage, QImage> Rasters(const QString& album, const QString& tag) {
        const QString pdf = Out(tag + QStringLiteral(".pdf"));
        EXPECT_EQ(Tool({QStringLiteral("pdf"), album, pdf, QStringLiteral("--from"),
                        QStringLiteral("3"), QStringLiteral("--to"), QStringLiteral("3")})
                      .exitCode,
                  0);
        const QString stem = Out(tag + QStringLiteral("-poppler"));
        EXPECT_EQ(Execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-png"),
                           QStringLiteral("-singlefile"), pdf, stem})
                      .exitCode,
                  0);
        const QImage poppler(stem + QStringLiteral(".png"));
        const QString render = Out(tag + QStringLiteral("-engine.png"));
        EXPECT_EQ(Tool({QStringLiteral("render"), album, QStringLiteral("1"), render,
                        QStringLiteral("--width"), QString::number(poppler.width()),
                        QStringLiteral("--height"), QString::number(poppler.height())})
                      .exitCode,
                  0);
        return {poppler, QImage(render)};
    }
};

TEST_F(PdfPlacementTest, PageLandsWhereTheEngineRendersItWithAndWithoutEdgeOffsets) {
    const QString plain = Out(QStringLiteral("plain.YRA"));
    ASSERT_TRUE(QFile::copy(Sample(QStringLiteral("sample.YRA")), plain));
    const auto [plainPdf, plainRender] = Rasters(plain, QStringLiteral("plain"));
    ASSERT_FALSE(plainPdf.isNull());
    EXPECT_GE(Likeness(plainPdf, plainRender), 0.9);

    const QString moved = Out(QStringLiteral("moved.YRA"));
    ASSERT_TRUE(QFile::copy(Sample(QStringLiteral("sample.YRA")), moved));
    QFile(moved).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_EQ(Tool({QStringLiteral("set-margins"), moved, QStringLiteral("20"),
                    QStringLiteral("20"), QStringLiteral("40"), QStringLiteral("40")})
                  .exitCode,
              0);
    const auto [movedPdf, movedRender] = Rasters(moved, QStringLiteral("moved"));
    EXPECT_GE(Likeness(movedPdf, movedRender), 0.9);
    // The offsets do move the page: the moved PDF is not the plain rendering.
    EXPECT_LT(Likeness(movedPdf, plainRender), 0.75);
}

}  // namespace
}  // namespace tavlex
