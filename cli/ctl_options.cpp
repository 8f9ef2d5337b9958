// SPDX-License-Identifier: MIT
#include "ctl_options.h"

#include <QCommandLineParser>

#include <algorithm>

#include "device_choice.h"
#include "port_names.h"
#include "values_file.h"

namespace q42::ctl {

const char kCtlUsage[] =
    "Usage: q42ctl [-r DEVICE]... [-p N]... [-s BAUD] [-t MS] [--retries N] [--trace]\n"
    "              [--log FILE [--unit-id TEXT]] COMMAND [ARG]...\n"
    "Reads, writes and saves the settings of VARNEK-Q42 units over a serial line.\n"
    "\n"
    "Commands:\n"
    "  get [NAME]... [--json] [-o FILE]\n"
    "                               print the unit's values (all, or those named) as\n"
    "                               NAME=VALUE lines or one JSON object\n"
    "  set NAME=VALUE... [--save] [--verify]\n"
    "  set --from FILE [--save] [--verify]\n"
    "                               write values; the others are read from the unit first\n"
    "                               and written back unchanged; prints what changed\n"
    "  set ... --dry-run            print what the set would change; send only the query\n"
    "  save                         make the unit keep its values\n"
    "  ports [--json]               list the serial devices present: the port number that\n"
    "                               reaches each, its USB ids, serial number and by-id name\n"
    "  detect [--json]              find the devices (-r, else every device present) and the\n"
    "                               rate (-s, else 57600 then 9600) a unit answers on; sends\n"
    "                               each device tried the read-only query, nothing else\n"
    "\n"
    "Options:\n"
    "  -r, --device DEVICE   the unit's serial device (COMn on Windows), or serial:NUMBER for\n"
    "                        the USB adapter with that serial number (see ports); give it\n"
    "                        several times to run on several units at once\n"
    "  -p, --port N          port number N (1-255, or COMn), counted as the window counts them\n"
    "  -s, --baud BAUD       9600 or 57600 (default 57600), 8 data bits, no parity, 1 stop bit\n"
    "  -t, --timeout MS      how long to wait for each answer (default 1000)\n"
    "      --retries N       send a frame that got no answer again, up to N times (0-10,\n"
    "                        default 0); the query, the set and the save are each safe to\n"
    "                        repeat: the same set twice leaves the unit as once\n"
    "      --trace           write every frame sent and every piece received, with the time\n"
    "                        in ms and the device, to standard error\n"
    "      --json            get, ports, detect: print JSON\n"
    "  -o, --output FILE     get: write the values to FILE instead, replacing it whole and only\n"
    "                        when every unit answered; otherwise FILE stays as it was\n"
    "      --log FILE        append one JSON line per unit to FILE: time, device, unit, adapter,\n"
    "                        status, values read, changes acknowledged, saved\n"
    "      --unit-id TEXT    the label or barcode on the unit, for --log (one unit)\n"
    "      --from FILE       set: the values of FILE, as get writes them ('-': standard input)\n"
    "      --save            set: save the values on the unit afterwards\n"
    "      --verify          set: read the values back and compare\n"
    "      --dry-run         set: read the unit and print what the set would change, then\n"
    "                        stop: only the read-only query is sent\n"
    "  -h, --help            show this text\n"
    "  -V, --version         show the version\n"
    "\n"
    "Names are the window's labels, in any case, with '_' for a space: ISO_TIME (hours, 0-1092),\n"
    "ISO_TIME_MINUTES (0-65535), L9_ATT_DL, L9_ATT_UL, L7_ATT_DL, L7_ATT_UL, L9_DL_ISO_ADJ,\n"
    "L9_UL_ISO_ADJ, L7_DL_ISO_ADJ, L7_UL_ISO_ADJ (dB, 0-255), SMART_SWITCH, SLEEP_MODE,\n"
    "L9_PA_SW, L7_PA_SW (ON or OFF).\n"
    "\n"
    "Exit status: 0 done; 2 bad usage or value, nothing sent; 3 the port cannot be opened;\n"
    "4 no answer, or an answer that cannot be read, within the timeout (detect: no unit\n"
    "answered); 5 --verify found a difference; 6 standard output or -o FILE could not\n"
    "be written. With several devices, the highest of their statuses.\n"
    "\n"
    "Example, copying one unit to another:\n"
    "  q42ctl -r /dev/ttyUSB0 get --json -o unit.json\n"
    "  q42ctl -r /dev/ttyUSB1 set --from unit.json --save --verify\n";

namespace {

std::optional<Command> CommandNamed(const QString& word)
{
    if (word == QLatin1String("get")) {
        return Command::Get;
    }
    if (word == QLatin1String("set")) {
        return Command::Set;
    }
    if (word == QLatin1String("save")) {
        return Command::Save;
    }
    if (word == QLatin1String("ports")) {
        return Command::Ports;
    }
    if (word == QLatin1String("detect")) {
        return Command::Detect;
    }
    return std::nullopt;
}

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
    if (request.targets.isEmpty() && request.command != Command::Ports && request.command != Command::Detect) {
        return QStringLiteral("no unit given: name its device with -r DEVICE or its port number with -p N");
    }
    if (parser.isSet(QStringLiteral("unit-id")) && (request.targets.size() != 1 || request.command == Command::Ports)) {
        return QStringLiteral("--unit-id names one unit: give it with one -r or -p and a command that talks to it");
    }
    return {};
}

QString ReadCommandArguments(const QStringList& arguments, const QCommandLineParser& parser, CtlRequest& request)
{
    const bool setOnly = parser.isSet(QStringLiteral("from")) || request.save || request.verify || request.dryRun;
    if (setOnly && request.command != Command::Set) {
        return QStringLiteral("--from, --save, --verify and --dry-run go with set");
    }
    if (request.dryRun && (request.save || request.verify)) {
        return QStringLiteral("--dry-run writes nothing, so there is nothing to save or verify");
    }
    if (request.json && request.command != Command::Get && request.command != Command::Ports &&
        request.command != Command::Detect) {
        return QStringLiteral("--json goes with get, ports or detect");
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
        return none ? QStringLiteral("set needs NAME=VALUE arguments or --from FILE") : QString();
    }
    case Command::Save:
    case Command::Ports:
    case Command::Detect:
        return arguments.isEmpty() ? QString() : QStringLiteral("unexpected argument \"%1\"").arg(arguments.first());
    }
    return {};
}

}  // namespace

