#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <optional>

#include "album/AlbumLoader.h"
#include "album/PageArrival.h"
#include "tests/album/AlbumTestSupport.h"

namespace tavlex {
namespace {

using test::AlbumFromBody;
using test::BodyWith;
using test::Int32Bytes;

class LoaderTest : public testing::Test {
  protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        return test::WriteFile(dir_, name, bytes);
    }
    AlbumLoadResult Load(const QString& path) { return LoadAlbum(path, temp_.path(), 96); }
    AlbumLoadResult LoadBytes(const QByteArray& bytes, const QString& name = "a.YRA") {
        return Load(Write(name, bytes));
    }

    QTemporaryDir dir_;
    QTemporaryDir temp_;
};

TEST_F(LoaderTest, ReadsAnAlbumMadeByTheWriter) {
    const std::vector<AlbumPage> pages = test::SamplePages(3);
    AlbumContents contents = test::SampleContents();
    contents.header.SetMargins(26000, -26000, 0, 132000);
    AlbumLoadResult result = LoadBytes(BuildAlbumBytes(contents, pages), "Album.yra");
    ASSERT_EQ(result.status, LoadStatus::Loaded);
    const Document& document = result.document;
    EXPECT_TRUE(result.userMessage.isEmpty());
    EXPECT_EQ(document.CurrentPage, 1);
    EXPECT_EQ(document.PageCount, 3);
    EXPECT_EQ(document.PageDirectory.size(), 4u);
    EXPECT_EQ(document.PageOffset, 4);
    EXPECT_EQ(document.PaperWidth, 794);  // 210 mm at 96 pixels per inch
    EXPECT_EQ(document.PaperHeight, 1123);
    EXPECT_EQ(document.EdgeOffsetTop, 10);
    EXPECT_EQ(document.EdgeOffsetBottom, -10);
    EXPECT_EQ(document.EdgeOffsetLeft, 0);
    EXPECT_EQ(document.EdgeOffsetRight, 50);
    EXPECT_EQ(document.FormatLevel, 10000);
    EXPECT_TRUE(document.UsesLongSettings);
    EXPECT_FALSE(document.HasPageOrientation);
    EXPECT_EQ(document.AlbumSettings.Title(), "Title");
    EXPECT_TRUE(document.AlbumPath.endsWith("Album.yra"));
    // Three records give three texts and four entries, the last (0, 0); texts trimmed.
    EXPECT_EQ(document.ContentsEntries,
              (std::vector<ContentsEntry>{{1, 0}, {2, 1}, {3, 1}, {0, 0}}));
    EXPECT_EQ(document.ContentsTexts, (QStringList{QStringLiteral("第1章"), "Section", ""}));
    EXPECT_EQ(document.ContentsTextBytes[0], QByteArray("\x91\xe6\x31\x8f\xcd"));
    EXPECT_FALSE(document.ContentsTextErrors);
    for (int page = 1; page <= 3; ++page) {
        EXPECT_EQ(ReadPageBytes(document, page), pages[static_cast<std::size_t>(page - 1)].data);
    }
    EXPECT_EQ(document.BodyStream->Size(), document.AlbumHeader.BodyLength());
}

TEST_F(LoaderTest, NineByteEntriesCarryOrientationAndShortLayoutIsUsed) {
    const std::vector<AlbumPage> pages = test::SamplePages(2);
    AlbumContents contents = test::SampleContents("JXB", 70000, true);
    contents.usualOrientation = 1;
    AlbumLoadResult result = LoadBytes(BuildAlbumBytes(contents, pages), "a.YRA.QZD");
    ASSERT_EQ(result.status, LoadStatus::Loaded);
    const Document& document = result.document;
    EXPECT_TRUE(document.HasPageOrientation);
    EXPECT_FALSE(document.UsesLongSettings);
    EXPECT_EQ(document.AlbumSettings.PaperWidthMm(), 210);
    EXPECT_EQ(document.PageDirectory[0].Orientation, 1);
    EXPECT_EQ(document.PageDirectory[1].Orientation, 0);
    EXPECT_EQ(document.PageDirectory[2].Orientation, 1);
    EXPECT_EQ(ReadPageBytes(document, 2), pages[1].data);
}

// Turning pages reuses one buffer, but never one whose bytes are still shared: the page shown
// before keeps its bytes.
TEST_F(LoaderTest, PageBufferIsReusedOnlyWhenNothingSharesIt) {
    const std::vector<AlbumPage> pages = test::SamplePages();  // 100, 150 and 200 bytes
    AlbumLoadResult result = LoadBytes(test::SampleAlbum(), "a.YRA");
    ASSERT_EQ(result.status, LoadStatus::Loaded);
    QByteArray buffer;
    auto read = [&](int page) { PageArrival::Start(result.document, page, buffer)->Finish(); };
    read(3);
    const char* storage = buffer.constData();
    read(2);
    EXPECT_EQ(buffer, pages[1].data);
    EXPECT_EQ(buffer.constData(), storage);

    const QByteArray shown = buffer;
    read(1);
    EXPECT_EQ(buffer, pages[0].data);
    EXPECT_EQ(shown, pages[1].data);
    EXPECT_NE(buffer.constData(), shown.constData());

    EXPECT_THROW(read(4), AlbumError);
}

// A large page arrives chunk by chunk on a thread of its own and ends as ReadPageBytes reads
// it; a body cut short under the read fails the wait, and Finish reports why.
TEST_F(LoaderTest, PageArrivesOnItsOwnThreadAndReportsAFailedRead) {
    QByteArray big(static_cast<qsizetype>(PageArrival::kThreadedFrom + PageArrival::kChunk + 123),
                   '\0');
    std::uint32_t state = 12345;
    for (char& c : big) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    const std::vector<AlbumPage> pages = {{test::PageBytes(0), 0}, {big, 0}};
    AlbumLoadResult result = LoadBytes(BuildAlbumBytes(test::SampleContents(), pages));
    ASSERT_EQ(result.status, LoadStatus::Loaded);

    QByteArray buffer;
    const auto arrival = PageArrival::Start(result.document, 2, buffer);
    ASSERT_TRUE(arrival->WaitFor(100));
    EXPECT_EQ(buffer.left(100), big.left(100));
    arrival->Finish();
    EXPECT_EQ(buffer, big);
    EXPECT_TRUE(arrival->WaitFor(std::uint64_t{1} << 40));  // past the end: the whole page
    EXPECT_THROW(PageArrival::Start(result.document, 3, buffer), AlbumError);

    // A small page is read at once.
    const auto small = PageArrival::Start(result.document, 1, buffer);
    EXPECT_TRUE(small->WaitFor(300));
    EXPECT_EQ(buffer, test::PageBytes(0));

    ASSERT_TRUE(QFile::resize(result.document.BodyStream->Path(), 1000));
    const auto failing = PageArrival::Start(result.document, 2, buffer);
    EXPECT_FALSE(failing->WaitFor(static_cast<std::uint64_t>(big.size())));
    EXPECT_THROW(failing->Finish(), AlbumError);
}

TEST_F(LoaderTest, RefusalsCarryTheirMessagesInOrder) {
    const QByteArray album = test::SampleAlbum();
    struct Case {
        QString path;
        LoadStatus status;
        QString message;
    };
    const QString future = Write(
        "Future.YRA", BuildAlbumBytes(test::SampleContents("JXA", 91000), test::SamplePages(1)));
    const QString fifo = dir_.filePath("Pipe.YRA");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const Case cases[] = {
        // A pipe is no album file and must not block the loader.
        {fifo, LoadStatus::NoFile, QStringLiteral("書類名がパラメータとして渡されていません。")},
        {QString(), LoadStatus::NoFile,
         QStringLiteral("書類名がパラメータとして渡されていません。")},
        {dir_.filePath("ALBUM.YRA"), LoadStatus::NoFile,
         QStringLiteral("書類名がパラメータとして渡されていません。")},
        {dir_.path(), LoadStatus::NoFile,
         QStringLiteral("書類名がパラメータとして渡されていません。")},
        {Write("PHOTO.JPG", album), LoadStatus::NotAlbumName,
         QStringLiteral("この形式はサポートされていません。 > PHOTO.JPG")},
        {Write("A.QZD", album), LoadStatus::NotAlbumName,
         QStringLiteral("この形式はサポートされていません。 > A.QZD")},
        {future, LoadStatus::UnsupportedVersion,
         QStringLiteral("このバージョンはサポートされていません。 > Future.YRA")},
        // A header too short to hold a signature is a version refusal too.
        {Write("Tiny.YRA", QByteArray("\x03JX")), LoadStatus::UnsupportedVersion,
         QStringLiteral("このバージョンはサポートされていません。 > Tiny.YRA")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const AlbumLoadResult result = Load(c.path);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.userMessage, c.message);
        EXPECT_FALSE(result.document.BodyStream);
        EXPECT_TRUE(result.document.AlbumPath.isEmpty());
    }
}

TEST_F(LoaderTest, NoPagesIsRefusedWithoutMessage) {
    for (const std::int32_t count : {0, -5}) {
        const QByteArray body = BodyWith(0, {}, {PageEntry{0, count, 0}});
        const AlbumLoadResult result = LoadBytes(AlbumFromBody(body));
        EXPECT_EQ(result.status, LoadStatus::NoPages);
        EXPECT_TRUE(result.userMessage.isEmpty());
        EXPECT_TRUE(result.document.AlbumPath.isEmpty());
    }
}

TEST_F(LoaderTest, ContentsLengthsWithinTheLimit) {
    const PageEntry head{0, 1, 0};
    struct Case {
        std::int32_t length;
        std::size_t records;
    };
    for (const Case c : {Case{0, 0}, Case{58, 0}, Case{59, 1}, Case{60, 1}, Case{58941, 999}}) {
        SCOPED_TRACE(c.length);
        QByteArray block;
        for (int i = 0; i * 59 < c.length; ++i)
            block += ContentsRecord{std::int16_t(i + 1), 0, "x"}.Bytes();
        block.truncate(c.length);
        QByteArray body = BodyWith(c.length, block, {head});
        const std::int32_t pageAt = static_cast<std::int32_t>(body.size() + 8);
        body = BodyWith(c.length, block, {head, PageEntry{pageAt, 4, 0}}) + "PAGE";
        const AlbumLoadResult result = LoadBytes(AlbumFromBody(body));
        ASSERT_EQ(result.status, LoadStatus::Loaded);
        EXPECT_EQ(result.document.ContentsEntries.size(), c.records + 1);
        EXPECT_EQ(result.document.ContentsEntries.back(), (ContentsEntry{0, 0}));
        EXPECT_EQ(ReadPageBytes(result.document, 1),
                  "PAGE");  // the directory was found after the skip
    }
}

TEST_F(LoaderTest, MoreThan999RecordsKeepsTheFirst999AndFindsTheDirectory) {
    QByteArray block;
    for (int i = 0; i < 1001; ++i) block += ContentsRecord{std::int16_t(i + 1), 0, "t"}.Bytes();
    const QByteArray prefix = BodyWith(static_cast<std::int32_t>(block.size()), block, {});
    const auto pageAt = static_cast<std::int32_t>(prefix.size() + 16);
    const QByteArray body =
        prefix + PageEntry{0, 1, 0}.Bytes(false) + PageEntry{pageAt, 2, 0}.Bytes(false) + "OK";
    const AlbumLoadResult result = LoadBytes(AlbumFromBody(body));
    ASSERT_EQ(result.status, LoadStatus::Loaded);
    EXPECT_EQ(result.document.ContentsEntries.size(), 1000u);
    EXPECT_EQ(result.document.ContentsEntries[998].Page, 999);
    EXPECT_EQ(ReadPageBytes(result.document, 1), "OK");
}

TEST_F(LoaderTest, ContentsPagesOutsideTheAlbumAreKeptAsStored) {
    AlbumContents contents = test::SampleContents();
    contents.contents = {{0, 0, "zero"}, {99, 0, "far"}, {-1, 0, "neg"}};
    const AlbumLoadResult result = LoadBytes(BuildAlbumBytes(contents, test::SamplePages(1)));
    ASSERT_EQ(result.status, LoadStatus::Loaded);
    EXPECT_EQ(result.document.ContentsEntries[1].Page, 99);
    EXPECT_EQ(result.document.ContentsEntries[2].Page, -1);
}

TEST_F(LoaderTest, UndecodableContentsTextIsVisible) {
    AlbumContents contents = test::SampleContents();
    contents.contents = {{1, 0, "a\x85\x40z"}};
    const AlbumLoadResult result = LoadBytes(BuildAlbumBytes(contents, test::SamplePages(1)));
    ASSERT_EQ(result.status, LoadStatus::Loaded);
    EXPECT_TRUE(result.document.ContentsTextErrors);
    EXPECT_EQ(result.document.ContentsTexts[0], QStringLiteral("a\uFFFDz"));
}

// BodyLength 8192 and 8193 straddle the copy's block size.
TEST_F(LoaderTest, BodiesOfBlockMultiplesAndOneMore) {
    // Small bodies, and bodies that fill the loader's output windows exactly or just spill over.
    for (const int bodySize : {8192, 8193, 4096 * 16, 4096 * 16 + 1, 8 << 20, (8 << 20) + 1}) {
        SCOPED_TRACE(bodySize);
        const QByteArray prefix = BodyWith(0, {}, {PageEntry{0, 1, 0}});
        const auto pageAt = static_cast<std::int32_t>(prefix.size() + 8);
        QByteArray body = prefix + PageEntry{pageAt, bodySize - pageAt, 0}.Bytes(false);
        body += test::PageBytes(7, bodySize - static_cast<int>(body.size()));
        ASSERT_EQ(body.size(), bodySize);
        const AlbumLoadResult result = LoadBytes(AlbumFromBody(body));
        ASSERT_EQ(result.status, LoadStatus::Loaded);
        EXPECT_EQ(result.document.BodyStream->Size(), bodySize);
        // No space reserved for output is left behind the body.
        EXPECT_EQ(QFileInfo(result.document.BodyStream->Path()).size(), bodySize);
        EXPECT_EQ(ReadPageBytes(result.document, 1), body.mid(pageAt));
    }
}

TEST_F(LoaderTest, TrailingBytesAfterTheStreamAreIgnored) {
    const AlbumLoadResult result = LoadBytes(test::SampleAlbum() + QByteArray(100, 'j'));
    EXPECT_EQ(result.status, LoadStatus::Loaded);
}

// The kind of the error a call ends in; nullopt when it does not throw AlbumError.
template <typename Call>
std::optional<AlbumErrorKind> KindOf(Call&& call) {
    try {
        call();
    } catch (const AlbumError& error) {
        return error.Kind();
    }
    return std::nullopt;
}

TEST_F(LoaderTest, ReadPageBytesRefusesPagesOutsideTheAlbum) {
    const AlbumLoadResult result = LoadBytes(test::SampleAlbum());
    ASSERT_EQ(result.status, LoadStatus::Loaded);
    for (const int page : {0, -1, 4, 1 << 30}) {
        EXPECT_EQ(KindOf([&] { ReadPageBytes(result.document, page); }),
                  AlbumErrorKind::NoSuchPage);
    }
    EXPECT_EQ(KindOf([] { ReadPageBytes(Document(), 1); }), AlbumErrorKind::NoSuchPage);
    Document tampered = LoadBytes(test::SampleAlbum()).document;
    tampered.PageDirectory[1].Offset = static_cast<std::int32_t>(tampered.BodyStream->Size() - 1);
    EXPECT_EQ(KindOf([&] { ReadPageBytes(tampered, 1); }), AlbumErrorKind::InvalidPage);
}

// --- one page whose entry points outside the body: that page alone is invalid.

struct StrayPageCase {
    const char* name;
    PageEntry entry;  // of page 2
};

class StrayPageTest : public LoaderTest, public testing::WithParamInterface<StrayPageCase> {};

TEST_P(StrayPageTest, SpoilsOnlyItsOwnPage) {
    // Settings, contents length and four 8-byte entries come before the pages.
    constexpr std::int32_t kPages = kLongSettingsSize + 4 + 4 * kPageEntrySize;
    const QByteArray first(10, '1');
    const QByteArray third(12, '3');
    const QByteArray body = BodyWith(0, {},
                                     {PageEntry{0, 3, 0}, PageEntry{kPages, 10, 0},
                                      GetParam().entry, PageEntry{kPages + 10, 12, 0}}) +
                            first + third;
    const AlbumLoadResult result = LoadBytes(AlbumFromBody(body));
    ASSERT_EQ(result.status, LoadStatus::Loaded);
    EXPECT_EQ(result.document.PageCount, 3);
    EXPECT_EQ(ReadPageBytes(result.document, 1), first);
    EXPECT_EQ(ReadPageBytes(result.document, 3), third);
    EXPECT_EQ(KindOf([&] { ReadPageBytes(result.document, 2); }), AlbumErrorKind::InvalidPage);
    QByteArray buffer;
    EXPECT_EQ(KindOf([&] { PageArrival::Start(result.document, 2, buffer); }),
              AlbumErrorKind::InvalidPage);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, StrayPageTest,
    testing::Values(StrayPageCase{"beyond_body", PageEntry{450, 100, 0}},
                    StrayPageCase{"one_byte_too_long", PageEntry{kLongSettingsSize, 69, 0}},
                    StrayPageCase{"offset_negative", PageEntry{-1, 4, 0}},
                    StrayPageCase{"size_negative", PageEntry{0, -4, 0}},
                    StrayPageCase{"overflowing_int32", PageEntry{0x7fffff00, 0x7fffff00, 0}}),
    [](const testing::TestParamInfo<StrayPageCase>& info) { return std::string(info.param.name); });

// --- streams that give the stated body and then go on, or stop without their checksum

QByteArray AlbumWithStream(const QByteArray& stream, qsizetype bodyLength) {
    AlbumHeader header = test::MakeHeader();
    header.SetBodyLength(static_cast<std::int32_t>(bodyLength));
    return header.Bytes() + stream;
}

// A one-page body of the given size whose page is its tail.
QByteArray OnePageBody(int size) {
    const QByteArray prefix = BodyWith(0, {}, {PageEntry{0, 1, 0}});
    const auto pageAt = static_cast<std::int32_t>(prefix.size() + 8);
    QByteArray body = prefix + PageEntry{pageAt, size - pageAt, 0}.Bytes(false);
    return body + test::PageBytes(3, size - static_cast<int>(body.size()));
}

struct LongStreamCase {
    const char* name;
    int bodySize;  // the stated body
    int extra;     // bytes the stream yields past it
    int chopped;   // bytes cut off the end of the stream
};

class BodyPrefixTest : public LoaderTest, public testing::WithParamInterface<LongStreamCase> {};

TEST_P(BodyPrefixTest, OpensWithTheStatedBody) {
    const LongStreamCase& c = GetParam();
    const QByteArray body = OnePageBody(c.bodySize);
    const QByteArray stream = test::Deflate(body + test::PageBytes(9, c.extra)).chopped(c.chopped);
    const AlbumLoadResult result = LoadBytes(AlbumWithStream(stream, body.size()));
    ASSERT_EQ(result.status, LoadStatus::Loaded);
    ASSERT_EQ(result.document.BodyStream->Size(), body.size());
    QByteArray stored(body.size(), '\0');
    result.document.BodyStream->ReadAt(0, stored.data(), stored.size());
    EXPECT_EQ(stored, body);
    EXPECT_EQ(QFileInfo(result.document.BodyStream->Path()).size(), body.size());
}

INSTANTIATE_TEST_SUITE_P(Streams, BodyPrefixTest,
                         testing::Values(LongStreamCase{"checksum_missing", 600, 0, 4},
                                         LongStreamCase{"checksum_cut", 600, 0, 2},
                                         LongStreamCase{"one_byte_more", 600, 1, 0},
                                         LongStreamCase{"much_more", 600, 100000, 0},
                                         LongStreamCase{"more_and_cut_short", 600, 100000, 100},
                                         // Large bodies go through the mapped output windows.
                                         LongStreamCase{"large_checksum_missing", 9 << 20, 0, 4},
                                         LongStreamCase{"large_much_more", 9 << 20, 5 << 20, 0}),
                         [](const testing::TestParamInfo<LongStreamCase>& info) {
                             return std::string(info.param.name);
                         });

// --- damaged albums: every class must end in AlbumError, never in a crash or a wrong success.

struct DamageCase {
    const char* name;
    QByteArray (*make)();
};

class DamagedAlbumTest : public LoaderTest, public testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedAlbumTest, IsAnError) {
    const QString path = Write("damaged.YRA", GetParam().make());
    EXPECT_EQ(KindOf([&] { Load(path); }), AlbumErrorKind::Damaged);
    // The temporary name is free again for the next album.
    EXPECT_EQ(Load(Write("good.YRA", test::SampleAlbum())).document.BodyStream->Number(), 0);
}

