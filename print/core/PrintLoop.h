#pragma once

#include <QMargins>

#include <cstdint>
#include <functional>

namespace tavlex {

class PrintDevice;
namespace mf {
class Metafile;
}

// What the page loop needs of a document: the range as positions, the paper and offsets, and
// the pages themselves.
struct PrintRun {
    int first = 1;  // positions, 1-based
    int last = 0;
    std::int32_t paperWidth = 0;  // screen pixels at 100 %; scales the offsets for every page
    QMargins edgeOffsets;         // left, top, right, bottom in pixels at 100 %
    bool hasPageOrientation = false;
    // The stored orientation of a page (used only with hasPageOrientation).
    std::function<int(int position)> pageOrientation;
    // Makes the page current and returns it whole; throws when it cannot be read or decoded.
    // The loop plays a copy of it, so what `playing` runs may replace the original.
    std::function<const mf::Metafile&(int position)> loadPage;
    // Progress of the page at this position; true when the user has cancelled.
    std::function<bool(int position)> step;
    // Called on the loop's thread about every kServiceMillis while a page plays on a thread of
    // its own, so that the progress stays alive and a cancel takes effect at once; true when the
    // user has cancelled, which abandons the page at its next record and the job with it. Asked
    // on after a cancel until the page has stopped. Without it a page plays on the loop's thread.
    std::function<bool()> playing;
    // After the last page: the pause, then closing the progress; true when cancelled.
    std::function<bool()> end;
    // Closes the progress without a pause when the loop leaves by an error.
    std::function<void()> close;
};

inline constexpr int kServiceMillis = 50;

struct PrintOutcome {
    int pagesDrawn = 0;
    int jobsBegun = 0;
    bool cancelled = false;  // the job (if any) was aborted
};

// Prints positions first..last: a job begins at the first page, and with per-page orientation
// each run of pages of one orientation becomes a job of its own. Every page is stretched over
// the target rectangle of its sheet. A cancel, between pages or while one plays, aborts the
// whole job, so nothing of it is printed; an error aborts it too and is passed on.
// Runs on the caller's thread; with run.playing each page plays on a thread of its own, and the
// device's painter belongs to that thread alone until the page has stopped.
PrintOutcome RunPrintLoop(PrintDevice& device, const PrintRun& run);

}  // namespace tavlex
