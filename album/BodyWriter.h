#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tavlex {

class BodyFile;

// Writes the inflated body to its file on a second thread while the loader inflates the next
// block, so that opening an album costs little more than inflating it. Memory stays bounded:
// a few fixed blocks cycle between the two threads. Used only inside one load: the thread is
// joined before the writer is gone, and a write error is raised again on the loading thread.
class BodyWriter {
  public:
    static constexpr std::size_t kBlockSize = 256 * 1024;

    explicit BodyWriter(BodyFile& file);
    ~BodyWriter();  // stops the thread; blocks not yet written are dropped
    BodyWriter(const BodyWriter&) = delete;
    BodyWriter& operator=(const BodyWriter&) = delete;

    // A free block of kBlockSize bytes to fill; waits while all blocks are being written.
    char* Block();
    // Hands the block from Block() over with its first length bytes to be written.
    void Submit(std::size_t length);
    // Waits until everything submitted is written. Both Submit and Finish throw the writer's
    // error (AlbumError) once one has happened.
    void Finish();

  private:
    static constexpr int kBlocks = 4;
    void Run();
    void ThrowIfFailed();  // with mutex_ held

    BodyFile& file_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t lengths_[kBlocks] = {};
    int next_ = 0;     // next block the loader fills
    int written_ = 0;  // next block the thread writes
    int pending_ = 0;  // blocks submitted, not yet written
    bool stopping_ = false;
    std::exception_ptr error_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
};

}  // namespace tavlex
