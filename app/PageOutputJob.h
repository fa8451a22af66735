#pragma once

#include <QObject>
#include <QString>

#include <memory>

#include "app/PageOutput.h"
#include "view/ThreadReaper.h"

class QImage;

namespace tavlex {

class TViewForm;

// Writes a page to a file, or makes its clipboard picture, on a thread of its own, so that a
// page that plays for seconds never holds the interface. One at a time in the process: while
// one runs, every window's output commands are disabled and the busy cursor shows.
//
// Started, delivered and destroyed on the interface thread. The thread works on its own copy
// of the page and never touches a window. The job is a child of the window, so closing the
// window or the program abandons the work: the page stops at its next record, nothing is
// written, and the thread goes to the ThreadReaper, which joins it once that record ends (a
// single record may take long, and a close does not wait for it). A finished job reports a
// failure, or puts its picture on the clipboard, on the interface thread and then deletes
// itself.
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

  private:
    struct Work;  // what the thread touches; outlives the job while the thread runs
    explicit PageOutputJob(TViewForm& form, std::shared_ptr<Work> work);
    static bool Start(TViewForm& form, std::shared_ptr<Work> work);
    static void Run(const std::shared_ptr<Work>& work);
    void Deliver(const QString& failure, const QImage& image);
    void Release();

    std::shared_ptr<Work> work_;
    ThreadReaper::Handle thread_;
};

}  // namespace tavlex
