#pragma once

// The benchmarks' baseline: a plain zlib inflate of an album's body, read from just after its
// 48-byte header in 64 KiB steps, with nothing of the album reader.

#include <QFile>
#include <QString>

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace tavlex::bench {

// Hands each step's output to take(bytes, count, producedBefore) until take returns false or
// the stream ends; returns the bytes produced. A file that does not inflate aborts the run.
template <typename Take>
std::int64_t InflateBody(const QString& path, Take take) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(48)) std::abort();
    z_stream stream{};
    inflateInit(&stream);
    std::vector<char> input(64 * 1024);
    std::vector<char> output(64 * 1024);
    std::int64_t produced = 0;
    int status = Z_OK;
    bool wanted = true;
    while (wanted && status != Z_STREAM_END) {
        if (stream.avail_in == 0) {
            const qint64 got = file.read(input.data(), static_cast<qint64>(input.size()));
            if (got <= 0) std::abort();
            stream.next_in = reinterpret_cast<Bytef*>(input.data());
            stream.avail_in = static_cast<uInt>(got);
        }
        stream.next_out = reinterpret_cast<Bytef*>(output.data());
        stream.avail_out = static_cast<uInt>(output.size());
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) std::abort();
        const auto got = static_cast<std::int64_t>(output.size() - stream.avail_out);
        wanted = take(output.data(), got, produced);
        produced += got;
    }
    inflateEnd(&stream);
    return produced;
}

}  // namespace tavlex::bench
