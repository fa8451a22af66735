#include "print/core/PrintLoop.h"

#include <QElapsedTimer>
#include <QPainter>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "metafile/FontMapper.h"
#include "metafile/Metafile.h"
#include "print/core/PrintDevice.h"
#include "print/core/PrintPlan.h"

namespace tavlex {
namespace {

// Begins a job or a page for the page at `position`, as the page's orientation asks.
void StartSheet(PrintDevice& device, const PrintRun& run, int position, PrintOutcome& outcome) {
    const int wanted = run.hasPageOrientation && run.pageOrientation ? run.pageOrientation(position)
                                                                     : device.Orientation();
    if (!device.Printing()) {
        if (run.hasPageOrientation && device.Orientation() != wanted) device.SetOrientation(wanted);
        device.BeginDoc();
        ++outcome.jobsBegun;
    } else if (run.hasPageOrientation && device.Orientation() != wanted) {
        // A run of pages of the other orientation is a job of its own.
        device.EndDoc();
        device.SetOrientation(wanted);
        device.BeginDoc();
        ++outcome.jobsBegun;
    } else {
        device.NewPage();
    }
}

// Plays one page here, handing the progress a turn every kServiceMillis between records; false
// when the user cancelled meanwhile. Used when no thread can be had.
bool PlayPageHere(const mf::Metafile& page, QPainter& painter, const QRect& target,
                  const PrintRun& run) {
    mf::PlayLimits limits;
    bool cancelled = false;
    QElapsedTimer sinceService;
    sinceService.start();
    limits.cancelled = [&] {
        if (!cancelled && sinceService.elapsed() >= kServiceMillis) {
            cancelled = run.playing();
            sinceService.restart();
        }
        return cancelled;
    };
    const mf::PlayResult result = mf::Play(page, painter, target, limits);
    return !(cancelled || result.cancelled);
}

// Plays one page on a thread while this one hands the progress a turn every kServiceMillis, so
// that not even a single long record (a huge bitmap, a polygon at the point cap) holds it; false
// when the user cancelled meanwhile. The painter is used by the thread alone until it is joined:
// what the progress runs meanwhile never prints (see the caller's note).
bool PlayPage(const mf::Metafile& page, PrintDevice& device, const QRect& target,
              const PrintRun& run) {
    QPainter& painter = device.Painter();
    if (!run.playing) return !mf::Play(page, painter, target).cancelled;
    // Qt's table of font substitutions has no lock: it is filled here before the thread reads it.
    mf::FontMapper::RegisterSubstitutions();
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::atomic<bool> cancel{false};
    mf::PlayResult result;
    std::exception_ptr failure;
    std::thread player;
    try {
        player = std::thread([&] {
            mf::PlayLimits limits;
            limits.cancelled = [&cancel] { return cancel.load(); };
            try {
                result = mf::Play(page, painter, target, limits);
            } catch (...) {
                failure = std::current_exception();  // out of memory
            }
            const std::lock_guard lock(mutex);
            done = true;
            ended.notify_all();
        });
    } catch (const std::system_error&) {
        return PlayPageHere(page, painter, target, run);
    }
    bool cancelled = false;
    for (;;) {
        {
            std::unique_lock lock(mutex);
            if (ended.wait_for(lock, std::chrono::milliseconds(kServiceMillis),
                               [&] { return done; }))
                break;
        }
        // Served on after a cancel as well: the record playing may take a while to end.
        if (run.playing() && !cancelled) {
            cancelled = true;
            cancel = true;
        }
    }
    player.join();
    if (failure) std::rethrow_exception(failure);
    return !(cancelled || result.cancelled);
}

}  // namespace

PrintOutcome RunPrintLoop(PrintDevice& device, const PrintRun& run) {
    PrintOutcome outcome;
    try {
        for (int position = run.first; position <= run.last; ++position) {
            if (run.step && run.step(position)) {
                outcome.cancelled = true;
                break;
            }
            StartSheet(device, run, position, outcome);
            // A copy shares the bytes; the window's page may be replaced while this one plays.
            const mf::Metafile page = run.loadPage(position);
            const QRect target = TargetRectangle(device.Metrics(), run.paperWidth, run.edgeOffsets);
            if (!page.IsNull() && !target.isEmpty() && !PlayPage(page, device, target, run)) {
                outcome.cancelled = true;
                break;
            }
            ++outcome.pagesDrawn;
        }
        // A cancel clicked while the last page was drawn counts as well.
        const bool cancelledAtEnd = run.end ? run.end() : false;
        outcome.cancelled = outcome.cancelled || cancelledAtEnd;
    } catch (...) {
        if (device.Printing()) device.Abort();
        if (run.close) run.close();
        throw;
    }
    if (device.Printing()) {
        if (outcome.cancelled) {
            device.Abort();
        } else {
            device.EndDoc();
        }
    }
    return outcome;
}

}  // namespace tavlex
