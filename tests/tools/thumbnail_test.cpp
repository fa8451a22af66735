// tavlex-album thumbnail: page 1 at the size a file manager asks for, the sheet's aspect kept,
// and refusals that leave no picture behind.

#include <gtest/gtest.h>

#include "tests/common/GuiTestEnvironment.h"

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <cmath>

#include "album/AlbumLoader.h"
#include "tests/tools/ToolRun.h"

namespace tavlex {
namespace {

QString SamplePath() {
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(self).dir().filePath(QStringLiteral("../../samples/sample.YRA"));
}

class ThumbnailTest : public testing::TestWithParam<int> {
  protected:
    QTemporaryDir temp_;
};

TEST_P(ThumbnailTest, ThePageFitsTheSizeWithTheSheetsAspect) {
    ASSERT_TRUE(QFileInfo::exists(SamplePath())) << "the build did not make the sample album";
    const int size = GetParam();
    const QString out = temp_.filePath("thumb.png");
    const test::ToolRun run =
        test::RunTool({"thumbnail", SamplePath(), out, "--size", QString::number(size)},
                      {{"XDG_RUNTIME_DIR", temp_.path()}, {"TMPDIR", temp_.path()}}, 30000);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QImage image(out);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(qMax(image.width(), image.height()), size);

    QTemporaryDir bodies;
    const AlbumLoadResult album = LoadAlbum(SamplePath(), bodies.path(), 96);
    ASSERT_EQ(album.status, LoadStatus::Loaded);
    const double sheet = double(album.document.PaperWidth) / album.document.PaperHeight;
    const double picture = double(image.width()) / image.height();
    // Rounding one side to whole pixels moves the ratio by at most one pixel's worth.
    EXPECT_NEAR(picture, sheet, 1.0 / qMin(image.width(), image.height()) + 1e-9);
    // Something was drawn: not a white sheet only.
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    EXPECT_GT(dark, 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ThumbnailTest, testing::Values(16, 128, 256, 512));

TEST(ThumbnailRefusals, BadArgumentsAndDamagedAlbumsLeaveNoPicture) {
    QTemporaryDir temp;
    QFile junk(temp.filePath("junk.YRA"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(100, 'x'));
    junk.close();
    const QString out = temp.filePath("thumb.png");
    const std::vector<QStringList> cases = {
        {"thumbnail", SamplePath(), out},
        {"thumbnail", SamplePath(), out, "--size", "0"},
        {"thumbnail", SamplePath(), out, "--size", "huge"},
        {"thumbnail", SamplePath(), out, "--size", "99999"},
        {"thumbnail", junk.fileName(), out, "--size", "128"},
        {"thumbnail", temp.filePath("missing.YRA"), out, "--size", "128"},
    };
    for (const QStringList& args : cases) {
        const test::ToolRun run =
            test::RunTool(args, {{"XDG_RUNTIME_DIR", temp.path()}, {"TMPDIR", temp.path()}}, 30000);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(QFileInfo::exists(out)) << args.join(' ').toStdString();
    }
}

}  // namespace
}  // namespace tavlex
