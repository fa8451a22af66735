#include "print/core/PrintLoop.h"

#include <QElapsedTimer>
#include <QPainter>

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

// Plays one page, handing the progress a turn every kServiceMillis; false when the user
// cancelled meanwhile.
bool PlayPage(const mf::Metafile& page, PrintDevice& device, const QRect& target,
              const PrintRun& run) {
    mf::PlayLimits limits;
    bool cancelled = false;
    QElapsedTimer sinceService;
    sinceService.start();
    if (run.playing) {
        limits.cancelled = [&] {
            if (!cancelled && sinceService.elapsed() >= kServiceMillis) {
                cancelled = run.playing();
                sinceService.restart();
            }
            return cancelled;
        };
    }
    const mf::PlayResult result = mf::Play(page, device.Painter(), target, limits);
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