QByteArray WithBodyLength(std::int64_t delta) {
    const QByteArray album = test::SampleAlbum();
    AlbumHeader header = AlbumHeader::FromBytes(album);
    header.SetBodyLength(static_cast<std::int32_t>(header.BodyLength() + delta));
    return header.Bytes() + album.mid(48);
}

QByteArray FlipByte(qsizetype at) {
    QByteArray album = test::SampleAlbum();
    album[at] = static_cast<char>(album[at] ^ 0x5A);
    return album;
}

INSTANTIATE_TEST_SUITE_P(
    Classes, DamagedAlbumTest,
    testing::Values(
        DamageCase{"header_only", [] { return test::SampleAlbum().left(48); }},
        DamageCase{"header_cut", [] { return test::SampleAlbum().left(40); }},
        DamageCase{"stream_cut_early", [] { return test::SampleAlbum().chopped(30); }},
        DamageCase{"stream_header_damaged", [] { return FlipByte(48); }},
        DamageCase{"checksum_damaged", [] { return FlipByte(test::SampleAlbum().size() - 1); }},
        DamageCase{"data_damaged",
                   [] { return FlipByte(48 + (test::SampleAlbum().size() - 48) / 2); }},
        DamageCase{"not_zlib", [] { return test::MakeHeader().Bytes() + QByteArray(500, 'Q'); }},
        DamageCase{"body_shorter_than_stated", [] { return WithBodyLength(1); }},
        DamageCase{"body_length_negative", [] { return WithBodyLength(-(std::int64_t{1} << 31)); }},
        DamageCase{"body_length_zero",
                   [] { return AlbumFromBody(QByteArray(), test::MakeHeader(), 0); }},
        DamageCase{"body_shorter_than_settings",
                   [] { return AlbumFromBody(QByteArray(300, '\0')); }},
        DamageCase{"body_ends_before_contents_length",
                   [] { return AlbumFromBody(QByteArray(443, '\0')); }},
        DamageCase{"contents_length_negative",
                   [] {
                       return AlbumFromBody(BodyWith(-59, {}, {PageEntry{0, 1, 0}}));
                   }},
        DamageCase{"contents_beyond_body",
                   [] { return AlbumFromBody(BodyWith(590, QByteArray(59, 'c'), {})); }},
        DamageCase{"body_ends_before_directory",
                   [] { return AlbumFromBody(BodyWith(0, {}, {}) + "abc"); }},
        DamageCase{"directory_beyond_body",
                   [] {
                       return AlbumFromBody(BodyWith(0, {}, {PageEntry{0, 1000, 0}}));
                   }},
        DamageCase{"page_count_absurd",
                   [] {
                       return AlbumFromBody(BodyWith(0, {}, {PageEntry{0, 0x7fffffff, 0}}));
                   }}),
    [](const testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

// Every prefix of a valid album is refused one way or another, or, once the whole body is in
// it and only the checksum is missing, opens with that whole body: never with a wrong one.
TEST_F(LoaderTest, EveryTruncatedPrefixIsRefusedOrGivesTheWholeBody) {
    const QByteArray album = test::SampleAlbum();
    const Document whole = LoadBytes(album, "whole.YRA").document;
    QByteArray body(whole.BodyStream->Size(), '\0');
    whole.BodyStream->ReadAt(0, body.data(), body.size());
    int opened = 0;
    for (qsizetype length = 0; length < album.size(); ++length) {
        SCOPED_TRACE(length);
        const QString path = Write("cut.YRA", album.left(length));
        try {
            const AlbumLoadResult result = Load(path);
            if (result.status != LoadStatus::Loaded) continue;
            ++opened;
            QByteArray stored(result.document.BodyStream->Size(), '\0');
            result.document.BodyStream->ReadAt(0, stored.data(), stored.size());
            EXPECT_EQ(stored, body);
        } catch (const AlbumError&) {
        }
    }
    EXPECT_GE(opened, 4);  // at least the four prefixes that lack only (part of) the checksum
}

// --- temporary files

TEST_F(LoaderTest, TakesTheFirstFreeNameAndFreesItWhenTheDocumentGoes) {
    const QString path = Write("a.YRA", test::SampleAlbum());
    AlbumLoadResult first = Load(path);
    AlbumLoadResult second = Load(path);
    EXPECT_EQ(first.document.BodyStream->Path(), temp_.filePath("Tavlex_0.TMP"));
    EXPECT_EQ(second.document.BodyStream->Path(), temp_.filePath("Tavlex_1.TMP"));
    QFileInfo info(second.document.BodyStream->Path());
    EXPECT_EQ(info.permissions() & (QFile::ReadOther | QFile::ReadGroup | QFile::WriteOther), 0);

    first = AlbumLoadResult();  // closing an album frees its name
    EXPECT_EQ(Load(path).document.BodyStream->Number(), 0);

    Document moved = std::move(second.document);  // moving keeps the file open
    EXPECT_EQ(ReadPageBytes(moved, 1), test::SamplePages()[0].data);
    EXPECT_EQ(Load(path).document.BodyStream->Number(), 0);
}

TEST_F(LoaderTest, AllThirtyOneNamesTakenIsAnErrorUntilOneIsFreed) {
    const QString path = Write("a.YRA", test::SampleAlbum());
    std::vector<Document> open;
    for (int i = 0; i < 31; ++i) {
        AlbumLoadResult result = Load(path);
        ASSERT_EQ(result.document.BodyStream->Number(), i);
        open.push_back(std::move(result.document));
    }
    EXPECT_THROW(Load(path), AlbumError);
    open.erase(open.begin() + 17);
    EXPECT_EQ(Load(path).document.BodyStream->Number(), 17);
}

TEST_F(LoaderTest, NameHeldByAnotherProcessIsPassedOver) {
    const QString held = temp_.filePath("Tavlex_0.TMP");
    int ready[2];
    int release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    if (child == 0) {
        const int fd = ::open(QFile::encodeName(held).constData(), O_RDWR | O_CREAT, 0600);
        char byte = (fd >= 0 && flock(fd, LOCK_EX) == 0) ? 'y' : 'n';
        (void)!write(ready[1], &byte, 1);
        (void)!read(release[0], &byte, 1);
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, 'y');
    const AlbumLoadResult result = Load(Write("a.YRA", test::SampleAlbum()));
    EXPECT_EQ(result.document.BodyStream->Number(), 1);
    (void)!write(release[1], &byte, 1);
    waitpid(child, nullptr, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]}) close(fd);
}

