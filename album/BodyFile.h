#pragma once

#include <QString>

#include <cstdint>
#include <memory>

namespace tavlex {

// The temporary file that holds one album's inflated body: TempFolder + "Tavlex_" + n + ".TMP",
// n = 0..30, the first name not held by another open album of this user (in this or another
// viewer process). The file is created for this user only, never through a symbolic or hard link,
// and stays locked for as long as the object lives; destruction closes it (and releases the name)
// but does not delete it: the frame deletes the temporary files when it closes.
class BodyFile {
  public:
    static constexpr int kMaxNames = 31;

    ~BodyFile();
    BodyFile(const BodyFile&) = delete;
    BodyFile& operator=(const BodyFile&) = delete;

    // Takes the first free name and empties it. Throws AlbumError when none of the 31 names can
    // be taken.
    static std::unique_ptr<BodyFile> Create(const QString& tempFolder);

    // The name a body file with number n has in folder.
    static QString NameFor(const QString& tempFolder, int n);

    const QString& Path() const { return path_; }
    int Number() const { return number_; }
    int Descriptor() const { return fd_; }

    // Size written so far (the inflated body length once loading is done).
    std::int64_t Size() const { return size_; }

    // Appends bytes; throws AlbumError on a write failure.
    void Append(const void* data, std::int64_t length);

    // Reserves the disk space of length bytes at offset (so that filling them cannot fail
    // later) and maps them for writing, populated: the loader inflates straight into the file's
    // pages instead of copying every block once more through write(). Returns null where the
    // range cannot be mapped (the caller then appends instead); throws AlbumError when the space
    // cannot be reserved. The offset must be a multiple of the page size. Ranges that do not
    // overlap may be mapped from another thread while one is being filled.
    char* MapRange(std::int64_t offset, std::int64_t length) const;
    static void Unmap(char* range, std::int64_t length);
    // The next used bytes, filled through a mapped range at Size(), become part of the body.
    void CommitMapped(std::int64_t used) { size_ += used; }
    // Cuts off space reserved past the body; throws AlbumError when that fails.
    void TrimToSize();

    // Reads exactly length bytes at offset into buffer; throws AlbumError when the range lies
    // outside the body or the read fails.
    void ReadAt(std::int64_t offset, void* buffer, std::int64_t length) const;

  private:
    BodyFile(int fd, QString path, int number);

    int fd_ = -1;
    QString path_;
    int number_ = -1;
    std::int64_t size_ = 0;
};

}  // namespace tavlex
