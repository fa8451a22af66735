// tavlex-album: inspects, makes and edits album files through the viewer's own reader.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

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
    qInstallMessageHandler(QuietQtMessages);
    // Drawing text needs the GUI font system and so a GUI application (window-less by default);
    // the other commands stay plain so that they leave nothing behind in the temporary folder.
    const bool draws =
        argc > 1 &&
        (std::strcmp(argv[1], "render") == 0 || std::strcmp(argv[1], "render-metafile") == 0 ||
         std::strcmp(argv[1], "export") == 0 || std::strcmp(argv[1], "pdf") == 0 ||
         std::strcmp(argv[1], "thumbnail") == 0);
    if (draws && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    std::unique_ptr<QCoreApplication> app = draws ? std::make_unique<QGuiApplication>(argc, argv)
                                                  : std::make_unique<QCoreApplication>(argc, argv);
    QStringList args = QCoreApplication::arguments();
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
        return tavlex::tool::Fail(error);
    }
}