TEST_F(LoaderTest, LinksAndForeignFilesAreNeverUsed) {
    const QString victim = dir_.filePath("victim");
    test::WriteFile(dir_, "victim", "keep me");
    ASSERT_TRUE(QFile::link(victim, temp_.filePath("Tavlex_0.TMP")));
    ASSERT_TRUE(QDir(temp_.path()).mkdir("Tavlex_1.TMP"));
    const AlbumLoadResult result = Load(Write("a.YRA", test::SampleAlbum()));
    EXPECT_EQ(result.document.BodyStream->Number(), 2);
    EXPECT_EQ(test::ReadFile(victim), "keep me");
}

// A body file that cannot be written (here: beyond the process's file size limit) fails the
// load, and the error of the writing thread reaches the caller.
TEST_F(LoaderTest, AFailedBodyWriteIsAnError) {
    // Both ways into the file: small bodies are appended, large ones mapped.
    for (const int pageSize : {3 << 20, 9 << 20}) {
        SCOPED_TRACE(pageSize);
        const std::vector<AlbumPage> pages{{test::PageBytes(1, pageSize), 0}};
        const QString path = Write("big.YRA", BuildAlbumBytes(test::SampleContents(), pages));
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = 1 << 20;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        EXPECT_THROW(Load(path), AlbumError);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        EXPECT_EQ(ReadPageBytes(Load(path).document, 1), pages[0].data);
    }
}

