#pragma once

#include <QString>

#include <functional>

namespace tavlex {

// The two message boxes through which the program talks to the user. The GUI installs handlers
// that beep and show a modal box; tests install handlers that record and answer. Without a
// handler ShowInfo writes the text to standard error and AskYesCancel answers Cancel (false),
// so nothing irreversible happens unattended.
struct MessageHandlers {
    std::function<void(const QString& text)> showInfo;
    std::function<bool(const QString& text)> askYesCancel;
};

// Installs handlers for the whole process (UI thread only); returns the previous ones so that a
// caller can put them back.
MessageHandlers SetMessageHandlers(MessageHandlers handlers);

void ShowInfo(const QString& text);
bool AskYesCancel(const QString& text);

// The key is held down at this moment (asks the window system; false without a GUI).
bool ShiftDown();
bool ControlDown();
bool AltDown();

}  // namespace tavlex
