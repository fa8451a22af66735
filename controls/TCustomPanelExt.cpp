#include "controls/TCustomPanelExt.h"

#include <QPainter>

#include "controls/TImageServer.h"

namespace tavlex {

TCustomPanelExt::TCustomPanelExt(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(185, 41);
}

QColor TCustomPanelExt::Color() const {
    return color_.isValid() ? color_ : palette().color(QPalette::Button);
}

void TCustomPanelExt::SetAlignment(Qt::Alignment alignment) {
    alignment_ = alignment & Qt::AlignHorizontal_Mask;
    update();
}

void TCustomPanelExt::SetBevelInner(BevelCut cut) {
    bevelInner_ = cut;
    update();
}

void TCustomPanelExt::SetBevelOuter(BevelCut cut) {
    bevelOuter_ = cut;
    update();
}

void TCustomPanelExt::SetBevelWidth(int width) {
    bevelWidth_ = qMax(0, width);
    update();
}

void TCustomPanelExt::SetBorderWidth(int width) {
    borderWidth_ = qMax(0, width);
    update();
}

void TCustomPanelExt::SetCaption(const QString& caption) {
    if (caption == caption_) {
        return;
    }
    caption_ = caption;
    update();
}

void TCustomPanelExt::SetColor(const QColor& color) {
    color_ = color;
    update();
}

void TCustomPanelExt::SetImage(const QPixmap& image) {
    image_ = image;
    update();
}

void TCustomPanelExt::SetImageServer(TImageServer* server) {
    if (!imageServer_.isNull()) {
        imageServer_->RemoveClient(this);
    }
    imageServer_ = server;
    if (server != nullptr) {
        server->AddClient(this);
    }
    update();
}

void TCustomPanelExt::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    bool pictured = false;
    if (!imageServer_.isNull() && !imageServer_->Glyph().isNull()) {
        painter.drawPixmap(rect(), imageServer_->Glyph());
        pictured = true;
    } else if (!image_.isNull()) {
        painter.drawPixmap(rect(), image_);
        pictured = true;
    }
    const QColor color = Color();
    const QRect inner = DrawPanelEdge(painter, rect(), palette(), color, bevelOuter_, bevelInner_,
                                      bevelWidth_, borderWidth_);
    if (!pictured) {
        painter.fillRect(inner, color);
    }
    if (caption_.isEmpty()) {
        return;
    }
    // Centred vertically on the height of a line ("W"), as the classic panels do.
    const QFontMetrics metrics(font());
    QRect textRect = inner;
    textRect.setTop(inner.top() + (inner.height() - metrics.height()) / 2);
    textRect.setHeight(metrics.height());
    const int flags = int(alignment_) | Qt::AlignTop | Qt::TextExpandTabs | Qt::TextSingleLine;
    painter.setFont(font());
    if (!isEnabled()) {
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(textRect.translated(1, 1), flags, caption_);
        painter.setPen(palette().color(QPalette::Dark));
    } else {
        painter.setPen(palette().color(QPalette::ButtonText));
    }
    painter.drawText(textRect, flags, caption_);
}

}  // namespace tavlex
