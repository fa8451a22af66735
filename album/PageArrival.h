#pragma once

#include <QByteArray>

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <thread>

#include "album/Document.h"

namespace tavlex {

class BodyArrival;
class BodySink;

// A page's bytes read from the body file on a thread of their own, so that playback can start
// on the first records while the rest arrive. While the body itself is still inflating, each
// step waits for its bytes there first; a page past damage in the body fails to arrive. The buffer
// is sized before the thread starts, and the thread writes only where nothing has arrived yet: a
// reader may use [0, end) once WaitFor(end) has returned true. The thread is joined by Finish and
// by the destructor.
class PageArrival {
  public:
    // Checks the page as ReadPageBytes does (throwing AlbumError), sizes `buffer` with
    // SizePageBuffer (reusing its storage where it can) and starts the read. Pages below
    // kThreadedFrom are read at once, without a thread.
    static std::shared_ptr<PageArrival> Start(const Document& document, int page,
                                              QByteArray& buffer);
    ~PageArrival();
    PageArrival(const PageArrival&) = delete;
    PageArrival& operator=(const PageArrival&) = delete;

    // Blocks until the first `end` bytes (at most the page) have arrived; false when the read
    // failed before that.
    bool WaitFor(std::uint64_t end);
    // Waits for the whole page; throws the read's AlbumError when it failed.
    void Finish();

    static constexpr std::int64_t kChunk = 256 * 1024;  // bytes made available at a time
    // Below this a page is read at once: turning between the sample album's pages of 2 to 3 MB
    // took 10 to 15 % less that way, since reading from the page cache costs less than starting
    // a thread and waking the player for each chunk.
    static constexpr std::int64_t kThreadedFrom = 4 << 20;

  private:
    PageArrival(const BodySink& body, BodyArrival* bodyArrival, std::int64_t offset, char* data,
                std::int64_t size);
    void Read();

    static constexpr std::int64_t kFailed = -1;
    const BodySink& body_;
    BodyArrival* const bodyArrival_;  // the body still inflating, or none
    const std::int64_t offset_;
    char* const data_;
    const std::int64_t size_;
    std::atomic<std::int64_t> arrived_{0};  // bytes ready from the start, or kFailed
    std::exception_ptr failure_;            // written before kFailed is published
    std::thread reader_;
};

}  // namespace tavlex
