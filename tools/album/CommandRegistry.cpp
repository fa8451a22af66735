#include "tools/album/CommandRegistry.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "album/AlbumError.h"
#include "album/UserMessage.h"
#include "metafile/Metafile.h"
#include "support/FileError.h"

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

int Fail(const std::exception& error) {
    const auto* metafile = dynamic_cast<const mf::MetafileError*>(&error);
    const QString detail = QString::fromUtf8(metafile ? metafile->Detail().c_str() : error.what());
    const bool fromLibrary = dynamic_cast<const AlbumError*>(&error) ||
                             dynamic_cast<const FileError*>(&error) || metafile;
    if (!fromLibrary) return Fail(detail);
    // The viewer's words first; what exactly went wrong after them, for whoever runs the tool.
    const QString text = UserMessage(error, QString());
    return Fail(text == detail ? text : QStringLiteral("%1 (%2)").arg(text, detail));
}

QString ToolTempFolder() {
    // Destroyed with the process's static objects, which removes the body files in it.
    static std::unique_ptr<QTemporaryDir> folder;
    if (!folder) {
        folder = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                 QStringLiteral("/tavlex-album-XXXXXX"));
    }
    // Never the shared folder itself: bodies there could be met by other users' links.
    if (!folder->isValid()) {
        throw AlbumError(AlbumErrorKind::TemporaryFile,
                         QStringLiteral("cannot make a private temporary folder in %1: %2")
                             .arg(QDir::tempPath(), folder->errorString()));
    }
    return folder->path();
}

}  // namespace tavlex::tool