// A hard link under a temporary name would let the body overwrite the file it links to.
TEST_F(LoaderTest, HardLinkedNamesAreNeverTruncated) {
    const QString victim = temp_.filePath("victim");
    test::WriteFile(temp_, "victim", "keep me");
    ASSERT_EQ(::link(QFile::encodeName(victim).constData(),
                     QFile::encodeName(temp_.filePath("Tavlex_0.TMP")).constData()),
              0);
    const AlbumLoadResult result = Load(Write("a.YRA", test::SampleAlbum()));
    EXPECT_EQ(result.document.BodyStream->Number(), 1);
    EXPECT_EQ(test::ReadFile(victim), "keep me");
}

// A stale body is replaced by a new file of this user's alone rather than truncated in place,
// which ext4 would write back to disk in full when the window closes.
TEST_F(LoaderTest, AnExistingBodyFileIsReplacedFirst) {
    const QString stale = temp_.filePath("Tavlex_0.TMP");
    test::WriteFile(temp_, "Tavlex_0.TMP", QByteArray(1 << 16, 'o'));
    ASSERT_TRUE(QFile::setPermissions(
        stale, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup));
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(stale).constData(), &before), 0);
    const AlbumLoadResult result = Load(Write("a.YRA", test::SampleAlbum()));
    ASSERT_EQ(result.document.BodyStream->Path(), stale);
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(stale).constData(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 0777, 0600u);
    EXPECT_EQ(after.st_size, result.document.AlbumHeader.BodyLength());
}

}  // namespace
}  // namespace tavlex
