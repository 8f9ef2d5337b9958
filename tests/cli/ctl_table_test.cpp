// SPDX-License-Identifier: MIT
// q42ctl's one table of commands and options against what a user reads elsewhere: --help, the man
// page and the bash completion name every one of them, and nothing the table does not have.
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ctl_table.h"

namespace q42::ctl {
namespace {

using Names = std::set<std::string>;

QString SourceFile(const char* path)
{
    QFile file(QStringLiteral(Q42_SOURCE_DIR "/") + QLatin1String(path));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Every capture of the pattern, split at the separator, roff's backslashes dropped; words that do
// not start with `only` are left out.
Names Found(const QString& text, const char* pattern, QChar separator = QLatin1Char(' '), QChar only = {})
{
    Names names;
    for (const auto& m : QRegularExpression(QLatin1String(pattern), QRegularExpression::MultilineOption).globalMatch(text)) {
        for (const QString& word : m.captured(1).remove(QLatin1Char('\\')).split(separator, Qt::SkipEmptyParts)) {
            if (only.isNull() || word.startsWith(only)) {
                names.insert(word.toStdString());
            }
        }
    }
    return names;
}

TEST(CtlTable, HelpIsWhatUsersHaveRead)
{
    const QString pinned = SourceFile("tests/cli/q42ctl_help.txt");
    ASSERT_FALSE(pinned.isEmpty());
    EXPECT_EQ(UsageText().toStdString(), pinned.toStdString());
}

TEST(CtlTable, ManPageAndCompletionNameEveryCommandAndOptionAndNoOther)
{
    Names options;
    Names words;
    for (const OptionRow& option : Options()) {
        options.insert(std::string("--") + option.longName);
        if (*option.shortName != '\0') {
            options.insert(std::string("-") + option.shortName);
        }
    }
    for (const CommandRow& command : Commands()) {
        words.insert(command.word);
    }
    const QString man = SourceFile("docs/man/q42ctl.1");
    const QString completion = SourceFile("packaging/q42ctl.bash-completion");
    ASSERT_FALSE(man.isEmpty() || completion.isEmpty());

    // The man page: each command heads an entry of COMMANDS; options as roff writes them (\-\-dry\-run).
    const QString commands = man.section(QStringLiteral(".SH COMMANDS"), 1).section(QStringLiteral(".SH "), 0, 0);
    EXPECT_EQ(Found(commands, R"re(^\.T[PQ]\n\.B[IR]? "?([a-z]+))re"), words);
    Names manOptions = Found(man, R"re((\\-\\-[a-z](?:[a-z]|\\-)*))re");
    manOptions.merge(Found(man, R"re((\\-[a-zA-Z])(?![a-zA-Z\\]))re"));
    EXPECT_EQ(manOptions, options);

    // The completion: the options it offers, those whose values it completes, and the command words.
    Names offered = Found(completion, R"re(compgen -W "(-[^"]*)")re", QLatin1Char(' '), QLatin1Char('-'));
    offered.merge(Found(completion, R"re(^\s+(-[-a-zA-Z|]+)\))re", QLatin1Char('|')));
    EXPECT_EQ(offered, options);
    EXPECT_EQ(Found(completion, R"re(^\s+([a-z|]+)\) command=)re", QLatin1Char('|')), words);
    EXPECT_EQ(Found(completion, R"re(compgen -W "([a-z][a-z ]*)")re"), words);
}

}  // namespace
}  // namespace q42::ctl
