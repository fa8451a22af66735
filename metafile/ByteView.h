#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

namespace tavlex::mf {

static_assert(std::endian::native == std::endian::little, "reads assume a little-endian host");

// A bounded, read-only window on little-endian bytes. Every read is checked against the view;
// offsets and sizes are taken as 64-bit so that values read from a file cannot wrap.
// The view does not own the bytes: they must outlive it.
class ByteView {
  public:
    ByteView() = default;
    ByteView(const void* data, std::size_t size)
        : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}

    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    // True when [offset, offset + length) lies inside the view.
    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }

    // The sub-view [offset, offset + length), or nothing when it does not fit.
    std::optional<ByteView> Sub(std::uint64_t offset, std::uint64_t length) const {
        if (!Has(offset, length)) return std::nullopt;
        return ByteView(data_ + offset, static_cast<std::size_t>(length));
    }

    // Reads return nothing when the value does not fit in the view.
    std::optional<std::uint8_t> U8(std::uint64_t offset) const {
        if (!Has(offset, 1)) return std::nullopt;
        return data_[offset];
    }
    std::optional<std::uint16_t> U16(std::uint64_t offset) const {
        return Read<std::uint16_t>(offset);
    }
    std::optional<std::int16_t> I16(std::uint64_t offset) const {
        return Read<std::int16_t>(offset);
    }
    std::optional<std::uint32_t> U32(std::uint64_t offset) const {
        return Read<std::uint32_t>(offset);
    }
    std::optional<std::int32_t> I32(std::uint64_t offset) const {
        return Read<std::int32_t>(offset);
    }
    std::optional<float> F32(std::uint64_t offset) const { return Read<float>(offset); }

    // Reads that yield a fallback instead; for fields whose absence is already excluded.
    std::uint16_t U16Or(std::uint64_t offset, std::uint16_t fallback = 0) const {
        return U16(offset).value_or(fallback);
    }
    std::int16_t I16Or(std::uint64_t offset, std::int16_t fallback = 0) const {
        return I16(offset).value_or(fallback);
    }
    std::uint32_t U32Or(std::uint64_t offset, std::uint32_t fallback = 0) const {
        return U32(offset).value_or(fallback);
    }
    std::int32_t I32Or(std::uint64_t offset, std::int32_t fallback = 0) const {
        return I32(offset).value_or(fallback);
    }

  private:
    template <typename T>
    std::optional<T> Read(std::uint64_t offset) const {
        if (!Has(offset, sizeof(T))) return std::nullopt;
        T value;
        std::memcpy(&value, data_ + offset, sizeof(T));  // the platform is little-endian
        return value;
    }

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace tavlex::mf
