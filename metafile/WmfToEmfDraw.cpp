// Lines, shapes and text: the drawing records other than bitmaps.

#include "metafile/EmfWriter.h"
#include "metafile/GdiDefs.h"
#include "metafile/WmfCharset.h"
#include "metafile/WmfToEmfConverter.h"

#include <QPoint>

#include <algorithm>

namespace tavlex::mf::wmftoemf {

void WmfToEmfConverter::DrawRecord(std::uint16_t function) {
    switch (function) {
        case wmr::RoundRect:
            RoundRect();
            return;
        case wmr::SetPixel:
            SetPixel();
            return;
        case wmr::PolyPolygon:
            PolyPolygon();
            return;
        case wmr::TextOut:
            TextOut();
            return;
        case wmr::ExtTextOut:
            ExtTextOut();
            return;
        default:
            // Escapes, flood fills, justification, relative/absolute mode and records of no
            // known kind draw nothing here.
            return;
    }
}

void WmfToEmfConverter::Simple32(std::uint32_t type, std::uint32_t value) {
    QByteArray payload;
    PutU32(payload, value);
    out_->AddRecord(type, payload);
}

void WmfToEmfConverter::Point(std::uint32_t type, std::int32_t x, std::int32_t y) {
    QByteArray payload;
    PutI32(payload, x);
    PutI32(payload, y);
    out_->AddRecord(type, payload);
}

// Records whose parameters end with bottom, right, top, left.
void WmfToEmfConverter::Box(std::uint32_t type, int firstWord) {
    if (!Has(firstWord + 4)) return;
    QByteArray payload;
    PutRect(payload, {P(firstWord + 3), P(firstWord + 2), P(firstWord + 1), P(firstWord)});
    out_->AddRecord(type, payload);
}

void WmfToEmfConverter::ArcLike(std::uint32_t type) {
    if (!Has(8)) return;
    QByteArray payload;
    PutRect(payload, {P(7), P(6), P(5), P(4)});
    PutI32(payload, P(3));
    PutI32(payload, P(2));
    PutI32(payload, P(1));
    PutI32(payload, P(0));
    out_->AddRecord(type, payload);
}

void WmfToEmfConverter::ScaleExt(std::uint32_t type) {
    if (!Has(4)) return;
    QByteArray payload;
    for (int w : {3, 2, 1, 0}) PutI32(payload, P(w));  // xNum, xDenom, yNum, yDenom
    out_->AddRecord(type, payload);
}

void WmfToEmfConverter::RoundRect() {
    if (!Has(6)) return;
    QByteArray payload;
    PutRect(payload, {P(5), P(4), P(3), P(2)});
    PutI32(payload, P(1));
    PutI32(payload, P(0));
    out_->AddRecord(emr::RoundRect, payload);
}

void WmfToEmfConverter::SetPixel() {
    if (!Has(4)) return;
    QByteArray payload;
    PutI32(payload, P(3));
    PutI32(payload, P(2));
    PutU32(payload, U32At(0) & 0x00FFFFFF);
    out_->AddRecord(emr::SetPixelV, payload);
}

void WmfToEmfConverter::Poly(std::uint32_t type) {
    if (!Has(1)) return;
    const std::uint32_t n = U(0);
    if (!Has(1 + 2 * static_cast<int>(n))) return;
    QVector<QPoint> points;
    points.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        points.append(QPoint(P(1 + 2 * static_cast<int>(i)), P(2 + 2 * static_cast<int>(i))));
    }
    if (type == emr::Polygon16) {
        out_->Polygon16(points);
    } else {
        out_->Polyline16(points);
    }
}

void WmfToEmfConverter::PolyPolygon() {
    if (!Has(1)) return;
    const int polygons = U(0);
    if (!Has(1 + polygons)) return;
    std::uint64_t total = 0;
    for (int i = 0; i < polygons; ++i) total += U(1 + i);
    if (!p_.Has(0, (1 + static_cast<std::uint64_t>(polygons) + 2 * total) * 2)) return;
    QByteArray payload;
    QByteArray points;
    RectL bounds{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    const std::uint64_t pointsAt = (1 + static_cast<std::uint64_t>(polygons)) * 2;
    for (std::uint64_t i = 0; i < total; ++i) {
        const std::int16_t x = p_.I16Or(pointsAt + 4 * i);
        const std::int16_t y = p_.I16Or(pointsAt + 4 * i + 2);
        PutI16(points, x);
        PutI16(points, y);
        bounds = {std::min<std::int32_t>(bounds.left, x), std::min<std::int32_t>(bounds.top, y),
                  std::max<std::int32_t>(bounds.right, x),
                  std::max<std::int32_t>(bounds.bottom, y)};
    }
    if (total == 0) bounds = {0, 0, -1, -1};
    PutRect(payload, bounds);
    PutU32(payload, static_cast<std::uint32_t>(polygons));
    PutU32(payload, static_cast<std::uint32_t>(total));
    for (int i = 0; i < polygons; ++i) PutU32(payload, U(1 + i));
    payload.append(points);
    out_->AddRecord(emr::PolyPolygon16, payload);
}

void WmfToEmfConverter::Text(ByteView bytes, std::int32_t x, std::int32_t y, std::uint32_t options,
                             const RectL& clip, const QVector<std::int32_t>& dx) {
    QVector<std::int32_t> byteDx = dx;
    if (dc_.charExtra != 0 && !byteDx.isEmpty()) {
        for (std::int32_t& advance : byteDx) advance += dc_.charExtra;
    }
    const wmfcharset::TextRun run =
        wmfcharset::Decode(QByteArrayView(reinterpret_cast<const char*>(bytes.data()),
                                          static_cast<qsizetype>(bytes.size())),
                           dc_.charSet, byteDx);
    out_->ExtTextOutW(QPoint(x, y), run.text, run.dx, options, clip);
}

void WmfToEmfConverter::TextOut() {
    if (!Has(1)) return;
    const std::uint16_t length = U(0);
    const int stringWords = (length + 1) / 2;
    if (!Has(1 + stringWords + 2)) return;
    const ByteView bytes = *p_.Sub(2, length);
    Text(bytes, P(2 + stringWords), P(1 + stringWords), 0, {}, {});
}

void WmfToEmfConverter::ExtTextOut() {
    if (!Has(4)) return;
    const std::int32_t y = P(0), x = P(1);
    const std::uint16_t length = U(2);
    const std::uint16_t options = U(3);
    const std::uint64_t stringBytes = (std::uint64_t{length} + 1) & ~std::uint64_t{1};
    const std::uint64_t size = p_.size();
    // The rectangle is there with the opaque or clipped option; some writers put it with
    // other options too, which only the record's size tells.
    bool hasRect = (options & (eto::Opaque | eto::Clipped)) != 0;
    if (!hasRect && options != 0) {
        hasRect = size == 16 + stringBytes || size == 16 + stringBytes + 2 * length;
    }
    const std::uint64_t textAt = hasRect ? 16 : 8;
    RectL clip;
    if (hasRect) {
        if (!Has(8)) return;
        clip = {P(4), P(5), P(6), P(7)};
    }
    const auto bytes = p_.Sub(textAt, length);
    if (!bytes) return;
    QVector<std::int32_t> dx;
    const std::uint64_t dxAt = textAt + stringBytes;
    if (length > 0 && p_.Has(dxAt, 2 * std::uint64_t{length})) {
        dx.reserve(length);
        for (std::uint64_t i = 0; i < length; ++i) dx.append(p_.I16Or(dxAt + 2 * i));
    }
    Text(*bytes, x, y, options, clip, dx);
}

}  // namespace tavlex::mf::wmftoemf
