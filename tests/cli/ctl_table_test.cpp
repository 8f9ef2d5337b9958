// SPDX-License-Identifier: MIT
// q42ctl's one table of commands and options against what a user reads elsewhere: --help, the man
// page and the bash completion name every one of them, and nothing the table does not have.
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include "ctl_table.h"

namespace q42::ctl {
namespace {

QString SourceFile(const char* path)
{
    QFile file(QStringLiteral(Q42_SOURCE_DIR "/") + QLatin1String(path));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QSet<QString> Matches(const QString& text, const QString& pattern, int group = 1)
{
    QSet<QString> found;
    for (const QRegularExpressionMatch& m : QRegularExpression(pattern, QRegularExpression::MultilineOption).globalMatch(text)) {
        found << m.captured(group).remove(QLatin1Char('\\'));
    }
    return found;
}

QSet<QString> TableOptions(bool withShort)
{
    QSet<QString> names;
    for (const OptionSpec& option : Options()) {
        names << QStringLiteral("--") + QLatin1String(option.longName);
        if (withShort && *option.shortName != '\0') {
            names << QStringLiteral("-") + QLatin1String(option.shortName);
        }
    }
    return names;
}

QSet<QString> TableWords()
{
    QSet<QString> words;
    for (const CommandSpec& command : Commands()) {
        words << QLatin1String(command.word);
    }
    return words;
}

std::string Sorted(const QSet<QString>& set)
{
    QStringList list(set.begin(), set.end());
    list.sort();
    return list.join(QLatin1Char(' ')).toStdString();
}

TEST(CtlTable, HelpIsWhatUsersHaveRead)
{
    const QString pinned = SourceFile("tests/cli/q42ctl_help.txt");
    ASSERT_FALSE(pinned.isEmpty());
    EXPECT_EQ(UsageText().toStdString(), pinned.toStdString());
}

TEST(CtlTable, ManPageAndCompletionNameEveryCommandAndOptionAndNoOther)
{
    const QString man = SourceFile("docs/man/q42ctl.1");
    const QString completion = SourceFile("packaging/q42ctl.bash-completion");
    ASSERT_FALSE(man.isEmpty() || completion.isEmpty());

    // The man page: each command heads an entry of COMMANDS; options as roff writes them (\-\-dry\-run).
    const QString commands = man.section(QStringLiteral(".SH COMMANDS"), 1).section(QStringLiteral(".SH "), 0, 0);
    EXPECT_EQ(Sorted(Matches(commands, R"re(^\.T[PQ]\n\.B[IR]? "?([a-z]+))re")), Sorted(TableWords()));
    QSet<QString> manOptions = Matches(man, R"re((\\-\\-[a-z](?:[a-z]|\\-)*))re");
    manOptions += Matches(man, R"re((\\-[a-zA-Z])(?![a-zA-Z\\]))re");
    EXPECT_EQ(Sorted(manOptions), Sorted(TableOptions(true)));

    // The completion: the options it offers and the ones whose values it completes.
    QSet<QString> offered;
    for (const QString& list : Matches(completion, R"re(compgen -W "(-[^"]*)")re")) {
        for (const QString& word : list.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (word.startsWith(QLatin1Char('-'))) {
                offered << word;  // not $names
            }
        }
    }
    for (const QString& pattern : Matches(completion, R"re(^\s+(-[-a-zA-Z|]+)\))re")) {
        const QStringList words = pattern.split(QLatin1Char('|'));
        offered += QSet<QString>(words.begin(), words.end());
    }
    EXPECT_EQ(Sorted(offered), Sorted(TableOptions(true)));
    const QStringList caseWords = Matches(completion, R"re(^\s+([a-z|]+)\) command=)re").values().value(0).split(QLatin1Char('|'));
    EXPECT_EQ(Sorted(QSet<QString>(caseWords.begin(), caseWords.end())), Sorted(TableWords()));
    const QStringList offeredWords = Matches(completion, R"re(compgen -W "([a-z][a-z ]*)")re").values().value(0).split(QLatin1Char(' '));
    EXPECT_EQ(Sorted(QSet<QString>(offeredWords.begin(), offeredWords.end())), Sorted(TableWords()));
}

TEST(CtlTable, CommandWordsBothWays)
{
    for (const CommandSpec& command : Commands()) {
        EXPECT_EQ(CommandNamed(QString::fromLatin1(command.word)), command.command) << command.word;
        EXPECT_STREQ(CommandWord(command.command), command.word);
    }
    EXPECT_FALSE(CommandNamed(QStringLiteral("GET")).has_value());
    EXPECT_EQ(CommandWordList(), "get, set, save, ports or detect");
}

}  // namespace
}  // namespace q42::ctl
