#pragma once

#include <QScrollArea>

namespace tavlex {

// A scroll area whose ranges and child geometry are set by its owner: the child is never resized
// to the view, and the area never resizes itself to its child.
class TScrollBox_Speed : public QScrollArea {
    Q_OBJECT

  public:
    explicit TScrollBox_Speed(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    // The viewport (client area) changed size, also when a scroll bar came or went.
    void Resized();

  protected:
    bool viewportEvent(QEvent* event) override;
};

}  // namespace tavlex
