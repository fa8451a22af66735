#include "album/BodySink.h"

#include <algorithm>
#include <cstring>

#include "album/AlbumError.h"

namespace tavlex {

void BodySink::CheckRange(std::int64_t offset, std::int64_t length) const {
    const std::int64_t size = Size();
    if (offset < 0 || length < 0 || offset > size || length > size - offset) {
        throw AlbumError(AlbumErrorKind::Damaged,
                         QStringLiteral("read of %1 bytes at %2 lies outside the album body "
                                        "(%3 bytes)")
                             .arg(length)
                             .arg(offset)
                             .arg(size),
                         offset);
    }
}

std::unique_ptr<MemoryBody> MemoryBody::Create(std::int64_t capacity, std::int64_t maxCapacity) {
    if (capacity < 0 || capacity > maxCapacity) {
        throw AlbumError(AlbumErrorKind::TemporaryFile,
                         QStringLiteral("a body of %1 bytes is beyond the %2 bytes kept in memory")
                             .arg(capacity)
                             .arg(maxCapacity));
    }
    return std::unique_ptr<MemoryBody>(new MemoryBody(capacity));
}

MemoryBody::MemoryBody(std::int64_t capacity)
    : capacity_(capacity), blocks_(static_cast<std::size_t>((capacity + kBlock - 1) / kBlock)) {}

BodySink::Space MemoryBody::Next(std::int64_t want) {
    if (written_ >= capacity_) {
        throw AlbumError(AlbumErrorKind::TemporaryFile,
                         QStringLiteral("the body is larger than its %1 bytes").arg(capacity_),
                         written_);
    }
    auto& block = blocks_[static_cast<std::size_t>(written_ / kBlock)];
    // Allocated before Size() covers it: readers only reach blocks below Size().
    if (!block) block.reset(new char[kBlock]);
    const std::int64_t inBlock = written_ % kBlock;
    const std::int64_t room = std::min(kBlock - inBlock, capacity_ - written_);
    return {block.get() + inBlock, std::max<std::int64_t>(1, std::min(want, room))};
}

void MemoryBody::Commit(std::int64_t used) {
    written_ += used;
    Publish(written_);
}

void MemoryBody::ReadAt(std::int64_t offset, void* buffer, std::int64_t length) const {
    CheckRange(offset, length);
    auto* out = static_cast<char*>(buffer);
    while (length > 0) {
        const std::int64_t inBlock = offset % kBlock;
        const std::int64_t n = std::min(length, kBlock - inBlock);
        std::memcpy(out, blocks_[static_cast<std::size_t>(offset / kBlock)].get() + inBlock,
                    static_cast<std::size_t>(n));
        out += n;
        offset += n;
        length -= n;
    }
}

}  // namespace tavlex
