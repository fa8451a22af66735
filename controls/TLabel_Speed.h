#pragma once

#include <QLabel>

namespace tavlex {

// A label whose size is set by its owner: it never resizes itself to its text. A caption with
// "&" gives Alt+letter to its buddy.
class TLabel_Speed : public QLabel {
    Q_OBJECT

  public:
    explicit TLabel_Speed(const QString& text = QString(), QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
};

}  // namespace tavlex
