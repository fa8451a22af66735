#pragma once

#include <cstdint>
#include <utility>

namespace tavlex::platform {

// How this system reads and writes the album file and the body file. One file per system
// implements it (FileIo_linux.cpp). Each call goes on through interrupted and short transfers;
// on failure it returns -1 (or false) with errno saying why.

// Reads up to length bytes at the descriptor's position; short only at the end of the file.
std::int64_t ReadFully(int fd, char* buffer, std::int64_t length);

// Reads up to length bytes at offset; short only at the end of the file.
std::int64_t ReadAt(int fd, std::int64_t offset, char* buffer, std::int64_t length);

// Writes all length bytes at offset.
bool WriteAt(int fd, std::int64_t offset, const char* bytes, std::int64_t length);

// Opens a file by its encoded path for reading, or for reading and writing. A pipe or device
// does not make the call wait, and the descriptor is not handed to child processes.
int OpenFile(const char* path, bool forWriting);

void CloseFile(int fd);

// Which file a descriptor reads: a file replaced under the same name is another file.
struct FileStatus {
    bool regular = false;  // a plain file, not a directory, pipe or device
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
};
bool StatusOf(int fd, FileStatus& status);

// Waits until what was written is on the disk. A file system that cannot be asked counts as done.
bool SyncToDisk(int fd);

// Owns one descriptor and closes it.
class FileHandle {
  public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) CloseFile(fd_);
    }
    FileHandle(FileHandle&& other) noexcept : fd_(other.Release()) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle& operator=(FileHandle&&) = delete;
    int Descriptor() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

}  // namespace tavlex::platform
