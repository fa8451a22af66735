#pragma once

#include <QString>

#include <cstdint>
#include <memory>

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

    // The body is inflated into a block in memory and appended to the file from there: a block
    // that stays in the processor's cache makes the copy into the page cache nearly free, where
    // filling the file's pages through a mapping costs a page fault and a zeroing per page.
    Space Next(std::int64_t want) override;
    void Commit(std::int64_t used) override;
    void ReadAt(std::int64_t offset, void* buffer, std::int64_t length) const override;

    static constexpr std::int64_t kBlock = 256 * 1024;

  private:
    BodyFile(int fd, QString path, int number);

    int fd_ = -1;
    QString path_;
    int number_ = -1;
    // Writer side, touched only by the inflating thread.
    std::int64_t written_ = 0;
    std::unique_ptr<char[]> block_;
};

}  // namespace tavlex
