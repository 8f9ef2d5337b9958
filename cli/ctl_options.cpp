// SPDX-License-Identifier: MIT
#include "ctl_options.h"

#include <QCommandLineParser>

#include <algorithm>

#include "device_choice.h"
#include "port_names.h"
#include "values_file.h"

namespace q42::ctl {

namespace {

// A whole number within low..high, or nothing.
std::optional<int> WholeNumber(const QString& text, int low, int high)
{
    bool ok;  // toInt sets it
    const int value = text.toInt(&ok);
    return ok && value >= low && value <= high ? std::optional<int>(value) : std::nullopt;
}

QString ReadTargets(const QCommandLineParser& parser, CtlRequest& request)
{
    for (const QString& device : parser.values(QStringLiteral("device"))) {
        if (device.isEmpty()) {
            return QStringLiteral("-r needs a device path");
        }
        if (device == QLatin1String(kSerialPrefix)) {
            return QStringLiteral("-r serial: needs the adapter's serial number, as 'q42ctl ports' shows it");
        }
        request.targets.append(Target{device});
    }
    for (const QString& text : parser.values(QStringLiteral("port"))) {
        const auto n = ParsePortNumber(text);
        if (!n) {
            return QStringLiteral("port number \"%1\": choose 1 to %2 (12 or COM12 for COM12)").arg(text).arg(kHighestPortNumber);
        }
        request.targets.append({QString(), *n});
    }
    for (const Target& target : request.targets) {
        if (request.targets.count(target) > 1) {
            return QStringLiteral("the same unit is given twice");
        }
    }
    if (request.command == Command::Ports && !request.targets.isEmpty()) {
        return QStringLiteral("ports lists every device; it takes no -r or -p");
    }
    if (request.targets.isEmpty() && request.command != Command::Ports && request.command != Command::Detect &&
        request.command != Command::Doctor) {
        return QStringLiteral("no unit given: name its device with -r DEVICE or its port number with -p N");
    }
    if (parser.isSet(QStringLiteral("unit-id")) && (request.targets.size() != 1 || request.command == Command::Ports)) {
        return QStringLiteral("--unit-id names one unit: give it with one -r or -p and a command that talks to it");
    }
    return {};
}

// commission: the golden FILE is read whole before any unit is waited for, and every option that
// would make the run ambiguous is refused.
QString ReadCommissionArguments(const QStringList& arguments, const QCommandLineParser& parser, CtlRequest& request)
{
    if (!arguments.isEmpty()) {
        return QStringLiteral("unexpected argument \"%1\"").arg(arguments.first());
    }
    if (request.from.isEmpty() || request.from == QLatin1String("-")) {
        return QStringLiteral("commission needs --from FILE, a file by name: its name and SHA-256 go into every record");
    }
    if (request.askUnitId && request.targets.size() > 1) {
        return QStringLiteral("--ask-unit-id reads every id from one input, so it takes one -r or -p");
    }
    if (request.noBackup && parser.isSet(QStringLiteral("backup-dir"))) {
        return QStringLiteral("give --backup-dir DIR or --no-backup, not both");
    }
    if (!request.output.isEmpty() || !request.unitId.isEmpty()) {
        return QStringLiteral("commission writes one record a unit: it takes no -o or --unit-id (--ask-unit-id asks for each)");
    }
    if (parser.isSet(QStringLiteral("units"))) {
        const auto units = WholeNumber(parser.value(QStringLiteral("units")), 1, 1000000);
        if (!units) {
            return QStringLiteral("units \"%1\": give a count from 1 to 1000000").arg(parser.value(QStringLiteral("units")));
        }
        request.units = *units;
    }
    const std::string problem = ReadValuesFile(request.from, request.edits);
    if (!problem.empty()) {
        return QString::fromStdString(problem);
    }
    const bool none = !request.edits.isoMinutes && std::none_of(request.edits.values.begin(), request.edits.values.end(),
                                                                [](const std::optional<int>& v) { return v.has_value(); });
    return none ? QStringLiteral("%1 holds no values to write").arg(request.from) : QString();
}

QString ReadCommandArguments(const QStringList& arguments, const QCommandLineParser& parser, CtlRequest& request)
{
    const bool setOnly = request.save || request.verify || request.dryRun || !request.backupFile.isEmpty() ||
                         (parser.isSet(QStringLiteral("from")) && request.command != Command::Commission);
    if (setOnly && request.command != Command::Set) {
        return QStringLiteral("--from, --save, --verify, --dry-run and --backup go with set");
    }
    const bool commissionOnly = request.askUnitId || request.noBackup || request.noSave ||
                                parser.isSet(QStringLiteral("backup-dir")) || parser.isSet(QStringLiteral("units"));
    if (commissionOnly && request.command != Command::Commission) {
        return QStringLiteral("--ask-unit-id, --backup-dir, --no-backup, --no-save and --units go with commission");
    }
    if (!request.backupFile.isEmpty() && (request.dryRun || request.targets.size() != 1)) {
        return QStringLiteral("--backup keeps one unit's values before a set writes them: give one -r or -p, and no --dry-run");
    }
    if (request.dryRun && (request.save || request.verify)) {
        return QStringLiteral("--dry-run writes nothing, so there is nothing to save or verify");
    }
    if (request.json && request.command != Command::Get && request.command != Command::Ports &&
        request.command != Command::Detect && request.command != Command::Commission &&
        request.command != Command::Doctor) {
        return QStringLiteral("--json goes with get, ports, detect, commission or doctor");
    }
    if (request.command == Command::Doctor && (!request.output.isEmpty() || !request.log.isEmpty())) {
        return QStringLiteral("doctor only looks: it writes no file, so it takes no -o or --log (--acceptance REPORT "
                              "keeps a guided run's record)");
    }
    if (!request.acceptance.isEmpty() && (request.command != Command::Doctor || request.json)) {
        return QStringLiteral("--acceptance goes with doctor, without --json");
    }
    if (!request.acceptance.isEmpty() && request.targets.size() > 1) {
        return QStringLiteral("--acceptance guides a run with one unit: give one -r or -p, or none to let doctor find it");
    }
    if (!request.output.isEmpty() && request.command != Command::Get) {
        return QStringLiteral("--output goes with get");
    }
    if (!request.log.isEmpty() && request.command == Command::Ports) {
        return QStringLiteral("--log records the units a command talks to; ports talks to none");
    }
    switch (request.command) {
    case Command::Get:
        for (const QString& name : arguments) {
            const auto named = FindName(name.toStdString());
            if (!named) {
                return QStringLiteral("unknown value name \"%1\"; 'q42ctl --help' lists the names").arg(name);
            }
            for (const NamedValue& earlier : request.selection.names) {
                if (earlier.index == named->index && earlier.minutes == named->minutes) {
                    return QStringLiteral("%1 is named twice").arg(name);
                }
            }
            request.selection.names.push_back(*named);
        }
        return {};
    case Command::Set: {
        const QString file = parser.value(QStringLiteral("from"));
        if (!file.isEmpty() && !arguments.isEmpty()) {
            return QStringLiteral("give NAME=VALUE arguments or --from FILE, not both");
        }
        std::string problem;
        if (!file.isEmpty()) {
            problem = ReadValuesFile(file, request.edits);
        } else {
            for (const QString& assignment : arguments) {
                problem = AddAssignment(request.edits, assignment.toStdString());
                if (!problem.empty()) {
                    break;
                }
            }
            if (problem.empty()) {
                problem = CheckEdits(request.edits);
            }
        }
        if (!problem.empty()) {
            return QString::fromStdString(problem);
        }
        const bool none = !request.edits.isoMinutes &&
                          std::none_of(request.edits.values.begin(), request.edits.values.end(),
                                       [](const std::optional<int>& v) { return v.has_value(); });
        if (none && !file.isEmpty()) {
            return QStringLiteral("%1 holds no values to write").arg(file == QLatin1String("-") ? QStringLiteral("standard input") : file);
        }
        return none ? QStringLiteral("set needs NAME=VALUE arguments or --from FILE") : QString();
    }
    case Command::Commission:
        return ReadCommissionArguments(arguments, parser, request);
    case Command::Save:
    case Command::Ports:
    case Command::Detect:
    case Command::Doctor:
        return arguments.isEmpty() ? QString() : QStringLiteral("unexpected argument \"%1\"").arg(arguments.first());
    }
    return {};
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
    parsed.help = parser.isSet(QStringLiteral("help"));
    parsed.version = parser.isSet(QStringLiteral("version"));
    if (parsed.help || parsed.version) {
        return parsed;
    }
    // An empty file or folder name is a script's unset variable far more often than a choice: taken
    // as "none", it would drop a backup or a log without a word.
    for (const OptionRow& row : Options()) {
        const QString name = QLatin1String(row.longName);
        const QString kind = QLatin1String(row.valueName);
        const bool names = kind == QLatin1String("FILE") || kind == QLatin1String("DIR") || kind == QLatin1String("REPORT");
        if (names && parser.isSet(name) && parser.value(name).isEmpty()) {
            parsed.error = QStringLiteral("--%1 was given an empty %2 name; nothing was sent (in a script: is its variable set?)")
                               .arg(name, kind == QLatin1String("DIR") ? QStringLiteral("folder") : QStringLiteral("file"));
            return parsed;
        }
    }
    QStringList words = parser.positionalArguments();
    if (words.isEmpty()) {
        parsed.error = QStringLiteral("no command given: %1").arg(CommandWordList());
        return parsed;
    }
    CtlRequest request;
    const auto command = CommandNamed(words.takeFirst());
    if (!command) {
        parsed.error = QStringLiteral("unknown command \"%1\": %2").arg(parser.positionalArguments().first(), CommandWordList());
        return parsed;
    }
    request.command = *command;
    request.json = parser.isSet(QStringLiteral("json"));
    request.save = parser.isSet(QStringLiteral("save"));
    request.verify = parser.isSet(QStringLiteral("verify"));
    request.dryRun = parser.isSet(QStringLiteral("dry-run"));
    request.trace = parser.isSet(QStringLiteral("trace"));
    request.baudGiven = parser.isSet(QStringLiteral("baud"));
    const auto baud = WholeNumber(parser.value(QStringLiteral("baud")), 0, 1000000);
    if (!baud || (*baud != 9600 && *baud != 57600)) {
        parsed.error = QStringLiteral("baud rate \"%1\": the unit talks at 9600 or 57600").arg(parser.value(QStringLiteral("baud")));
        return parsed;
    }
    request.baud = *baud;
    const auto timeout = WholeNumber(parser.value(QStringLiteral("timeout")), 1, 600000);
    if (!timeout) {
        parsed.error = QStringLiteral("timeout \"%1\": give milliseconds from 1 to 600000").arg(parser.value(QStringLiteral("timeout")));
        return parsed;
    }
    request.timeoutMs = *timeout;
    const auto retries = WholeNumber(parser.value(QStringLiteral("retries")), 0, 10);
    if (!retries) {
        parsed.error = QStringLiteral("retries \"%1\": give a count from 0 to 10").arg(parser.value(QStringLiteral("retries")));
        return parsed;
    }
    request.retries = *retries;
    request.output = parser.value(QStringLiteral("output"));
    request.from = parser.value(QStringLiteral("from"));
    request.backupFile = parser.value(QStringLiteral("backup"));
    request.askUnitId = parser.isSet(QStringLiteral("ask-unit-id"));
    request.backupDir = parser.value(QStringLiteral("backup-dir"));
    request.noBackup = parser.isSet(QStringLiteral("no-backup"));
    request.noSave = parser.isSet(QStringLiteral("no-save"));
    request.log = parser.value(QStringLiteral("log"));
    request.unitId = parser.value(QStringLiteral("unit-id"));
    request.acceptance = parser.value(QStringLiteral("acceptance"));
    parsed.error = ReadTargets(parser, request);
    if (parsed.error.isEmpty()) {
        parsed.error = ReadCommandArguments(words, parser, request);
    }
    if (parsed.error.isEmpty()) {
        parsed.request = std::move(request);
    }
    return parsed;
}

}  // namespace q42::ctl
