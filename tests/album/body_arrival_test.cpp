#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>

#include "album/AlbumLoader.h"
#include "album/BodyFile.h"
#include "tests/album/AlbumTestSupport.h"
#include "tests/album/GatedBody.h"

namespace tavlex {
namespace {

constexpr int kPageSize = 1 << 20;

using test::GatedBody;
using test::OpenOnExit;
using test::ThreadCount;

class BodyArrivalTest : public testing::Test {
  protected:
    // An album of `pages` pages of 1 MiB each, stored without compression when stored is set (so
    // that a cut in the file falls at a known place of the body).
    QString MakeAlbum(int pages, bool stored = false) {
        AlbumContents contents = test::SampleContents();
        contents.compressionLevel = stored ? 0 : 1;
        std::vector<AlbumPage> list;
        for (int i = 0; i < pages; ++i) list.push_back({test::PageBytes(i, kPageSize), 0});
        const QString path = dir_.filePath(QStringLiteral("big.YRA"));
        WriteAlbumFile(path, contents, list);
        return path;
    }

    AlbumOpenOptions Options(GatedBody** gate = nullptr, std::int64_t holdFrom = 0,
                             bool inMemory = true) {
        AlbumOpenOptions options;
        options.tempFolder = temp_.path();
        options.pixelsPerInch = 96;
        if (gate) {
            options.makeSink = [=, this](std::int64_t length) {
                std::shared_ptr<BodySink> inner;
                if (inMemory) {
                    inner = std::shared_ptr<BodySink>(MemoryBody::Create(length, length));
                } else {
                    inner = std::shared_ptr<BodySink>(BodyFile::Create(temp_.path()));
                }
                auto gated = std::make_shared<GatedBody>(inner, holdFrom);
                *gate = gated.get();
                return gated;
            };
        }
        return options;
    }

    static std::int64_t PageEnd(const Document& document, int page) {
        const PageEntry& entry = document.PageDirectory[static_cast<std::size_t>(page)];
        return std::int64_t{entry.Offset} + entry.Size;
    }

