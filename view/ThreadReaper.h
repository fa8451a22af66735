#pragma once

#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace tavlex {

// Joins threads that their owners may not wait for: a renderer abandoned inside one record that
// cannot be interrupted (a huge polygon fill) ends minutes later, and a window closing or a page
// turning must not wait that long. Nothing is ever detached: a thread of its own, running only
// while something is held, joins each adopted thread once it ends, and JoinAll() waits for every
// one still held.
//
// JoinAll() runs at the start of the application object's destruction (a post routine, added
// with the first adoption), when every window is gone but the font database and the screens the
// renderers use are still there; the process then waits with nothing on screen. Without an
// application object it runs at static destruction.
//
// Thread: Spawn and the thread bodies anywhere; Adopt, Held and JoinAll on one thread (the
// interface thread).
class ThreadReaper {
  public:
    // How many abandoned threads may be held at once: each one keeps a core busy until its
    // record ends, so beyond a few a new one waits (see Adopt).
    static constexpr int kMaxHeld = 4;

    // A thread that says when it has ended, so that the reaper can join it without blocking.
    struct Handle {
        std::thread thread;
        std::shared_ptr<bool> ended;  // guarded by the reaper's mutex
    };

    static ThreadReaper& Instance();

    // Starts body on a new thread that can be adopted later. Throws std::system_error when no
    // thread can be had.
    Handle Spawn(std::function<void()> body);

    // Takes a running (or ended) thread to join once it ends. When kMaxHeld are held already:
    // with wait, blocks until one of them ends (a close then waits for that record, as it must
    // somewhere); without, gives the thread back and returns false.
    bool Adopt(Handle& handle, bool wait);

    // Threads adopted and not joined yet.
    int Held() const;

    // Joins every thread held, however long their records take, and the reaper's own thread.
    void JoinAll();

    ~ThreadReaper();
    ThreadReaper(const ThreadReaper&) = delete;
    ThreadReaper& operator=(const ThreadReaper&) = delete;

  private:
    ThreadReaper() = default;
    void Reap();
    static void JoinAllAtExit();

    mutable std::mutex mutex_;
    std::condition_variable changed_;  // a thread ended, was adopted or was joined
    std::list<Handle> held_;
    int joining_ = 0;       // taken off held_ and being joined by the reaper: still counted
    bool reaping_ = false;  // reaper_ runs and will join everything held before it returns
    bool postRoutineAdded_ = false;
    std::thread reaper_;
};

}  // namespace tavlex
