#pragma once

#include <QString>

#include <functional>

namespace tavlex {

// The application's error report: a beep and a modal error box over the active window. Used
// where a command's failure (a file that cannot be written) ends the command.
void ReportError(const QString& text);

// Replaces the box (tests record the text instead); returns the previous handler. An empty
// handler restores the box.
std::function<void(const QString&)> SetErrorReportHandler(std::function<void(const QString&)>);

}  // namespace tavlex
