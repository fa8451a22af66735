#pragma once

#include <cstdint>

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

}  // namespace tavlex::platform
