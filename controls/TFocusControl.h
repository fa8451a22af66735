#pragma once

#include <QWidget>

class QKeyEvent;

namespace tavlex {

// An invisible focus target (usually zero wide). It keeps every key for itself: Tab, Backtab,
// arrows, Enter and Escape reach KeyDown and never move the focus. Entered/Exited follow the real
// keyboard focus, also when another window or program takes or returns it.
class TFocusControl : public QWidget {
    Q_OBJECT

  public:
    explicit TFocusControl(QWidget* parent = nullptr);

  signals:
    void Entered();
    void Exited();
    // The event arrives ignored; a handler that consumes the key accepts it. Ignored keys go on
    // to the parent windows (menus, shortcuts).
    void KeyDown(QKeyEvent* event);

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
};

}  // namespace tavlex
