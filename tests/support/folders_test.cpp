#include "support/Folders.h"
#include "support/FileError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace tavlex {
namespace {

struct TextCase {
    const char* in;
    const char* out;
};

class AddDelimiter : public testing::TestWithParam<TextCase> {};
TEST_P(AddDelimiter, AppendsOneSlash) {
    EXPECT_EQ(AddBackslash(QString::fromUtf8(GetParam().in)), QString::fromUtf8(GetParam().out));
}
// Short folders get their delimiter too: there are no drive roots to protect here.
INSTANTIATE_TEST_SUITE_P(Texts, AddDelimiter,
                         testing::Values(TextCase{"", ""}, TextCase{"/", "/"},
                                         TextCase{"/a", "/a/"}, TextCase{"abc", "abc/"},
                                         TextCase{"/home/x", "/home/x/"},
                                         TextCase{"/home/x/", "/home/x/"},
                                         TextCase{"/写真", "/写真/"}, TextCase{"a\\", "a\\/"}));

class RemoveDelimiter : public testing::TestWithParam<TextCase> {};
TEST_P(RemoveDelimiter, DropsOneSlashButNotTheRoot) {
    EXPECT_EQ(RemoveBackslash(QString::fromUtf8(GetParam().in)), QString::fromUtf8(GetParam().out));
}
INSTANTIATE_TEST_SUITE_P(Texts, RemoveDelimiter,
                         testing::Values(TextCase{"", ""}, TextCase{"/", "/"},
                                         TextCase{"/a/", "/a"}, TextCase{"/a//", "/a/"},
                                         TextCase{"/a", "/a"}, TextCase{"a/", "a"}));

class FolderTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString Path(const QString& relative) const { return dir_.path() + u'/' + relative; }
    void MakeFile(const QString& relative) {
        QFile file(Path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QTemporaryDir dir_;
};

TEST_F(FolderTest, ExistsOnlyForFolders) {
    MakeFile("file");
    ASSERT_TRUE(QFile::link(dir_.path(), Path("link")));
    EXPECT_TRUE(FolderExists(dir_.path()));
    EXPECT_TRUE(FolderExists(dir_.path() + u'/'));
    EXPECT_TRUE(FolderExists(Path("link")));
    EXPECT_FALSE(FolderExists(Path("file")));
    EXPECT_FALSE(FolderExists(Path("missing")));
    EXPECT_FALSE(FolderExists(""));
}

TEST_F(FolderTest, MakeFolderPathCreatesParents) {
    EXPECT_TRUE(MakeFolderPath(Path("Velmo/TempFiles/Tavlex/")));
    EXPECT_TRUE(FolderExists(Path("Velmo/TempFiles/Tavlex")));
    EXPECT_TRUE(MakeFolderPath(Path("Velmo/TempFiles/Tavlex")));  // already there
    EXPECT_TRUE(MakeFolderPath("/"));
}

TEST_F(FolderTest, MakeFolderPathFailures) {
    try {
        MakeFolderPath("");
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Kind(), FileErrorKind::CannotMakeFolder);
    }
    MakeFile("file");
    EXPECT_FALSE(MakeFolderPath(Path("file")));
    EXPECT_FALSE(MakeFolderPath(Path("file/below/deeper")));
    EXPECT_TRUE(QFileInfo(Path("file")).isFile());
}

TEST_F(FolderTest, EnsureFolderBeepsOnlyOnFailure) {
    int beeps = 0;
    const auto previous = SetFolderBeep([&] { ++beeps; });
    MakeFile("file");
    EXPECT_TRUE(EnsureFolder(Path("a/b")));
    EXPECT_TRUE(EnsureFolder(Path("a/b")));
    EXPECT_EQ(beeps, 0);
    EXPECT_FALSE(EnsureFolder(Path("file/sub")));
    EXPECT_FALSE(EnsureFolder(""));
    EXPECT_EQ(beeps, 2);
    SetFolderBeep(previous);
}

TEST(ProgramFolders, ProgramFolderHoldsTheProgram) {
    const QString folder = ProgramFolder();
    ASSERT_TRUE(folder.endsWith(u'/'));
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_EQ(folder + QFileInfo(ProgramPath()).fileName(), ProgramPath());
    EXPECT_TRUE(QFileInfo(ProgramPath()).isExecutable());
}

TEST(ProgramFolders, AppDataFolderFollowsXdgDataHome) {
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + u'/'));
    EXPECT_EQ(AppDataFolder(), home.path());
    if (wasSet) {
        qputenv("XDG_DATA_HOME", saved);
    } else {
        qunsetenv("XDG_DATA_HOME");
    }
}

}  // namespace
}  // namespace tavlex
