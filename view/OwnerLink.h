#pragma once

#include <QMetaObject>

#include <mutex>
#include <utility>

namespace tavlex {

// How a thread calls back an interface-thread object that may go first. The owner drops the
// link in its destructor, before its posted events go; a call is posted under the same lock,
// so it reaches a live owner or is never posted.
template <class Owner>
class OwnerLink {
  public:
    // From the owner's constructor.
    void Attach(Owner* owner) {
        const std::lock_guard lock(mutex_);
        owner_ = owner;
    }

    // From the owner's destructor: nothing is posted to it afterwards.
    void Drop() {
        const std::lock_guard lock(mutex_);
        owner_ = nullptr;
    }

    // From any thread: call(owner) runs later on the owner's thread, unless it has gone.
    template <class Call>
    void Post(Call call) {
        const std::lock_guard lock(mutex_);
        if (owner_ == nullptr) return;
        QMetaObject::invokeMethod(
            owner_, [owner = owner_, call = std::move(call)]() mutable { call(*owner); },
            Qt::QueuedConnection);
    }

  private:
    std::mutex mutex_;
    Owner* owner_ = nullptr;
};

}  // namespace tavlex
