#pragma once

#include <QString>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "album/BodySink.h"

namespace tavlex {

// The temporary file that holds one album's inflated body: TempFolder + "Tavlex_" + n + ".TMP",
// n = 0..30, the first name not held by another open album of this user (in this or another
// viewer process). The file is created for this user only, never through a symbolic or hard link,
// and stays locked for as long as the object lives. Destruction closes it (and releases the
// name); a whole body is left for the frame to delete when it closes, a partial one (an open
// that was abandoned or failed) is deleted at once.
class BodyFile : public BodySink {
  public:
    static constexpr int kMaxNames = 31;

    ~BodyFile() override;

    // Takes the first free name and empties it. Throws AlbumError when none of the 31 names can
    // be taken.
    static std::unique_ptr<BodyFile> Create(const QString& tempFolder);

    // The name a body file with number n has in folder.
    static QString NameFor(const QString& tempFolder, int n);

    QString Path() const override { return path_; }
    int Number() const override { return number_; }

    // The body is inflated into one of two blocks in memory while a thread of its own appends
    // the other to the file: the copy into the page cache, a tenth of the open, runs beside the
    // inflate instead of after it. Bytes become readable once they are in the file. A failed
    // write is thrown by the next Commit or by Finish, which also ends the thread.
    Space Next(std::int64_t want) override;
    void Commit(std::int64_t used) override;
    void Finish() override;
    void ReadAt(std::int64_t offset, void* buffer, std::int64_t length) const override;

    static constexpr std::int64_t kBlock = 256 * 1024;

  private:
    BodyFile(int fd, QString path, int number);
    void WriteBlocks();
    // Lets the writer finish what is pending and joins it.
    void StopWriter();
    // Waits until no block is being written; throws the error of one that failed.
    void WaitForWriter();

    int fd_ = -1;
    QString path_;
    int number_ = -1;
    // Filled by the inflating thread; the other one is the writer's while it is pending.
    std::unique_ptr<char[]> blocks_[2];
    int filling_ = 0;
    bool alone_ = false;  // no thread could be had: blocks are written as they are committed

    std::mutex mutex_;  // guards what follows
    std::condition_variable changed_;
    const char* pending_ = nullptr;  // a block waiting to be written, or being written
    std::int64_t pendingLength_ = 0;
    std::int64_t written_ = 0;  // bytes in the file
    int writeError_ = 0;        // errno of a failed write; nothing more is written after it
    bool quit_ = false;
    std::thread writer_;
};

}  // namespace tavlex
