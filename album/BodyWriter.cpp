#include "album/BodyWriter.h"

#include "album/AlbumError.h"
#include "album/BodyFile.h"

namespace tavlex {

BodyWriter::BodyWriter(BodyFile& file) : file_(file) {
    for (int i = 0; i < kBlocks; ++i) blocks_.emplace_back(new char[kBlockSize]);
    thread_ = std::thread([this] { Run(); });
}

BodyWriter::~BodyWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

char* BodyWriter::Block() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return pending_ < kBlocks || error_; });
    ThrowIfFailed();
    return blocks_[static_cast<std::size_t>(next_)].get();
}

void BodyWriter::Submit(std::size_t length) {
    {
        std::lock_guard lock(mutex_);
        ThrowIfFailed();
        lengths_[next_] = length;
        next_ = (next_ + 1) % kBlocks;
        ++pending_;
    }
    changed_.notify_all();
}

void BodyWriter::Finish() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return pending_ == 0 || error_; });
    ThrowIfFailed();
}

void BodyWriter::ThrowIfFailed() {
    if (error_) std::rethrow_exception(error_);
}

void BodyWriter::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return pending_ > 0 || stopping_; });
        if (stopping_) return;
        const int block = written_;
        lock.unlock();
        std::exception_ptr error;
        try {
            file_.Append(blocks_[static_cast<std::size_t>(block)].get(),
                         static_cast<std::int64_t>(lengths_[block]));
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        written_ = (written_ + 1) % kBlocks;
        --pending_;
        if (error) error_ = error;
        changed_.notify_all();
        if (error_) return;
    }
}

}  // namespace tavlex
