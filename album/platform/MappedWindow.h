#pragma once

#include <cstdint>

namespace tavlex::platform {

// How this system maps a range of an open file for writing. One file per system implements it
// (MappedWindow_linux.cpp); a system without mapping returns null and the caller writes instead.

struct MappedRange {
    char* range = nullptr;  // null: not mapped (see error)
    int error = 0;          // non-zero errno when the disk space could not be reserved
};

// Reserves the disk space of length bytes at offset of the open file fd (so that filling them
// cannot fail later) and maps them for writing, populated. The offset must be a multiple of
// the page size. Returns a null range with error 0 where the range cannot be mapped.
MappedRange MapForWriting(int fd, std::int64_t offset, std::int64_t length);

// Unmaps a range MapForWriting returned; null is ignored.
void UnmapRange(char* range, std::int64_t length);

}  // namespace tavlex::platform
