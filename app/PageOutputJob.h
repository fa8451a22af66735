#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <thread>

#include "app/PageOutput.h"
#include "metafile/Metafile.h"

class QImage;

namespace tavlex {

class TViewForm;

// Writes a page to a file, or makes its clipboard picture, on a thread of its own, so that a
// page that plays for seconds never holds the interface. One at a time in the process: while
// one runs, every window's output commands are disabled and the busy cursor shows.
//
// Started, delivered and destroyed on the interface thread. The thread works on its own copy
// of the page and never touches a window; it is owned by the job, a child of the window, so
// closing the window or the program abandons the work (the page stops at its next record and
// nothing is written) and joins the thread. A finished job reports a failure, or puts its
// picture on the clipboard, on the interface thread and then deletes itself.
class PageOutputJob : public QObject {
    Q_OBJECT
  public:
    // The page is copied (and waited for when its bytes are still arriving). False when a job
    // runs already or no thread could be had; nothing was started then.
    static bool StartFile(TViewForm& form, const mf::Metafile& page, const QString& path,
                          PageFileType type);
    static bool StartClipboard(TViewForm& form, const mf::Metafile& page);

    // A job is under way somewhere in the program.
    static bool Running();
    // Brings a window's output commands in line with Running(), for a window made meanwhile.
    static void MatchCommands(TViewForm& form);

    ~PageOutputJob() override;

  signals:
    // Delivered on the interface thread, after the result was written or reported, and just
    // before the job deletes itself; not emitted for an abandoned job.
    void Finished();

  private:
    enum class Kind { File, Clipboard };
    PageOutputJob(TViewForm& form, Kind kind, mf::Metafile page, QString path, PageFileType type);
    static bool Start(PageOutputJob* job);
    void Run();
    void Deliver(const QString& failure, const QImage& image);
    void Release();

    const Kind kind_;
    const mf::Metafile page_;  // the thread's own copy
    const QString path_;
    const PageFileType type_;
    const int pixelsPerInch_;
    std::atomic<bool> abandoned_{false};
    std::thread thread_;
};

}  // namespace tavlex
