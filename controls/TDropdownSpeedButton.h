#pragma once

#include <QElapsedTimer>
#include <QMenu>
#include <QPointer>

#include "controls/TAlignSpeedButton.h"

namespace tavlex {

// A toolbar button with a drop-down menu. With a click handler connected the menu opens only from
// the 15 x 15 arrow square at the bottom-right corner and a press elsewhere is a click; without
// one any press opens the menu.
class TDropdownSpeedButton : public TAlignSpeedButton {
    Q_OBJECT

  public:
    explicit TDropdownSpeedButton(QWidget* parent = nullptr);

    QMenu* DropdownMenu() const { return dropdownMenu_.data(); }
    // Cleared by itself when the menu is destroyed.
    void SetDropdownMenu(QMenu* menu);

    // Something is connected to clicked().
    bool HasClickHandler() const;

    // Where the menu opens (global coordinates of the bottom-left corner).
    QPoint MenuPosition() const;

  signals:
    // The menu is about to open at MenuPosition() (before the modal menu loop runs).
    void MenuOpening();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QPointer<QMenu> dropdownMenu_;
    // When the menu last closed; a press within 100 ms is the one that closed it.
    QElapsedTimer closedAt_;
};

}  // namespace tavlex
