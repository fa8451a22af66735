#include "metafile/WmfEmbeddedEmf.h"

#include "metafile/EmfWriter.h"
#include "metafile/GdiDefs.h"
#include "metafile/Limits.h"
#include "metafile/WmfWriter.h"

#include <algorithm>

namespace tavlex::mf::wmfembed {

namespace {

constexpr std::uint16_t kMfComment = 0x000F;
constexpr std::uint32_t kWmfcIdentifier = 0x43464D57;  // "WMFC"
constexpr std::uint32_t kEmfCommentType = 1;
constexpr std::uint32_t kVersion = 0x00010000;
constexpr std::uint32_t kChunkBytes = 0x2000;
constexpr std::uint32_t kFixedBytes = 34;  // identifier to the data size

// One's complement of the XOR of the EMF's 16-bit words.
std::uint16_t Checksum(const QByteArray& emf) {
    std::uint16_t x = 0;
    for (qsizetype i = 0; i + 1 < emf.size(); i += 2) {
        x ^= static_cast<std::uint16_t>(static_cast<std::uint8_t>(emf[i]) |
                                        (static_cast<std::uint8_t>(emf[i + 1]) << 8));
    }
    return static_cast<std::uint16_t>(~x);
}

}  // namespace

void WriteEmbeddedEmf(WmfWriter& out, const QByteArray& emf) {
    if (emf.isEmpty() || emf.size() % 2 != 0 || emf.size() > kExportLimits.maxEmbeddedBytes) return;
    const std::uint32_t total = static_cast<std::uint32_t>(emf.size());
    const std::uint32_t chunks = (total + kChunkBytes - 1) / kChunkBytes;
    const std::uint16_t checksum = Checksum(emf);
    for (std::uint32_t i = 0; i < chunks; ++i) {
        const std::uint32_t at = i * kChunkBytes;
        const std::uint32_t size = std::min(kChunkBytes, total - at);
        QByteArray p;
        PutU16(p, kMfComment);
        PutU16(p, static_cast<std::uint16_t>(kFixedBytes + size));
        PutU32(p, kWmfcIdentifier);
        PutU32(p, kEmfCommentType);
        PutU32(p, kVersion);
        PutU16(p, i == 0 ? checksum : 0);
        PutU32(p, 0);  // flags
        PutU32(p, chunks);
        PutU32(p, size);
        PutU32(p, total - at - size);
        PutU32(p, total);
        p.append(emf.constData() + at, size);
        out.AddRecord(wmr::Escape, p);
    }
}

std::optional<QByteArray> FindEmbeddedEmf(ByteView metafile) {
    QByteArray emf;
    std::uint32_t expectedChunks = 0, total = 0, seen = 0;
    std::uint16_t checksum = 0;
    std::uint64_t at = kMetaHeaderSize;
    while (metafile.Has(at, 6)) {
        const std::uint64_t bytes = std::uint64_t{metafile.U32Or(at)} * 2;
        const std::uint16_t function = metafile.U16Or(at + 4);
        if (bytes < 6 || !metafile.Has(at, bytes) || function == wmr::Eof) break;
        const ByteView p = *metafile.Sub(at + 6, bytes - 6);
        at += bytes;
        if (function != wmr::Escape || p.U16Or(0) != kMfComment || p.U32Or(4) != kWmfcIdentifier ||
            p.U32Or(8) != kEmfCommentType) {
            // The chunks come first and together; a drawing record after some ends them.
            if (seen > 0) break;
            continue;
        }
        const std::uint32_t chunks = p.U32Or(22), size = p.U32Or(26);
        const std::uint32_t remaining = p.U32Or(30), whole = p.U32Or(34);
        if (seen == 0) {
            if (whole == 0 || whole > kExportLimits.maxEmbeddedBytes || chunks == 0)
                return std::nullopt;
            expectedChunks = chunks;
            total = whole;
            checksum = p.U16Or(16);
        }
        const auto data = p.Sub(38, size);
        if (!data || chunks != expectedChunks || whole != total ||
            std::uint64_t{size} + remaining + static_cast<std::uint64_t>(emf.size()) != total) {
            return std::nullopt;
        }
        emf.append(reinterpret_cast<const char*>(data->data()), static_cast<qsizetype>(size));
        if (++seen == expectedChunks) break;
    }
    if (seen == 0 || seen != expectedChunks || emf.size() != static_cast<qsizetype>(total)) {
        return std::nullopt;
    }
    if (Checksum(emf) != checksum) return std::nullopt;
    const ByteView header(emf.constData(), static_cast<std::size_t>(emf.size()));
    if (header.U32Or(0) != emr::Header || header.U32Or(40) != kEmfSignature ||
        header.U32Or(4) < 88 || header.U32Or(48) > total) {
        return std::nullopt;
    }
    return emf;
}

}  // namespace tavlex::mf::wmfembed
