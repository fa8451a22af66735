#pragma once

#include <QIcon>
#include <QToolButton>

class QTimer;

namespace tavlex {

// A flat toolbar button drawn the classic way (raised when the pointer is over it, lowered when
// pressed or held down as a toggle) whose hover highlight cannot stay lit: all buttons share one
// 100 ms timer that watches the button under the pointer and puts out its highlight as soon as
// the pointer is no longer over it, even when the window system missed the leave.
class TAlignSpeedButton : public QToolButton {
    Q_OBJECT

  public:
    explicit TAlignSpeedButton(QWidget* parent = nullptr);
    ~TAlignSpeedButton() override;

    // Integer tag of the button (free use by the windows).
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    // A toggle button that may be released by a second click (all buttons of its group up).
    void SetToggle(bool toggle) { setCheckable(toggle); }

    // The highlight is lit: the pointer is known to be over the button.
    bool MouseInControl() const { return mouseInControl_; }

    // The button under the pointer as the hover watch knows it, and the shared watch timer; both
    // exist for inspection (tests).
    static TAlignSpeedButton* HotButton();
    static QTimer* HoverTimer();

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    static void HoverTick();
    bool PointerInside() const;

    int tag_ = 0;
    bool mouseInControl_ = false;
};

}  // namespace tavlex
