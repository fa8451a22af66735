#pragma once

// A body sink for tests that holds the inflating thread once the body has reached a given
// length, until the test lets it go on; from then on it goes on slowly, in small steps, so that
// a close that follows at once still finds the body arriving.

#include <QDir>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "album/BodySink.h"

namespace tavlex::test {

class GatedBody : public BodySink {
  public:
    GatedBody(std::shared_ptr<BodySink> inner, std::int64_t holdFrom)
        : inner_(std::move(inner)), holdFrom_(holdFrom) {}

    QString Path() const override { return inner_->Path(); }
    int Number() const override { return inner_->Number(); }
    void Expect(std::int64_t length) override { inner_->Expect(length); }
    Space Next(std::int64_t want) override { return inner_->Next(std::min(want, kStep)); }
    void Commit(std::int64_t used) override {
        inner_->Commit(used);
        Publish(inner_->Size());
        if (inner_->Size() < holdFrom_) return;
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [&] { return open_; });
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    void Finish() override { inner_->Finish(); }
    void ReadAt(std::int64_t offset, void* buffer, std::int64_t length) const override {
        CheckRange(offset, length);
        inner_->ReadAt(offset, buffer, length);
    }
    void Open() {
        const std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }

    static constexpr std::int64_t kStep = 64 * 1024;

  private:
    std::shared_ptr<BodySink> inner_;
    std::int64_t holdFrom_;
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

// Opens the gate however a test ends, so that no thread is left waiting on it. Declare it after
// whatever owns the body, so that it opens first.
struct OpenOnExit {
    GatedBody* gate;
    ~OpenOnExit() {
        if (gate) gate->Open();
    }
};

inline int ThreadCount() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task"))
                                .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                .size());
}

}  // namespace tavlex::test
