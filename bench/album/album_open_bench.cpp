// Opening an album costs little more than inflating its body: times LoadAlbum against a plain
// zlib inflate of the same stream into a discarded buffer, and measures how much the open adds
// to the process's peak memory. Prints ratios; the targets are a throughput ratio of at least
// 0.9 and a peak growth under 32 MB.
//
// TAVLEX_BENCH_ALBUM_MB sets the body size (default 500).
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "album/AlbumLoader.h"
#include "album/AlbumWriter.h"
#include "album/BodyFile.h"

#include "../BodyInflate.h"

namespace {

constexpr std::int32_t kPageSize = 4 << 20;

// Page data like a metafile full of drawing records: words from a small vocabulary in random
// order, so that zlib finds matches but not one long repeat. Each page is a rotation of a
// shared pool, which keeps generation quick.
QByteArray MakePool() {
    std::mt19937 random(12345);
    std::vector<QByteArray> words;
    for (int i = 0; i < 512; ++i) {
        QByteArray word(4 + static_cast<int>(random() % 12), '\0');
        for (char& c : word) c = static_cast<char>(random() & 0xFF);
        words.push_back(word);
    }
    QByteArray pool;
    pool.reserve(kPageSize * 2);
    while (pool.size() < kPageSize * 2) {
        pool += words[random() % words.size()];
        if (random() % 16 == 0) pool += static_cast<char>(random() & 0xFF);  // literals between
    }
    return pool;
}

// Processor time of the whole process (all threads), to tell cost from waiting on a busy host.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Seconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// The baseline: inflate the stream after the header into a 64 KiB buffer that is thrown away.
std::int64_t PlainInflate(const QString& path) {
    return tavlex::bench::InflateBody(path,
                                      [](const char*, std::int64_t, std::int64_t) { return true; });
}

long StatusKilobytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field)) return std::atol(line.constData() + std::strlen(field));
    }
    return -1;
}

// Peak memory growth of one open, measured in a child so that nothing else inflates the peak.
long PeakGrowthKilobytes(const QString& album, const QString& tempFolder) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        // Resets the peak to the current size (Linux "clear_refs" 5).
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        long growth = -1;
        if (clear.open(QIODevice::WriteOnly) && clear.write("5") == 1) {
            clear.close();
            const long before = StatusKilobytes("VmHWM:");
            const tavlex::AlbumLoadResult result = tavlex::LoadAlbum(album, tempFolder, 96);
            if (result.Loaded()) growth = StatusKilobytes("VmHWM:") - before;
        }
        (void)!write(fds[1], &growth, sizeof growth);
        _exit(0);
    }
    long growth = -1;
    (void)!read(fds[0], &growth, sizeof growth);
    waitpid(child, nullptr, 0);
    close(fds[0]);
    close(fds[1]);
    return growth;
}

}  // namespace

int main() {
    const char* sizeText = std::getenv("TAVLEX_BENCH_ALBUM_MB");
    const std::int64_t megabytes = sizeText ? std::max(8L, std::atol(sizeText)) : 500;
    const int pageCount = static_cast<int>(megabytes * (1 << 20) / kPageSize);

    QTemporaryDir dir;
    const QString album = dir.filePath(QStringLiteral("bench.YRA"));
    const QByteArray pool = MakePool();
    tavlex::AlbumContents contents = tavlex::NewA4AlbumContents();
    contents.compressionLevel = 1;
    std::vector<tavlex::AlbumPageSize> pages(static_cast<std::size_t>(pageCount), {kPageSize, 0});
    QElapsedTimer timer;
    timer.start();
    tavlex::WriteAlbumFile(album, contents, pages, [&](int index) {
        return pool.mid((static_cast<qsizetype>(index) * 7919 * 64) % kPageSize, kPageSize);
    });
    const double body = static_cast<double>(pageCount) * kPageSize;
    std::printf("album: %d pages, body %.0f MB, file %.0f MB, made in %.1f s\n", pageCount,
                body / 1e6, static_cast<double>(QFile(album).size()) / 1e6, Seconds(timer));

    // Alternate the two and keep each one's best, so that neither gains from a warmer cache.
    double bestInflate = 1e30;
    double bestOpen = 1e30;
    double cpuInflate = 1e30;
    double cpuOpen = 1e30;
    for (int round = 0; round < 5; ++round) {
        double cpu = CpuSeconds();
        timer.restart();
        if (PlainInflate(album) !=
            static_cast<std::int64_t>(body) + 441 + 4 + (pageCount + 1) * 8) {
            std::abort();
        }
        bestInflate = std::min(bestInflate, Seconds(timer));
        cpuInflate = std::min(cpuInflate, CpuSeconds() - cpu);
        cpu = CpuSeconds();
        timer.restart();
        {
            const tavlex::AlbumLoadResult result = tavlex::LoadAlbum(album, dir.path(), 96);
            if (!result.Loaded()) std::abort();
        }
        bestOpen = std::min(bestOpen, Seconds(timer));
        cpuOpen = std::min(cpuOpen, CpuSeconds() - cpu);
        // As when the viewer closes: the frame deletes the temporary files, so the next open
        // starts without emptying a large old body first.
        QFile::remove(tavlex::BodyFile::NameFor(dir.path(), 0));
    }
    std::printf("plain inflate: %.3f s (%.0f MB/s)\n", bestInflate, body / bestInflate / 1e6);
    std::printf("album open:    %.3f s (%.0f MB/s)\n", bestOpen, body / bestOpen / 1e6);
    std::printf("throughput ratio open/inflate: %.3f (target >= 0.9)\n", bestInflate / bestOpen);
    std::printf(
        "processor time: inflate %.3f s, open %.3f s (ratio %.3f; the open also copies "
        "its body into the page cache)\n",
        cpuInflate, cpuOpen, cpuInflate / cpuOpen);

    const long growth = PeakGrowthKilobytes(album, dir.path());
    std::printf("peak memory growth of the open: %.1f MB (target < 32 MB)\n",
                static_cast<double>(growth) / 1024.0);
    return 0;
}
