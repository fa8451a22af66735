#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

#include "app/SingleInstance.h"

namespace tavlex {

// The running viewer's side of a hand-over. The frame comes forward (restored when minimised)
// and, for an open message, the album opens in a new document window. While a modal dialog is
// up (the version dialog, a print or margin dialog, a message box) messages are kept, in order,
// and dealt with once it has closed, instead of being lost.
class HandOverReceiver : public QObject {
    Q_OBJECT

  public:
    using OpenFunction = std::function<void(const QString& path)>;

    HandOverReceiver(QWidget* frame, OpenFunction open, QObject* parent = nullptr);

    // Deals with the message now, or keeps it when a dialog is up or earlier ones wait.
    void Receive(const HandOverMessage& message);

    qsizetype Pending() const { return pending_.size(); }

  private:
    static bool DialogIsUp();
    void Handle(const HandOverMessage& message);
    void Drain();

    QPointer<QWidget> frame_;
    OpenFunction open_;
    QList<HandOverMessage> pending_;
    QTimer retry_;
};

}  // namespace tavlex
