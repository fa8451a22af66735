#include "view/PageScrollBox.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWheelEvent>

namespace tavlex {
namespace {

// Classic bars whose track is one plain colour: the dotted track of the classic look is a
// pattern fill, which costs a scroll step more than all the rest of the bar.
class ClassicBars : public QProxyStyle {
  public:
    explicit ClassicBars(QStyle* classic) : QProxyStyle(classic) {}
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_ScrollBarAddPage || element == CE_ScrollBarSubPage) {
            const bool pressed = option->state & State_Sunken;
            painter->fillRect(option->rect,
                              option->palette.color(pressed ? QPalette::Dark : QPalette::Midlight));
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

// One style for the bars of every page area, owned by the application.
QStyle* ClassicBarStyle() {
    static QPointer<QStyle> style = [] {
        QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"));
        if (!classic) return QPointer<QStyle>();
        QStyle* bars = new ClassicBars(classic);  // takes the classic style over
        bars->setParent(qApp);
        return QPointer<QStyle>(bars);
    }();
    return style.data();
}

}  // namespace

PageScrollBox::PageScrollBox(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("ScrollBox"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    horizontalScrollBar()->setSingleStep(kHorizontalLine);
    verticalScrollBar()->setSingleStep(kVerticalLine);
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
    horizontalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setRange(0, 0);
    viewport()->setAutoFillBackground(true);
    // Classic bars, opaque: every scroll step repaints a bar, and these paint in a fraction of
    // the time of the gradient ones and without the window frame beneath them.
    if (QStyle* classic = ClassicBarStyle()) {
        horizontalScrollBar()->setStyle(classic);
        verticalScrollBar()->setStyle(classic);
    }
    horizontalScrollBar()->setAutoFillBackground(true);
    verticalScrollBar()->setAutoFillBackground(true);
    // Keys belong to the window's focus holder, not to the scroll area.
    setFocusPolicy(Qt::NoFocus);
}

void PageScrollBox::SetSheet(QWidget* sheet) {
    sheet_ = sheet;
    if (sheet_) sheet_->setParent(viewport());
}

QSize PageScrollBox::AreaSize() const {
    return maximumViewportSize();
}

int PageScrollBox::VerticalBarWidth() const {
    return verticalScrollBar()->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                     verticalScrollBar());
}

int PageScrollBox::HorizontalBarHeight() const {
    return horizontalScrollBar()->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                       horizontalScrollBar());
}

QSize PageScrollBox::ClientSize() const {
    return viewport()->size();
}

void PageScrollBox::ApplyLayout(const SheetLayout& layout) {
    applying_ = true;
    setVerticalScrollBarPolicy(layout.verticalBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(layout.horizontalBar ? Qt::ScrollBarAlwaysOn
                                                      : Qt::ScrollBarAlwaysOff);
    const QSize client = layout.client;
    horizontalScrollBar()->setPageStep(std::max(1, client.width()));
    verticalScrollBar()->setPageStep(std::max(1, client.height()));
    horizontalScrollBar()->setRange(0, std::max(0, layout.ranges.width() - client.width()));
    verticalScrollBar()->setRange(0, std::max(0, layout.ranges.height() - client.height()));
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    origin_ = layout.origin;
    if (sheet_) sheet_->resize(layout.sheet);
    PlaceSheet();
    applying_ = false;
}

int PageScrollBox::HorizontalPosition() const {
    return horizontalScrollBar()->value();
}
int PageScrollBox::VerticalPosition() const {
    return verticalScrollBar()->value();
}
void PageScrollBox::SetHorizontalPosition(int position) {
    horizontalScrollBar()->setValue(position);
}
void PageScrollBox::SetVerticalPosition(int position) {
    verticalScrollBar()->setValue(position);
}

void PageScrollBox::SetBackground(const QColor& color) {
    // The viewport fills with its background role (Base for scroll areas).
    QPalette palette = viewport()->palette();
    palette.setColor(viewport()->backgroundRole(), color);
    viewport()->setPalette(palette);
}

QColor PageScrollBox::Background() const {
    return viewport()->palette().color(viewport()->backgroundRole());
}

void PageScrollBox::scrollContentsBy(int, int) {
    PlaceSheet();
}

void PageScrollBox::PlaceSheet() {
    if (!sheet_) return;
    sheet_->move(origin_.x() - HorizontalPosition(), origin_.y() - VerticalPosition());
}

void PageScrollBox::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (!applying_) emit Resized();
}

bool PageScrollBox::viewportEvent(QEvent* event) {
    // The viewport's own resizes follow the bars, which the layout already accounted for.
    if (event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void PageScrollBox::wheelEvent(QWheelEvent* event) {
    event->accept();
    emit WheelTurned(event);
}

}  // namespace tavlex
