#include "metafile/Dib.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Converts rows of an uncompressed bitmap, columns [x0, x0 + w), into 32-bit pixels.
class RowConverter {
  public:
    RowConverter(const Layout& layout, const std::vector<QRgb>& table,
                 const DibDecodeOptions& options, bool transparent, int x0, int w)
        : layout_(layout), table_(table), x0_(x0), w_(w) {
        const DibHeader& h = layout.header;
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
        useAlpha_ = options.keepAlpha && transparent;
        if (h.bitCount == 16 || h.bitCount == 32) {
            red_ = Channel(masks[0]), green_ = Channel(masks[1]), blue_ = Channel(masks[2]);
            alpha_ = Channel(masks[3]);
        }
        plain32_ = h.bitCount == 32 && masks[0] == 0xff0000 && masks[1] == 0xff00 &&
                   masks[2] == 0xff && (!useAlpha_ || !fields || masks[3] == 0xff000000u);
    }

    // Row y of the bitmap, counted from the top.
    void Convert(int y, QRgb* dst) const {
        const int x0 = x0_, w = w_;
        const std::vector<QRgb>& table = table_;
        const std::uint8_t* src = StoredRow(layout_, y);
        if (src == nullptr) {
            std::fill(dst, dst + w, QRgb{0});  // the bitmap ended before this row
            return;
        }
        switch (layout_.header.bitCount) {
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
                    dst[i] = Fields(p);
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
                if (plain32_ && !useAlpha_) {
                    for (int i = 0; i < w; ++i, s += 4) {
                        std::uint32_t p;
                        std::memcpy(&p, s, 4);
                        dst[i] = p | 0xff000000u;
                    }
                } else if (plain32_) {
                    for (int i = 0; i < w; ++i, s += 4)
                        dst[i] = Premultiplied(s[2], s[1], s[0], s[3]);
                } else {
                    for (int i = 0; i < w; ++i, s += 4) {
                        std::uint32_t p;
                        std::memcpy(&p, s, 4);
                        dst[i] = Fields(p);
                    }
                }
                break;
            }
            default:
                break;
        }
    }

  private:
    QRgb Fields(std::uint32_t p) const {
        return useAlpha_ && alpha_.present()
                   ? Premultiplied(red_(p), green_(p), blue_(p), alpha_(p))
                   : qRgb(red_(p), green_(p), blue_(p));
    }

    const Layout& layout_;
    const std::vector<QRgb>& table_;
    int x0_, w_;
    bool useAlpha_ = false;
    bool plain32_ = false;
    Channel red_{0}, green_{0}, blue_{0}, alpha_{0};
};

// Converts the rows and columns of `rect` of an uncompressed bitmap.
void ConvertRows(const Layout& layout, const QRect& rect, const std::vector<QRgb>& table,
                 const DibDecodeOptions& options, QImage& out) {
    const RowConverter converter(layout, table, options, out.hasAlphaChannel(), rect.left(),
                                 rect.width());
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        converter.Convert(y, reinterpret_cast<QRgb*>(out.scanLine(y - rect.top())));
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

// For each of `out` pixels, the run of the `in` source pixels it covers and their weights in
// 1/256, summing to 256 exactly, so that 8-bit values weighted twice stay within 32 bits.
struct Spans {
    std::vector<int> first;
    std::vector<int> offset;  // into weight; offset[i + 1] - offset[i] pixels
    std::vector<std::uint16_t> weight;

    Spans(int in, int out) {
        const double scale = double(in) / out;
        first.resize(out);
        offset.resize(out + 1);
        for (int o = 0; o < out; ++o) {
            const double a = o * scale, b = std::min<double>(in, (o + 1) * scale);
            const int lo = std::min(in - 1, static_cast<int>(a));
            const int hi = std::max(lo, std::min(in - 1, static_cast<int>(std::ceil(b)) - 1));
            first[o] = lo;
            offset[o] = static_cast<int>(weight.size());
            for (int k = lo; k <= hi; ++k) {
                const double from = std::max<double>(a, k), to = std::min<double>(b, k + 1);
                const long end = std::lround(256 * (to - a) / (b - a));
                const long start = std::lround(256 * (from - a) / (b - a));
                weight.push_back(static_cast<std::uint16_t>(std::max(0L, end - start)));
            }
        }
        offset[out] = static_cast<int>(weight.size());
    }
};

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define TAVLEX_DIB_X86 1
// The build targets the oldest processors of the architecture; wider instructions are chosen
// when the processor running has them. The results are the same integers either way.
bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
bool HasSse41() {
    static const bool has = __builtin_cpu_supports("sse4.1");
    return has;
}

__attribute__((target("avx2"))) std::size_t AddWeightedAvx2(const std::uint8_t* bytes,
                                                            std::uint16_t weight,
                                                            std::uint16_t* acc, std::size_t count) {
    std::size_t i = 0;
    const __m256i w = _mm256_set1_epi16(static_cast<short>(weight));
    for (; i + 32 <= count; i += 32) {
        const auto* in = reinterpret_cast<const __m128i*>(bytes + i);
        auto* out = reinterpret_cast<__m256i*>(acc + i);
        const __m256i lo = _mm256_mullo_epi16(_mm256_cvtepu8_epi16(_mm_loadu_si128(in)), w);
        const __m256i hi = _mm256_mullo_epi16(_mm256_cvtepu8_epi16(_mm_loadu_si128(in + 1)), w);
        _mm256_storeu_si256(out, _mm256_add_epi16(_mm256_loadu_si256(out), lo));
        _mm256_storeu_si256(out + 1, _mm256_add_epi16(_mm256_loadu_si256(out + 1), hi));
    }
    return i;
}
#endif

// acc[i] += bytes[i] × weight over a line; the sums stay within 16 bits (weights total 256).
void AddWeighted(const std::uint8_t* bytes, std::uint16_t weight, std::uint16_t* acc,
                 std::size_t count) {
    std::size_t i = 0;
#ifdef TAVLEX_DIB_X86
    if (HasAvx2()) i = AddWeightedAvx2(bytes, weight, acc, count);
#endif
#ifdef __SSE2__
    const __m128i w = _mm_set1_epi16(static_cast<short>(weight));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= count; i += 16) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        __m128i* out = reinterpret_cast<__m128i*>(acc + i);
        const __m128i lo = _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), w);
        const __m128i hi = _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), w);
        _mm_storeu_si128(out, _mm_add_epi16(_mm_loadu_si128(out), lo));
        _mm_storeu_si128(out + 1, _mm_add_epi16(_mm_loadu_si128(out + 1), hi));
    }
