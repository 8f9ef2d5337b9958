// SPDX-License-Identifier: MIT
// q42ctl's commands and options, each written once: the parser, --help, and the tests that hold
// the man page and the bash completion to them all read this table.
#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>

#include <optional>
#include <span>

namespace q42::ctl {

enum class Command { Get, Set, Save, Ports, Detect, Commission, Doctor };

struct CommandRow {
    Command command;
    const char* word;
};

// One form of a command as --help shows it; a command may have several (set has three).
struct CommandForm {
    Command command;
    const char* synopsis;     // lines separated by '\n'
    const char* description;  // lines separated by '\n'
};

struct OptionRow {
    const char* shortName;     // "" when there is none
    const char* longName;
    const char* valueName;     // "" for a switch
    const char* defaultValue;  // "" for none
    const char* help;          // lines separated by '\n'
};

std::span<const CommandRow> Commands();
std::span<const CommandForm> CommandForms();
std::span<const OptionRow> Options();

const char* CommandWord(Command command);
std::optional<Command> CommandNamed(const QString& word);
// "get, set, save, ports, detect or commission", for a message.
QString CommandWordList();

// The options as QCommandLineParser takes them.
QList<QCommandLineOption> ParserOptions();

// What --help prints.
QString UsageText();

}  // namespace q42::ctl
