#pragma once

#include <QColor>
#include <QComboBox>

namespace tavlex {

// Keys that move the focus on from the combo box (EnterNext).
enum class EnterStyle : unsigned { Enter = 1, Up = 2, Down = 4, Left = 8 };

// A combo box with focus colours and optional key-driven focus moves for forms filled in from
// the keyboard.
class TComboBoxNext : public QComboBox {
    Q_OBJECT

  public:
    explicit TComboBoxNext(QWidget* parent = nullptr);

    // A combination of EnterStyle bits; 0 (the default) turns the moves off.
    unsigned EnterNext() const { return enterNext_; }
    void SetEnterNext(unsigned styles) { enterNext_ = styles; }

    // Invalid colours stand for the palette's window and window-text colours.
    void SetNoFocusColor(const QColor& color);
    void SetFocusColor(const QColor& color);
    void SetNoFocusFontColor(const QColor& color);
    void SetFocusFontColor(const QColor& color);
    bool FocusColorChange() const { return focusColorChange_; }
    void SetFocusColorChange(bool on);

    // The colours applied now (for the fitting focus state when FocusColorChange is on).
    QColor CurrentColor() const;
    QColor CurrentFontColor() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    bool Has(EnterStyle style) const { return (enterNext_ & static_cast<unsigned>(style)) != 0; }
    void ApplyColors(bool focused);

    unsigned enterNext_ = 0;
    bool focusColorChange_ = false;
    QColor noFocusColor_, focusColor_, noFocusFontColor_, focusFontColor_;
    QColor appliedColor_, appliedFontColor_;
};

}  // namespace tavlex
