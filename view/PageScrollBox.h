#pragma once

#include <QAbstractScrollArea>

#include "view/ZoomLayout.h"

class QWheelEvent;

namespace tavlex {

// The page area (ScrollBox): a scroll area whose ranges the layout sets itself. The sheet is a
// child of the viewport placed at its layout origin minus the scroll positions. Line steps are
// 39 pixels horizontally and 20 vertically; the view follows a dragged thumb.
class PageScrollBox : public QAbstractScrollArea {
    Q_OBJECT
  public:
    static constexpr int kHorizontalLine = 39;
    static constexpr int kVerticalLine = 20;

    explicit PageScrollBox(QWidget* parent = nullptr);

    void SetSheet(QWidget* sheet);
    QWidget* Sheet() const { return sheet_; }

    // The client size without scroll bars, and the bars' thickness.
    QSize AreaSize() const;
    int VerticalBarWidth() const;
    int HorizontalBarHeight() const;
    QSize ClientSize() const;

    // Shows the bars the layout asks for, sets the ranges, places the sheet and resets both
    // positions to 0. Resizes caused by the bars coming or going are not reported.
    void ApplyLayout(const SheetLayout& layout);

    int HorizontalPosition() const;
    int VerticalPosition() const;
    // Clamped to 0..range - client, as the scroll bars keep them.
    void SetHorizontalPosition(int position);
    void SetVerticalPosition(int position);

    void SetBackground(const QColor& color);
    QColor Background() const;

  signals:
    // The client size changed (window, splitter, panels): the layout runs again.
    void Resized();
    // A wheel turn over the page area; the window decides what it scrolls.
    void WheelTurned(QWheelEvent* event);

  protected:
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;

  private:
    void PlaceSheet();

    QWidget* sheet_ = nullptr;
    QPoint origin_;
    bool applying_ = false;
};

}  // namespace tavlex
