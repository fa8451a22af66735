#include "print/core/PrintLoop.h"

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
            const mf::Metafile& page = run.loadPage(position);
            const QRect target = TargetRectangle(device.Metrics(), run.paperWidth, run.edgeOffsets);
            if (!page.IsNull() && !target.isEmpty()) mf::Play(page, device.Painter(), target);
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
