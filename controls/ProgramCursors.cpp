#include "controls/ProgramCursors.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace tavlex {

namespace {

constexpr int kSize = 32;

// The hand's outline, fingers up (open) or curled (grabbing), in a 32 x 32 box.
QPainterPath HandPath(bool open) {
    QPainterPath path;
    const int fingerTop = open ? 4 : 11;
    // Four fingers side by side.
    for (int i = 0; i < 4; ++i) {
        const qreal x = 9.5 + i * 4.0;
        const qreal top = fingerTop + (i == 0 || i == 3 ? 2 : 0);
        path.addRoundedRect(QRectF(x, top, 3.6, 16 - top + 4), 1.8, 1.8);
    }
    // Thumb.
    if (open) {
        QPainterPath thumb;
        thumb.moveTo(9.5, 20);
        thumb.lineTo(5, 14.5);
        thumb.cubicTo(3.5, 12.5, 6, 11, 7.5, 12.8);
        thumb.lineTo(10.5, 16.5);
        thumb.closeSubpath();
        path.addPath(thumb);
    } else {
        path.addRoundedRect(QRectF(7, 15, 4.5, 6), 2, 2);
    }
    // Palm.
    path.addRoundedRect(QRectF(9, 16, 16.5, 11), 4, 4);
    return path.simplified();
}

QPainterPath PointingHandPath() {
    QPainterPath path;
    path.addRoundedRect(QRectF(10.2, 1, 3.6, 15), 1.8, 1.8);  // index finger, tip at (12, 1)
    for (int i = 0; i < 3; ++i) {
        path.addRoundedRect(QRectF(14 + i * 3.6, 10 + (i == 2 ? 1 : 0), 3.4, 8), 1.7, 1.7);
    }
    QPainterPath thumb;
    thumb.moveTo(10.5, 20);
    thumb.lineTo(6, 15);
    thumb.cubicTo(4.5, 13, 7, 11.5, 8.5, 13.3);
    thumb.lineTo(11, 16);
    thumb.closeSubpath();
    path.addPath(thumb);
    path.addRoundedRect(QRectF(10, 15, 15, 12), 4, 4);
    return path.simplified();
}

QPainterPath MoveArrowsPath() {
    QPainterPath path;
    const QPointF c(16, 16);
    // One arrow pointing up, turned four times around the centre.
    QPolygonF arrow;
    arrow << QPointF(16, 2) << QPointF(21, 8) << QPointF(17.5, 8) << QPointF(17.5, 14.5)
          << QPointF(14.5, 14.5) << QPointF(14.5, 8) << QPointF(11, 8);
    for (int i = 0; i < 4; ++i) {
        QTransform turn;
        turn.translate(c.x(), c.y());
        turn.rotate(90.0 * i);
        turn.translate(-c.x(), -c.y());
        path.addPolygon(turn.map(arrow));
        path.closeSubpath();
    }
    path.addRect(QRectF(14.5, 14.5, 3, 3));
    path.setFillRule(Qt::WindingFill);
    return path.simplified();
}

QPixmap DrawOutlined(const QPainterPath& path) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.2));
    painter.setBrush(Qt::white);
    painter.drawPath(path);
    return pixmap;
}

QPixmap DrawMagnifier() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // The lens is centred on the hot spot.
    painter.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(22, 22), QPointF(29, 29));
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(QColor(255, 255, 255, 230));
    painter.drawEllipse(QPointF(16, 16), 8, 8);
    painter.setPen(QPen(QColor(120, 120, 120), 1));
    painter.drawArc(QRectF(11, 11, 10, 10), 100 * 16, 70 * 16);
    return pixmap;
}

QPixmap BuildPixmap(int number) {
    switch (number) {
        case OpenHandCursor:
            return DrawOutlined(HandPath(true));
        case PointingHandCursor:
            return DrawOutlined(PointingHandPath());
        case GrabbingHandCursor:
            return DrawOutlined(HandPath(false));
        case MoveCursor:
            return DrawOutlined(MoveArrowsPath());
        case MagnifierCursor:
            return DrawMagnifier();
        default:
            return QPixmap();
    }
}

}  // namespace

QPoint ProgramCursorHotSpot(int number) {
    switch (number) {
        case OpenHandCursor:
        case GrabbingHandCursor:
            return QPoint(16, 14);
        case PointingHandCursor:
            return QPoint(12, 1);
        case MoveCursor:
        case MagnifierCursor:
            return QPoint(16, 16);
        default:
            return QPoint(0, 0);
    }
}

QPixmap ProgramCursorPixmap(int number) {
    // Images, not pixmaps, outlive the application object safely.
    static std::array<QImage, 6> cache;
    if (number < 1 || number > 5) {
        return QPixmap();
    }
    if (cache[number].isNull()) {
        cache[number] = BuildPixmap(number).toImage();
    }
    return QPixmap::fromImage(cache[number]);
}

QCursor ProgramCursor(int number) {
    const QPixmap pixmap = ProgramCursorPixmap(number);
    if (pixmap.isNull()) {
        return QCursor(Qt::ArrowCursor);
    }
    const QPoint hot = ProgramCursorHotSpot(number);
    return QCursor(pixmap, hot.x(), hot.y());
}

}  // namespace tavlex
