#pragma once

#include <QString>
#include <QStringList>

#include <exception>
#include <vector>

namespace tavlex::tool {

// The subcommands of tavlex-album. Each command lives in its own .cpp file in tools/album/ and
// registers itself at start-up:
//
//     static int RunInfo(const QStringList& args);  // args after the command name
//     TAVLEX_REGISTER_COMMAND(info, "info", "info ALBUM", RunInfo);
//
// (the first argument is any identifier unique among the commands; the second the command's
// name on the command line, which may contain '-').
//
// A command returns the process exit code: 0 on success, 2 (through Fail) for a refused or
// damaged album or bad arguments.
using CommandFunction = int (*)(const QStringList& args);

struct Command {
    const char* name;
    const char* usage;  // shown by the usage text, e.g. "extract ALBUM PAGE OUT"
    CommandFunction run;
};

class CommandRegistry {
  public:
    static bool Add(const Command& command);
    static const Command* Find(const QString& name);
    static std::vector<Command> All();  // sorted by name
};

// Writes one line to standard error and returns 2.
int Fail(const QString& line);
// The same for an error a command ended in: a library's error in the viewer's words
// (UserMessage) followed by its detail, anything else by its text.
int Fail(const std::exception& error);

// The temporary folder the tool's loads use: made for this run, readable by this user only
// (0700), and removed with its contents when the tool ends. Throws AlbumError when it cannot be
// made.
QString ToolTempFolder();

}  // namespace tavlex::tool

#define TAVLEX_REGISTER_COMMAND(id, name, usage, function)                                    \
    namespace {                                                                               \
    const bool registered_##id =                                                              \
        ::tavlex::tool::CommandRegistry::Add(::tavlex::tool::Command{name, usage, function}); \
    }
