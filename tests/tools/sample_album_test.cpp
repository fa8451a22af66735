// The bundled sample albums that the build makes: they open through the viewer's loader and
// carry what a user of the viewer should see in them.

#include <gtest/gtest.h>

#include "tests/common/GuiTestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <memory>

#include "album/AlbumLoader.h"
#include "metafile/Metafile.h"
#include "support/Text.h"

namespace tavlex {
namespace {

// The build writes the samples to samples/ at the top of the build tree, two levels above.
QString SamplePath(const QString& name) {
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(self).dir().filePath(QStringLiteral("../../samples/") + name);
}

class SampleAlbumTest : public testing::Test {
  protected:
    AlbumLoadResult Load(const QString& name) {
        const QString path = SamplePath(name);
        if (!QFileInfo::exists(path)) {
            ADD_FAILURE() << "the build did not make " << path.toStdString();
            return {};
        }
        return LoadAlbum(path, temp_.path(), 96);
    }
    QTemporaryDir temp_;
};

// Share of pixels that are not near white.
double InkShare(const QImage& image) {
    qint64 ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ink += qGray(image.pixel(x, y)) < 200;
    return double(ink) / (qint64{image.width()} * image.height());
}

TEST_F(SampleAlbumTest, WorksAlbumOpensWithContentsOffsetAndBothMetafileKinds) {
    AlbumLoadResult result = Load(QStringLiteral("sample.YRA"));
    ASSERT_TRUE(result.Loaded()) << result.userMessage.toStdString();
    const Document& doc = result.document;
    EXPECT_GE(doc.PageCount, 5);
    EXPECT_LE(doc.PageCount, 8);
    EXPECT_EQ(doc.PageOffset, 2);
    EXPECT_FALSE(doc.HasPageOrientation);
    EXPECT_EQ(doc.AlbumSettings.PaperWidthMm(), 210);
    EXPECT_EQ(doc.AlbumSettings.PaperHeightMm(), 297);
    EXPECT_EQ(FromShiftJis(doc.AlbumSettings.UsedFonts()),
              QStringLiteral("ＭＳ 明朝\r\nＭＳ ゴシック"));

    // A contents table with nested levels, every entry leading to a page of the album.
    ASSERT_GE(doc.ContentsTexts.size(), 5);
    EXPECT_FALSE(doc.ContentsTextErrors);
    int deepest = 0;
    for (std::size_t i = 0; i + 1 < doc.ContentsEntries.size(); ++i) {
        deepest = std::max<int>(deepest, doc.ContentsEntries[i].Level);
        EXPECT_GE(doc.ContentsEntries[i].Page, 1);
        EXPECT_LE(doc.ContentsEntries[i].Page, doc.PageCount);
    }
    EXPECT_GE(deepest, 2);

    // Every page decodes; photograph pages are mostly picture, and one page is a Windows
    // metafile.
    int placeable = 0;
    for (int page = 1; page <= doc.PageCount; ++page) {
        const mf::Metafile metafile = mf::Metafile::Load(ReadPageBytes(doc, page));
        const QSize size = metafile.NaturalPixelSize(96);
        EXPECT_NEAR(size.height(), size.width() * 297.0 / 210.0, 2.0)
            << "page " << page << " is not A4 portrait";
        if (metafile.Kind() == mf::MetafileKind::Placeable) {
            ++placeable;
            continue;
        }
        QImage image(210, 297, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        EXPECT_TRUE(mf::Play(metafile, painter, image.rect()).complete) << "page " << page;
        painter.end();
        EXPECT_GT(InkShare(image), 0.25) << "page " << page << " shows no photographs";
    }
    EXPECT_EQ(placeable, 1);
}

TEST_F(SampleAlbumTest, QzdAlbumHasNineByteEntriesAndOnePageTurned) {
    AlbumLoadResult result = Load(QStringLiteral("sample.YRA.QZD"));
    ASSERT_TRUE(result.Loaded()) << result.userMessage.toStdString();
    const Document& doc = result.document;
    ASSERT_TRUE(doc.HasPageOrientation);
    int turned = 0;
    for (int page = 1; page <= doc.PageCount; ++page) {
        const bool isTurned =
            doc.PageDirectory[page].Orientation != doc.PageDirectory[0].Orientation;
        turned += isTurned;
        const QSize size = mf::Metafile::Load(ReadPageBytes(doc, page)).NaturalPixelSize(96);
        // The turned page is drawn landscape, the others portrait.
        EXPECT_EQ(size.width() > size.height(), isTurned) << "page " << page;
    }
    EXPECT_EQ(turned, 1);
}

}  // namespace
}  // namespace tavlex
