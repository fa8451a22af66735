#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace tavlex {

// Where an album's inflated body goes, and where its pages are read back from. One inflating
// thread writes the body from its start; it publishes the bytes it has written with
// release order, and readers read only what is published (Size()), so that no read ever sees a
// partial page. Readers on any thread; the writer is the one thread that inflates.
class BodySink {
  public:
    virtual ~BodySink() = default;
    BodySink(const BodySink&) = delete;
    BodySink& operator=(const BodySink&) = delete;

    // The temporary file that holds the body; empty for a body kept in memory.
    virtual QString Path() const { return {}; }
    // The temporary file's number n (Tavlex_n.TMP); -1 for a body kept in memory.
    virtual int Number() const { return -1; }

    // Bytes written and readable so far (the whole body once inflating is done).
    std::int64_t Size() const { return size_.load(std::memory_order_acquire); }

    // Writer side. The body's stated length, told once before the first Next: never more is
    // written.
    virtual void Expect(std::int64_t /*length*/) {}
    // Space for up to `want` more bytes at Size(); at least one byte. Throws AlbumError when no
    // space can be had.
    struct Space {
        char* data = nullptr;
        std::int64_t length = 0;
    };
    virtual Space Next(std::int64_t want) = 0;
    // The first `used` bytes of the last Space become part of the body (and readable). Throws
    // AlbumError when they cannot be stored.
    virtual void Commit(std::int64_t used) = 0;
    // Inflating has ended, whole or not: space reserved past what was written goes. Throws
    // AlbumError when that fails.
    virtual void Finish() {}
    // Inflating ended with the whole body: the sink keeps it. A sink destroyed without this
    // holds a partial body and drops it (a temporary file is deleted).
    void MarkWhole() { whole_.store(true, std::memory_order_release); }
    bool Whole() const { return whole_.load(std::memory_order_acquire); }

    // Reads exactly length bytes at offset into buffer; throws AlbumError when the range lies
    // outside what has been written or the read fails.
    virtual void ReadAt(std::int64_t offset, void* buffer, std::int64_t length) const = 0;

  protected:
    BodySink() = default;
    void Publish(std::int64_t size) { size_.store(size, std::memory_order_release); }
    // Throws the error for a read outside [0, Size()).
    void CheckRange(std::int64_t offset, std::int64_t length) const;

  private:
    std::atomic<std::int64_t> size_{0};
    std::atomic<bool> whole_{false};
};

// A body kept in memory, for callers that want no temporary file (the fuzz targets). Its
// capacity is fixed when it is made; blocks are allocated as the body arrives, never moved.
class MemoryBody : public BodySink {
  public:
    // Throws AlbumError when capacity is beyond maxCapacity.
    static std::unique_ptr<MemoryBody> Create(std::int64_t capacity, std::int64_t maxCapacity);

    Space Next(std::int64_t want) override;
    void Commit(std::int64_t used) override;
    void ReadAt(std::int64_t offset, void* buffer, std::int64_t length) const override;

    // Small, so that the small bodies of fuzz inputs touch little memory each.
    static constexpr std::int64_t kBlock = 64 << 10;

  private:
    explicit MemoryBody(std::int64_t capacity);

    std::int64_t capacity_;
    std::vector<std::unique_ptr<char[]>> blocks_;  // sized once; entries filled by the writer
    std::int64_t written_ = 0;                     // the writer's own count
};

}  // namespace tavlex
