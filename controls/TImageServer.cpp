#include "controls/TImageServer.h"

#include <QWidget>

namespace tavlex {

TImageServer::TImageServer(QObject* parent) : QObject(parent) {}

void TImageServer::SetGlyph(const QPixmap& glyph) {
    glyph_ = glyph;
    RepaintClients();
}

void TImageServer::SetTransparentColor(const QColor& color) {
    transparentColor_ = color;
    RepaintClients();
}

void TImageServer::AddClient(QWidget* client) {
    if (client != nullptr && !clients_.contains(client)) {
        clients_.append(client);
    }
}

void TImageServer::RemoveClient(QWidget* client) {
    clients_.removeAll(client);
}

void TImageServer::RepaintClients() {
    clients_.removeAll(nullptr);
    for (const QPointer<QWidget>& client : clients_) {
        client->update();
    }
}

}  // namespace tavlex
