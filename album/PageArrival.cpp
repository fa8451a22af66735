#include "album/PageArrival.h"

#include <algorithm>
#include <system_error>

#include "album/AlbumError.h"
#include "album/AlbumLoader.h"
#include "album/BodyArrival.h"
#include "album/BodySink.h"

namespace tavlex {

std::shared_ptr<PageArrival> PageArrival::Start(const Document& document, int page,
                                                QByteArray& buffer) {
    const PageEntry& entry = CheckedPageEntry(document, page);
    SizePageBuffer(buffer, entry.Size);
    std::shared_ptr<PageArrival> arrival(new PageArrival(
        *document.BodyStream, document.Arrival.get(), entry.Offset, buffer.data(), entry.Size));
    if (entry.Size >= kThreadedFrom) {
        try {
            arrival->reader_ = std::thread([raw = arrival.get()] { raw->Read(); });
            return arrival;
        } catch (const std::system_error&) {
            // No thread to be had: the page is read here instead.
        }
    }
    arrival->Read();
    return arrival;
}

PageArrival::PageArrival(const BodySink& body, BodyArrival* bodyArrival, std::int64_t offset,
                         char* data, std::int64_t size)
    : body_(body), bodyArrival_(bodyArrival), offset_(offset), data_(data), size_(size) {}

PageArrival::~PageArrival() {
    if (reader_.joinable()) reader_.join();
}

void PageArrival::Read() {
    std::int64_t done = 0;
    try {
        while (done < size_) {
            const std::int64_t n = std::min(kChunk, size_ - done);
            if (bodyArrival_ && !bodyArrival_->WaitFor(offset_ + done + n)) {
                throw AlbumError(AlbumErrorKind::Damaged,
                                 QStringLiteral("damaged album: the page lies past the point "
                                                "where its body broke off"),
                                 offset_ + done);
            }
            body_.ReadAt(offset_ + done, data_ + done, n);
            done += n;
            arrived_.store(done, std::memory_order_release);
            arrived_.notify_all();
        }
    } catch (...) {
        failure_ = std::current_exception();
        arrived_.store(kFailed, std::memory_order_release);
        arrived_.notify_all();
    }
}

bool PageArrival::WaitFor(std::uint64_t end) {
    const auto wanted =
        static_cast<std::int64_t>(std::min<std::uint64_t>(end, static_cast<std::uint64_t>(size_)));
    std::int64_t now = arrived_.load(std::memory_order_acquire);
    while (now != kFailed && now < wanted) {
        arrived_.wait(now, std::memory_order_acquire);
        now = arrived_.load(std::memory_order_acquire);
    }
    return now != kFailed;
}

void PageArrival::Finish() {
    if (reader_.joinable()) reader_.join();
    if (failure_) std::rethrow_exception(failure_);
}

}  // namespace tavlex
