#include "support/gui/ShellUtilities.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QPointer>
#include <QScreen>

#include "support/Messages.h"

namespace tavlex {

namespace {

QPointer<QWidget>& MainWindow() {
    static QPointer<QWidget> window;
    return window;
}

void OpenPage(const QUrl& page) {
    if (RunProgram(page.toString()) < 32) {
        QApplication::beep();
        ShowInfo(QStringLiteral("インターネットを使用できる環境ではないようです。"));
    }
}

// At most 64 bytes of the caption (in UTF-8), cut before a character that would not fit.
QString Caption(const QString& text) {
    QString caption;
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const qsizetype size = text.mid(i, length).toUtf8().size();
        if (bytes + size > 64) break;
        caption += text.mid(i, length);
        bytes += size;
        i += length;
    }
    return caption;
}

}  // namespace

int RunProgram(const QString& fileOrAddress) {
    QUrl url(fileOrAddress);
    if (url.scheme().isEmpty() || QFileInfo::exists(fileOrAddress)) {
        url = QUrl::fromLocalFile(QFileInfo(fileOrAddress).absoluteFilePath());
    }
    return QDesktopServices::openUrl(url) ? 33 : 0;
}

QUrl PartnerHomePage() {
    return QUrl(QStringLiteral("https://www.ranut.example/"));
}

QUrl PartnerDownloadPage() {
    return QUrl(QStringLiteral("https://www.ranut.example/download/browser/"));
}

QUrl SeriesSite() {
    return QUrl(QStringLiteral("https://www.pelmark.example/"));
}

QUrl SeriesCataloguePage() {
    return QUrl(QStringLiteral("https://www.ranut.example/products/pelmark/"));
}

void OpenPartnerHomePage() {
    OpenPage(PartnerHomePage());
}

void OpenPartnerDownloadPage() {
    OpenPage(PartnerDownloadPage());
}

void OpenSeriesSite() {
    OpenPage(SeriesSite());
}

void OpenSeriesCataloguePage() {
    OpenPage(SeriesCataloguePage());
}

QString PartnerAddressText() {
    return PartnerHomePage().host();
}

QString SeriesSiteName() {
    return QStringLiteral("Pelmarkシリーズ");
}

QString SeriesAddressText() {
    return SeriesSite().host();
}

QWidget* ApplicationMainWindow() {
    return MainWindow().data();
}

void SetApplicationMainWindow(QWidget* window) {
    MainWindow() = window;
}

void CenterOnMainForm(QWidget* form) {
    const QWidget* main = ApplicationMainWindow();
    if (form == nullptr || main == nullptr) return;
    if (main == form || !main->isVisible()) {
        CenterOnMonitor(form);
        return;
    }
    const QRect outer = main->frameGeometry();
    const QSize size = form->frameGeometry().size();
    form->move(outer.left() + (outer.width() - size.width()) / 2,
               outer.top() + (outer.height() - size.height()) / 2);
}

void CenterOnMonitor(QWidget* widget) {
    if (widget == nullptr) return;
    const QWidget* main = ApplicationMainWindow();
    const QScreen* screen = main != nullptr && main->screen() != nullptr
                                ? main->screen()
                                : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect monitor = screen->geometry();
    const QSize size = widget->frameGeometry().size();
    widget->move(monitor.left() + (monitor.width() - size.width()) / 2,
                 monitor.top() + (monitor.height() - size.height()) / 4);
}

TOpenDialogEx::TOpenDialogEx(QWidget* parent) : QFileDialog(parent) {
    setOption(QFileDialog::DontUseNativeDialog, true);
}

void TOpenDialogEx::SetOkCaption(const QString& caption) {
    ok_ = Caption(caption);
}

void TOpenDialogEx::SetCancelCaption(const QString& caption) {
    cancel_ = Caption(caption);
}

void TOpenDialogEx::showEvent(QShowEvent* event) {
    if (!ok_.isEmpty()) setLabelText(QFileDialog::Accept, ok_);
    if (!cancel_.isEmpty()) setLabelText(QFileDialog::Reject, cancel_);
    QFileDialog::showEvent(event);
}

}  // namespace tavlex
