#include "tools/samplegen/PhotoGenerator.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace tavlex::samplegen {
namespace {

// xorshift32: small, fast and identical everywhere, unlike the standard distributions.
class Random {
  public:
    explicit Random(std::uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int Range(int low, int high) {  // inclusive
        return low + static_cast<int>(Next() % static_cast<std::uint32_t>(high - low + 1));
    }
    double Unit() { return (Next() & 0xFFFFFF) / double(0x1000000); }

  private:
    std::uint32_t state_;
};

int Clamp255(int v) {
    return std::clamp(v, 0, 255);
}

// Film grain over the whole picture: what makes a flat fill look photographed.
void AddGrain(QImage& image, Random& random, int amplitude) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = static_cast<int>(random.Next() % (2 * amplitude + 1)) - amplitude;
            const QRgb p = line[x];
            line[x] = qRgb(Clamp255(qRed(p) + n), Clamp255(qGreen(p) + n), Clamp255(qBlue(p) + n));
        }
    }
}

// Light falling off toward the corners, as through a real lens.
void Vignette(QPainter& p, const QSize& size) {
    QRadialGradient shade(size.width() / 2.0, size.height() / 2.0, size.width() * 0.75);
    shade.setColorAt(0.6, QColor(0, 0, 0, 0));
    shade.setColorAt(1.0, QColor(0, 0, 0, 90));
    p.fillRect(QRect(QPoint(0, 0), size), shade);
}

void Sky(QPainter& p, const QSize& size, int horizon, Random& random) {
    QLinearGradient sky(0, 0, 0, horizon);
    sky.setColorAt(0, QColor(58, 110, 180));
    sky.setColorAt(1, QColor(176, 204, 228));
    p.fillRect(0, 0, size.width(), horizon, sky);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 7; ++i) {  // clouds: clusters of soft white puffs
        const int cx = random.Range(0, size.width()), cy = random.Range(10, horizon / 2);
        for (int j = 0; j < 6; ++j) {
            const int r = random.Range(14, 34);
            QRadialGradient puff(cx + random.Range(-40, 40), cy + random.Range(-8, 8), r);
            puff.setColorAt(0, QColor(255, 255, 255, 200));
            puff.setColorAt(1, QColor(255, 255, 255, 0));
            p.setBrush(puff);
            p.drawEllipse(puff.center(), r, r);
        }
    }
}

void SiteView(QImage& image, Random& random) {
    const QSize size = image.size();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const int horizon = size.height() * 55 / 100;
    Sky(p, size, horizon, random);
    // Hills, then the site's ground.
    QPainterPath hills;
    hills.moveTo(0, horizon);
    for (int x = 0; x <= size.width(); x += 20)
        hills.lineTo(x, horizon - 30 - 20 * std::sin(x / 70.0 + random.Unit()));
    hills.lineTo(size.width(), horizon);
    hills.closeSubpath();
    p.fillPath(hills, QColor(74, 104, 70));
    QLinearGradient ground(0, horizon, 0, size.height());
    ground.setColorAt(0, QColor(150, 128, 96));
    ground.setColorAt(1, QColor(112, 92, 66));
    p.fillRect(0, horizon, size.width(), size.height() - horizon, ground);
    // A building in its frame: columns and floors, part clad.
    const int bx = size.width() / 3, bw = size.width() / 3, floors = 5, fh = 34;
    const int top = horizon - floors * fh;
    p.fillRect(bx, top + 2 * fh, bw, 3 * fh, QColor(196, 192, 184));
    p.setPen(QPen(QColor(90, 90, 96), 4));
    for (int f = 0; f <= floors; ++f) p.drawLine(bx, top + f * fh, bx + bw, top + f * fh);
    for (int c = 0; c <= 4; ++c) p.drawLine(bx + c * bw / 4, top, bx + c * bw / 4, horizon);
    p.setPen(QPen(QColor(60, 120, 170), 1));  // window panes on the clad floors
    for (int f = 2; f < floors; ++f)
        for (int w = 0; w < 8; ++w)
            p.drawRect(bx + 6 + w * bw / 8, top + f * fh + 8, bw / 8 - 12, 16);
    // A tower crane: mast, jib, counter-jib and hook line.
    const int mx = bx + bw + 40;
    p.setPen(QPen(QColor(230, 180, 30), 5));
    p.drawLine(mx, horizon, mx, top - 70);
    p.drawLine(mx - 190, top - 60, mx + 80, top - 60);
    p.setPen(QPen(QColor(230, 180, 30), 2));
    for (int y = horizon; y > top - 70; y -= 16) p.drawLine(mx - 6, y, mx + 6, y - 16);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.drawLine(mx - 150, top - 60, mx - 150, top + 40);
    p.fillRect(mx + 50, top - 64, 26, 14, QColor(120, 120, 120));
    // Safety fence along the front.
    p.setPen(Qt::NoPen);
    for (int x = 0; x < size.width(); x += 40)
        p.fillRect(x, horizon + 40, 36, 28,
                   (x / 40) % 2 ? QColor(240, 240, 235) : QColor(60, 150, 80));
    Vignette(p, size);
    p.end();
    AddGrain(image, random, 6);
}

