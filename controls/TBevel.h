#pragma once

#include <QWidget>

namespace tavlex {

// An etched line: a dark line with a light one beside it, across the top of the widget or down
// its middle (separators between toolbar groups, the line above the toolbar).
class TBevel : public QWidget {
    Q_OBJECT

  public:
    enum class Shape { TopLine, VerticalLine };

    explicit TBevel(Shape shape, QWidget* parent = nullptr);

    Shape GetShape() const { return shape_; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Shape shape_;
};

}  // namespace tavlex