#endif
    for (; i < count; ++i) acc[i] = static_cast<std::uint16_t>(acc[i] + bytes[i] * weight);
}

// One output row from the accumulator line of its source rows: each pixel the weighted sum of
// the columns it covers. `channels` 16-bit sums per source pixel, blue first; with three, the
// pixel is opaque. The line holds one sum more than its pixels need (read, never used).
struct ColumnWeights {
    const Spans& xs;
    int channels;
    bool transparent;

    void Scalar(const std::uint16_t* sum, int width, std::uint8_t* dst) const {
        for (int ox = 0; ox < width; ++ox) {
            std::uint32_t b = 0, g = 0, r = 0, a = 0;
            const std::uint16_t* acc = sum + channels * std::size_t(xs.first[ox]);
            for (int k = xs.offset[ox]; k < xs.offset[ox + 1]; ++k, acc += channels) {
                const std::uint32_t weight = xs.weight[k];
                b += acc[0] * weight, g += acc[1] * weight, r += acc[2] * weight;
                if (channels == 4) a += acc[3] * weight;
            }
            dst[4 * ox] = static_cast<std::uint8_t>((b + 32768) >> 16);
            dst[4 * ox + 1] = static_cast<std::uint8_t>((g + 32768) >> 16);
            dst[4 * ox + 2] = static_cast<std::uint8_t>((r + 32768) >> 16);
            dst[4 * ox + 3] = transparent ? static_cast<std::uint8_t>((a + 32768) >> 16) : 0xff;
        }
    }

#ifdef TAVLEX_DIB_X86
    // The four channels of a pixel in the lanes of one register.
    __attribute__((target("sse4.1"))) void Sse41(const std::uint16_t* sum, int width,
                                                 std::uint8_t* dst) const {
        const __m128i half = _mm_set1_epi32(32768);
        const std::uint32_t opaque = transparent ? 0 : 0xff000000u;
        for (int ox = 0; ox < width; ++ox) {
            __m128i total = _mm_setzero_si128();
            const std::uint16_t* acc = sum + channels * std::size_t(xs.first[ox]);
            for (int k = xs.offset[ox]; k < xs.offset[ox + 1]; ++k, acc += channels) {
                const __m128i v =
                    _mm_cvtepu16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(acc)));
                total = _mm_add_epi32(total, _mm_mullo_epi32(v, _mm_set1_epi32(xs.weight[k])));
            }
            // Each channel is at most 255.5 × 65536 before the shift: it packs without loss.
            total = _mm_srli_epi32(_mm_add_epi32(total, half), 16);
            const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(total, total), total);
            const auto pixel = static_cast<std::uint32_t>(_mm_cvtsi128_si32(bytes)) | opaque;
            std::memcpy(dst + 4 * ox, &pixel, 4);
        }
    }
