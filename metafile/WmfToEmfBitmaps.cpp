// The bitmap records: every kind becomes a stretched device-independent bitmap, or a pattern
// fill when the record carries no bitmap.

#include "metafile/EmfWriter.h"
#include "metafile/GdiDefs.h"
#include "metafile/WmfBitmap.h"
#include "metafile/WmfToEmfConverter.h"

#include <cstring>
#include <optional>

namespace tavlex::mf::wmftoemf {

bool WmfToEmfConverter::BitmapRecord(std::uint16_t function) {
    switch (function) {
        case wmr::StretchDib:
            StretchDibRecord();
            return true;
        case wmr::DibStretchBlt:
        case wmr::DibBitBlt:
            Blt(function == wmr::DibStretchBlt, false);
            return true;
        case wmr::StretchBlt:
        case wmr::BitBlt:
            Blt(function == wmr::StretchBlt, true);
            return true;
        case wmr::SetDibToDev:
            SetDibToDev();
            return true;
        case wmr::PatBlt:
            if (Has(6)) PatBlt(P(5), P(4), P(3), P(2), U32At(0));
            return true;
        default:
            return false;
    }
}

void WmfToEmfConverter::StretchDib(std::int32_t xDest, std::int32_t yDest, std::int32_t cxDest,
                                   std::int32_t cyDest, std::int32_t xSrc, std::int32_t ySrc,
                                   std::int32_t cxSrc, std::int32_t cySrc, std::uint32_t rop,
                                   std::uint32_t usage, ByteView dib) {
    const auto info = wmfbitmap::DibHeaderBlockSize(dib, usage);
    if (!info) return;
    constexpr std::uint32_t kFixed = 80;
    QByteArray payload;
    PutRect(payload, {xDest, yDest, xDest + cxDest - 1, yDest + cyDest - 1});
    for (std::int32_t v : {xDest, yDest, xSrc, ySrc, cxSrc, cySrc}) PutI32(payload, v);
    PutU32(payload, kFixed);
    PutU32(payload, *info);
    PutU32(payload, kFixed + *info);
    PutU32(payload, static_cast<std::uint32_t>(dib.size() - *info));
    PutU32(payload, usage);
    PutU32(payload, rop);
    PutI32(payload, cxDest);
    PutI32(payload, cyDest);
    payload.append(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size()));
    out_->AddRecord(emr::StretchDiBits, payload);
}

void WmfToEmfConverter::PatBlt(std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy,
                               std::uint32_t rop) {
    QByteArray payload;
    PutRect(payload, {x, y, x + cx - 1, y + cy - 1});
    for (std::int32_t v : {x, y, cx, cy}) PutI32(payload, v);
    PutU32(payload, rop);
    PutI32(payload, 0);
    PutI32(payload, 0);
    for (float f : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        PutU32(payload, bits);
    }
    for (int i = 0; i < 6; ++i) PutU32(payload, 0);  // no source colour, usage or bitmap
    out_->AddRecord(emr::BitBlt, payload);
}

// META_DIBSTRETCHBLT, META_DIBBITBLT and, with a device-dependent bitmap, META_STRETCHBLT and
// META_BITBLT: without a bitmap the record is a pattern fill with one reserved word, which its
// size tells.
void WmfToEmfConverter::Blt(bool stretch, bool deviceBitmap) {
    const int fixed = stretch ? 10 : 8;
    if (!Has(fixed)) return;
    const std::uint32_t rop = U32At(0);
    if (p_.size() == static_cast<std::uint64_t>(fixed + 1) * 2) {
        const int d = stretch ? 7 : 5;  // after the reserved word
        PatBlt(P(d + 3), P(d + 2), P(d + 1), P(d), rop);
        return;
    }
    const std::uint64_t at = static_cast<std::uint64_t>(fixed) * 2;
    ByteView dib = *p_.Sub(at, p_.size() - at);
    std::optional<QByteArray> converted;
    if (deviceBitmap) {
        if (!p_.Has(at, 10)) return;
        converted =
            wmfbitmap::Bitmap16ToDib(*p_.Sub(at, 10), *p_.Sub(at + 10, p_.size() - at - 10));
        if (!converted) return;
        dib = ByteView(converted->constData(), static_cast<std::size_t>(converted->size()));
    }
    if (stretch) {
        StretchDib(P(9), P(8), P(7), P(6), P(5), P(4), P(3), P(2), rop, 0, dib);
    } else {
        StretchDib(P(7), P(6), P(5), P(4), P(3), P(2), P(5), P(4), rop, 0, dib);
    }
}

void WmfToEmfConverter::StretchDibRecord() {
    if (!Has(11)) return;
    const ByteView dib = *p_.Sub(22, p_.size() - 22);
    StretchDib(P(10), P(9), P(8), P(7), P(6), P(5), P(4), P(3), U32At(0), U(2), dib);
}

void WmfToEmfConverter::SetDibToDev() {
    if (!Has(9)) return;
    const std::uint32_t usage = U(0);
    const ByteView dib = *p_.Sub(18, p_.size() - 18);
    const auto info = wmfbitmap::DibHeaderBlockSize(dib, usage);
    if (!info) return;
    constexpr std::uint32_t kFixed = 76;
    const std::int32_t xDest = P(8), yDest = P(7), width = P(6), height = P(5);
    QByteArray payload;
    PutRect(payload, {xDest, yDest, xDest + width - 1, yDest + height - 1});
    for (std::int32_t v : {xDest, yDest, std::int32_t{P(4)}, std::int32_t{P(3)}, width, height}) {
        PutI32(payload, v);
    }
    PutU32(payload, kFixed);
    PutU32(payload, *info);
    PutU32(payload, kFixed + *info);
    PutU32(payload, static_cast<std::uint32_t>(dib.size() - *info));
    PutU32(payload, usage);
    PutU32(payload, U(2));  // first scan line
    PutU32(payload, U(1));  // scan lines
    payload.append(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size()));
    out_->AddRecord(emr::SetDiBitsToDevice, payload);
}

}  // namespace tavlex::mf::wmftoemf
