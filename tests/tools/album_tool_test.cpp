#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "tests/album/AlbumTestSupport.h"
#include "tests/tools/ToolRun.h"

namespace tavlex {
namespace {

using test::ToolPath;
using test::ToolRun;

class AlbumToolTest : public testing::Test {
  protected:
    void SetUp() override {
        if (!QFileInfo(ToolPath()).isExecutable()) GTEST_SKIP() << "tavlex-album is not built";
    }

    ToolRun Tool(const QStringList& args) {
        // TMPDIR of its own, to see it cleaned up.
        const ToolRun run = test::RunTool(args, {{QStringLiteral("TMPDIR"), tmp_.path()}}, 60000);
        EXPECT_TRUE(QDir(tmp_.path()).isEmpty()) << "temporary files left behind";
        return run;
    }
    QString File(const QString& name, const QByteArray& bytes) {
        return test::WriteFile(dir_, name, bytes);
    }
    static void ExpectOneLineFailure(const ToolRun& run, const QString& text) {
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.constData();
        EXPECT_TRUE(QString::fromUtf8(run.err).contains(text)) << run.err.constData();
    }

    QTemporaryDir dir_;
    QTemporaryDir tmp_;
};

QJsonObject Description(bool oriented) {
    QJsonObject settings{{"created", "2024-05-06T07:08:09"},
                         {"title", QStringLiteral("工事写真帳　第二工区")},
                         {"remarks", QStringLiteral("備考①")},
                         {"author", QStringLiteral("山田")},
                         {"page_offset", -1},
                         {"paper_code", 256},
                         {"orientation", 1},
                         {"paper_width_mm", 297},
                         {"paper_height_mm", 210},
                         {"gaiji_as_bitmap", true},
                         {"substitute_font", QStringLiteral("ＭＳ 明朝")},
                         {"used_fonts", QJsonArray{QStringLiteral("ＭＳ ゴシック"), "Arial"}}};
    QJsonArray pages;
    for (int i = 0; i < 3; ++i) {
        QJsonObject page{{"file", QStringLiteral("p%1.bin").arg(i)}};
        if (oriented) page.insert("orientation", i % 2);
        pages.append(page);
    }
    return QJsonObject{
        {"signature", "JXA"},
        {"product_version_raw", 90000},
        {"margins_raw",
         QJsonObject{{"top", 5000}, {"bottom", -8000}, {"left", 0}, {"right", 132000}}},
        {"settings", settings},
        {"contents",
         QJsonArray{QJsonObject{{"page", 1}, {"level", 0}, {"text", QStringLiteral("第1章")}},
                    QJsonObject{{"page", 3}, {"level", 2}, {"text", "Walls"}}}},
        {"pages", pages}};
}

// make -> info gives the description back, plus what follows from it.
TEST_F(AlbumToolTest, MakeThenInfoGivesTheDescriptionBack) {
    for (const bool oriented : {false, true}) {
        SCOPED_TRACE(oriented);
        for (int i = 0; i < 3; ++i)
            File(QStringLiteral("p%1.bin").arg(i), test::PageBytes(i, 10 + i));
        const QJsonObject description = Description(oriented);
        const QString descriptionPath =
            File("description.json", QJsonDocument(description).toJson());
        const QString album = dir_.filePath(oriented ? "out.YRA.QZD" : "out.YRA");
        const ToolRun made = Tool({"make", descriptionPath, album});
        ASSERT_EQ(made.exitCode, 0) << made.err.constData();

        const ToolRun info = Tool({"info", album});
        ASSERT_EQ(info.exitCode, 0) << info.err.constData();
        const QJsonObject printed = QJsonDocument::fromJson(info.out).object();
        for (const char* key :
             {"signature", "product_version_raw", "margins_raw", "settings", "contents"}) {
            EXPECT_EQ(printed.value(key), description.value(key)) << key;
        }
        EXPECT_EQ(printed.value("format_level"), 10000);
        EXPECT_EQ(printed.value("long_settings"), true);
        EXPECT_EQ(printed.value("has_page_orientation"), oriented);
        EXPECT_EQ(printed.value("page_count"), 3);
        const QJsonArray pages = printed.value("pages").toArray();
        ASSERT_EQ(pages.size(), 3);
        for (int i = 0; i < 3; ++i) {
            const QJsonObject page = pages[i].toObject();
            EXPECT_EQ(page.value("size"), 10 + i);
            EXPECT_EQ(page.contains("orientation"), oriented);
            if (oriented) {
                EXPECT_EQ(page.value("orientation"), i % 2);
            }
            const QString extracted = dir_.filePath("x.bin");
            ASSERT_EQ(Tool({"extract", album, QString::number(i + 1), extracted}).exitCode, 0);
            EXPECT_EQ(test::ReadFile(extracted), test::PageBytes(i, 10 + i));
        }
        // Keys come in the documented order.
        const QByteArray& text = info.out;
        qsizetype last = -1;
        for (const char* key :
             {"\"signature\"", "\"product_version_raw\"", "\"format_level\"", "\"long_settings\"",
              "\"has_page_orientation\"", "\"margins_raw\"", "\"body_length\"", "\"settings\"",
              "\"contents\"", "\"page_count\"", "\"pages\""}) {
            const qsizetype at = text.indexOf(key);
            EXPECT_GT(at, last) << key;
            last = at;
        }
    }
}

TEST_F(AlbumToolTest, SetMarginsChangesOnlyTheMarginBytes) {
    const QByteArray original = test::SampleAlbum();
    const QString album = File("m.YRA", original);
    ASSERT_EQ(Tool({"set-margins", album, "2", "-3", "0", "50"}).exitCode, 0);
    const QByteArray written = test::ReadFile(album);
    EXPECT_EQ(written.left(12), original.left(12));
    EXPECT_EQ(written.mid(44), original.mid(44));
    const AlbumHeader header = AlbumHeader::FromBytes(written);
    EXPECT_EQ(header.MarginTop(), 5000);
    EXPECT_EQ(header.MarginBottom(), -8000);
    EXPECT_EQ(header.MarginLeft(), 0);
    EXPECT_EQ(header.MarginRight(), 132000);
}

// Where no private folder can be made, the tool stops instead of putting bodies into the shared
// folder, where another user's link could be waiting under a temporary name.
TEST_F(AlbumToolTest, WithoutAPrivateTemporaryFolderNothingIsLoaded) {
    const QString album = File("a.YRA", test::SampleAlbum());
    const QString notAFolder = File("tmp-is-a-file", "x");
    const ToolRun run =
        test::RunTool({"info", album}, {{QStringLiteral("TMPDIR"), notAFolder}}, 60000);
    ExpectOneLineFailure(run, QStringLiteral("private temporary folder"));
    EXPECT_EQ(test::ReadFile(notAFolder), "x");
}

// A page whose entry points outside the body is refused alone; the album's other pages work.
TEST_F(AlbumToolTest, StrayPageAloneIsRefused) {
    constexpr std::int32_t kPages = kLongSettingsSize + 4 + 3 * kPageEntrySize;
    const QByteArray body =
        test::BodyWith(0, {},
                       {PageEntry{0, 2, 0}, PageEntry{kPages, 4, 0}, PageEntry{9999, 4, 0}}) +
        "page";
    const QString album = File("stray.YRA", test::AlbumFromBody(body));
    const QString out = dir_.filePath("page.bin");
    ASSERT_EQ(Tool({"extract", album, "1", out}).exitCode, 0);
    EXPECT_EQ(test::ReadFile(out), "page");
    ExpectOneLineFailure(Tool({"extract", album, "2", dir_.filePath("two.bin")}),
                         QStringLiteral("メタファイルが不正です"));
}

struct FailureCase {
    const char* name;
    QStringList args;  // "ALBUM" is replaced by the album's path, "GOOD" by a valid album
    QByteArray album;  // written as bad.YRA
    const char* text;  // expected in the one line
};

class ToolFailureTest : public AlbumToolTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(ToolFailureTest, ExitsWithTwoAndOneLine) {
    const QString bad = File("bad.YRA", GetParam().album);
    const QString good = File("good.YRA", test::SampleAlbum());
    QStringList args = GetParam().args;
    for (QString& arg : args) {
        if (arg == "ALBUM") arg = bad;
        if (arg == "GOOD") arg = good;
        if (arg == "OUT") arg = dir_.filePath("out.bin");
    }
    ExpectOneLineFailure(Tool(args), QString::fromUtf8(GetParam().text));
    EXPECT_EQ(test::ReadFile(good), test::SampleAlbum());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToolFailureTest,
    testing::Values(
        FailureCase{"missing",
                    {"info", "/nonexistent/A.YRA"},
                    {},
                    "書類名がパラメータとして渡されていません。"},
        FailureCase{"version",
                    {"info", "ALBUM"},
                    BuildAlbumBytes(test::SampleContents("JXA", 91000), test::SamplePages(1)),
                    "このバージョンはサポートされていません。 > bad.YRA"},
        FailureCase{"damaged", {"info", "ALBUM"}, test::SampleAlbum().chopped(20), "damaged album"},
        FailureCase{"no_pages",
                    {"info", "ALBUM"},
                    test::AlbumFromBody(test::BodyWith(0, {}, {PageEntry{0, 0, 0}})),
                    "no pages"},
        FailureCase{"page_zero", {"extract", "GOOD", "0", "OUT"}, {}, "page 0"},
        FailureCase{"page_past_end", {"extract", "GOOD", "4", "OUT"}, {}, "page 4"},
        FailureCase{"bad_offset", {"set-margins", "GOOD", "1", "x", "1", "1"}, {}, "whole pixels"},
        FailureCase{"unknown_command", {"frobnicate"}, {}, "unknown command"},
        FailureCase{"margins_on_damaged",
                    {"set-margins", "ALBUM", "1", "1", "1", "1"},
                    test::SampleAlbum().chopped(30),
                    "damaged album"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

struct DescriptionCase {
    const char* name;
    const char* json;
    const char* out;
    const char* text;
};

class BadDescriptionTest : public AlbumToolTest,
                           public testing::WithParamInterface<DescriptionCase> {};

TEST_P(BadDescriptionTest, IsRefusedWithoutWritingAnAlbum) {
    File("p.bin", "page");
    const QString description = File("description.json", GetParam().json);
    const QString out = dir_.filePath(QString::fromUtf8(GetParam().out));
    ExpectOneLineFailure(Tool({"make", description, out}), QString::fromUtf8(GetParam().text));
    EXPECT_FALSE(QFileInfo::exists(out));
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, BadDescriptionTest,
    testing::Values(
        DescriptionCase{"not_json", "{", "a.YRA", "not a JSON object"},
        DescriptionCase{"misspelt_key", R"({"titel": "x"})", "a.YRA", "unknown key"},
        DescriptionCase{
            "title_too_long",
            R"({"product_version_raw": 80000, "settings": {"title": "123456789012345678901234567890123456789012345678901"}})",
            "a.YRA", "the field holds 50"},
        DescriptionCase{"not_shift_jis", R"({"settings": {"author": "😀"}})", "a.YRA",
                        "outside Shift-JIS"},
        DescriptionCase{"orientation_without_qzd",
                        R"({"pages": [{"file": "p.bin", "orientation": 1}]})", "a.YRA", ".QZD"},
        DescriptionCase{"qzd_flag_mismatch", R"({"has_page_orientation": true})", "a.YRA", ".QZD"},
        DescriptionCase{"layout_mismatch",
                        R"({"product_version_raw": 80000, "long_settings": true})", "a.YRA",
                        "long_settings"},
        DescriptionCase{"missing_page_file", R"({"pages": [{"file": "nope.bin"}]})", "a.YRA",
                        "nope.bin"},
        DescriptionCase{"fractional_number", R"({"settings": {"page_offset": 1.5}})", "a.YRA",
                        "integer"},
        DescriptionCase{"bad_date", R"({"settings": {"created": "yesterday"}})", "a.YRA",
                        "created"}),
    [](const testing::TestParamInfo<DescriptionCase>& info) {
        return std::string(info.param.name);
    });

}  // namespace
}  // namespace tavlex
