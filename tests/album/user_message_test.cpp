#include <gtest/gtest.h>

#include <QString>

#include <new>
#include <stdexcept>

#include "album/UserMessage.h"

namespace tavlex {
namespace {

// Every kind has words of its own for the user: Japanese, never the developer's text, and naming
// the album where the album is what went wrong.
bool IsJapanese(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x3000) return true;
    }
    return false;
}

struct AlbumKindCase {
    AlbumErrorKind kind;
    bool namesAlbum;
};

class AlbumKindTest : public testing::TestWithParam<AlbumKindCase> {};

TEST_P(AlbumKindTest, IsWordedForTheUser) {
    const QString text = UserMessage(GetParam().kind, QStringLiteral("工事A.YRA"));
    EXPECT_TRUE(IsJapanese(text)) << text.toStdString();
    EXPECT_EQ(text.contains(QStringLiteral("工事A.YRA")), GetParam().namesAlbum);
    const AlbumError error(GetParam().kind, QStringLiteral("developer detail"));
    EXPECT_EQ(UserMessage(error, QStringLiteral("工事A.YRA")), text);
}

INSTANTIATE_TEST_SUITE_P(Kinds, AlbumKindTest,
                         testing::Values(AlbumKindCase{AlbumErrorKind::CannotOpen, true},
                                         AlbumKindCase{AlbumErrorKind::Damaged, true},
                                         AlbumKindCase{AlbumErrorKind::NoTemporaryName, false},
                                         AlbumKindCase{AlbumErrorKind::TemporaryFile, false},
                                         AlbumKindCase{AlbumErrorKind::InvalidPage, false},
                                         AlbumKindCase{AlbumErrorKind::NoSuchPage, false},
                                         AlbumKindCase{AlbumErrorKind::CannotWrite, true},
                                         AlbumKindCase{AlbumErrorKind::AlbumChanged, true},
                                         AlbumKindCase{AlbumErrorKind::InvalidDescription, false}));

// The texts the program has always shown stay exactly as they were.
TEST(UserMessageTest, KnownTextsAreKept) {
    const QString name = QStringLiteral("PHOTO.JPG");
    EXPECT_EQ(UserMessage(LoadStatus::NoFile, name),
              QStringLiteral("書類名がパラメータとして渡されていません。"));
    EXPECT_EQ(UserMessage(LoadStatus::NotAlbumName, name),
              QStringLiteral("この形式はサポートされていません。 > PHOTO.JPG"));
    EXPECT_EQ(UserMessage(LoadStatus::UnsupportedVersion, name),
              QStringLiteral("このバージョンはサポートされていません。 > PHOTO.JPG"));
    EXPECT_TRUE(UserMessage(LoadStatus::NoPages, name).isEmpty());
    EXPECT_TRUE(UserMessage(LoadStatus::Loaded, name).isEmpty());
    const QString invalid = QStringLiteral("メタファイルが不正です");
    EXPECT_EQ(UserMessage(AlbumErrorKind::InvalidPage, name), invalid);
    EXPECT_EQ(UserMessage(mf::MetafileError(mf::MetafileErrorKind::BadRecord, "x"), name), invalid);
    EXPECT_EQ(UserMessage(FileError(FileErrorKind::CannotWrite, "/home/u/Tavlex.INI"), name),
              QStringLiteral("/home/u/Tavlex.INI に書き込めません"));
    EXPECT_EQ(UserMessage(FileErrorKind::CannotMakeFolder, "/x"),
              QStringLiteral("ディレクトリを作成することができません"));
}

TEST(UserMessageTest, EveryMetafileKindAndForeignErrorsAreWorded) {
    for (const auto kind : {mf::MetafileErrorKind::NotMetafile, mf::MetafileErrorKind::BadHeader,
                            mf::MetafileErrorKind::BadRecord, mf::MetafileErrorKind::TooLarge,
                            mf::MetafileErrorKind::Truncated, mf::MetafileErrorKind::NotArrived}) {
        EXPECT_TRUE(IsJapanese(UserMessage(kind)));
    }
    EXPECT_TRUE(IsJapanese(UserMessage(std::bad_alloc(), QString())));
    const QString other = UserMessage(std::logic_error("internal detail"), QString());
    EXPECT_TRUE(IsJapanese(other));
    EXPECT_FALSE(other.contains(QStringLiteral("internal detail")));
}

}  // namespace
}  // namespace tavlex
