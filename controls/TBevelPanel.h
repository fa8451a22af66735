#pragma once

#include <QColor>
#include <QWidget>

#include "controls/PanelBevel.h"

namespace tavlex {

// The plain panel the windows are laid out with: an optional raised or lowered edge, a border of
// the panel colour and an opaque fill. Children are placed by the owner (layouts or geometry).
class TBevelPanel : public QWidget {
    Q_OBJECT

  public:
    explicit TBevelPanel(QWidget* parent = nullptr);

    BevelCut BevelOuter() const { return bevelOuter_; }
    BevelCut BevelInner() const { return bevelInner_; }
    int BevelWidth() const { return bevelWidth_; }
    int BorderWidth() const { return borderWidth_; }
    QColor Color() const { return color_; }
    QString Caption() const { return caption_; }

    void SetBevelOuter(BevelCut cut);
    void SetBevelInner(BevelCut cut);
    void SetBevelWidth(int width);
    void SetBorderWidth(int width);
    // An invalid colour means the button face colour of the palette.
    void SetColor(const QColor& color);
    void SetCaption(const QString& caption);

    // The area inside bevels and border, where children belong.
    QRect InnerRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    BevelCut bevelOuter_ = BevelCut::Raised;
    BevelCut bevelInner_ = BevelCut::None;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    QColor color_;
    QString caption_;
};

}  // namespace tavlex
