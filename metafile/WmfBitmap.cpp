#include "metafile/WmfBitmap.h"

#include "metafile/EmfWriter.h"

namespace tavlex::mf::wmfbitmap {

std::optional<std::uint32_t> DibHeaderBlockSize(ByteView dib, std::uint32_t usage) {
    const auto headerSize = dib.U32(0);
    if (!headerSize) return std::nullopt;
    std::uint64_t size = 0;
    std::uint32_t bitCount = 0;
    std::uint64_t colours = 0;
    std::uint64_t entry = usage == 1 ? 2 : 4;
    if (*headerSize == 12) {
        bitCount = dib.U16Or(10);
        if (bitCount <= 8) colours = std::uint64_t{1} << bitCount;
        if (usage != 1) entry = 3;
        size = 12;
    } else if (*headerSize >= 16 && *headerSize <= 1024) {
        bitCount = dib.U16Or(14);
        const std::uint32_t compression = dib.U32Or(16);
        const std::uint32_t used = *headerSize >= 36 ? dib.U32Or(32) : 0;
        colours = used;
        if (colours > 256 && bitCount <= 8) colours = 256;
        if (colours == 0 && bitCount <= 8) colours = std::uint64_t{1} << bitCount;
        size = *headerSize;
        // Bit-field masks follow a 40-byte header; later header forms hold them inside.
        if (*headerSize == 40 && (compression == 3 || compression == 6)) {
            size += compression == 3 ? 12 : 16;
        }
    } else {
        return std::nullopt;
    }
    size += colours * entry;
    if (!dib.Has(0, size)) return std::nullopt;
    return static_cast<std::uint32_t>(size);
}

std::optional<QByteArray> Bitmap16ToDib(ByteView header, ByteView bits) {
    const std::int32_t width = header.I16Or(2);
    const std::int32_t height = header.I16Or(4);
    const std::int64_t widthBytes = header.U16Or(6);
    const auto planes = header.U8(8);
    const auto bitsPixel = header.U8(9);
    if (!planes || !bitsPixel || *planes != 1 || width <= 0 || height <= 0) return std::nullopt;
    if (*bitsPixel != 1 && *bitsPixel != 24 && *bitsPixel != 32) return std::nullopt;
    const std::int64_t rowBytes = (std::int64_t{width} * *bitsPixel + 7) / 8;
    if (widthBytes < rowBytes || !bits.Has(0, static_cast<std::uint64_t>(widthBytes * height))) {
        return std::nullopt;
    }
    const std::int64_t stride = (rowBytes + 3) & ~std::int64_t{3};
    QByteArray out;
    PutU32(out, 40);
    PutI32(out, width);
    PutI32(out, -height);  // rows stay in their stored, top-down order
    PutU16(out, 1);
    PutU16(out, *bitsPixel);
    PutU32(out, 0);
    PutU32(out, static_cast<std::uint32_t>(stride * height));
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, *bitsPixel == 1 ? 2 : 0);
    PutU32(out, 0);
    if (*bitsPixel == 1) {
        PutU32(out, 0x000000);
        PutU32(out, 0xFFFFFF);
    }
    for (std::int32_t y = 0; y < height; ++y) {
        QByteArray row(reinterpret_cast<const char*>(bits.data() + y * widthBytes), rowBytes);
        row.resize(stride, '\0');
        out.append(row);
    }
    return out;
}

}  // namespace tavlex::mf::wmfbitmap