QString TargetLabel(const Target& target)
{
    return target.device.isEmpty() ? PortName(target.portNumber) : target.device;
}

ParsedCommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.addOptions({
        {{QStringLiteral("r"), QStringLiteral("device")}, QString(), QStringLiteral("DEVICE")},
        {{QStringLiteral("p"), QStringLiteral("port")}, QString(), QStringLiteral("N")},
        {{QStringLiteral("s"), QStringLiteral("baud")}, QString(), QStringLiteral("BAUD"), QStringLiteral("57600")},
        {{QStringLiteral("t"), QStringLiteral("timeout")}, QString(), QStringLiteral("MS"), QStringLiteral("1000")},
        {QStringLiteral("retries"), QString(), QStringLiteral("N"), QStringLiteral("0")},
        {{QStringLiteral("o"), QStringLiteral("output")}, QString(), QStringLiteral("FILE")},
        {QStringLiteral("log"), QString(), QStringLiteral("FILE")},
        {QStringLiteral("unit-id"), QString(), QStringLiteral("TEXT")},
        {QStringLiteral("json"), QString()},
        {QStringLiteral("trace"), QString()},
        {QStringLiteral("from"), QString(), QStringLiteral("FILE")},
        {QStringLiteral("save"), QString()},
        {QStringLiteral("verify"), QString()},
        {QStringLiteral("dry-run"), QString()},
        {{QStringLiteral("h"), QStringLiteral("help")}, QString()},
        {{QStringLiteral("V"), QStringLiteral("version")}, QString()},
    });
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
    QStringList words = parser.positionalArguments();
    if (words.isEmpty()) {
        parsed.error = QStringLiteral("no command given: get, set, save, ports or detect");
        return parsed;
    }
    CtlRequest request;
    const auto command = CommandNamed(words.takeFirst());
    if (!command) {
        parsed.error = QStringLiteral("unknown command \"%1\": get, set, save, ports or detect").arg(parser.positionalArguments().first());
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
    request.log = parser.value(QStringLiteral("log"));
    request.unitId = parser.value(QStringLiteral("unit-id"));
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
