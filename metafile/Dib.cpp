#include "metafile/Dib.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace tavlex::mf {

namespace {

constexpr std::int32_t kMaxDimension = 1 << 18;  // QImage keeps a row's bytes in an int
constexpr QRgb kBlack = 0xff000000u;

// The colours of the default logical palette, used for palette indices when none is selected.
constexpr std::array<QRgb, 20> kDefaultPalette = {
    0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080, 0xff800080, 0xff008080,
    0xffc0c0c0, 0xffc0dcc0, 0xffa6caf0, 0xfffffbf0, 0xffa0a0a4, 0xff808080, 0xffff0000,
    0xff00ff00, 0xffffff00, 0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff,
};

// Reserves `bytes` of the page's bitmap budget; false when it does not fit.
bool Reserve(const DibDecodeOptions& options, std::int64_t bytes) {
    if (bytes < 0) return false;
    if (options.budget == nullptr) return true;
    if (bytes > *options.budget) return false;
    *options.budget -= bytes;
    return true;
}

bool Allocatable(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension;
}

QImage NewImage(int width, int height, bool transparent) {
    QImage image(width, height,
                 transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (transparent && !image.isNull()) image.fill(Qt::transparent);
    return image;
}

// One channel of a bit-field pixel: where it sits and how its value widens to eight bits.
class Channel {
  public:
    explicit Channel(std::uint32_t mask) : mask_(mask) {
        if (mask == 0) return;
        shift_ = std::countr_zero(mask);
        width_ = 32 - std::countl_zero(mask) - shift_;
        if (width_ <= 16) {
            lut_.resize(std::size_t{1} << width_);
            for (std::uint32_t v = 0; v < lut_.size(); ++v) lut_[v] = Widen(v);
        }
    }
    bool present() const { return mask_ != 0; }
    std::uint32_t operator()(std::uint32_t pixel) const {
        if (mask_ == 0) return 0;
        const std::uint32_t v = (pixel & mask_) >> shift_;
        return lut_.empty() ? v >> (width_ - 8) : lut_[v];
    }

  private:
    // Narrow channels repeat their bits downwards, so that full scale stays full scale.
    std::uint8_t Widen(std::uint32_t v) const {
        if (width_ >= 8) return static_cast<std::uint8_t>(v >> (width_ - 8));
        std::uint32_t out = v << (8 - width_);
        for (int filled = width_; filled < 8; filled += width_) out |= out >> width_;
        return static_cast<std::uint8_t>(out & 0xff);
    }

    std::uint32_t mask_ = 0;
    int shift_ = 0;
    int width_ = 0;
    std::vector<std::uint8_t> lut_;
};

QRgb Premultiplied(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) {
    // The bits should already be premultiplied; clamping keeps broken ones valid for painting.
    return qRgba(std::min(r, a), std::min(g, a), std::min(b, a), a);
}

struct Layout {
    const DibHeader& header;
    ByteView bits;
    std::int64_t stride;
    std::int64_t storedRows;  // complete rows present in the bits
};

const std::uint8_t* StoredRow(const Layout& layout, int y) {
    const std::int64_t stored = layout.header.topDown ? y : layout.header.height - 1 - y;
    if (stored >= layout.storedRows) return nullptr;
    return layout.bits.data() + stored * layout.stride;
}

// Converts the rows and columns of `rect` of an uncompressed bitmap.
void ConvertRows(const Layout& layout, const QRect& rect, const std::vector<QRgb>& table,
                 const DibDecodeOptions& options, QImage& out) {
    const DibHeader& h = layout.header;
    const int x0 = rect.left();
    const int w = rect.width();
    const bool fields = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
    std::uint32_t masks[4] = {h.masks[0], h.masks[1], h.masks[2], h.masks[3]};
    if (!fields) {
        if (h.bitCount == 16) {
            masks[0] = 0x7c00, masks[1] = 0x03e0, masks[2] = 0x001f;
        } else {
            masks[0] = 0xff0000, masks[1] = 0xff00, masks[2] = 0xff;
        }
        masks[3] = 0;
    }
    const bool useAlpha = options.keepAlpha && out.hasAlphaChannel();
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    const bool plain32 = h.bitCount == 32 && masks[0] == 0xff0000 && masks[1] == 0xff00 &&
                         masks[2] == 0xff && (!useAlpha || !fields || masks[3] == 0xff000000u);

    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y - rect.top()));
        const std::uint8_t* src = StoredRow(layout, y);
        if (src == nullptr) {
            std::fill(dst, dst + w, QRgb{0});  // the bitmap ended before this row
            continue;
        }
        switch (h.bitCount) {
            case 1:
                for (int i = 0; i < w; ++i) {
                    const int x = x0 + i;
                    dst[i] = table[(src[x >> 3] >> (7 - (x & 7))) & 1];
                }
                break;
            case 4:
                for (int i = 0; i < w; ++i) {
                    const int x = x0 + i;
                    const std::uint8_t b = src[x >> 1];
                    dst[i] = table[(x & 1) ? (b & 0x0f) : (b >> 4)];
                }
                break;
            case 8:
                for (int i = 0; i < w; ++i) dst[i] = table[src[x0 + i]];
                break;
            case 16:
                for (int i = 0; i < w; ++i) {
                    const std::uint32_t p = src[2 * (x0 + i)] | (src[2 * (x0 + i) + 1] << 8);
                    dst[i] = useAlpha && alpha.present()
                                 ? Premultiplied(red(p), green(p), blue(p), alpha(p))
                                 : qRgb(red(p), green(p), blue(p));
                }
                break;
            case 24: {
                // The photograph path: one pass, no branches, bytes stored blue-green-red.
                const std::uint8_t* s = src + 3 * std::int64_t{x0};
                for (int i = 0; i < w; ++i, s += 3) {
                    dst[i] = 0xff000000u | (std::uint32_t{s[2]} << 16) |
                             (std::uint32_t{s[1]} << 8) | s[0];
                }
                break;
            }
            case 32: {
                const std::uint8_t* s = src + 4 * std::int64_t{x0};
                if (plain32 && !useAlpha) {
                    for (int i = 0; i < w; ++i, s += 4) {
                        std::uint32_t p;
                        std::memcpy(&p, s, 4);
                        dst[i] = p | 0xff000000u;
                    }
                } else if (plain32) {
                    for (int i = 0; i < w; ++i, s += 4)
                        dst[i] = Premultiplied(s[2], s[1], s[0], s[3]);
                } else {
                    for (int i = 0; i < w; ++i, s += 4) {
                        std::uint32_t p;
                        std::memcpy(&p, s, 4);
                        dst[i] = useAlpha && alpha.present()
                                     ? Premultiplied(red(p), green(p), blue(p), alpha(p))
                                     : qRgb(red(p), green(p), blue(p));
                    }
                }
                break;
            }
            default:
                break;
        }
    }
}

