#pragma once

#include <QColor>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include "controls/PanelBevel.h"

namespace tavlex {

class TImageServer;

// A light panel that paints its whole area itself: an optional stretched picture, the classic
// outer bevel, border and inner bevel, then its caption (status bar fields).
class TCustomPanelExt : public QWidget {
    Q_OBJECT

  public:
    explicit TCustomPanelExt(QWidget* parent = nullptr);

    Qt::Alignment Alignment() const { return alignment_; }
    BevelCut BevelInner() const { return bevelInner_; }
    BevelCut BevelOuter() const { return bevelOuter_; }
    int BevelWidth() const { return bevelWidth_; }
    int BorderWidth() const { return borderWidth_; }
    QString Caption() const { return caption_; }
    QColor Color() const;

    // Left, right or centre (horizontal only).
    void SetAlignment(Qt::Alignment alignment);
    void SetBevelInner(BevelCut cut);
    void SetBevelOuter(BevelCut cut);
    void SetBevelWidth(int width);
    void SetBorderWidth(int width);
    void SetCaption(const QString& caption);
    // An invalid colour is the palette's button face.
    void SetColor(const QColor& color);
    void SetImage(const QPixmap& image);
    void SetImageServer(TImageServer* server);

    QSize sizeHint() const override { return QSize(185, 41); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Qt::Alignment alignment_ = Qt::AlignHCenter;
    BevelCut bevelInner_ = BevelCut::None;
    BevelCut bevelOuter_ = BevelCut::Raised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    QString caption_;
    QColor color_;
    QPixmap image_;
    QPointer<TImageServer> imageServer_;
};

}  // namespace tavlex
