// SPDX-License-Identifier: MIT
// q42ctl's commands and options, each written once. The table is the parser: each option's row binds
// it to its field, the commands it goes with and its range; each command's row names what it needs,
// the reader of its arguments and its handler. --help, and the tests that hold the man page and the
// bash completion to it, read the same rows.
#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <span>
#include <variant>

#include "ctl_request.h"
#include "exit_status.h"
#include "line_trace.h"

namespace q42::ctl {

// A set of commands, one bit each.
using CommandSet = unsigned;
constexpr CommandSet Only(Command command)
{
    return 1U << static_cast<unsigned>(command);
}
constexpr CommandSet Only(Command first, auto... more)
{
    return Only(first) | Only(more...);
}
inline constexpr CommandSet kEveryCommand = ~0U;
constexpr bool Has(CommandSet set, Command command)
{
    return (set & Only(command)) != 0;
}

// The field an option's value goes to. A switch sets a bool, puts the row's switchValue in an
// optional bool, or an empty text in an optional text; a value fills text or a number (within its
// range); a target list takes devices, or port numbers when the row has a range.
using OptionField = std::variant<std::monostate, bool CtlRequest::*, QString CtlRequest::*, int CtlRequest::*,
                                 std::optional<qint32> CtlRequest::*, std::optional<bool> CtlRequest::*,
                                 std::optional<QString> CtlRequest::*, QList<Target> CtlRequest::*>;

// The numbers an option takes, and what is said of another: %1 is the text given, %2 and %3 the bounds.
struct NumberRange {
    int low = 0;
    int high = 0;
    bool endsOnly = false;  // the two bounds and nothing between
    const char* refusal = nullptr;
};

struct OptionRow {
    const char* shortName = "";     // "" when there is none
    const char* longName = "";
    const char* valueName = "";     // "" for a switch
    const char* defaultValue = "";  // "" for none
    const char* help = "";          // lines separated by '\n'
    OptionField field = {};
    CommandSet goesWith = kEveryCommand;
    // The command whose options are named together when one of them is given with another command.
    std::optional<Command> family = {};
    const char* misplaced = nullptr;  // said when given with another command, in place of the usual words
    NumberRange range = {};
    bool switchValue = true;
};

// The two options that are answered before anything else is read.
inline constexpr char kHelpOption[] = "help";
inline constexpr char kVersionOption[] = "version";

enum class Units { Needed, Optional, None };

// A command's own arguments (names, assignments, the values file) into the request; a problem, or "".
using ArgumentReader = QString (*)(const QStringList& arguments, CtlRequest& request);
// A command's handler; `word` is how the command was named, for its records.
using CommandHandler = ExitStatus (*)(const CtlRequest& request, const QString& word, const LineTrace& trace);

struct CommandRow {
    Command command;
    const char* word;
    Units units;
    bool takesWords;      // arguments after the command word (value names, NAME=VALUE)
    bool needsNamedFile;  // --from FILE, a file by name, whose name and digest go into its records
    ArgumentReader readArguments;  // its words and its file into the request; nullptr: nothing to read
    CommandHandler run;
};

// One form of a command as --help shows it; a command may have several (set has three).
struct CommandForm {
    Command command;
    const char* synopsis;     // lines separated by '\n'
    const char* description;  // lines separated by '\n'
};

std::span<const CommandRow> Commands();
std::span<const CommandForm> CommandForms();
std::span<const OptionRow> Options();

const CommandRow& CommandRowOf(Command command);
const char* CommandWord(Command command);
std::optional<Command> CommandNamed(const QString& word);
// "get, set, save, ports, detect or commission", for a message.
QString CommandWordList();
// The same for a set of commands: "get, ports, detect, commission or doctor".
QString CommandWordList(CommandSet commands);

// The options as QCommandLineParser takes them.
QList<QCommandLineOption> ParserOptions();

// What --help prints.
QString UsageText();

}  // namespace q42::ctl
