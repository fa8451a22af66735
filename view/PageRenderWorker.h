#pragma once

#include <QImage>
#include <QObject>
#include <QRect>

#include <memory>

#include "metafile/Metafile.h"
#include "view/PageRenderCache.h"
#include "view/ThreadReaper.h"

namespace tavlex {

// Renders a page too slow for the interface thread on a thread of its own, one page at a time.
// Owned and driven by the interface thread: Start, Cancel and the destructor are called there,
// and Finished is emitted there. An abandoned page stops at its next record, but one record (a
// huge polygon fill) may draw for minutes: so neither a new page nor the destructor waits for a
// thread still inside an abandoned page. Such a thread goes to the ThreadReaper, which joins it
// once its record ends; a new page gets a thread of its own meanwhile. What the threads touch is
// shared with them, not this object, and nothing reaches this object once it has gone.
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
    // The thread taking new pages is drawing one (perhaps one no longer wanted).
    bool Drawing() const;
    // Pages no longer wanted: dropped before they began or stopped while playing.
    int Abandoned() const;
    // Renderings delivered by Finished.
    int Delivered() const { return delivered_; }
    // Threads started so far: a new one whenever the last is still inside an abandoned page.
    int ThreadsStarted() const { return threadsStarted_; }

  signals:
    // The rendering of the last job started, on the interface thread, and how long it took;
    // empty when there was no memory for it.
    void Finished(const tavlex::PageRenderCache::Key& key, const QRect& area, const QImage& image,
                  qint64 millis);

  private:
    struct Shared;  // what every thread of this worker touches; outlives it while one runs
    struct Lane;    // one thread's page to come
    static void Run(const std::shared_ptr<Shared>& shared, const std::shared_ptr<Lane>& lane);

    std::shared_ptr<Shared> shared_;
    std::shared_ptr<Lane> lane_;  // the thread taking new pages; none before the first
    ThreadReaper::Handle thread_;

    // Interface thread only.
    bool busy_ = false;
    int delivered_ = 0;
    int threadsStarted_ = 0;
    PageRenderCache::Key busyKey_;
    QRect busyArea_;
};

}  // namespace tavlex
