#include "view/PageRenderWorker.h"

#include "metafile/FontMapper.h"

#include <QElapsedTimer>
#include <QMetaObject>

#include <exception>
#include <system_error>

namespace tavlex {

PageRenderWorker::PageRenderWorker(QObject* parent) : QObject(parent) {}

PageRenderWorker::~PageRenderWorker() {
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
        next_.reset();
        wanted_.fetch_add(1);
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    // A rendering posted but not yet delivered goes with this object's posted events.
}

bool PageRenderWorker::Start(Job job) {
    if (!thread_.joinable()) {
        // Qt's table of font substitutions has no lock: it is filled here, on the interface
        // thread, before a player on the worker reads it.
        mf::FontMapper::RegisterSubstitutions();
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (const std::system_error&) {
            return false;
        }
    }
    busy_ = true;
    busyKey_ = job.key;
    busyArea_ = job.area;
    {
        const std::lock_guard lock(mutex_);
        if (next_) abandoned_.fetch_add(1);  // replaced before it began
        nextTicket_ = wanted_.fetch_add(1) + 1;
        next_ = std::move(job);
    }
    wake_.notify_all();
    return true;
}

void PageRenderWorker::Cancel() {
    if (!busy_) return;
    busy_ = false;
    const std::lock_guard lock(mutex_);
    if (next_) abandoned_.fetch_add(1);  // dropped before it began
    next_.reset();
    wanted_.fetch_add(1);
}

void PageRenderWorker::Run() {
    for (;;) {
        Job job;
        std::uint64_t ticket = 0;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || next_.has_value(); });
            if (quit_) return;
            job = std::move(*next_);
            next_.reset();
            ticket = *nextTicket_;
        }
        mf::PlayLimits limits;
        limits.cancelled = [this, ticket] { return wanted_.load() != ticket; };
        bool cancelled = false;
        QImage image;
        QElapsedTimer clock;
        clock.start();
        try {
            image = PageRenderCache::Draw(job.page, job.key, job.area, limits, &cancelled);
        } catch (const std::exception&) {
            image = QImage();  // out of memory: delivered empty, the sheet stays white
        }
        job.page = mf::Metafile();  // its bytes go here, not with the next job
        if (cancelled) {
            abandoned_.fetch_add(1);
            continue;
        }
        // Queued to this object: if it is destroyed first, the call goes with it.
        QMetaObject::invokeMethod(
            this,
            [this, ticket, key = job.key, area = job.area, image = std::move(image),
             millis = clock.elapsed()] {
                if (!busy_ || wanted_.load() != ticket) return;  // abandoned meanwhile
                busy_ = false;
                ++delivered_;
                emit Finished(key, area, image, millis);
            },
            Qt::QueuedConnection);
    }
}

}  // namespace tavlex
