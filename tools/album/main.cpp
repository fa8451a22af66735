// tavlex-album: inspects, makes and edits album files through the viewer's own reader.
#include <QCoreApplication>
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

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
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
        return tavlex::tool::Fail(QString::fromUtf8(error.what()));
    }
}
