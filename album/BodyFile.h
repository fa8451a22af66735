#pragma once

#include <QString>

#include <cstdint>
#include <future>
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
    int Descriptor() const { return fd_; }

    // The body is inflated straight into the file's pages through mapped windows, so that it
    // is not copied once more: a second thread reserves and maps the next window while the
    // current one fills, and at most two are mapped at a time. Bodies under one window, and
    // files that cannot be mapped, are appended in blocks instead.
    void Expect(std::int64_t length) override;
    Space Next(std::int64_t want) override;
    void Commit(std::int64_t used) override;
    void Finish() override;
    void ReadAt(std::int64_t offset, void* buffer, std::int64_t length) const override;

    static constexpr std::int64_t kWindow = 4 << 20;
    static constexpr std::int64_t kBlock = 256 * 1024;

  private:
    BodyFile(int fd, QString path, int number);
    // Reserves the disk space of length bytes at offset (so that filling them cannot fail
    // later) and maps them for writing, populated. Null where the range cannot be mapped;
    // throws AlbumError when the space cannot be reserved.
    char* MapRange(std::int64_t offset, std::int64_t length) const;
    void StartAhead(std::int64_t offset);
    void DropAhead();
    void UnmapWindow();

    int fd_ = -1;
    QString path_;
    int number_ = -1;
    // Writer side, touched only by the inflating thread (and the one preparing ahead).
    std::int64_t expected_ = 0;
    std::int64_t written_ = 0;
    bool appending_ = true;
    bool reserved_ = false;  // space may lie reserved past what was written
    char* window_ = nullptr;
    std::int64_t windowStart_ = 0;
    std::int64_t windowLength_ = 0;
    std::future<char*> ahead_;
    std::int64_t aheadStart_ = 0;
    std::int64_t aheadLength_ = 0;
    std::unique_ptr<char[]> block_;
};

}  // namespace tavlex