#endif

    void operator()(const std::uint16_t* sum, int width, std::uint8_t* dst) const {
#ifdef TAVLEX_DIB_X86
        if (HasSse41()) return Sse41(sum, width, dst);
#endif
        Scalar(sum, width, dst);
    }
};

// Decodes `source` of an uncompressed bitmap into `out` (smaller either way), in bands of
// output rows: the rows of the source weighted into one accumulator line (four 8-bit channels
// per pixel, each at most 255 × 256), then its columns into the output pixels.
class ShrinkingDecoder {
  public:
    ShrinkingDecoder(const Layout& layout, const std::vector<QRgb>& table,
                     const DibDecodeOptions& options, const QRect& source, QImage& out)
        : layout_(layout),
          source_(source),
          converter_(layout, table, options, out.hasAlphaChannel(), source.left(), source.width()),
          xs_(source.width(), out.width()),
          ys_(source.height(), out.height()),
          // Whole 24-bit rows are weighted as stored (blue, green, red): no conversion at all.
          raw_(layout.header.bitCount == 24 && !out.hasAlphaChannel()),
          columns_{xs_, raw_ ? 3 : 4, out.hasAlphaChannel()},
          width_(out.width()),
          base_(out.bits()),  // once: scanLine() would touch shared state
          bytesPerLine_(out.bytesPerLine()) {}

    // Output rows [from, to). Bands only read the bits and write their own rows.
    void Band(int from, int to) const {
        const int w = source_.width();
        std::vector<QRgb> line(raw_ ? 0 : static_cast<std::size_t>(w));
        std::vector<std::uint16_t> sum(static_cast<std::size_t>(w) * columns_.channels + 1);
        const std::size_t used = sum.size() - 1;
        const std::uint8_t* bytes = nullptr;
        int converted = -1;
        for (int oy = from; oy < to; ++oy) {
            std::fill(sum.begin(), sum.end(), std::uint16_t{0});
            for (int k = ys_.offset[oy]; k < ys_.offset[oy + 1]; ++k) {
                const int y = source_.top() + ys_.first[oy] + (k - ys_.offset[oy]);
                if (raw_) {
                    bytes = StoredRow(layout_, y) + 3 * std::int64_t{source_.left()};
                } else if (y != converted) {
                    converter_.Convert(y, line.data());
                    converted = y;
                    bytes = reinterpret_cast<const std::uint8_t*>(line.data());
                }
                AddWeighted(bytes, ys_.weight[k], sum.data(), used);
            }
            columns_(sum.data(), width_, base_ + oy * bytesPerLine_);
        }
    }

  private:
    const Layout& layout_;
    QRect source_;
    RowConverter converter_;
    Spans xs_, ys_;
    bool raw_;
    ColumnWeights columns_;
    int width_;
    std::uint8_t* base_;
    qsizetype bytesPerLine_;
};

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

QImage Dib::DecodeScaled(ByteView block, ByteView bits, const DibDecodeOptions& options,
                         const QRect& source, const QSize& size) {
    const auto header = ReadHeader(block);
    if (!header || !Allocatable(header->width, header->height)) return {};
    const DibHeader& h = *header;
    if (h.compression != kBiRgb && h.compression != kBiBitfields &&
        h.compression != kBiAlphaBitfields)
        return {};
    if (options.keepAlpha && h.bitCount == 32) return {};  // blending keeps its own path
    if (source.isEmpty() || !QRect(0, 0, h.width, h.height).contains(source)) return {};
    if (size.isEmpty() || size.width() > source.width() || size.height() > source.height())
        return {};
    const std::int64_t stride = h.Stride();
    std::int64_t rows = h.height;
    if (options.storedRows >= 0) rows = std::min<std::int64_t>(rows, options.storedRows);
    rows = std::min<std::int64_t>(rows, static_cast<std::int64_t>(bits.size()) / stride);
    if (rows <= 0) return {};
    if (!Reserve(options, std::int64_t{size.width()} * size.height() * 4)) return {};

    QImage out = NewImage(size.width(), size.height(), rows < h.height);
    if (out.isNull()) return {};
    const std::vector<QRgb> table = ColourTable(h, block, options);
    const Layout layout{h, bits, stride, rows};
    const ShrinkingDecoder decoder(layout, table, options, source, out);
    // A large picture is shared with an idle pool thread: the top half there, the bottom
    // half here. Each band only reads the bits and writes its own rows.
    const int half = size.height() / 2;
    QSemaphore done;
    const bool shared = std::int64_t{source.width()} * source.height() >= (1 << 20) && half > 0 &&
                        QThreadPool::globalInstance()->tryStart([&] {
                            decoder.Band(0, half);
                            done.release();
                        });
    decoder.Band(shared ? half : 0, size.height());
    if (shared) done.acquire();
    return out;
}

}  // namespace tavlex::mf
