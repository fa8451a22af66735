#include <QApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <QTranslator>

#include "app/ProcessFolders.h"
#include "app/StartFileList.h"
#include "app/TVMainForm.h"
#include "app/ToolbarGlyphs.h"
#include "support/Messages.h"
#include "support/ScreenResolution.h"

namespace {

// Boxes sit over the window the user works in, or over the frame.
QWidget* BoxParent() {
    QWidget* active = QApplication::activeWindow();
    return active != nullptr ? active : tavlex::MainForm();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavlex"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pelmarkブラウザ"));
    QApplication::setWindowIcon(tavlex::ApplicationIcon());
    // The whole user interface is Japanese, whatever the desktop's language: the standard dialogs
    // and boxes follow.
    QTranslator translator;
    if (translator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&translator);
    }

    if (!tavlex::SetUpProcessFolders(QCoreApplication::applicationFilePath())) {
        QApplication::beep();
    }
    tavlex::SetScreenPixelsPerInchProvider([] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen != nullptr ? qRound(screen->logicalDotsPerInch()) : 96;
    });
    tavlex::SetMessageHandlers(tavlex::MessageHandlers{
        [](const QString& text) {
            QApplication::beep();
            QMessageBox::information(BoxParent(), QApplication::applicationDisplayName(), text);
        },
        [](const QString& text) {
            QApplication::beep();
            return QMessageBox::question(BoxParent(), QApplication::applicationDisplayName(), text,
                                         QMessageBox::Yes | QMessageBox::Cancel,
                                         QMessageBox::Cancel) == QMessageBox::Yes;
        },
    });

    // A second start hands its files over to the running instance here, once that exists.

    int result = 0;
    {
        tavlex::TVMainForm frame;
        frame.SetStartFiles(tavlex::StartFileList(QCoreApplication::arguments().mid(1),
                                                  QCoreApplication::applicationFilePath(),
                                                  tavlex::ProgramFolder()));
        frame.show();
        result = QApplication::exec();
    }
    return result;
}
