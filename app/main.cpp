#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <QTranslator>

#include <memory>

#include "app/ApplicationNames.h"
#include "app/HandOverReceiver.h"
#include "app/ProcessFolders.h"
#include "app/SingleInstance.h"
#include "app/StartFileList.h"
#include "app/StateReport.h"
#include "app/TVMainForm.h"
#include "app/ToolbarGlyphs.h"
#include "support/Messages.h"
#include "support/ProgramTitle.h"
#include "support/ScreenResolution.h"

namespace {

// Boxes sit over the window the user works in, or over the frame.
QWidget* BoxParent() {
    QWidget* active = QApplication::activeWindow();
    return active != nullptr ? active : tavlex::MainForm();
}

// The command line as the program received it, before any application object exists.
QStringList Arguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QFile::decodeName(argv[i]);
    }
    return arguments;
}

// The default face of every window: the Japanese user-interface face installed with the
// program's fonts, at the desktop's size.
void SetDefaultFont() {
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    QApplication::setFont(font);
}

}  // namespace

int main(int argc, char* argv[]) {
    const QStringList arguments = Arguments(argc, argv);
    // The claim is settled before anything else: a second start hands its files over and ends
    // without ever opening a window or the display.
    tavlex::SingleInstance instance(tavlex::InstanceFolder());
    switch (instance.Check(tavlex::HandOverMessages(arguments, QDir::currentPath()))) {
        case tavlex::SingleInstance::Outcome::First:
            break;
        case tavlex::SingleInstance::Outcome::HandedOver:
        case tavlex::SingleInstance::Outcome::TimedOut:
            return 0;
    }

    QApplication app(argc, argv);
    tavlex::NameApplication();
    QApplication::setApplicationVersion(QStringLiteral(TAVLEX_VERSION));
    QApplication::setWindowIcon(tavlex::ApplicationIcon());
    // The whole user interface is Japanese, whatever the desktop's language: the standard dialogs
    // and boxes follow.
    QTranslator translator;
    if (translator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&translator);
    }
    SetDefaultFont();

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
            QMessageBox::information(BoxParent(), tavlex::ProgramTitle(), text);
        },
        [](const QString& text) {
            QApplication::beep();
            return QMessageBox::question(BoxParent(), tavlex::ProgramTitle(), text,
                                         QMessageBox::Yes | QMessageBox::Cancel,
                                         QMessageBox::Cancel) == QMessageBox::Yes;
        },
    });

    int result = 0;
    {
        tavlex::TVMainForm frame;
        tavlex::HandOverReceiver receiver(&frame,
                                          [&frame](const QString& path) { frame.OpenAlbum(path); });
        // Listening once the frame exists: a start that came meanwhile has been waiting.
        instance.Listen(
            [&receiver](const tavlex::HandOverMessage& message) { receiver.Receive(message); });
        frame.SetStartFiles(tavlex::StartFileList(
            arguments, QCoreApplication::applicationFilePath(), tavlex::ProgramFolder()));
        std::unique_ptr<tavlex::StateReport> report;
        if (qEnvironmentVariableIsSet("TAVLEX_STATE_FILE")) {
            report = std::make_unique<tavlex::StateReport>(
                frame, qEnvironmentVariable("TAVLEX_STATE_FILE"));
        }
        frame.show();
        result = QApplication::exec();
        // No hand-over is taken while the frame goes, nor while the application object waits
        // for renderings abandoned inside one long record: a second start then becomes the
        // viewer itself.
        instance.Release();
    }
    return result;
}
