#include "view/PageRenderWorker.h"

#include "view/OwnerLink.h"

#include "metafile/FontMapper.h"

#include <QElapsedTimer>
#include <QMetaObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>

namespace tavlex {

struct PageRenderWorker::Shared {
    // The ticket of the one job still wanted; a job whose ticket differs stops at its next
    // record. Tickets run on across threads, so a thread handed over cannot deliver.
    std::atomic<std::uint64_t> wanted{0};
    std::atomic<int> abandoned{0};
    OwnerLink<PageRenderWorker> owner;
};

struct PageRenderWorker::Lane {
    std::mutex mutex;  // guards everything below
    std::condition_variable wake;
    std::optional<Job> next;
    std::uint64_t nextTicket = 0;
    bool quit = false;
    bool playing = false;  // inside Draw: may stay there for one whole record
};

PageRenderWorker::PageRenderWorker(QObject* parent)
    : QObject(parent), shared_(std::make_shared<Shared>()) {
    shared_->owner.Attach(this);
}

PageRenderWorker::~PageRenderWorker() {
    shared_->wanted.fetch_add(1);
    shared_->owner.Drop();
    if (!lane_) return;
    bool playing = false;
    {
        const std::lock_guard lock(lane_->mutex);
        lane_->quit = true;
        lane_->next.reset();
        playing = lane_->playing;
    }
    lane_->wake.notify_all();
    if (!playing) {
        thread_.thread.join();  // waiting for a page, or between two: it ends at once
        return;
    }
    // With the reaper full this waits for one of its records to end: a close may wait then,
    // rather than leave ever more threads drawing pages no one sees.
    ThreadReaper::Instance().Adopt(thread_, true);
}

int PageRenderWorker::Abandoned() const {
    return shared_->abandoned.load();
}

bool PageRenderWorker::Drawing() const {
    if (!lane_) return false;
    const std::lock_guard lock(lane_->mutex);
    return lane_->playing;
}

bool PageRenderWorker::Start(Job job) {
    const std::uint64_t ticket = shared_->wanted.fetch_add(1) + 1;
    if (lane_) {
        bool playing = false;
        {
            const std::lock_guard lock(lane_->mutex);
            if (lane_->next) shared_->abandoned.fetch_add(1);  // replaced before it began
            lane_->next.reset();
            playing = lane_->playing;
        }
        // The page it plays is abandoned but may sit in one record for minutes: the new page
        // gets a thread of its own. With the reaper full it waits behind that record instead.
        if (playing && ThreadReaper::Instance().Adopt(thread_, false)) {
            {
                const std::lock_guard lock(lane_->mutex);
                lane_->quit = true;
            }
            lane_->wake.notify_all();
            lane_.reset();
        }
    }
    if (!lane_) {
        // Qt's table of font substitutions has no lock: it is filled here, on the interface
        // thread, before a player on the worker reads it.
        mf::FontMapper::RegisterSubstitutions();
        auto lane = std::make_shared<Lane>();
        try {
            thread_ =
                ThreadReaper::Instance().Spawn([shared = shared_, lane] { Run(shared, lane); });
        } catch (const std::system_error&) {
            busy_ = false;
            return false;
        }
        lane_ = std::move(lane);
        ++threadsStarted_;
    }
    busy_ = true;
    busyKey_ = job.key;
    busyArea_ = job.area;
    {
        const std::lock_guard lock(lane_->mutex);
        lane_->nextTicket = ticket;
        lane_->next = std::move(job);
    }
    lane_->wake.notify_all();
    return true;
}

void PageRenderWorker::Cancel() {
    if (!busy_) return;
    busy_ = false;
    shared_->wanted.fetch_add(1);
    if (!lane_) return;
    const std::lock_guard lock(lane_->mutex);
    if (lane_->next) shared_->abandoned.fetch_add(1);  // dropped before it began
    lane_->next.reset();
}

void PageRenderWorker::Run(const std::shared_ptr<Shared>& shared,
                           const std::shared_ptr<Lane>& lane) {
    for (;;) {
        Job job;
        std::uint64_t ticket = 0;
        {
            std::unique_lock lock(lane->mutex);
            lane->wake.wait(lock, [&] { return lane->quit || lane->next.has_value(); });
            if (lane->quit) return;
            job = std::move(*lane->next);
            lane->next.reset();
            ticket = lane->nextTicket;
            lane->playing = true;
        }
        mf::PlayLimits limits;
        limits.cancelled = [&shared, ticket] { return shared->wanted.load() != ticket; };
        bool cancelled = false;
        QImage image;
        QElapsedTimer clock;
        clock.start();
        try {
            image = PageRenderCache::Draw(job.page, job.key, job.area, limits, &cancelled);
        } catch (const std::exception&) {
            image = QImage();  // out of memory: delivered empty, the sheet stays white
        }
        {
            const std::lock_guard lock(lane->mutex);
            lane->playing = false;
        }
        job.page = mf::Metafile();  // its bytes go here, not with the next job
        if (cancelled) {
            shared->abandoned.fetch_add(1);
            continue;
        }
        shared->owner.Post([ticket, key = job.key, area = job.area, image = std::move(image),
                            millis = clock.elapsed()](PageRenderWorker& owner) {
            if (!owner.busy_ || owner.shared_->wanted.load() != ticket) return;  // abandoned
            owner.busy_ = false;
            ++owner.delivered_;
            emit owner.Finished(key, area, image, millis);
        });
    }
}

}  // namespace tavlex
