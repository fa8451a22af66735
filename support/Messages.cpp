#include "support/Messages.h"

#include <QGuiApplication>

#include <cstdio>
#include <utility>

namespace tavlex {
namespace {

MessageHandlers& Handlers() {
    static MessageHandlers handlers;
    return handlers;
}

bool ModifierDown(Qt::KeyboardModifier modifier) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return false;
    return QGuiApplication::queryKeyboardModifiers().testFlag(modifier);
}

}  // namespace

MessageHandlers SetMessageHandlers(MessageHandlers handlers) {
    return std::exchange(Handlers(), std::move(handlers));
}

void ShowInfo(const QString& text) {
    if (Handlers().showInfo) {
        Handlers().showInfo(text);
        return;
    }
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

bool AskYesCancel(const QString& text) {
    if (Handlers().askYesCancel) return Handlers().askYesCancel(text);
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    return false;
}

bool ShiftDown() {
    return ModifierDown(Qt::ShiftModifier);
}
bool ControlDown() {
    return ModifierDown(Qt::ControlModifier);
}
bool AltDown() {
    return ModifierDown(Qt::AltModifier);
}

}  // namespace tavlex
