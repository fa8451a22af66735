#include "support/FileError.h"
#include "support/SIniFile.h"
#include "support/SRegIniFile.h"
#include "tests/common/Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace tavlex {
namespace {

class IniFileTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        previousFolder_ = IniFolder();
        SetIniFolder(dir_.path() + u'/');
    }
    void TearDown() override { SetIniFolder(previousFolder_); }

    QString PathOf(const QString& name) const { return dir_.path() + u'/' + name; }

    void WriteFile(const QByteArray& bytes, const QString& name = QStringLiteral("t.ini")) {
        QFile file(PathOf(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray ReadFile(const QString& name = QStringLiteral("t.ini")) const {
        QFile file(PathOf(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
    QString previousFolder_;
};

struct NumberCase {
    const char* stored;
    std::int32_t expected;  // kDefault: the default comes back
};
constexpr std::int32_t kDefault = -77;

class IniNumber : public IniFileTest, public testing::WithParamInterface<NumberCase> {};

TEST_P(IniNumber, ReadsStoredText) {
    WriteFile(QByteArray("[S]\nk=") + GetParam().stored + '\n');
    EXPECT_EQ(SIniFile(SIniFile::kIniMode, "t.ini").GetNumber("S", "k", kDefault),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, IniNumber,
    testing::Values(NumberCase{"0x1F", 31}, NumberCase{"0X1f", 31}, NumberCase{"$10", 16},
                    NumberCase{"-$10", -16}, NumberCase{"-5", -5}, NumberCase{"+5", 5},
                    NumberCase{"  42  ", 42}, NumberCase{"12abc", kDefault},
                    NumberCase{"", kDefault}, NumberCase{"0x", kDefault},
                    NumberCase{"0x-1", kDefault}, NumberCase{"$", kDefault},
                    NumberCase{"-", kDefault}, NumberCase{"1 2", kDefault},
                    NumberCase{"0xFFFFFFFF", -1}, NumberCase{"$80000000", INT32_MIN},
                    NumberCase{"0x100000000", kDefault}, NumberCase{"2147483647", INT32_MAX},
                    NumberCase{"2147483648", kDefault}, NumberCase{"-2147483648", INT32_MIN},
                    NumberCase{"-2147483649", kDefault},
                    NumberCase{"99999999999999999999999", kDefault},
                    NumberCase{"\xEF\xBC\x91", kDefault}));  // full-width 1

struct FlagCase {
    const char* line;
    bool defaultValue;
    bool expected;
};

class IniFlag : public IniFileTest, public testing::WithParamInterface<FlagCase> {};

TEST_P(IniFlag, ReadsNonZeroAsTrue) {
    WriteFile(QByteArray("[S]\n") + GetParam().line + '\n');
    EXPECT_EQ(SIniFile(SIniFile::kIniMode, "t.ini").GetFlag("S", "k", GetParam().defaultValue),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, IniFlag,
                         testing::Values(FlagCase{"k=2", false, true},
                                         FlagCase{"k=-1", false, true},
                                         FlagCase{"k=0", true, false}, FlagCase{"k=1", false, true},
                                         FlagCase{"k=word", true, true},
                                         FlagCase{"k=word", false, false},
                                         FlagCase{"other=0", true, true}));

TEST_F(IniFileTest, WritesReadBack) {
    SIniFile ini(SIniFile::kIniMode, "t.ini");
    ini.PutFlag("S", "f", false);
    EXPECT_EQ(ini.GetText("S", "f", "x"), "0");
    ini.PutFlag("S", "g", true);
    ini.PutNumber("S", "n", -5);
    ini.PutText("S", "t", QString::fromUtf8(" 現場写真 "));
    EXPECT_EQ(ReadFile(), QByteArray("[S]\nf=0\ng=1\nn=-5\nt=\" 現場写真 \"\n"));
    EXPECT_TRUE(ini.GetFlag("S", "g", false));
    EXPECT_EQ(ini.GetNumber("S", "n", 0), -5);
    EXPECT_EQ(ini.GetText("S", "t", ""), QString::fromUtf8(" 現場写真 "));
    EXPECT_EQ(ini.GetText("S", "missing", "d"), "d");
    EXPECT_EQ(ini.GetText("Missing", "t", "d"), "d");
}

TEST_F(IniFileTest, ValuesAreCutAt2047Bytes) {
    WriteFile("[S]\nlong=" + QByteArray(3000, 'v') +
              "\nwide=" + QString(1000, QChar(0x3042)).toUtf8() + "\n");
    SIniFile ini(SIniFile::kIniMode, "t.ini");
    EXPECT_EQ(ini.GetText("S", "long", ""), QString(2047, u'v'));
    // 682 three-byte characters fit in 2047 bytes; the 683rd would be cut in two.
    EXPECT_EQ(ini.GetText("S", "wide", ""), QString(682, QChar(0x3042)));
}

TEST_F(IniFileTest, ShiftJisFileReadAndWrittenInItsEncoding) {
    WriteFile("[S]\r\nname=\x8C\xBB\x8F\xEA\r\n");  // 現場
    SIniFile ini(SIniFile::kIniMode, "t.ini");
    EXPECT_EQ(ini.GetText("S", "name", ""), QString::fromUtf8("現場"));
    ini.PutText("S", "more", QString::fromUtf8("写真"));
    EXPECT_EQ(ReadFile(), QByteArray("[S]\r\nname=\x8C\xBB\x8F\xEA\r\nmore=\x8E\xCA\x90\x5E\r\n"));
}

TEST_F(IniFileTest, EveryCallSeesTheFileAsItIsNow) {
    SIniFile first(SIniFile::kIniMode, "t.ini");
    SIniFile second(SIniFile::kIniMode, "t.ini");
    EXPECT_EQ(second.GetNumber("S", "k", 0), 0);
    first.PutNumber("S", "k", 1);
    EXPECT_EQ(second.GetNumber("S", "k", 0), 1);
    WriteFile("[S]\nk=2\n");  // another program, same second
    EXPECT_EQ(first.GetNumber("S", "k", 0), 2);
    second.PutNumber("S", "j", 3);
    first.PutNumber("S", "k", 4);
    EXPECT_EQ(ReadFile(), QByteArray("[S]\nk=4\nj=3\n"));
}

TEST_F(IniFileTest, DropSectionRemovesOnlyItsSection) {
    WriteFile("[View_Env]\nZoomIndex=3\n\n[Sz_VMainForm]\nszLeft=10\n\n[Mine]\nx=1\n");
    SIniFile ini(SIniFile::kIniMode, "t.ini");
    ini.DropSection("sz_vmainform");
    EXPECT_EQ(ini.GetNumber("Sz_VMainForm", "szLeft", -1), -1);
    EXPECT_EQ(ReadFile(), QByteArray("[View_Env]\nZoomIndex=3\n\n[Mine]\nx=1\n"));
    ini.DropSection("Absent");
    SIniFile(SIniFile::kIniMode, "new.ini").DropSection("Absent");
    EXPECT_FALSE(QFileInfo::exists(PathOf("new.ini")));
}

TEST_F(IniFileTest, ReplacingKeepsPermissionsLinksAndNoTemporaryFiles) {
    WriteFile("[S]\nk=1\n", "real.ini");
    ASSERT_EQ(::chmod(QFile::encodeName(PathOf("real.ini")).constData(), 0604), 0);
    ASSERT_TRUE(QFile::link(PathOf("real.ini"), PathOf("t.ini")));
    SIniFile(SIniFile::kIniMode, "t.ini").PutNumber("S", "k", 2);
    EXPECT_EQ(ReadFile("real.ini"), QByteArray("[S]\nk=2\n"));
    EXPECT_TRUE(QFileInfo(PathOf("t.ini")).isSymLink());
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(PathOf("real.ini")).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).size(), 2);
}

// Each way a write can be impossible, and the operation that meets it.
struct FailureCase {
    const char* name;
    const char* iniName;  // relative to the test folder
    std::function<void(SIniFile&)> write;
};

class IniWriteFailure : public IniFileTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(IniWriteFailure, RaisesCannotWriteWithFullPath) {
    WriteFile("plain file\n", "file");
    ASSERT_TRUE(QDir(dir_.path()).mkdir("folder.ini"));
    SIniFile ini(SIniFile::kIniMode, QString::fromUtf8(GetParam().iniName));
    try {
        GetParam().write(ini);
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Kind(), FileErrorKind::CannotWrite);
        EXPECT_EQ(error.Path(), PathOf(QString::fromUtf8(GetParam().iniName)));
    }
    EXPECT_EQ(ReadFile("file"), QByteArray("plain file\n"));
    EXPECT_TRUE(QFileInfo(PathOf("folder.ini")).isDir());
}

const FailureCase kFailures[] = {
    {"MissingFolderPutText", "missing/t.ini", [](SIniFile& i) { i.PutText("S", "k", "v"); }},
    {"MissingFolderPutNumber", "missing/t.ini", [](SIniFile& i) { i.PutNumber("S", "k", 1); }},
    {"MissingFolderPutFlag", "missing/t.ini", [](SIniFile& i) { i.PutFlag("S", "k", true); }},
    {"MissingFolderDropSection", "missing/t.ini", [](SIniFile& i) { i.DropSection("S"); }},
    {"FolderIsAFile", "file/t.ini", [](SIniFile& i) { i.PutText("S", "k", "v"); }},
    {"IniIsAFolder", "folder.ini", [](SIniFile& i) { i.PutText("S", "k", "v"); }},
    {"NameNotWritable", "t.ini", [](SIniFile& i) { i.PutText("S", "a=b", "v"); }},
};

INSTANTIATE_TEST_SUITE_P(Writes, IniWriteFailure, testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// The folder stays writable: the file must not be replaced through it either.
TEST_F(IniFileTest, ReadOnlyFileIsNotReplaced) {
    WriteFile("[S]\nk=1\n");
    ASSERT_EQ(::chmod(QFile::encodeName(PathOf("t.ini")).constData(), 0444), 0);
    const int result = test::RunWithoutPrivilege({dir_.path(), PathOf("t.ini")}, [] {
        SIniFile ini(SIniFile::kIniMode, "t.ini");
        try {
            ini.PutNumber("S", "k", 2);
        } catch (const FileError& error) {
            return error.Kind() == FileErrorKind::CannotWrite ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadFile(), QByteArray("[S]\nk=1\n"));
}

TEST_F(IniFileTest, FileTooLargeToRewriteIsLeftAlone) {
    // Far beyond any settings file: what is not read whole is never written back.
    const QByteArray huge = "[S]\nk=1\n" + QByteArray(17 * 1024 * 1024, ';');
    WriteFile(huge);
    SIniFile ini(SIniFile::kIniMode, "t.ini");
    EXPECT_EQ(ini.GetNumber("S", "k", 5), 5);
    EXPECT_THROW(ini.PutNumber("S", "k", 2), FileError);
    EXPECT_EQ(QFileInfo(PathOf("t.ini")).size(), huge.size());
}

TEST(RegIniFile, SectionPathsAndDefaults) {
    const SRegIniFile reg(SRegIniFile::RootKey::LocalMachine, true, "SOFTWARE\\Maker");
    EXPECT_EQ(reg.SectionKeyPath("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion"),
              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
    EXPECT_EQ(reg.SectionKeyPath("Viewer"), "SOFTWARE\\Maker\\Viewer");
    EXPECT_EQ(SRegIniFile(SRegIniFile::RootKey::LocalMachine, true, "").SectionKeyPath("A"), "A");
    EXPECT_EQ(reg.GetText("\\SOFTWARE", "ProgramFilesDir", "fallback"), "fallback");
}

}  // namespace
}  // namespace tavlex