void ConcreteWall(QImage& image, Random& random) {
    const QSize size = image.size();
    // Mottled grey: a few octaves of blocky noise.
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) line[x] = qRgb(160, 158, 152);
    }
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 900; ++i) {
        const int g = random.Range(130, 185), r = random.Range(6, 40);
        p.setBrush(QColor(g, g - 2, g - 6, 40));
        p.drawEllipse(QPoint(random.Range(0, size.width()), random.Range(0, size.height())), r, r);
    }
    // Form panel seams and the tie holes of the formwork.
    const int panelW = size.width() / 3, panelH = size.height() / 2;
    p.setPen(QPen(QColor(120, 118, 112), 2));
    for (int x = panelW; x < size.width(); x += panelW) p.drawLine(x, 0, x, size.height());
    for (int y = panelH; y < size.height(); y += panelH) p.drawLine(0, y, size.width(), y);
    p.setPen(Qt::NoPen);
    for (int x = panelW / 4; x < size.width(); x += panelW / 2)
        for (int y = panelH / 4; y < size.height(); y += panelH / 2) {
            p.setBrush(QColor(70, 70, 68));
            p.drawEllipse(QPoint(x, y), 7, 7);
            p.setBrush(QColor(110, 108, 104));
            p.drawEllipse(QPoint(x - 1, y - 1), 4, 4);
        }
    // Water stains running down from the top.
    for (int i = 0; i < 5; ++i) {
        const int x = random.Range(0, size.width()), len = random.Range(60, size.height());
        QLinearGradient stain(x, 0, x, len);
        stain.setColorAt(0, QColor(90, 86, 78, 90));
        stain.setColorAt(1, QColor(90, 86, 78, 0));
        p.fillRect(x, 0, random.Range(8, 30), len, stain);
    }
    Vignette(p, size);
    p.end();
    AddGrain(image, random, 10);
}

