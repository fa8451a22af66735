// tavlex-album: inspects, makes and edits album files through the viewer's own reader.
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>
#include <exception>

#include "tools/album/CommandRegistry.h"

namespace {

void PrintUsage() {
    std::fprintf(stderr, "usage:\n");
    for (const tavlex::tool::Command& command : tavlex::tool::CommandRegistry::All()) {
        std::fprintf(stderr, "  tavlex-album %s\n", command.usage);
    }
}

// Qt's own notices (a missing runtime folder, font cache chatter) would break the promise of one
// line on stderr per refusal; TAVLEX_DEBUG brings them back.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg || qEnvironmentVariableIsSet("TAVLEX_DEBUG")) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Text is drawn through the GUI font system, which needs a GUI application; the tool never
    // shows a window, so the window-less platform is the default.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietQtMessages);
    QGuiApplication app(argc, argv);
    QStringList args = QGuiApplication::arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        PrintUsage();
        return 2;
    }
    const QString name = args.takeFirst();
    const tavlex::tool::Command* command = tavlex::tool::CommandRegistry::Find(name);
    if (command == nullptr) {
        QStringList names;
        for (const auto& known : tavlex::tool::CommandRegistry::All()) names << known.name;
        return tavlex::tool::Fail(
            QStringLiteral("unknown command: %1 (one of: %2)").arg(name, names.join(", ")));
    }
    try {
        return command->run(args);
    } catch (const std::exception& error) {
        return tavlex::tool::Fail(QString::fromUtf8(error.what()));
    }
}
