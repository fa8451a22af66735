#pragma once

#include <QString>

#include <atomic>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tavlex {

class BodySink;

// An album body inflating on a thread of its own while the window already shows what has
// arrived. The thread writes into the sink from the start; readers wait for the end of what
// they need (WaitFor) or ask how much is there (Arrived), and the sink refuses any read beyond
// it, so no partial page is ever read. The thread stops at once when cancelled, and is joined
// by Cancel, Join and the destructor.
class BodyArrival {
  public:
    enum class State { Arriving, Whole, Failed, Cancelled };
    // Called on the inflating thread when more of the body has arrived (in steps of about a
    // hundredth of it) and once when it ends; it must only hand the news on (post an event).
    using Listener = std::function<void()>;

    // Takes over albumFd, positioned just after the header, and inflates its zlib stream into
    // sink: bodyLength bytes, the stated length. name is the album's file name for messages.
    // Where, says whether a thread of its own is started or the body arrives on the calling
    // thread before Start returns (for callers that have nothing to show meanwhile).
    enum class Where { OwnThread, CallingThread };
    static std::unique_ptr<BodyArrival> Start(int albumFd, std::int64_t bodyLength,
                                              std::shared_ptr<BodySink> sink, QString name,
                                              Where where = Where::OwnThread);
    ~BodyArrival();
    BodyArrival(const BodyArrival&) = delete;
    BodyArrival& operator=(const BodyArrival&) = delete;

    void SetListener(Listener listener);
    // The listener also hears as soon as the first `end` bytes are there (one such point at a
    // time), so that a reader waiting for a page learns of it without delay.
    void NoticeAt(std::int64_t end);
    // Stops the inflating and joins the thread; a body not whole by then stays partial.
    void Cancel();
    // Waits for the inflating to end, whole or not.
    void Join();

    // Blocks until the first `end` bytes have arrived (true), or the body ended before them
    // (false: damaged, cancelled, or end lies beyond the stated length).
    bool WaitFor(std::int64_t end);
    std::int64_t Arrived() const;
    std::int64_t Expected() const { return expected_; }
    State CurrentState() const;
    // The error that stopped the body (an AlbumError) once CurrentState() is Failed.
    std::exception_ptr Failure() const;
    // Rethrows Failure() when there is one.
    void ThrowIfFailed() const;

  private:
    BodyArrival(int albumFd, std::int64_t bodyLength, std::shared_ptr<BodySink> sink, QString name);
    void Run();
    void Inflate();
    void Progress();
    void End(State state, std::exception_ptr failure);

    const int albumFd_;
    const std::int64_t expected_;
    const std::shared_ptr<BodySink> sink_;
    const QString name_;
    std::atomic<bool> cancel_{false};
    std::int64_t nextNotice_ = 0;  // inflating thread only
    std::atomic<std::int64_t> noticeAt_{INT64_MAX};

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    State state_ = State::Arriving;  // guarded by mutex_
    std::exception_ptr failure_;     // guarded by mutex_
    Listener listener_;              // guarded by mutex_
    std::mutex joinMutex_;           // one joiner at a time
    std::thread thread_;
};

}  // namespace tavlex
