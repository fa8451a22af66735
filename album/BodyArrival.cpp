#include "album/BodyArrival.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "album/AlbumError.h"
#include "album/BodySink.h"
#include "album/platform/FileIo.h"

namespace tavlex {
namespace {

constexpr std::int64_t kHeaderSize = 48;  // the album file's header, before the stream
// Input is read in 64 KiB chunks; output goes into the sink in the blocks it offers.
constexpr std::size_t kInputChunk = 64 * 1024;
// Listeners hear of progress in steps of this share of the body, and no finer than this.
constexpr std::int64_t kNoticeParts = 100;
constexpr std::int64_t kMinNoticeStep = 1 << 20;

class Inflater {
  public:
    Inflater() {
        if (inflateInit(&stream_) != Z_OK) {
            throw AlbumError(AlbumErrorKind::CannotOpen, QStringLiteral("zlib cannot start"));
        }
    }
    ~Inflater() { inflateEnd(&stream_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    z_stream* operator->() { return &stream_; }
    z_stream* get() { return &stream_; }

  private:
    z_stream stream_{};
};

struct Cancelled {};

}  // namespace

std::unique_ptr<BodyArrival> BodyArrival::Start(int albumFd, std::int64_t bodyLength,
                                                std::shared_ptr<BodySink> sink, QString name,
                                                Where where) {
    std::unique_ptr<BodyArrival> arrival(
        new BodyArrival(albumFd, bodyLength, std::move(sink), std::move(name)));
    if (where == Where::CallingThread) {
        arrival->Run();
        return arrival;
    }
    try {
        arrival->thread_ = std::thread([raw = arrival.get()] { raw->Run(); });
    } catch (const std::system_error&) {
        arrival->Run();  // no thread to be had: the body arrives whole before the open goes on
    }
    return arrival;
}

BodyArrival::BodyArrival(int albumFd, std::int64_t bodyLength, std::shared_ptr<BodySink> sink,
                         QString name)
    : albumFd_(albumFd), expected_(bodyLength), sink_(std::move(sink)), name_(std::move(name)) {}

BodyArrival::~BodyArrival() {
    Cancel();
}

void BodyArrival::SetListener(Listener listener) {
    const std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

void BodyArrival::NoticeAt(std::int64_t end) {
    noticeAt_.store(end, std::memory_order_relaxed);
    if (Arrived() >= end || CurrentState() != State::Arriving) {
        noticeAt_.store(INT64_MAX, std::memory_order_relaxed);
        Listener listener;
        {
            const std::lock_guard lock(mutex_);
            listener = listener_;
        }
        if (listener) listener();
    }
}

void BodyArrival::Cancel() {
    cancel_.store(true, std::memory_order_relaxed);
    Join();
}

void BodyArrival::Join() {
    const std::lock_guard lock(joinMutex_);
    if (thread_.joinable()) thread_.join();
}

bool BodyArrival::WaitFor(std::int64_t end) {
    if (end > expected_) return false;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return sink_->Size() >= end || state_ != State::Arriving; });
    return sink_->Size() >= end;
}

std::int64_t BodyArrival::Arrived() const {
    return sink_->Size();
}

BodyArrival::State BodyArrival::CurrentState() const {
    const std::lock_guard lock(mutex_);
    return state_;
}

std::exception_ptr BodyArrival::Failure() const {
    const std::lock_guard lock(mutex_);
    return failure_;
}

void BodyArrival::ThrowIfFailed() const {
    if (const std::exception_ptr failure = Failure()) std::rethrow_exception(failure);
}

void BodyArrival::Run() {
    State state = State::Whole;
    std::exception_ptr failure;
    try {
        sink_->Expect(expected_);
        Inflate();
    } catch (const Cancelled&) {
        state = State::Cancelled;
    } catch (...) {
        state = State::Failed;
        failure = std::current_exception();
    }
    platform::CloseFile(albumFd_);
    try {
        sink_->Finish();
    } catch (...) {
        if (state == State::Whole) {
            state = State::Failed;
            failure = std::current_exception();
        }
    }
    if (state == State::Whole) sink_->MarkWhole();
    End(state, std::move(failure));
}

void BodyArrival::Progress() {
    const std::int64_t arrived = sink_->Size();
    Listener listener;
    {
        const std::lock_guard lock(mutex_);
        changed_.notify_all();
        const bool watched = arrived >= noticeAt_.load(std::memory_order_relaxed);
        if (arrived < nextNotice_ && !watched) return;
        if (watched) noticeAt_.store(INT64_MAX, std::memory_order_relaxed);
        listener = listener_;
    }
    nextNotice_ = arrived + std::max(kMinNoticeStep, expected_ / kNoticeParts);
    if (listener) listener();
}

void BodyArrival::End(State state, std::exception_ptr failure) {
    Listener listener;
    {
        const std::lock_guard lock(mutex_);
        state_ = state;
        failure_ = std::move(failure);
        changed_.notify_all();
        listener = listener_;
    }
    if (listener) listener();
}

// zlib's word for a stream whose trailer does not match the data before it.
bool IsChecksumFailure(const z_stream& stream) {
    return stream.msg != nullptr && std::strcmp(stream.msg, "incorrect data check") == 0;
}

// Inflates the zlib stream at the album file's position into the sink. The body is the first
// stated-length bytes the stream yields: a stream that goes on past them, or stops right after
// them without its checksum, still gives the body, since producers are known to write both. A
// stream that ends or breaks before them is damaged, and so is one whose checksum follows them
// and does not match.
void BodyArrival::Inflate() {
    Inflater inflater;
    std::unique_ptr<char[]> input(new char[kInputChunk]);
    const auto damaged = [&](const QString& why) {
        return AlbumError(AlbumErrorKind::Damaged,
                          QStringLiteral("damaged album: %1 > %2").arg(why, name_),
                          kHeaderSize + static_cast<std::int64_t>(inflater->total_in));
    };
    const auto corrupt = [&](int code) {
        const QString reason = inflater->msg ? QString::fromLatin1(inflater->msg)
                                             : QStringLiteral("zlib error %1").arg(code);
        return damaged(QStringLiteral("the compressed body is corrupt (%1)").arg(reason));
    };
    bool inputEnded = false;
    int status = Z_OK;
    // The stream broke beyond the bytes asked for so far; asking for more is then an error.
    int brokenBeyond = Z_OK;
    // Body: inflates into out until it is full or the stream ends; the input ending first is
    // damage. Probe: looks past the body only for a checksum that does not match.
    enum class Mode { Body, Probe };
    const auto fill = [&](char* out, std::size_t length, Mode mode) {
        if (brokenBeyond != Z_OK) throw corrupt(brokenBeyond);
        inflater->next_out = reinterpret_cast<Bytef*>(out);
        inflater->avail_out = static_cast<uInt>(length);
        while (inflater->avail_out > 0 && status != Z_STREAM_END) {
            if (cancel_.load(std::memory_order_relaxed)) throw Cancelled{};
            if (inflater->avail_in == 0 && !inputEnded) {
                const qint64 got = platform::ReadFully(albumFd_, input.get(), kInputChunk);
                if (got < 0) {
                    throw AlbumError(AlbumErrorKind::CannotOpen,
                                     QStringLiteral("cannot read the album file: %1 > %2")
                                         .arg(QString::fromLocal8Bit(std::strerror(errno)), name_));
                }
                inputEnded = got < static_cast<qint64>(kInputChunk);
                inflater->next_in = reinterpret_cast<Bytef*>(input.get());
                inflater->avail_in = static_cast<uInt>(got);
            }
            if (inflater->avail_in == 0 && inputEnded) {
                if (mode == Mode::Probe) break;
                throw damaged(QStringLiteral("the compressed body ends early"));
            }
            status = inflate(inflater.get(), Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
                const bool beyond = mode == Mode::Probe || inflater->avail_out == 0;
                if (!beyond || IsChecksumFailure(*inflater.get())) throw corrupt(status);
                brokenBeyond = status;
                break;
            }
        }
        return length - inflater->avail_out;
    };

    // Never more than the stated length goes into the sink, whatever the stream holds.
    std::int64_t produced = 0;
    nextNotice_ = 0;
    while (status != Z_STREAM_END && produced < expected_) {
        const BodySink::Space space = sink_->Next(expected_ - produced);
        std::size_t got = 0;
        try {
            got = fill(space.data, static_cast<std::size_t>(space.length), Mode::Body);
        } catch (const AlbumError&) {
            // What inflated cleanly before the damage stays readable.
            sink_->Commit(space.length - static_cast<std::int64_t>(inflater->avail_out));
            throw;
        }
        sink_->Commit(static_cast<std::int64_t>(got));
        produced += static_cast<std::int64_t>(got);
        Progress();
    }
    if (status != Z_STREAM_END && brokenBeyond == Z_OK) {
        char probe = 0;
        fill(&probe, 1, Mode::Probe);
    }
    if (produced != expected_) {
        throw damaged(QStringLiteral("the body inflates to %1 bytes, not its stated %2")
                          .arg(produced)
                          .arg(expected_));
    }
}

}  // namespace tavlex
