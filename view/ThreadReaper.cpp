#include "view/ThreadReaper.h"

#include <QCoreApplication>

#include <algorithm>

namespace tavlex {

ThreadReaper& ThreadReaper::Instance() {
    static ThreadReaper reaper;
    return reaper;
}

ThreadReaper::~ThreadReaper() {
    JoinAll();
}

ThreadReaper::Handle ThreadReaper::Spawn(std::function<void()> body) {
    auto ended = std::make_shared<bool>(false);
    std::thread thread([this, ended, body = std::move(body)] {
        body();
        {
            const std::lock_guard lock(mutex_);
            *ended = true;
        }
        changed_.notify_all();
    });
    return {std::move(thread), std::move(ended)};
}

bool ThreadReaper::Adopt(Handle& handle, bool wait) {
    std::unique_lock lock(mutex_);
    if (wait) {
        changed_.wait(lock, [this] { return int(held_.size()) < kMaxHeld; });
    } else if (int(held_.size()) >= kMaxHeld) {
        return false;
    }
    if (!postRoutineAdded_ && QCoreApplication::instance() != nullptr) {
        qAddPostRoutine(&ThreadReaper::JoinAllAtExit);
        postRoutineAdded_ = true;
    }
    held_.push_back(std::move(handle));
    if (!reaping_) {
        // The last reaper let go of the lock as it returned: this join is immediate.
        if (reaper_.joinable()) reaper_.join();
        reaper_ = std::thread([this] { Reap(); });
        reaping_ = true;
    }
    changed_.notify_all();
    return true;
}

int ThreadReaper::Held() const {
    const std::lock_guard lock(mutex_);
    return int(held_.size()) + joining_;
}

void ThreadReaper::Reap() {
    std::unique_lock lock(mutex_);
    for (;;) {
        const auto ended = [](const Handle& h) { return *h.ended; };
        changed_.wait(
            lock, [&] { return held_.empty() || std::any_of(held_.begin(), held_.end(), ended); });
        std::list<Handle> done;
        for (auto it = held_.begin(); it != held_.end();) {
            const auto next = std::next(it);
            if (*it->ended) done.splice(done.end(), held_, it);
            it = next;
        }
        if (!done.empty()) {
            // Joined outside the lock: an ended thread may still be unwinding its last frame.
            joining_ += int(done.size());
            lock.unlock();
            for (Handle& h : done) h.thread.join();
            lock.lock();
            joining_ -= int(done.size());
            changed_.notify_all();
            continue;
        }
        // Nothing left to wait for: no thread lingers while no record is abandoned.
        reaping_ = false;
        changed_.notify_all();
        return;
    }
}

void ThreadReaper::JoinAll() {
    std::thread reaper;
    {
        std::unique_lock lock(mutex_);
        // The reaper returns once it has joined everything held.
        changed_.wait(lock, [this] { return !reaping_; });
        reaper = std::move(reaper_);
    }
    if (reaper.joinable()) reaper.join();
}

void ThreadReaper::JoinAllAtExit() {
    ThreadReaper& reaper = Instance();
    reaper.JoinAll();
    const std::lock_guard lock(reaper.mutex_);
    reaper.postRoutineAdded_ = false;  // the routine ran: a later application object adds it again
}

}  // namespace tavlex
