#pragma once

#include <QString>

#include "print/core/PrintPlan.h"

class QPainter;

namespace tavlex {

// A printer as the page loop drives it: jobs of pages, one orientation per job. The printer
// keeps the last orientation it was given. Owned and used on one thread.
class PrintDevice {
  public:
    virtual ~PrintDevice() = default;

    virtual bool Printing() const = 0;    // a job has begun and not ended
    virtual int Orientation() const = 0;  // 0 portrait, 1 landscape
    // Takes effect for the next job; a value other than 0 and 1 leaves the orientation as it is.
    virtual void SetOrientation(int orientation) = 0;
    virtual void SetTitle(const QString& title) = 0;

    // A job: BeginDoc opens it on its first page, NewPage adds one, EndDoc hands it to the
    // printer, Abort discards it whole. Each throws std::runtime_error when the device fails.
    virtual void BeginDoc() = 0;
    virtual void NewPage() = 0;
    virtual void EndDoc() = 0;
    virtual void Abort() = 0;

    // The sheet of the orientation in force, in device dots.
    virtual DeviceMetrics Metrics() const = 0;
    // The painter of the running job, its origin at the corner of the printable area.
    virtual QPainter& Painter() = 0;
};

}  // namespace tavlex
