#include "view/ContentsIcons.h"

#include <QPainter>
#include <QPolygon>

#include <array>

namespace tavlex {
namespace {

QImage DrawSheet(const QColor& fill) {
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // An 8 x 9 sheet whose top-right corner is folded over.
    const int left = 4;
    const int top = 3;
    const int right = left + 7;
    const int bottom = top + 8;
    const QPolygon outline({QPoint(left, top), QPoint(right - 2, top), QPoint(right, top + 2),
                            QPoint(right, bottom), QPoint(left, bottom)});
    painter.setPen(QColor(64, 64, 64));
    painter.setBrush(fill);
    painter.drawPolygon(outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(right - 2, top, right - 2, top + 2);
    painter.drawLine(right - 2, top + 2, right, top + 2);
    // Three lines of text.
    painter.setPen(QColor(0, 0, 132));
    for (int y : {top + 3, top + 5, top + 7}) painter.drawLine(left + 2, y, right - 2, y);
    painter.end();
    return image;
}

}  // namespace

QImage ContentsIcon(int image) {
    static const std::array<QColor, 3> fills = {QColor(0, 255, 0), QColor(255, 255, 255),
                                                QColor(255, 255, 0)};
    static std::array<QImage, 3> icons;
    if (image < 0 || image > 2) return {};
    auto& icon = icons[static_cast<std::size_t>(image)];
    if (icon.isNull()) icon = DrawSheet(fills[static_cast<std::size_t>(image)]);
    return icon;
}

}  // namespace tavlex
