#include "album/platform/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace tavlex::platform {

std::int64_t ReadFully(int fd, char* buffer, std::int64_t length) {
    std::int64_t total = 0;
    while (total < length) {
        const ssize_t got = ::read(fd, buffer + total, static_cast<std::size_t>(length - total));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        total += got;
    }
    return total;
}

std::int64_t ReadAt(int fd, std::int64_t offset, char* buffer, std::int64_t length) {
    std::int64_t total = 0;
    while (total < length) {
        const ssize_t got = ::pread(fd, buffer + total, static_cast<std::size_t>(length - total),
                                    static_cast<off_t>(offset + total));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        total += got;
    }
    return total;
}

bool WriteAt(int fd, std::int64_t offset, const char* bytes, std::int64_t length) {
    std::int64_t total = 0;
    while (total < length) {
        const ssize_t written =
            ::pwrite(fd, bytes + total, static_cast<std::size_t>(length - total),
                     static_cast<off_t>(offset + total));
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return false;
        if (written == 0) {
            errno = ENOSPC;  // a write that makes no progress would loop for ever
            return false;
        }
        total += written;
    }
    return true;
}

int OpenFile(const char* path, bool forWriting) {
    return ::open(path, (forWriting ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
}

void CloseFile(int fd) {
    ::close(fd);
}

bool StatusOf(int fd, FileStatus& status) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return false;
    status.regular = S_ISREG(info.st_mode);
    status.device = static_cast<std::uint64_t>(info.st_dev);
    status.inode = static_cast<std::uint64_t>(info.st_ino);
    status.size = static_cast<std::int64_t>(info.st_size);
    return true;
}

bool SyncToDisk(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL;
}

}  // namespace tavlex::platform
