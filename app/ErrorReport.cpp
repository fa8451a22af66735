#include "app/ErrorReport.h"

#include <QApplication>
#include <QMessageBox>

namespace tavlex {

namespace {

std::function<void(const QString&)>& Handler() {
    static std::function<void(const QString&)> handler;
    return handler;
}

}  // namespace

void ReportError(const QString& text) {
    if (Handler()) {
        Handler()(text);
        return;
    }
    QApplication::beep();
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                          text);
}

std::function<void(const QString&)> SetErrorReportHandler(
    std::function<void(const QString&)> handler) {
    std::swap(Handler(), handler);
    return handler;
}

}  // namespace tavlex