// Plays the run-length codes into a transparent image: pixels the codes skip stay transparent,
// so that the destination shows through them as it does on the platform. Damaged or truncated
// codes end the decoding; what was decoded stays.
void DecodeRle(const DibHeader& h, ByteView bits, const std::vector<QRgb>& table, QImage& out) {
    const bool rle8 = h.compression == kBiRle8;
    const std::int64_t width = h.width;
    const std::int64_t height = h.height;
    std::int64_t x = 0;
    std::int64_t y = 0;  // stored row, counted from the bottom
    auto put = [&](std::uint32_t index) {
        if (x < width && y < height) {
            auto* row = reinterpret_cast<QRgb*>(out.scanLine(static_cast<int>(height - 1 - y)));
            row[x] = table[index & 0xff];
        }
        ++x;
    };
    std::size_t pos = 0;
    const std::uint8_t* b = bits.data();
    const std::size_t n = bits.size();
    while (pos + 2 <= n && y < height) {
        const std::uint8_t count = b[pos];
        const std::uint8_t value = b[pos + 1];
        pos += 2;
        if (count > 0) {
            if (x >= width) {
                x += count;  // the run lies wholly past the row's end
                continue;
            }
            for (int i = 0; i < count && x < width; ++i)
                put(rle8 ? value : ((i & 1) ? (value & 0x0f) : (value >> 4)));
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            if (pos + 2 > n) break;
            x += b[pos];
            y += b[pos + 1];
            pos += 2;
        } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
            const std::size_t bytes = rle8 ? value : (value + 1u) / 2u;
            if (pos + bytes > n) break;
            for (int i = 0; i < value && x < width; ++i) {
                const std::uint8_t byte = b[pos + (rle8 ? i : i / 2)];
                put(rle8 ? byte : ((i & 1) ? (byte & 0x0f) : (byte >> 4)));
            }
            pos += bytes + (bytes & 1);
        }
    }
}

