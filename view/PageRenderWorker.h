#pragma once

#include <QImage>
#include <QObject>
#include <QRect>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

#include "metafile/Metafile.h"
#include "view/PageRenderCache.h"

namespace tavlex {

// Renders a page too slow for the interface thread on a thread of its own, one page at a time.
// Owned and driven by the interface thread: Start, Cancel and the destructor are called there,
// and Finished is emitted there. The thread is started with the first page and joined by the
// destructor, which abandons whatever is playing; nothing it makes outlives its owner.
class PageRenderWorker : public QObject {
    Q_OBJECT
  public:
    struct Job {
        mf::Metafile page;  // a copy: the window's page may be replaced meanwhile
        PageRenderCache::Key key;
        QRect area;  // the part of the paint box to draw
    };

    explicit PageRenderWorker(QObject* parent = nullptr);
    ~PageRenderWorker() override;

    // Renders job, abandoning the page being rendered (it stops at its next record) and any
    // waiting to be. False when no thread could be had.
    bool Start(Job job);
    // Abandons the page being rendered; nothing is delivered for it.
    void Cancel();

    // A page was started and neither delivered nor abandoned yet, and which.
    bool Busy() const { return busy_; }
    const PageRenderCache::Key& BusyKey() const { return busyKey_; }
    const QRect& BusyArea() const { return busyArea_; }
    // Pages no longer wanted: dropped before they began or stopped while playing.
    int Abandoned() const { return abandoned_.load(); }
    // Renderings delivered by Finished.
    int Delivered() const { return delivered_; }

  signals:
    // The rendering of the last job started, on the interface thread, and how long it took;
    // empty when there was no memory for it.
    void Finished(const tavlex::PageRenderCache::Key& key, const QRect& area, const QImage& image,
                  qint64 millis);

  private:
    void Run();

    std::thread thread_;
    std::mutex mutex_;  // guards next_ and quit_
    std::condition_variable wake_;
    std::optional<Job> next_;
    bool quit_ = false;
    // The ticket of the one job still wanted; a job whose ticket differs stops at its next
    // record.
    std::atomic<std::uint64_t> wanted_{0};
    std::optional<std::uint64_t> nextTicket_;
    std::atomic<int> abandoned_{0};

    // Interface thread only.
    bool busy_ = false;
    int delivered_ = 0;
    PageRenderCache::Key busyKey_;
    QRect busyArea_;
};

}  // namespace tavlex
