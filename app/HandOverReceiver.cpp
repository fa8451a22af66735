#include "app/HandOverReceiver.h"

#include <QApplication>
#include <QFile>

namespace tavlex {

namespace {

// How often kept messages look whether the dialog has gone.
constexpr int kRetryMs = 100;

}  // namespace

HandOverReceiver::HandOverReceiver(QWidget* frame, OpenFunction open, QObject* parent)
    : QObject(parent), frame_(frame), open_(std::move(open)) {
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, &HandOverReceiver::Drain);
}

bool HandOverReceiver::DialogIsUp() {
    return QApplication::activeModalWidget() != nullptr;
}

void HandOverReceiver::Receive(const HandOverMessage& message) {
    if (!pending_.isEmpty() || DialogIsUp()) {
        pending_.append(message);
        retry_.start();
        return;
    }
    Handle(message);
}

void HandOverReceiver::Drain() {
    while (!pending_.isEmpty()) {
        if (DialogIsUp()) return;  // still up, or a message box of the last file came up
        Handle(pending_.takeFirst());
    }
    retry_.stop();
}

void HandOverReceiver::Handle(const HandOverMessage& message) {
    if (frame_.isNull()) return;
    if (frame_->isMinimized()) {
        frame_->showNormal();
    }
    frame_->raise();
    frame_->activateWindow();
    if (message.code != static_cast<std::uint32_t>(HandOverCode::OpenFile)) return;
    const QString path = QFile::decodeName(message.data);
    if (path.isEmpty() || !open_) return;
    try {
        open_(path);
    } catch (...) {
        // A failure of one hand-over leaves the viewer and the next messages alone.
    }
}

}  // namespace tavlex
