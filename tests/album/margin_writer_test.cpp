#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

#include "album/AlbumLoader.h"
#include "album/MarginWriter.h"
#include "tests/album/AlbumTestSupport.h"
#include "tests/common/Unprivileged.h"

namespace tavlex {
namespace {

class MarginWriterTest : public testing::Test {
  protected:
    void SetUp() override {
        original_ = test::SampleAlbum();
        path_ = test::WriteFile(dir_, "m.YRA", original_);
    }
    Document Open(int pixelsPerInch = 96) {
        AlbumLoadResult result = LoadAlbum(path_, temp_.path(), pixelsPerInch);
        EXPECT_EQ(result.status, LoadStatus::Loaded);
        return std::move(result.document);
    }
    static void SetOffsets(Document& document, int top, int bottom, int left, int right) {
        document.EdgeOffsetTop = top;
        document.EdgeOffsetBottom = bottom;
        document.EdgeOffsetLeft = left;
        document.EdgeOffsetRight = right;
    }

    QTemporaryDir dir_;
    QTemporaryDir temp_;
    QByteArray original_;
    QString path_;
};

TEST_F(MarginWriterTest, WritesOnlyTheFourMarginsAndReopensToTheSamePixels) {
    Document document = Open();
    SetOffsets(document, 2, -3, 0, 50);
    WriteMargins(document, 96);

    const QByteArray written = test::ReadFile(path_);
    ASSERT_EQ(written.size(), original_.size());
    for (qsizetype i = 0; i < written.size(); ++i) {
        if (i >= 12 && i < 44) continue;  // the margin fields
        ASSERT_EQ(written[i], original_[i]) << "byte " << i;
    }
    const AlbumHeader header = AlbumHeader::FromBytes(written);
    EXPECT_EQ(header.MarginTop(), 5000);  // 0.5 mm
    EXPECT_EQ(header.MarginBottom(), -8000);
    EXPECT_EQ(header.MarginLeft(), 0);
    EXPECT_EQ(header.MarginRight(), 132000);
    EXPECT_EQ(document.AlbumHeader, header);

    const Document reopened = Open();
    EXPECT_EQ(reopened.EdgeOffsetTop, 2);
    EXPECT_EQ(reopened.EdgeOffsetBottom, -3);
    EXPECT_EQ(reopened.EdgeOffsetLeft, 0);
    EXPECT_EQ(reopened.EdgeOffsetRight, 50);
    // Another resolution turns the same millimetres into other pixels.
    EXPECT_EQ(Open(120).EdgeOffsetRight, 62);
}

TEST_F(MarginWriterTest, WritingTwiceFromTheSameDocumentWorks) {
    Document document = Open();
    SetOffsets(document, 1, 1, 1, 1);
    WriteMargins(document, 96);
    SetOffsets(document, -7, 0, 0, 0);
    WriteMargins(document, 96);
    EXPECT_EQ(Open().EdgeOffsetTop, -7);
}

struct ChangeCase {
    const char* name;
    void (*change)(const QString& path);
};

class ChangedFileTest : public MarginWriterTest, public testing::WithParamInterface<ChangeCase> {};

// When the file on disk is no longer the one loaded, nothing is written and the in-memory
// header keeps its margins.
TEST_P(ChangedFileTest, IsRefusedAndLeftAlone) {
    Document document = Open();
    const AlbumHeader before = document.AlbumHeader;
    GetParam().change(path_);
    const QByteArray changed = test::ReadFile(path_);
    SetOffsets(document, 9, 9, 9, 9);
    EXPECT_THROW(WriteMargins(document, 96), AlbumError);
    EXPECT_EQ(test::ReadFile(path_), changed);
    EXPECT_EQ(document.AlbumHeader, before);
}

void Replace(const QString& path, const QByteArray& bytes) {
    const QString other = path + ".new";
    QFile file(other);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(other, path));
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangedFileTest,
    testing::Values(ChangeCase{"replaced_by_a_copy",
                               [](const QString& p) { Replace(p, test::ReadFile(p)); }},
                    ChangeCase{"grown",
                               [](const QString& p) {
                                   QFile f(p);
                                   ASSERT_TRUE(f.open(QIODevice::Append));
                                   f.write("x");
                               }},
                    ChangeCase{"header_rewritten",
                               [](const QString& p) {
                                   QFile f(p);
                                   ASSERT_TRUE(f.open(QIODevice::ReadWrite));
                                   f.seek(20);
                                   f.write("\x01", 1);
                               }},
                    ChangeCase{"removed", [](const QString& p) { ASSERT_TRUE(QFile::remove(p)); }}),
    [](const testing::TestParamInfo<ChangeCase>& info) { return std::string(info.param.name); });

TEST_F(MarginWriterTest, ADocumentThatNeverOpenedIsRefused) {
    Document document;
    EXPECT_THROW(WriteMargins(document, 96), AlbumError);
}

TEST_F(MarginWriterTest, AReadOnlyFileIsReportedAndUnchanged) {
    Document document = Open();
    ASSERT_TRUE(QFile::setPermissions(path_, QFile::ReadOwner));
    SetOffsets(document, 5, 5, 5, 5);
    const int result = test::RunWithoutPrivilege({dir_.path(), path_}, [&] {
        try {
            WriteMargins(document, 96);
        } catch (const AlbumError& error) {
            return error.Kind() == AlbumErrorKind::CannotWrite ? 0 : 2;
        }
        return 1;  // written after all
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(test::ReadFile(path_), original_);
}

}  // namespace
}  // namespace tavlex
