#include "metafile/PageWeight.h"

#include <algorithm>

#include "metafile/ByteView.h"
#include "metafile/GdiDefs.h"
#include "metafile/Metafile.h"

namespace tavlex::mf {
namespace {

// Points a record adds to the outline being drawn; the count stands where the record's layout
// puts it (after the bounds, and after the polygon count for the many-polygon records).
std::uint64_t PointsOf(std::uint32_t type, ByteView record) {
    switch (type) {
        case emr::PolyBezier:
        case emr::Polygon:
        case emr::Polyline:
        case emr::PolyBezierTo:
        case emr::PolyLineTo:
        case emr::PolyDraw:
        case emr::PolyBezier16:
        case emr::Polygon16:
        case emr::Polyline16:
        case emr::PolyBezierTo16:
        case emr::PolylineTo16:
        case emr::PolyDraw16:
            return record.U32Or(24);
        case emr::PolyPolyline:
        case emr::PolyPolygon:
        case emr::PolyPolyline16:
        case emr::PolyPolygon16:
            return record.U32Or(28);
        case emr::MoveToEx:
        case emr::LineTo:
            return 1;
        default:
            return 0;
    }
}

}  // namespace

std::uint64_t HeaviestOutline(const Metafile& page) {
    const QByteArray& bytes = page.EnhancedBytes();
    if (const Metafile::Arrival& arrival = page.PendingArrival();
        arrival && !arrival(static_cast<std::uint64_t>(bytes.size()))) {
        return 0;
    }
    const ByteView all(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    std::uint64_t heaviest = 0;
    std::uint64_t path = 0;  // points of the path being built
    bool inPath = false;
    for (std::uint64_t offset = 0; offset + 8 <= all.size();) {
        const std::uint32_t type = all.U32Or(offset);
        const std::uint32_t size = all.U32Or(offset + 4);
        if (size < 8 || size % 4 != 0 || size > all.size() - offset) break;
        const std::uint64_t points = PointsOf(type, ByteView(all.data() + offset, size));
        heaviest = std::max(heaviest, points);
        if (type == emr::BeginPath) {
            inPath = true;
            path = 0;
        } else if (type == emr::AbortPath) {
            inPath = false;
        } else if (inPath) {
            path += points;
            heaviest = std::max(heaviest, path);
            if (type == emr::EndPath) inPath = false;
        }
        offset += size;
    }
    return heaviest;
}

}  // namespace tavlex::mf
