#include "metafile/EmfPlayer.h"
#include "metafile/GdiDefs.h"

#include <QLinearGradient>
#include <QPaintDevice>

#include <algorithm>
#include <cmath>

namespace tavlex::mf {

namespace {

struct Vertex {
    QPointF at;  // target coordinates
    double rgb[3];
};

QColor VertexColour(const Vertex& v) {
    return QColor(static_cast<int>(v.rgb[0]), static_cast<int>(v.rgb[1]),
                  static_cast<int>(v.rgb[2]));
}

}  // namespace

// The part of target space the painter's device shows, with a pixel to spare: what lies beyond
// is never shaded, however far a damaged record reaches.
QRectF EmfPlayer::VisibleTarget() const {
    const QPaintDevice* device = painter_.device();
    if (!device) return {};
    return painterBase_.inverted()
        .mapRect(QRectF(0, 0, device->width(), device->height()))
        .adjusted(-1, -1, 1, 1);
}

// EMR_GRADIENTFILL: rectangles shade from one corner's colour to the other's along x or y,
// triangles blend their three corner colours; no pen, brush or raster operation takes part,
// and the alpha of the vertices is ignored.
void EmfPlayer::GradientFill(ByteView r) {
    const std::uint32_t count = r.U32Or(24), objects = r.U32Or(28), mode = r.U32Or(32);
    if (mode > gradientmode::Triangle || count == 0 || objects == 0) return;
    const std::uint64_t objectSize = mode == gradientmode::Triangle ? 12 : 8;
    const std::uint64_t objectsAt = 36 + std::uint64_t{count} * 16;
    if (count > r.size() / 16 || objects > r.size() / objectSize || !r.Has(36, count * 16ull) ||
        !r.Has(objectsAt, objects * objectSize)) {
        return;
    }
    if (count + std::uint64_t{objects} > static_cast<std::uint64_t>(limits_.maxPointsPerRecord)) {
        Stop(MetafileErrorKind::TooLarge, QStringLiteral("too many points in one record"));
        return;
    }
    std::vector<Vertex> vertices(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t o = 36 + std::uint64_t{i} * 16;
        Vertex& v = vertices[i];
        v.at = Map(QPointF(r.I32Or(o), r.I32Or(o + 4)));
        for (int c = 0; c < 3; ++c) v.rgb[c] = r.U16Or(o + 8 + 2 * c) >> 8;
    }
    painter_.setWorldTransform(painterBase_);
    for (std::uint32_t k = 0; k < objects && !stopped_; ++k) {
        const std::uint64_t o = objectsAt + k * objectSize;
        const std::uint32_t a = r.U32Or(o), b = r.U32Or(o + 4);
        if (a >= count || b >= count) continue;
        if (mode == gradientmode::Triangle) {
            const std::uint32_t c = r.U32Or(o + 8);
            if (c < count)
                ShadeTriangle(vertices[a].at, vertices[b].at, vertices[c].at,
                              {vertices[a].rgb, vertices[b].rgb, vertices[c].rgb});
            continue;
        }
        const QPointF p = vertices[a].at, q = vertices[b].at;
        const QRectF box = QRectF(p, q).normalized();
        const QRectF pixels(QPointF(std::round(box.left()), std::round(box.top())),
                            QPointF(std::round(box.right()), std::round(box.bottom())));
        const QRectF shown = pixels.intersected(VisibleTarget());
        if (shown.isEmpty()) continue;
        // The gradient runs from the first vertex's edge to the second's.
        QLinearGradient gradient = mode == gradientmode::RectH
                                       ? QLinearGradient(p.x(), 0, q.x(), 0)
                                       : QLinearGradient(0, p.y(), 0, q.y());
        gradient.setColorAt(0, VertexColour(vertices[a]));
        gradient.setColorAt(1, VertexColour(vertices[b]));
        if ((mode == gradientmode::RectH ? p.x() == q.x() : p.y() == q.y()))
            painter_.fillRect(shown, VertexColour(vertices[a]));
        else
            painter_.fillRect(shown, gradient);
    }
}

// Gouraud shading of one triangle into the pixels whose centres it covers, limited to what the
// painter's device can show.
void EmfPlayer::ShadeTriangle(QPointF p0, QPointF p1, QPointF p2,
                              const std::array<const double*, 3>& rgb) {
    const double area =
        (p1.x() - p0.x()) * (p2.y() - p0.y()) - (p2.x() - p0.x()) * (p1.y() - p0.y());
    if (!std::isfinite(area) || std::fabs(area) < 1e-9) return;
    const QRectF box = QRectF(p0, p1)
                           .normalized()
                           .united(QRectF(p0, p2).normalized())
                           .intersected(VisibleTarget());
    if (box.isEmpty()) return;
    const int x0 = static_cast<int>(std::floor(box.left()));
    const int y0 = static_cast<int>(std::floor(box.top()));
    const int w = static_cast<int>(std::ceil(box.right())) - x0 + 1;
    const int h = static_cast<int>(std::ceil(box.bottom())) - y0 + 1;
    if (w <= 0 || h <= 0 || !ChargeBitmapBytes(std::int64_t{w} * h * 4)) return;
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return;
    image.fill(Qt::transparent);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        const double py = y0 + y + 0.5;
        for (int x = 0; x < w; ++x) {
            const double px = x0 + x + 0.5;
            // Barycentric weights of the pixel centre.
            const double w0 =
                ((p1.x() - px) * (p2.y() - py) - (p2.x() - px) * (p1.y() - py)) / area;
            const double w1 =
                ((p2.x() - px) * (p0.y() - py) - (p0.x() - px) * (p2.y() - py)) / area;
            const double w2 = 1 - w0 - w1;
            if (w0 < 0 || w1 < 0 || w2 < 0) continue;
            int c[3];
            for (int i = 0; i < 3; ++i)
                c[i] = std::clamp(
                    static_cast<int>(w0 * rgb[0][i] + w1 * rgb[1][i] + w2 * rgb[2][i] + 0.5), 0,
                    255);
            row[x] = qRgb(c[0], c[1], c[2]);
        }
    }
    painter_.drawImage(QPointF(x0, y0), image);
}

}  // namespace tavlex::mf
