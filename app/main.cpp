#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include "app/ProcessFolders.h"
#include "app/TVMainForm.h"
#include "support/Messages.h"
#include "support/ScreenResolution.h"

namespace {

// The album paths to open at start: existing files as written, or bare names found beside the
// program; at most 50. Without arguments, an album beside the program under its own base name.
QStringList StartFileList(const QStringList& arguments) {
    QStringList files;
    if (arguments.isEmpty()) {
        const QFileInfo program(QCoreApplication::applicationFilePath());
        for (const char* extension : {"YRA", "YRB", "YRC", "YRD"}) {
            const QString path = program.absolutePath() + QLatin1Char('/') +
                                 program.completeBaseName() + QLatin1Char('.') +
                                 QLatin1String(extension);
            if (QFileInfo(path).isFile()) {
                files.append(path);
            }
        }
        return files;
    }
    for (const QString& argument : arguments) {
        if (argument.isEmpty()) {
            continue;
        }
        QString path;
        if (QFileInfo(argument).isFile()) {
            path = argument;
        } else if (!argument.contains(QLatin1Char('/')) &&
                   QFileInfo(tavlex::ProgramFolder() + argument).isFile()) {
            path = tavlex::ProgramFolder() + argument;
        } else {
            continue;
        }
        if (files.size() == 50) {
            break;
        }
        files.append(path);
    }
    return files;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavlex"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pelmarkブラウザ"));

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
            QMessageBox::information(QApplication::activeWindow(),
                                     QApplication::applicationDisplayName(), text);
        },
        [](const QString& text) {
            QApplication::beep();
            return QMessageBox::question(QApplication::activeWindow(),
                                         QApplication::applicationDisplayName(), text,
                                         QMessageBox::Yes | QMessageBox::Cancel,
                                         QMessageBox::Cancel) == QMessageBox::Yes;
        },
    });

    // A second start hands its files over to the running instance here, once that exists.

    int result = 0;
    {
        tavlex::TVMainForm frame;
        frame.SetStartFiles(StartFileList(QCoreApplication::arguments().mid(1)));
        frame.show();
        result = QApplication::exec();
    }
    return result;
}
