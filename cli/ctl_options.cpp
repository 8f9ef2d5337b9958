// SPDX-License-Identifier: MIT
#include "ctl_options.h"

#include <QCommandLineParser>

#include "ctl_table.h"
#include "device_choice.h"
#include "port_names.h"

namespace q42::ctl {

namespace {

QString Name(const OptionRow& row)
{
    return QLatin1String(row.longName);
}

// --name, with its value's name when it takes one: "--backup-dir DIR".
QString Spelled(const OptionRow& row)
{
    QString text = QStringLiteral("--") + Name(row);
    return *row.valueName != '\0' ? text + QLatin1Char(' ') + QLatin1String(row.valueName) : text;
}

bool IsTargets(const OptionRow& row)
{
    return std::holds_alternative<QList<Target> CtlRequest::*>(row.field);
}

// Whether the option bound to field was given.
bool Given(const QCommandLineParser& parser, const OptionField& field)
{
    for (const OptionRow& row : Options()) {
        if (row.field == field && parser.isSet(Name(row))) {
            return true;
        }
    }
    return false;
}

bool IsNumber(const OptionRow& row)
{
    return std::holds_alternative<int CtlRequest::*>(row.field) ||
           std::holds_alternative<std::optional<qint32> CtlRequest::*>(row.field);
}

// A whole number the row's range takes, or nothing.
std::optional<int> NumberIn(const NumberRange& range, const QString& text)
{
    bool ok;  // toInt sets it
    const int value = text.toInt(&ok);
    if (!ok || value < range.low || value > range.high) {
        return std::nullopt;
    }
    return range.endsOnly && value != range.low && value != range.high ? std::nullopt : std::optional<int>(value);
}

QString Refusal(const OptionRow& row, const QString& text)
{
    return QString::fromUtf8(row.range.refusal).arg(text).arg(row.range.low).arg(row.range.high);
}

// An empty file or folder name is a script's unset variable far more often than a choice: taken
// as "none", it would drop a backup or a log without a word.
QString EmptyNameGiven(const QCommandLineParser& parser)
{
    for (const OptionRow& row : Options()) {
        const QString kind = QLatin1String(row.valueName);
        const bool names = kind == QLatin1String("FILE") || kind == QLatin1String("DIR") || kind == QLatin1String("REPORT");
        if (names && parser.isSet(Name(row)) && parser.value(Name(row)).isEmpty()) {
            return QStringLiteral("--%1 was given an empty %2 name; nothing was sent (in a script: is its variable set?)")
                .arg(Name(row), kind == QLatin1String("DIR") ? QStringLiteral("folder") : QStringLiteral("file"));
        }
    }
    return {};
}

// Puts each given option of the rows chosen into its field; a number outside its range is refused.
template <typename Chosen>
QString Bind(const QCommandLineParser& parser, CtlRequest& request, Chosen chosen)
{
    for (const OptionRow& row : Options()) {
        const bool given = parser.isSet(Name(row));
        if (!chosen(row) || IsTargets(row) || (!given && *row.defaultValue == '\0')) {
            continue;
        }
        // A switch has no value to ask for (Qt 6.8 warns on standard error when one is asked).
        const QString value = *row.valueName != '\0' ? parser.value(Name(row)) : QString();
        if (IsNumber(row)) {
            const auto number = NumberIn(row.range, value);
            if (!number) {
                return Refusal(row, value);
            }
            if (const auto* field = std::get_if<int CtlRequest::*>(&row.field)) {
                request.*(*field) = *number;
            } else {
                request.*std::get<std::optional<qint32> CtlRequest::*>(row.field) = *number;
            }
        } else if (const auto* flag = std::get_if<bool CtlRequest::*>(&row.field)) {
            request.*(*flag) = true;
        } else if (const auto* either = std::get_if<std::optional<bool> CtlRequest::*>(&row.field)) {
            request.*(*either) = row.switchValue;
        } else if (const auto* text = std::get_if<QString CtlRequest::*>(&row.field)) {
            request.*(*text) = value;
        } else if (const auto* maybe = std::get_if<std::optional<QString> CtlRequest::*>(&row.field)) {
            request.*(*maybe) = value;  // a switch's value is empty: none
        }
    }
    return {};
}

QString ReadTargets(const QCommandLineParser& parser, CtlRequest& request)
{
    for (const OptionRow& row : Options()) {
        if (!IsTargets(row)) {
            continue;
        }
        for (const QString& text : parser.values(Name(row))) {
            if (row.range.refusal != nullptr) {
                const auto n = ParsePortNumber(text);
                if (!n) {
                    return Refusal(row, text);
                }
                request.targets.append({QString(), *n});
            } else if (text.isEmpty()) {
                return QStringLiteral("-r needs a device path");
            } else if (text == QLatin1String(kSerialPrefix)) {
                return QStringLiteral("-r serial: needs the adapter's serial number, as 'q42ctl ports' shows it");
            } else {
                request.targets.append(Target{text});
            }
        }
    }
    for (const Target& target : request.targets) {
        if (request.targets.count(target) > 1) {
            return QStringLiteral("the same unit is given twice");
        }
    }
    const Units units = CommandRowOf(request.command).units;
    if (units == Units::None && !request.targets.isEmpty()) {
        return QStringLiteral("%1 lists every device; it takes no -r or -p").arg(QLatin1String(CommandWord(request.command)));
    }
    if (units == Units::Needed && request.targets.isEmpty()) {
        return QStringLiteral("no unit given: name its device with -r DEVICE or its port number with -p N");
    }
    if (Given(parser, &CtlRequest::unitId) && (request.targets.size() != 1 || units == Units::None)) {
        return QStringLiteral("--unit-id names one unit: give it with one -r or -p and a command that talks to it");
    }
    return {};
}

// What is said of an option given with a command it does not go with: its family named together
// ("--from, --save, --verify, --dry-run and --backup go with set"), its own words, or the commands
// it goes with.
QString Misplaced(const OptionRow& row)
{
    if (row.misplaced != nullptr) {
        return QString::fromUtf8(row.misplaced);
    }
    if (!row.family) {
        return QStringLiteral("--%1 goes with %2").arg(Name(row), CommandWordList(row.goesWith));
    }
    QStringList names;
    for (const OptionRow& other : Options()) {
        if (other.family == row.family) {
            names << QStringLiteral("--") + Name(other);
        }
    }
    const QString last = names.takeLast();
    return QStringLiteral("%1 and %2 go with %3").arg(names.join(QStringLiteral(", ")), last, QLatin1String(CommandWord(*row.family)));
}

QString FirstMisplaced(const QCommandLineParser& parser, Command command, std::optional<Command> family)
{
    for (const OptionRow& row : Options()) {
        if (row.family == family && parser.isSet(Name(row)) && !Has(row.goesWith, command)) {
            return Misplaced(row);
        }
    }
    return {};
}

// Two options that fill one field ("--backup-dir DIR" and "--no-backup") cannot both be meant.
QString BothGiven(const QCommandLineParser& parser)
{
    const auto rows = Options();
    for (auto first = rows.begin(); first != rows.end(); ++first) {
        for (auto second = first + 1; second != rows.end(); ++second) {
            const bool binds = !IsTargets(*first) && !std::holds_alternative<std::monostate>(first->field);
            if (binds && first->field == second->field && parser.isSet(Name(*first)) &&
                parser.isSet(Name(*second))) {
                return QStringLiteral("give %1 or %2, not both").arg(Spelled(*first), Spelled(*second));
            }
        }
    }
    return {};
}

// The rules between options, in the order a technician is told of them.
QString CheckCombination(const QCommandLineParser& parser, const CtlRequest& request)
{
    for (const auto family : {std::optional(Command::Set), std::optional(Command::Commission)}) {
        if (QString problem = FirstMisplaced(parser, request.command, family); !problem.isEmpty()) {
            return problem;
        }
    }
    if (!request.backupFile.isEmpty() && (request.dryRun || request.targets.size() != 1)) {
        return QStringLiteral("--backup keeps one unit's values before a set writes them: give one -r or -p, and no --dry-run");
    }
    if (request.dryRun && (request.save.value_or(false) || request.verify)) {
        return QStringLiteral("--dry-run writes nothing, so there is nothing to save or verify");
    }
    if (request.command == Command::Doctor && (!request.output.isEmpty() || !request.log.isEmpty())) {
        return QStringLiteral("doctor only looks: it writes no file, so it takes no -o or --log (--acceptance REPORT "
                              "keeps a guided run's record)");
    }
    if (QString problem = FirstMisplaced(parser, request.command, std::nullopt); !problem.isEmpty()) {
        return problem;
    }
    if (!request.acceptance.isEmpty() && request.json) {
        return QStringLiteral("--acceptance goes with doctor, without --json");
    }
    if (!request.acceptance.isEmpty() && request.targets.size() > 1) {
        return QStringLiteral("--acceptance guides a run with one unit: give one -r or -p, or none to let doctor find it");
    }
    return BothGiven(parser);
}

bool EveryCommand(const OptionRow& row)
{
    return row.goesWith == kEveryCommand;
}

QString ReadRequest(const QCommandLineParser& parser, QStringList words, CtlRequest& request)
{
    if (words.isEmpty()) {
        return QStringLiteral("no command given: %1").arg(CommandWordList());
    }
    const QString word = words.takeFirst();
    const auto command = CommandNamed(word);
    if (!command) {
        return QStringLiteral("unknown command \"%1\": %2").arg(word, CommandWordList());
    }
    request.command = *command;
    // A command's own numbers (--units) are looked at once they are known to go with it.
    const auto ownNumber = [](const OptionRow& row) { return IsNumber(row) && !EveryCommand(row); };
    QString problem = Bind(parser, request, [&](const OptionRow& row) { return !ownNumber(row); });
    if (problem.isEmpty()) {
        problem = ReadTargets(parser, request);
    }
    if (problem.isEmpty()) {
        problem = CheckCombination(parser, request);
    }
    const CommandRow& row = CommandRowOf(request.command);
    if (problem.isEmpty() && !row.takesWords && !words.isEmpty()) {
        problem = QStringLiteral("unexpected argument \"%1\"").arg(words.first());
    }
    if (problem.isEmpty() && row.needsNamedFile && (request.from.isEmpty() || request.from == QLatin1String("-"))) {
        problem = QStringLiteral("%1 needs --from FILE, a file by name: its name and SHA-256 go into every record").arg(QLatin1String(row.word));
    }
    if (problem.isEmpty()) {
        problem = Bind(parser, request, ownNumber);
    }
    if (problem.isEmpty() && row.readArguments != nullptr) {
        problem = row.readArguments(words, request);
    }
    return problem;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.addOptions(ParserOptions());
    ParsedCommandLine parsed;
    if (!parser.parse(arguments)) {
        parsed.error = parser.errorText();
        return parsed;
    }
    parsed.help = parser.isSet(QLatin1String(kHelpOption));
    parsed.version = parser.isSet(QLatin1String(kVersionOption));
    if (parsed.help || parsed.version) {
        return parsed;
    }
    parsed.error = EmptyNameGiven(parser);
    if (!parsed.error.isEmpty()) {
        return parsed;
    }
    CtlRequest request;
    parsed.error = ReadRequest(parser, parser.positionalArguments(), request);
    if (parsed.error.isEmpty()) {
        parsed.request = std::move(request);
    }
    return parsed;
}

}  // namespace q42::ctl