void RebarGrid(QImage& image, Random& random) {
    const QSize size = image.size();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Plywood formwork below: boards with grain.
    p.fillRect(image.rect(), QColor(196, 160, 108));
    for (int y = 0; y < size.height(); y += 2) {
        const int shade = random.Range(-14, 14);
        p.setPen(QColor(Clamp255(190 + shade), Clamp255(154 + shade), Clamp255(100 + shade)));
        p.drawLine(0, y, size.width(), y + random.Range(-2, 2));
    }
    // The mat: bars with highlights and ribs, ties at the crossings.
    const int pitch = size.width() / 9;
    const auto bar = [&](QPointF a, QPointF b) {
        p.setPen(QPen(QColor(70, 44, 30), 11, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(a, b);
        p.setPen(QPen(QColor(150, 86, 50), 7, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(a, b);
        p.setPen(QPen(QColor(200, 130, 90), 2));
        p.drawLine(a - QPointF(0, 1), b - QPointF(0, 1));
    };
    for (int y = pitch / 2; y < size.height(); y += pitch)
        bar(QPointF(-10, y + random.Range(-2, 2)),
            QPointF(size.width() + 10, y + random.Range(-2, 2)));
    for (int x = pitch / 2; x < size.width(); x += pitch)
        bar(QPointF(x + random.Range(-2, 2), -10),
            QPointF(x + random.Range(-2, 2), size.height() + 10));
    p.setPen(QPen(QColor(40, 40, 44), 2));
    for (int x = pitch / 2; x < size.width(); x += pitch)
        for (int y = pitch / 2; y < size.height(); y += pitch) {
            p.drawLine(x - 6, y - 6, x + 6, y + 6);
            p.drawLine(x - 6, y + 6, x + 6, y - 6);
        }
    // Spacer blocks showing between the bars.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 150, 146));
    for (int i = 0; i < 6; ++i)
        p.drawRoundedRect(random.Range(0, size.width() - 30), random.Range(0, size.height() - 20),
                          26, 16, 3, 3);
    Vignette(p, size);
    p.end();
    AddGrain(image, random, 8);
}

void Blackboard(QImage& image, Random& random, const QStringList& lines) {
    const QSize size = image.size();
    ConcreteWall(image, random);  // the board stands in front of the work
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRect board(size.width() / 12, size.height() / 6, size.width() * 7 / 10,
                      size.height() * 2 / 3);
    p.fillRect(board.adjusted(-8, -8, 8, 8), QColor(120, 84, 50));  // wooden frame
    p.fillRect(board, QColor(34, 74, 52));
    // Chalk: ruled rows with the entries, slightly uneven.
    const int rows = std::max<int>(4, lines.size());
    const int rowH = board.height() / rows;
    p.setPen(QPen(QColor(230, 232, 220, 200), 2));
    for (int r = 1; r < rows; ++r)
        p.drawLine(board.left() + 6, board.top() + r * rowH, board.right() - 6,
                   board.top() + r * rowH + random.Range(-1, 1));
    p.drawLine(board.left() + board.width() * 3 / 10, board.top() + 6,
               board.left() + board.width() * 3 / 10, board.bottom() - 6);
    QFont chalk(QStringLiteral("IPAGothic"));
    chalk.setPixelSize(std::max(10, rowH / 3));
    p.setFont(chalk);
    p.setPen(QColor(240, 240, 228));
    for (int r = 0; r < lines.size(); ++r) {
        const QStringList parts = lines[r].split(u'\t');
        const int y = board.top() + r * rowH;
        p.drawText(QRect(board.left() + 8, y, board.width() * 3 / 10 - 12, rowH),
                   Qt::AlignVCenter | Qt::AlignLeft, parts.value(0));
        p.drawText(
            QRect(board.left() + board.width() * 3 / 10 + 8, y, board.width() * 7 / 10 - 14, rowH),
            Qt::AlignVCenter | Qt::AlignLeft, parts.value(1));
    }
    // A measuring staff: red and white 100 mm bands.
    const int sx = board.right() + size.width() / 12, sw = 22;
    for (int i = 0, y = size.height() / 10; y < size.height() - 20; ++i, y += 30)
        p.fillRect(sx, y, sw, 30, i % 2 ? QColor(240, 240, 240) : QColor(200, 30, 30));
    Vignette(p, size);
    p.end();
    AddGrain(image, random, 4);
}

void Excavation(QImage& image, Random& random) {
    const QSize size = image.size();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const int horizon = size.height() / 4;
    Sky(p, size, horizon, random);
    // Soil strata across the cut face.
    const QColor strata[] = {QColor(120, 92, 60), QColor(150, 118, 76), QColor(104, 80, 56),
                             QColor(132, 110, 84)};
    int y = horizon;
    for (int i = 0; y < size.height(); ++i) {
        const int h = random.Range(40, 90);
        p.fillRect(0, y, size.width(), h, strata[i % 4]);
        y += h;
    }
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 500; ++i) {  // pebbles
        const int g = random.Range(90, 170);
        p.setBrush(QColor(g, g - 10, g - 25));
        p.drawEllipse(QPoint(random.Range(0, size.width()), random.Range(horizon, size.height())),
                      random.Range(2, 6), random.Range(2, 4));
    }
    // The trench and its sheet-pile shoring.
    const QRect trench(size.width() / 4, horizon + 40, size.width() / 2,
                       size.height() - horizon - 40);
    QLinearGradient dark(0, trench.top(), 0, trench.bottom());
    dark.setColorAt(0, QColor(80, 62, 44));
    dark.setColorAt(1, QColor(40, 30, 22));
    p.fillRect(trench, dark);
    for (const int x : {trench.left() - 14, trench.right() + 1})
        for (int k = 0; k < trench.height(); k += 12)
            p.fillRect(x, trench.top() + k, 14, 10, QColor(70, 74, 80));
    p.setPen(QPen(QColor(200, 40, 30), 6));  // struts
    for (int k = 1; k < 4; ++k)
        p.drawLine(trench.left(), trench.top() + k * trench.height() / 4, trench.right(),
                   trench.top() + k * trench.height() / 4);
    Vignette(p, size);
    p.end();
    AddGrain(image, random, 7);
}

}  // namespace

QImage PhotoGenerator::Make(Subject subject, std::uint32_t seed,
                            const QStringList& chalkLines) const {
    QImage image(size_, QImage::Format_RGB32);
    image.fill(Qt::black);
    Random random(seed * 2654435761u + 1);
    switch (subject) {
        case Subject::SiteView:
            SiteView(image, random);
            break;
        case Subject::ConcreteWall:
            ConcreteWall(image, random);
            break;
        case Subject::RebarGrid:
            RebarGrid(image, random);
            break;
        case Subject::Blackboard:
            Blackboard(image, random, chalkLines);
            break;
        case Subject::Excavation:
            Excavation(image, random);
            break;
    }
    return image;
}

}  // namespace tavlex::samplegen
