#include "app/ToolbarGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tavlex {

namespace {

constexpr int kGlyph = 20;

const QColor kInk(40, 40, 40);
const QColor kPaper(255, 255, 255);
const QColor kBlue(32, 96, 200);
const QColor kGreen(40, 140, 60);
const QColor kFolder(236, 190, 80);

// A sheet of paper with a folded corner.
void Sheet(QPainter& p, const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 4, r.top());
    path.lineTo(r.right(), r.top() + 4);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 4, r.top()), QPointF(r.right() - 4, r.top() + 4));
    p.drawLine(QPointF(r.right() - 4, r.top() + 4), QPointF(r.right(), r.top() + 4));
}

void Triangle(QPainter& p, QPointF a, QPointF b, QPointF c, const QColor& color) {
    p.setPen(QPen(color.darker(130), 1));
    p.setBrush(color);
    const QPointF points[3] = {a, b, c};
    p.drawPolygon(points, 3);
}

void Bar(QPainter& p, const QRectF& r, const QColor& color) {
    p.setPen(QPen(color.darker(130), 1));
    p.setBrush(color);
    p.drawRect(r);
}

void Magnifier(QPainter& p, bool plus) {
    p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(13, 13), QPointF(17.5, 17.5));
    p.setPen(QPen(kInk, 1.4));
    p.setBrush(QColor(225, 238, 255));
    p.drawEllipse(QPointF(8.5, 8.5), 6, 6);
    p.setPen(QPen(kBlue, 2));
    p.drawLine(QPointF(5.5, 8.5), QPointF(11.5, 8.5));
    if (plus) {
        p.drawLine(QPointF(8.5, 5.5), QPointF(8.5, 11.5));
    }
}

// An open folder.
void DrawFolder(QPainter& p) {
    p.setPen(QPen(kFolder.darker(150), 1));
    p.setBrush(kFolder.darker(110));
    p.drawRect(QRectF(2.5, 5.5, 14, 11));
    p.drawRect(QRectF(2.5, 3.5, 6, 2));
    QPainterPath front;
    front.moveTo(2.5, 16.5);
    front.lineTo(6, 9.5);
    front.lineTo(19, 9.5);
    front.lineTo(16.5, 16.5);
    front.closeSubpath();
    p.setBrush(kFolder);
    p.drawPath(front);
}

// A printer with a sheet in and a sheet out.
void DrawPrinter(QPainter& p) {
    Sheet(p, QRectF(5.5, 1.5, 9, 7));
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(200, 200, 200));
    p.drawRoundedRect(QRectF(1.5, 7.5, 17, 7), 1.5, 1.5);
    p.setBrush(kPaper);
    p.drawRect(QRectF(5.5, 12.5, 9, 6));
    p.setPen(kGreen);
    p.drawPoint(QPointF(16, 10));
}

// A list of headings, two of them indented.
void DrawContents(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(1.5, 1.5, 17, 17));
    for (int i = 0; i < 5; ++i) {
        const qreal y = 4.5 + i * 3;
        const qreal indent = (i == 0 || i == 3) ? 0 : 3;
        p.setPen(QPen(kBlue, 1));
        p.drawPoint(QPointF(4.5 + indent, y));
        p.setPen(QPen(kInk, 1));
        p.drawLine(QPointF(6.5 + indent, y), QPointF(15.5, y));
    }
}

// A sheet marked "#".
void DrawJump(QPainter& p) {
    Sheet(p, QRectF(3.5, 1.5, 13, 17));
    QFont font = p.font();
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kBlue);
    p.drawText(QRectF(3.5, 6, 13, 10), Qt::AlignCenter, QStringLiteral("#"));
}

void Draw(QPainter& p, ToolbarGlyph glyph) {
    switch (glyph) {
        case ToolbarGlyph::Open:
            DrawFolder(p);
            break;
        case ToolbarGlyph::Margin: {
            Sheet(p, QRectF(3.5, 1.5, 13, 17));
            p.setPen(QPen(kBlue, 1, Qt::DashLine));
            p.drawRect(QRectF(6.5, 4.5, 7, 11));
            break;
        }
        case ToolbarGlyph::Print:
            DrawPrinter(p);
            break;
        case ToolbarGlyph::PageScroll: {
            Sheet(p, QRectF(2.5, 0.5, 11, 8));
            Sheet(p, QRectF(2.5, 11.5, 11, 8));
            p.setPen(QPen(kBlue, 2));
            p.drawLine(QPointF(16.5, 3), QPointF(16.5, 14));
            Triangle(p, QPointF(13.5, 13), QPointF(19.5, 13), QPointF(16.5, 17.5), kBlue);
            break;
        }
        case ToolbarGlyph::Contents:
            DrawContents(p);
            break;
        case ToolbarGlyph::Jump:
            DrawJump(p);
            break;
        case ToolbarGlyph::Start:
            Bar(p, QRectF(3.5, 4.5, 2, 11), kGreen);
            Triangle(p, QPointF(16.5, 4.5), QPointF(16.5, 15.5), QPointF(7, 10), kGreen);
            break;
        case ToolbarGlyph::Back:
            Triangle(p, QPointF(14.5, 4.5), QPointF(14.5, 15.5), QPointF(5, 10), kGreen);
            break;
        case ToolbarGlyph::Next:
            Triangle(p, QPointF(5.5, 4.5), QPointF(5.5, 15.5), QPointF(15, 10), kGreen);
            break;
        case ToolbarGlyph::End:
            Triangle(p, QPointF(3.5, 4.5), QPointF(3.5, 15.5), QPointF(13, 10), kGreen);
            Bar(p, QRectF(14.5, 4.5, 2, 11), kGreen);
            break;
        case ToolbarGlyph::Small:
            Magnifier(p, false);
            break;
        case ToolbarGlyph::Big:
            Magnifier(p, true);
            break;
    }
}

QPixmap Render(ToolbarGlyph glyph, int scale) {
    QPixmap pixmap(kGlyph * scale, kGlyph * scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    Draw(painter, glyph);
    painter.end();
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}

QPixmap RenderAlbum(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    // Cover, spine and one photograph with its caption lines.
    p.setPen(QPen(QColor(30, 60, 110), 1.5));
    p.setBrush(QColor(50, 100, 180));
    p.drawRoundedRect(QRectF(4, 2, 25, 28), 2, 2);
    p.setBrush(QColor(30, 60, 110));
    p.drawRect(QRectF(4, 2, 4, 28));
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(QColor(140, 200, 240));
    p.drawRect(QRectF(11.5, 6.5, 14, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 150, 70));
    const QPointF hill[3] = {QPointF(12, 16.5), QPointF(18, 10), QPointF(25.5, 16.5)};
    p.drawPolygon(hill, 3);
    p.setPen(QPen(Qt::white, 1.5));
    p.drawLine(QPointF(12, 20.5), QPointF(25.5, 20.5));
    p.drawLine(QPointF(12, 24.5), QPointF(22, 24.5));
    return pixmap;
}

}  // namespace

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        icon.addPixmap(RenderAlbum(size));
    }
    return icon;
}

QIcon ToolbarIcon(ToolbarGlyph glyph) {
    QIcon icon;
    icon.addPixmap(Render(glyph, 1));
    icon.addPixmap(Render(glyph, 2));
    return icon;
}

}  // namespace tavlex
