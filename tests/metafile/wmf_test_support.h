#pragma once

// Record walkers shared by the metafile conversion and writer tests.

#include "metafile/ByteView.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace tavlex::mf::testing {

inline ByteView View(const QByteArray& bytes) {
    return ByteView(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

struct EmfRecord {
    std::uint32_t type = 0;
    ByteView record;  // type and size included
};

// Every record of an enhanced metafile; stops at a size that does not fit.
inline std::vector<EmfRecord> EmfRecords(const QByteArray& bytes) {
    std::vector<EmfRecord> out;
    const ByteView view = View(bytes);
    std::uint64_t at = 0;
    while (view.Has(at, 8)) {
        const std::uint32_t size = view.U32Or(at + 4);
        const auto record = view.Sub(at, size);
        if (size < 8 || !record) break;
        out.push_back({view.U32Or(at), *record});
        at += size;
    }
    return out;
}

inline std::vector<EmfRecord> EmfRecordsOfType(const QByteArray& bytes, std::uint32_t type) {
    std::vector<EmfRecord> out;
    for (const EmfRecord& r : EmfRecords(bytes)) {
        if (r.type == type) out.push_back(r);
    }
    return out;
}

struct WmfRecord {
    std::uint16_t function = 0;
    ByteView params;
};

// Every record after the placeable and metafile headers, META_EOF included.
inline std::vector<WmfRecord> WmfRecords(const QByteArray& bytes) {
    std::vector<WmfRecord> out;
    const ByteView view = View(bytes);
    std::uint64_t at = 22 + 18;
    while (view.Has(at, 6)) {
        const std::uint64_t size = std::uint64_t{view.U32Or(at)} * 2;
        if (size < 6 || !view.Has(at, size)) break;
        out.push_back({view.U16Or(at + 4), *view.Sub(at + 6, size - 6)});
        if (out.back().function == 0) break;
        at += size;
    }
    return out;
}

inline std::vector<WmfRecord> WmfRecordsOf(const QByteArray& bytes, std::uint16_t function) {
    std::vector<WmfRecord> out;
    for (const WmfRecord& r : WmfRecords(bytes)) {
        if (r.function == function) out.push_back(r);
    }
    return out;
}

inline void PutLe(QByteArray& out, int width, std::uint32_t value) {
    for (int i = 0; i < width; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// The metafile without its escape records: what a reader that ignores the carried original
// plays.
inline QByteArray WithoutEscapes(const QByteArray& wmf) {
    QByteArray out = wmf.left(22 + 18);
    for (const auto& r : WmfRecords(wmf)) {
        if (r.function == 0x0626) continue;
        PutLe(out, 4, static_cast<std::uint32_t>(3 + r.params.size() / 2));
        PutLe(out, 2, r.function);
        out.append(reinterpret_cast<const char*>(r.params.data()),
                   static_cast<qsizetype>(r.params.size()));
    }
    const std::uint32_t words = static_cast<std::uint32_t>((out.size() - 22) / 2);
    for (int i = 0; i < 4; ++i) out[28 + i] = static_cast<char>((words >> (8 * i)) & 0xFF);
    return out;
}

}  // namespace tavlex::mf::testing
