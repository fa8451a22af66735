#include "album/platform/MappedWindow.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <cerrno>

namespace tavlex::platform {

MappedRange MapForWriting(int fd, std::int64_t offset, std::int64_t length) {
    static const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (offset < 0 || length <= 0 || pageSize <= 0 || offset % pageSize != 0) return {};
    // Reserved first: a page of a shared mapping that finds the disk full kills the process
    // when it is written, where a failed reservation is an ordinary error.
    const int reserved = ::posix_fallocate(fd, offset, length);
    if (reserved == EOPNOTSUPP || reserved == EINVAL) return {};
    if (reserved != 0) return {nullptr, reserved};
    void* range = ::mmap(nullptr, static_cast<std::size_t>(length), PROT_READ | PROT_WRITE,
                         MAP_SHARED, fd, static_cast<off_t>(offset));
    if (range == MAP_FAILED) return {};
    // Faulting the pages in one by one while inflating would cost more than the copy this
    // saves; an older kernel without this advice faults them in after all.
    ::madvise(range, static_cast<std::size_t>(length), MADV_POPULATE_WRITE);
    return {static_cast<char*>(range), 0};
}

void UnmapRange(char* range, std::int64_t length) {
    if (range) ::munmap(range, static_cast<std::size_t>(length));
}

}  // namespace tavlex::platform
