#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "album/AlbumLoader.h"
#include "album/TemporaryBodies.h"
#include "tests/album/AlbumTestSupport.h"

namespace tavlex {
namespace {

// The only code that deletes files: it must take the body names and nothing else, and leave a
// body that an open album (here or in another viewer) still reads.
TEST(TemporaryBodiesTest, DeletesOnlyFreeBodyNames) {
    QTemporaryDir albums;
    QTemporaryDir temp;
    const Document held =
        LoadAlbum(test::WriteFile(albums, "a.YRA", test::SampleAlbum()), temp.path(), 96).document;
    ASSERT_EQ(held.BodyStream->Path(), temp.filePath("Tavlex_0.TMP"));
    for (int n = 1; n <= 31; ++n)
        test::WriteFile(temp, QStringLiteral("Tavlex_%1.TMP").arg(n), "b");
    const QStringList others{"Tavlex.INI",   "Tavlex_05.TMP", "Tavlex_1.TMP.bak", "Tavlex_-1.TMP",
                             "Tavlex_1.tmp", "XTavlex_1.TMP", "Tavlex_100.TMP"};
    for (const QString& name : others) test::WriteFile(temp, name, "keep");

    DeleteTemporaryBodies(temp.path());

    QStringList left = QDir(temp.path()).entryList(QDir::Files, QDir::Name);
    QStringList expected = others;
    expected << "Tavlex_0.TMP"
             << "Tavlex_31.TMP";
    expected.sort();
    left.sort();
    EXPECT_EQ(left, expected);
    EXPECT_EQ(ReadPageBytes(held, 1), test::SamplePages()[0].data);  // still readable

    DeleteTemporaryBodies(QString());  // no folder: nothing happens, nothing throws
}

}  // namespace
}  // namespace tavlex
