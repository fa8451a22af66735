#include "tools/album/CommandRegistry.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace tavlex::tool {
namespace {

std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

}  // namespace

bool CommandRegistry::Add(const Command& command) {
    Commands().push_back(command);
    return true;
}

const Command* CommandRegistry::Find(const QString& name) {
    for (const Command& command : Commands()) {
        if (name == QLatin1String(command.name)) return &command;
    }
    return nullptr;
}

std::vector<Command> CommandRegistry::All() {
    std::vector<Command> all = Commands();
    std::sort(all.begin(), all.end(),
              [](const Command& a, const Command& b) { return std::strcmp(a.name, b.name) < 0; });
    return all;
}

int Fail(const QString& line) {
    QString text = line;
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "tavlex-album: %s\n", text.toUtf8().constData());
    return 2;
}

QString ToolTempFolder() {
    // Destroyed with the process's static objects, which removes the body files in it.
    static std::unique_ptr<QTemporaryDir> folder;
    if (!folder) {
        folder = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                 QStringLiteral("/tavlex-album-XXXXXX"));
    }
    return folder->isValid() ? folder->path() : QDir::tempPath();
}

}  // namespace tavlex::tool
