#include "controls/TPaintComboBox.h"

#include <QLineEdit>
#include <QProxyStyle>

namespace tavlex {

namespace {

// A caret two border widths wide.
class WideCaretStyle : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_TextCursorWidth) {
            return 2 * QProxyStyle::pixelMetric(PM_DefaultFrameWidth, option, widget);
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

}  // namespace

TPaintComboBox::TPaintComboBox(QWidget* parent) : TComboBoxNext(parent) {
    // No fill of our own: the panel's colour shows around the box.
    setAutoFillBackground(false);
}

void TPaintComboBox::hidePopup() {
    emit CloseUp();
    TComboBoxNext::hidePopup();
}

void TPaintComboBox::focusInEvent(QFocusEvent* event) {
    if (isEditable() && lineEdit() != nullptr && lineEdit()->style()->objectName() != "widecaret") {
        auto* style = new WideCaretStyle;
        style->setObjectName("widecaret");
        style->setParent(lineEdit());
        lineEdit()->setStyle(style);
    }
    TComboBoxNext::focusInEvent(event);
}

}  // namespace tavlex