DibImage Cut(QImage whole, const QRect* region) {
    const QRect all(0, 0, whole.width(), whole.height());
    if (region == nullptr) return {std::move(whole), all};
    const QRect rect = region->intersected(all);
    if (rect.isEmpty()) return {};
    if (rect == all) return {std::move(whole), all};
    return {whole.copy(rect), rect};
}

DibImage DecodeEmbedded(const DibHeader& h, ByteView bits, const DibDecodeOptions& options,
                        const QRect* region) {
    std::size_t size = bits.size();
    if (h.sizeImage != 0 && h.sizeImage < size) size = h.sizeImage;
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bits.data()),
                                                    static_cast<qsizetype>(size));
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly)) return {};
    QImageReader reader(&buffer, h.compression == kBiJpeg ? "jpeg" : "png");
    const QSize declared = reader.size();
    if (!declared.isValid() || !Allocatable(declared.width(), declared.height())) return {};
    const std::int64_t bytes = std::int64_t{declared.width()} * declared.height() * 4;
    if (options.budget != nullptr && bytes > *options.budget) return {};
    QImage image;
    if (!reader.read(&image) || image.isNull() || image.size() != declared) return {};
    if (!Reserve(options, bytes)) return {};
    if (image.hasAlphaChannel() && options.keepAlpha) {
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    } else {
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (image.format() == QImage::Format_ARGB32) {
            // Only alpha blending reads alpha; everything else shows the colours as stored.
            for (int y = 0; y < image.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x) row[x] |= 0xff000000u;
            }
            image.reinterpretAsFormat(QImage::Format_RGB32);
        }
    }
    if (image.isNull()) return {};
    return Cut(std::move(image), region);
}

}  // namespace

std::uint32_t DibHeader::TableOffset() const {
    std::uint32_t offset = headerSize;
    if (headerSize == 40 && compression == kBiBitfields) offset += 12;
    if (headerSize == 40 && compression == kBiAlphaBitfields) offset += 16;
    return offset;
}

std::optional<DibHeader> Dib::ReadHeader(ByteView block) {
    DibHeader h;
    const auto size = block.U32(0);
    if (!size) return std::nullopt;
    h.headerSize = *size;
    if (h.headerSize == 12) {
        if (!block.Has(0, 12)) return std::nullopt;
        h.core = true;
        h.width = block.U16Or(4);
        h.height = block.U16Or(6);
        h.bitCount = block.U16Or(10);
        if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 24)
            return std::nullopt;
        h.colourCount = h.bitCount <= 8 ? (1u << h.bitCount) : 0;
        return h.width > 0 && h.height > 0 ? std::optional(h) : std::nullopt;
    }
    if (h.headerSize < 40 || !block.Has(0, h.headerSize)) return std::nullopt;
    h.width = block.I32Or(4);
    const std::int32_t height = block.I32Or(8);
    h.bitCount = block.U16Or(14);
    h.compression = block.U32Or(16);
    h.sizeImage = block.U32Or(20);
    const std::uint32_t used = block.U32Or(32);
    if (h.width <= 0 || height == 0 || height == INT32_MIN) return std::nullopt;
    h.topDown = height < 0;
    h.height = height < 0 ? -height : height;

    switch (h.compression) {
        case kBiRgb:
            if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 16 &&
                h.bitCount != 24 && h.bitCount != 32)
                return std::nullopt;
            break;
        case kBiRle8:
        case kBiRle4:
            if (h.bitCount != (h.compression == kBiRle8 ? 8 : 4) || h.topDown) return std::nullopt;
            break;
        case kBiBitfields:
        case kBiAlphaBitfields: {
            if (h.bitCount != 16 && h.bitCount != 32) return std::nullopt;
            const int count = h.compression == kBiAlphaBitfields ? 4 : 3;
            if (h.headerSize == 40) {
                if (!block.Has(40, 4u * count)) return std::nullopt;
                for (int i = 0; i < count; ++i) h.masks[i] = block.U32Or(40 + 4 * i);
            } else {
                for (int i = 0; i < 3; ++i) h.masks[i] = block.U32Or(40 + 4 * i);
                if (h.headerSize >= 56) h.masks[3] = block.U32Or(52);
            }
            if (h.bitCount == 16) {
                for (auto& m : h.masks) m &= 0xffff;
            }
            break;
        }
        case kBiJpeg:
        case kBiPng:
            break;
        default:
            return std::nullopt;
    }
    if (h.bitCount <= 8 && h.bitCount > 0) {
        const std::uint32_t full = 1u << h.bitCount;
        h.colourCount = used == 0 ? full : std::min(used, full);
    }
    return h;
}

