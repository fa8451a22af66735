#pragma once

#include <QFileDialog>
#include <QString>
#include <QUrl>

class QWidget;

namespace tavlex {

// Asks the desktop to open a file or a web address with its default program. Returns a code
// in the manner of the shell: 33 when the desktop took it, 0 when it could not.
int RunProgram(const QString& fileOrAddress);

// The web pages of the Help menu and the version dialog. Each opens through RunProgram; when
// the desktop cannot open it the user is told "インターネットを使用できる環境ではないようです。".
// The addresses are placeholders of this build (example.* domains).
QUrl PartnerHomePage();
QUrl PartnerDownloadPage();
QUrl SeriesSite();
QUrl SeriesCataloguePage();
void OpenPartnerHomePage();
void OpenPartnerDownloadPage();
void OpenSeriesSite();
void OpenSeriesCataloguePage();

// Texts of the menu items naming the pages.
QString PartnerAddressText();  // "www.ranut.example"
QString SeriesSiteName();      // "Pelmarkシリーズ"
QString SeriesAddressText();   // "www.pelmark.example"

// Centres form over the main window (the frame); without one, or when that fails, on its
// monitor.
void CenterOnMainForm(QWidget* form);
// Centres widget horizontally on the main window's monitor (the first monitor without one) and
// places it a quarter of the remaining height from the top. The monitor's own position is
// added, so that a window centred on a second monitor lands on it.
void CenterOnMonitor(QWidget* widget);

// The application's main window (the frame) for centring and ownership; set by the frame.
QWidget* ApplicationMainWindow();
void SetApplicationMainWindow(QWidget* window);

// The open dialog with captions of its own on its two buttons (each at most 64 bytes, cut
// there), put on when it is shown. Always the dialog drawn by this program, so that the
// captions are ours on every desktop.
class TOpenDialogEx : public QFileDialog {
    Q_OBJECT

  public:
    explicit TOpenDialogEx(QWidget* parent = nullptr);
    void SetOkCaption(const QString& caption);
    void SetCancelCaption(const QString& caption);
    QString OkCaption() const { return ok_; }
    QString CancelCaption() const { return cancel_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QString ok_;
    QString cancel_;
};

}  // namespace tavlex