    QTemporaryDir dir_;
    QTemporaryDir temp_;
};

TEST_F(BodyArrivalTest, EarlyPagesAreReadWhileTheRestStillArrives) {
    const QString path = MakeAlbum(8);
    GatedBody* gate = nullptr;
    // Held once a little more than two pages have arrived.
    AlbumLoadResult result = OpenAlbum(path, Options(&gate, 2 * kPageSize + 4096));
    const OpenOnExit guard{gate};
    ASSERT_EQ(result.status, LoadStatus::Loaded);
    Document& document = result.document;
    ASSERT_TRUE(document.Arrival);
    EXPECT_EQ(ReadPageBytes(document, 1), test::PageBytes(0, kPageSize));
    EXPECT_EQ(document.Arrival->CurrentState(), BodyArrival::State::Arriving);
    EXPECT_LT(document.Arrival->Arrived(), PageEnd(document, 4));

    // A reader of a later page waits for it and gets it whole.
    QByteArray late;
    bool done = false;
    std::mutex mutex;
    std::thread reader([&] {
        QByteArray bytes = ReadPageBytes(document, 7);
        const std::lock_guard lock(mutex);
        late = std::move(bytes);
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    {
        const std::lock_guard lock(mutex);
        EXPECT_FALSE(done);  // the gate still holds the body short of page 7
    }
    gate->Open();
    reader.join();
    EXPECT_EQ(late, test::PageBytes(6, kPageSize));
    document.Arrival->Join();
    EXPECT_EQ(document.Arrival->CurrentState(), BodyArrival::State::Whole);
    EXPECT_EQ(document.BodyStream->Size(), document.AlbumHeader.BodyLength());
}

TEST_F(BodyArrivalTest, DamageAfterPageThreeLeavesTheEarlierPagesReadable) {
    const QString path = MakeAlbum(6, true);
    {
        AlbumLoadResult whole = LoadAlbum(path, temp_.path(), 96);
        ASSERT_EQ(whole.status, LoadStatus::Loaded);
        const std::int64_t end3 = PageEnd(whole.document, 3);
        ASSERT_LT(end3 + 200'000, whole.document.PageDirectory[4].Offset + kPageSize);
        // Stored blocks hold at most 64 KiB and 5 bytes of framing each: cutting the file a
        // little past page 3's last byte cuts the stream inside page 4.
        QFile file(path);
        ASSERT_TRUE(file.resize(48 + 2 + end3 + 5 * (end3 / 65535 + 1) + 100'000));
    }
    AlbumLoadResult result = OpenAlbum(path, Options());
    ASSERT_EQ(result.status, LoadStatus::Loaded);
    Document& document = result.document;
    const QString body = document.BodyStream->Path();
    document.Arrival->Join();
    EXPECT_EQ(document.Arrival->CurrentState(), BodyArrival::State::Failed);
    EXPECT_THROW(document.Arrival->ThrowIfFailed(), AlbumError);
    for (int page = 1; page <= 3; ++page) {
        EXPECT_EQ(ReadPageBytes(document, page), test::PageBytes(page - 1, kPageSize)) << page;
    }
    for (int page = 4; page <= 6; ++page) {
        EXPECT_THROW(ReadPageBytes(document, page), AlbumError) << page;
    }
    // The same album opened whole is refused; the partial body goes with its document.
    EXPECT_THROW(LoadAlbum(path, temp_.path(), 96), AlbumError);
    result = AlbumLoadResult{};
    EXPECT_FALSE(QFile::exists(body));
}

// With the body on the calling thread the album has arrived, or its damage has been found, by
// the time OpenAlbum returns, and no thread was started for it.
TEST_F(BodyArrivalTest, ABodyOnTheCallingThreadHasArrivedWhenTheOpenReturns) {
    const QString path = MakeAlbum(3, true);
    AlbumOpenOptions options = Options();
    options.bodyOnCallingThread = true;
    const int threadsBefore = ThreadCount();
    AlbumLoadResult result = OpenAlbum(path, options);
    ASSERT_EQ(result.status, LoadStatus::Loaded);
    EXPECT_EQ(ThreadCount(), threadsBefore);
    const BodyArrival& arrival = *result.document.Arrival;
    EXPECT_EQ(arrival.CurrentState(), BodyArrival::State::Whole);
    EXPECT_EQ(arrival.Arrived(), arrival.Expected());
    for (int page = 1; page <= 3; ++page) {
        EXPECT_EQ(ReadPageBytes(result.document, page), test::PageBytes(page - 1, kPageSize));
    }
    // Cut inside the last page: the open still returns with the first pages readable.
    result = AlbumLoadResult{};
    {
        QFile file(path);
        ASSERT_TRUE(file.resize(file.size() - kPageSize / 2));
    }
    result = OpenAlbum(path, options);
    ASSERT_EQ(result.status, LoadStatus::Loaded);
    EXPECT_EQ(result.document.Arrival->CurrentState(), BodyArrival::State::Failed);
    EXPECT_EQ(ReadPageBytes(result.document, 1), test::PageBytes(0, kPageSize));
    EXPECT_THROW(ReadPageBytes(result.document, 3), AlbumError);
}

TEST_F(BodyArrivalTest, ClosingDuringTheOpenStopsTheThreadAndDeletesTheBody) {
    const QString path = MakeAlbum(24);
    const int threadsBefore = ThreadCount();
    GatedBody* gate = nullptr;
    QString body;
    {
        AlbumLoadResult result = OpenAlbum(path, Options(&gate, kPageSize, false));
        const OpenOnExit guard{gate};
        ASSERT_EQ(result.status, LoadStatus::Loaded);
        body = result.document.BodyStream->Path();
        EXPECT_TRUE(QFile::exists(body));
        EXPECT_EQ(result.document.Arrival->CurrentState(), BodyArrival::State::Arriving);
        gate->Open();  // from here on it moves, slowly, until the close stops it
    }
    EXPECT_EQ(ThreadCount(), threadsBefore);
    EXPECT_FALSE(QFile::exists(body));
    // The name is free again for the next album.
    AlbumLoadResult next = LoadAlbum(path, temp_.path(), 96);
    EXPECT_EQ(next.document.BodyStream->Path(), body);
}

// A temporary file that stops growing (a full disk) ends the arrival with the write's error,
// once, and the partial body goes with the album.
TEST_F(BodyArrivalTest, ABodyFileThatCannotGrowFailsTheArrivalAndIsDeleted) {
    const QString path = MakeAlbum(24);
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead
    rlimit limited = before;
    limited.rlim_cur = 5 * kPageSize / 2;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    QString body;
    {
        AlbumLoadResult result = OpenAlbum(path, Options());
        ASSERT_EQ(result.status, LoadStatus::Loaded);
        body = result.document.BodyStream->Path();
        BodyArrival& arrival = *result.document.Arrival;
        EXPECT_FALSE(arrival.WaitFor(arrival.Expected()));
        EXPECT_EQ(arrival.CurrentState(), BodyArrival::State::Failed);
        EXPECT_GE(arrival.Arrived(), 2 * kPageSize);  // what was written stays readable
        EXPECT_LE(arrival.Arrived(), limited.rlim_cur);
        try {
            arrival.ThrowIfFailed();
            ADD_FAILURE() << "the failed write was not reported";
        } catch (const AlbumError& error) {
            EXPECT_EQ(error.Kind(), AlbumErrorKind::TemporaryFile);
            EXPECT_TRUE(error.Message().contains(body)) << error.Message().toStdString();
        }
    }
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, handler);
    EXPECT_FALSE(QFile::exists(body));
}

TEST_F(BodyArrivalTest, AWholeBodyStaysForTheFrameToDelete) {
    const QString path = MakeAlbum(2);
    QString body;
    {
        AlbumLoadResult result = LoadAlbum(path, temp_.path(), 96);
        body = result.document.BodyStream->Path();
    }
    EXPECT_TRUE(QFile::exists(body));
}

TEST_F(BodyArrivalTest, AMemoryBodyRefusesALengthBeyondItsCap) {
    EXPECT_THROW(MemoryBody::Create(std::int64_t{1} << 31, 64 << 20), AlbumError);
    const QString path = MakeAlbum(3);
    AlbumOpenOptions options = Options();
    options.makeSink = [](std::int64_t length) {
        return std::shared_ptr<BodySink>(MemoryBody::Create(length, 1 << 20));
    };
    EXPECT_THROW(OpenAlbum(path, options), AlbumError);
    options.makeSink = [](std::int64_t length) {
        return std::shared_ptr<BodySink>(MemoryBody::Create(length, 64 << 20));
    };
    AlbumLoadResult result = OpenAlbum(path, options);
    ASSERT_EQ(result.status, LoadStatus::Loaded);
    EXPECT_TRUE(result.document.BodyStream->Path().isEmpty());
    EXPECT_EQ(ReadPageBytes(result.document, 3), test::PageBytes(2, kPageSize));
}

}  // namespace
}  // namespace tavlex
