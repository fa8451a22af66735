#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointer>

namespace tavlex {

// A background picture shared by several panels; changing it repaints them all.
class TImageServer : public QObject {
    Q_OBJECT

  public:
    explicit TImageServer(QObject* parent = nullptr);

    const QPixmap& Glyph() const { return glyph_; }
    void SetGlyph(const QPixmap& glyph);
    QColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(const QColor& color);

    // Panels that show the picture; destroyed ones drop out by themselves.
    void AddClient(QWidget* client);
    void RemoveClient(QWidget* client);

  private:
    void RepaintClients();

    QPixmap glyph_;
    QColor transparentColor_{0x80, 0x80, 0x00};  // $008080 in blue-green-red order
    QList<QPointer<QWidget>> clients_;
};

}  // namespace tavlex