std::vector<QRgb> Dib::ColourTable(const DibHeader& h, ByteView block,
                                   const DibDecodeOptions& options) {
    std::vector<QRgb> table;
    if (h.bitCount > 8 || h.bitCount == 0) return table;
    table.assign(256, kBlack);
    if (h.bitCount == 1 && options.monochromeColours) {
        table[0] = options.monochromeColours->first | kBlack;
        table[1] = options.monochromeColours->second | kBlack;
        return table;
    }
    const std::uint64_t base = h.TableOffset();
    for (std::uint32_t i = 0; i < h.colourCount; ++i) {
        if (h.core) {
            const std::uint64_t at = base + 3ull * i;
            if (!block.Has(at, 3)) break;
            table[i] = qRgb(block.U8(at + 2).value_or(0), block.U8(at + 1).value_or(0),
                            block.U8(at).value_or(0));
        } else if (options.use == DibColourUse::Palette) {
            const auto index = block.U16(base + 2ull * i);
            if (!index) break;
            const std::span<const QRgb> palette =
                options.palette.empty() ? std::span<const QRgb>(kDefaultPalette) : options.palette;
            table[i] = palette[*index % palette.size()] | kBlack;
        } else {
            const auto quad = block.U32(base + 4ull * i);
            if (!quad) break;
            table[i] = (*quad & 0xffffffu) | kBlack;
        }
    }
    return table;
}

DibImage Dib::Decode(ByteView block, ByteView bits, const DibDecodeOptions& options,
                     const QRect* region) {
    const auto header = ReadHeader(block);
    if (!header || !Allocatable(header->width, header->height)) return {};
    DibHeader h = *header;
    // Blending reads the fourth byte of ordinary 32-bit pixels as alpha, whatever the masks say.
    if (options.keepAlpha && h.bitCount == 32 && h.compression == kBiBitfields &&
        h.masks[0] == 0xff0000 && h.masks[1] == 0xff00 && h.masks[2] == 0xff && h.masks[3] == 0)
        h.masks[3] = 0xff000000u;
    if (h.compression == kBiJpeg || h.compression == kBiPng)
        return DecodeEmbedded(h, bits, options, region);

    const std::vector<QRgb> table = ColourTable(h, block, options);
    if (h.compression == kBiRle8 || h.compression == kBiRle4) {
        if (!Reserve(options, std::int64_t{h.width} * h.height * 4)) return {};
        QImage image = NewImage(h.width, h.height, options.rleHolesTransparent);
        if (image.isNull()) return {};
        if (!options.rleHolesTransparent) image.fill(table[0]);
        DecodeRle(h, bits, table, image);
        return Cut(std::move(image), region);
    }

    const QRect all(0, 0, h.width, h.height);
    const QRect rect = region ? region->intersected(all) : all;
    if (rect.isEmpty()) return {};
    const std::int64_t stride = h.Stride();
    std::int64_t rows = h.height;
    if (options.storedRows >= 0) rows = std::min<std::int64_t>(rows, options.storedRows);
    rows = std::min<std::int64_t>(rows, static_cast<std::int64_t>(bits.size()) / stride);
    if (rows <= 0) return {};
    if (!Reserve(options, std::int64_t{rect.width()} * rect.height() * 4)) return {};

    // Rows the bits lack and alpha that is kept make the image transparent in places.
    bool transparent = rows < h.height;
    if (options.keepAlpha && h.bitCount == 32) {
        transparent = transparent || h.compression == kBiRgb || h.masks[3] != 0;
    }
    if (options.keepAlpha && h.bitCount == 16 && h.masks[3] != 0) transparent = true;
    QImage image = NewImage(rect.width(), rect.height(), transparent);
    if (image.isNull()) return {};
    ConvertRows(Layout{h, bits, stride, rows}, rect, table, options, image);
    return {std::move(image), rect};
}

}  // namespace tavlex::mf
