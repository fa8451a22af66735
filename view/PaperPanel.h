#pragma once

#include <QColor>
#include <QWidget>

namespace tavlex {

// The sheet (PL_Paper): a single-line frame, then a one-pixel ring in the sheet's colour (white,
// black while the page area has the focus), then the white inner panel that holds the page. It
// receives the mouse for dragging; its inner panels let the mouse through.
class PaperPanel : public QWidget {
    Q_OBJECT
  public:
    // Frame and ring together: the paint box sits this far inside the sheet on every side.
    static constexpr int kInset = 2;

    explicit PaperPanel(QWidget* parent = nullptr);

    QColor Color() const { return color_; }
    void SetColor(const QColor& color);

    QWidget* PL_PaperSub() const { return sub_; }
    // Places the widget that draws the page inside the inner panel.
    void SetPaintBox(QWidget* paintBox);

  signals:
    void MousePressed(QMouseEvent* event);
    void MouseMoved(QMouseEvent* event);
    void MouseReleased(QMouseEvent* event);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QColor color_ = Qt::white;
    QWidget* sub_ = nullptr;
    QWidget* paintBox_ = nullptr;
};

}  // namespace tavlex
