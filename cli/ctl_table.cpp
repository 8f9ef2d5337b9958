// SPDX-License-Identifier: MIT
#include "ctl_table.h"

#include "ctl_arguments.h"
#include "ctl_commands.h"
#include "port_names.h"

namespace q42::ctl {

namespace {

constexpr CommandRow kCommands[] = {
    {Command::Get, "get", Units::Needed, true, false, ReadValueNames, RunUnitCommand},
    {Command::Set, "set", Units::Needed, true, false, ReadSetValues, RunUnitCommand},
    {Command::Save, "save", Units::Needed, false, false, nullptr, RunUnitCommand},
    {Command::Ports, "ports", Units::None, false, false, nullptr, RunPortsCommand},
    {Command::Detect, "detect", Units::Optional, false, false, nullptr, RunDetectCommand},
    {Command::Commission, "commission", Units::Needed, false, true, ReadGoldenValues, RunCommissionCommand},
    {Command::Doctor, "doctor", Units::Optional, false, false, nullptr, RunDoctorCommand},
};

constexpr CommandForm kForms[] = {
    {Command::Get, "get [NAME]... [--json] [-o FILE]",
     "print the unit's values (all, or those named) as\nNAME=VALUE lines or one JSON object"},
    {Command::Set, "set NAME=VALUE... [--save] [--verify]\nset --from FILE [--save] [--verify]",
     "write values; the others are read from the unit first\nand written back unchanged; prints what changed"},
    {Command::Set, "set ... --dry-run", "print what the set would change; send only the query"},
    {Command::Set, "set --from BACKUP --save --verify", "restore the values a backup holds"},
    {Command::Save, "save", "make the unit keep its values"},
    {Command::Ports, "ports [--json]",
     "list the serial devices present: the port number that\nreaches each, its USB ids, serial number and by-id name"},
    {Command::Detect, "detect [--json]",
     "find the devices (-r, else every device present) and the\nrate (-s, else 57600 then 9600) a unit answers on; sends\n"
     "each device tried the read-only query, nothing else"},
    {Command::Commission,
     "commission --from FILE [--ask-unit-id] [--backup-dir DIR | --no-backup]\n"
     "           [--no-save] [--units N] [--json]",
     "bring up one unit after another on each device: wait for\na unit, back its values up, write FILE's values that\n"
     "differ, read them back, save; one PASS or FAIL record a\nunit; ends at Ctrl-C, end of input or after N units"},
    {Command::Doctor, "doctor [--json]",
     "look at the system and the adapters (-r, -p, else all) for what\nkeeps a unit from answering, then send each device that\n"
     "opens the read-only query; one finding a line, with its fix"},
    {Command::Doctor, "doctor --acceptance REPORT",
     "a guided first run with a real unit: doctor, detect, get, a set\nwith verify and save, a power cycle and a pulled cable, each\n"
     "step's result and trace gathered into REPORT"},
};

constexpr CommandSet kWithSet = Only(Command::Set);
constexpr CommandSet kWithCommission = Only(Command::Commission);

constexpr OptionRow kOptions[] = {
    {.shortName = "r", .longName = "device", .valueName = "DEVICE",
     .help = "the unit's serial device (COMn on Windows), or serial:NUMBER for\nthe USB adapter with that serial number (see "
             "ports); give it\nseveral times to run on several units at once",
     .field = &CtlRequest::targets},
    {.shortName = "p", .longName = "port", .valueName = "N",
     .help = "port number N (1-255, or COMn), counted as the window counts them", .field = &CtlRequest::targets,
     .range = {1, kHighestPortNumber, false, "port number \"%1\": choose %2 to %3 (12 or COM12 for COM12)"}},
    {.shortName = "s", .longName = "baud", .valueName = "BAUD",
     .help = "9600 or 57600 (default 57600), 8 data bits, no parity, 1 stop bit", .field = &CtlRequest::baud,
     .range = {9600, kDefaultBaud, true, "baud rate \"%1\": the unit talks at %2 or %3"}},
    {.shortName = "t", .longName = "timeout", .valueName = "MS", .defaultValue = "1000",
     .help = "how long to wait for each answer (default 1000)", .field = &CtlRequest::timeoutMs,
     .range = {1, 600000, false, "timeout \"%1\": give milliseconds from %2 to %3"}},
    {.longName = "retries", .valueName = "N", .defaultValue = "0",
     .help = "send a frame that got no answer again, up to N times (0-10,\ndefault 0); the query, the set and the save are "
             "each safe to\nrepeat: the same set twice leaves the unit as once",
     .field = &CtlRequest::retries, .range = {0, 10, false, "retries \"%1\": give a count from %2 to %3"}},
    {.longName = "trace",
     .help = "write every frame sent and every piece received, with the time\nin ms and the device, to standard error",
     .field = &CtlRequest::trace},
    {.longName = "json", .help = "get, ports, detect, doctor: print JSON; commission: one JSON\nobject a unit",
     .field = &CtlRequest::json,
     .goesWith = Only(Command::Get, Command::Ports, Command::Detect, Command::Commission, Command::Doctor)},
    {.shortName = "o", .longName = "output", .valueName = "FILE",
     .help = "get: write the values to FILE instead, replacing it whole and only\nwhen every unit answered; otherwise FILE "
             "stays as it was",
     .field = &CtlRequest::output, .goesWith = Only(Command::Get)},
    {.longName = "log", .valueName = "FILE",
     .help = "append one JSON line per unit to FILE: time, device, unit, adapter,\nstatus, values read, changes "
             "acknowledged, saved",
     .field = &CtlRequest::log, .goesWith = kEveryCommand & ~Only(Command::Ports),
     .misplaced = "--log records the units a command talks to; ports talks to none"},
    {.longName = "unit-id", .valueName = "TEXT", .help = "the label or barcode on the unit, for --log (one unit)",
     .field = &CtlRequest::unitId},
    {.longName = "from", .valueName = "FILE", .help = "set: the values of FILE, as get writes them ('-': standard input)",
     .field = &CtlRequest::from, .goesWith = kWithSet | kWithCommission, .family = Command::Set},
    {.longName = "save", .help = "set: save the values on the unit afterwards", .field = &CtlRequest::save,
     .goesWith = kWithSet, .family = Command::Set},
    {.longName = "verify", .help = "set: read the values back and compare", .field = &CtlRequest::verify,
     .goesWith = kWithSet, .family = Command::Set},
    {.longName = "dry-run",
     .help = "set: read the unit and print what the set would change, then\nstop: only the read-only query is sent",
     .field = &CtlRequest::dryRun, .goesWith = kWithSet, .family = Command::Set},
    {.longName = "backup", .valueName = "FILE",
     .help = "set: write the values read before the set to FILE, whole, before\nthe set goes out",
     .field = &CtlRequest::backupFile, .goesWith = kWithSet, .family = Command::Set},
    {.longName = "ask-unit-id",
     .help = "commission: ask for each unit's id (a barcode scanner types it)\non standard error and read it from standard "
             "input",
     .field = &CtlRequest::askUnitId, .goesWith = kWithCommission, .family = Command::Commission},
    {.longName = "backup-dir", .valueName = "DIR",
     .help = "commission: keep each unit's backup in DIR (default: backups in\nq42ctl's data folder)",
     .field = &CtlRequest::backupDir, .goesWith = kWithCommission, .family = Command::Commission},
    {.longName = "no-backup", .help = "commission: keep no backups", .field = &CtlRequest::backupDir,
     .goesWith = kWithCommission, .family = Command::Commission},
    {.longName = "no-save", .help = "commission: write and verify, but leave the save out", .field = &CtlRequest::save,
     .goesWith = kWithCommission, .family = Command::Commission, .switchValue = false},
    {.longName = "units", .valueName = "N", .help = "commission: stop after N units in all", .field = &CtlRequest::units,
     .goesWith = kWithCommission, .family = Command::Commission,
     .range = {1, 1000000, false, "units \"%1\": give a count from %2 to %3"}},
    {.longName = "acceptance", .valueName = "REPORT", .help = "doctor: the guided first run, its record written to REPORT",
     .field = &CtlRequest::acceptance, .goesWith = Only(Command::Doctor),
     .misplaced = "--acceptance goes with doctor, without --json"},
    {.shortName = "h", .longName = kHelpOption, .help = "show this text"},
    {.shortName = "V", .longName = kVersionOption, .help = "show the version"},
};

constexpr char kUsageHead[] =
    "Usage: q42ctl [-r DEVICE]... [-p N]... [-s BAUD] [-t MS] [--retries N] [--trace]\n"
    "              [--log FILE [--unit-id TEXT]] COMMAND [ARG]...\n"
    "Reads, writes and saves the settings of VARNEK-Q42 units over a serial line.\n";

constexpr char kUsageTail[] =
    "Names are the window's labels, in any case, with '_' for a space: ISO_TIME (hours, 0-1092),\n"
    "ISO_TIME_MINUTES (0-65535), L9_ATT_DL, L9_ATT_UL, L7_ATT_DL, L7_ATT_UL, L9_DL_ISO_ADJ,\n"
    "L9_UL_ISO_ADJ, L7_DL_ISO_ADJ, L7_UL_ISO_ADJ (dB, 0-255), SMART_SWITCH, SLEEP_MODE,\n"
    "L9_PA_SW, L7_PA_SW (ON or OFF).\n"
    "\n"
    "Exit status: 0 done; 2 bad usage or value, nothing sent; 3 the port cannot be opened;\n"
    "4 no answer, or an answer that cannot be read, within the timeout (detect: no unit\n"
    "answered); 5 --verify found a difference; 6 standard output, -o FILE, a backup or\n"
    "the log could not be written. With several devices, the highest of their statuses;\n"
    "commission: 0 when every unit passed, else the highest status of a unit that failed;\n"
    "doctor: 0 a unit answered, 3 a finding keeps the port shut, 4 nothing answered.\n"
    "\n"
    "Example, copying one unit to another, then bringing up a row of units:\n"
    "  q42ctl -r /dev/ttyUSB0 get --json -o unit.json\n"
    "  q42ctl -r /dev/ttyUSB1 set --from unit.json --save --verify\n"
    "  q42ctl -r /dev/ttyUSB1 commission --from unit.json --ask-unit-id --log bench.log\n";

// The columns --help's descriptions start at.
constexpr int kCommandColumn = 31;
constexpr int kOptionColumn = 24;

// Left text padded to the column, then the description's lines, each further one under the first.
// A left text too long for the column puts the description on the next line.
QString Columns(const QString& left, const char* description, int column)
{
    const QString indent(column, QLatin1Char(' '));
    QString out = left.size() < column - 1 ? left.leftJustified(column) : left + QLatin1Char('\n') + indent;
    out += QString::fromUtf8(description).split(QLatin1Char('\n')).join(QLatin1Char('\n') + indent);
    return out + QLatin1Char('\n');
}

QStringList Names(const OptionRow& option)
{
    QStringList names;
    if (*option.shortName != '\0') {
        names << QLatin1String(option.shortName);
    }
    return names << QLatin1String(option.longName);
}

}  // namespace

std::span<const CommandRow> Commands()
{
    return kCommands;
}

std::span<const CommandForm> CommandForms()
{
    return kForms;
}

std::span<const OptionRow> Options()
{
    return kOptions;
}

const char* CommandWord(Command command)
{
    return CommandRowOf(command).word;
}

std::optional<Command> CommandNamed(const QString& word)
{
    for (const CommandRow& row : kCommands) {
        if (word == QLatin1String(row.word)) {
            return row.command;
        }
    }
    return std::nullopt;
}

const CommandRow& CommandRowOf(Command command)
{
    for (const CommandRow& row : kCommands) {
        if (row.command == command) {
            return row;
        }
    }
    return kCommands[0];  // every command has its row
}

QString CommandWordList(CommandSet commands)
{
    QStringList words;
    for (const CommandRow& row : kCommands) {
        if (Has(commands, row.command)) {
            words << QLatin1String(row.word);
        }
    }
    const QString last = words.takeLast();
    return words.isEmpty() ? last : words.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

QString CommandWordList()
{
    return CommandWordList(kEveryCommand);
}

QList<QCommandLineOption> ParserOptions()
{
    QList<QCommandLineOption> options;
    for (const OptionRow& row : kOptions) {
        options.append(QCommandLineOption(Names(row), QString::fromUtf8(row.help).replace(QLatin1Char('\n'), QLatin1Char(' ')),
                                          QLatin1String(row.valueName), QLatin1String(row.defaultValue)));
    }
    return options;
}

QString UsageText()
{
    QString text = QLatin1String(kUsageHead) + QStringLiteral("\nCommands:\n");
    for (const CommandForm& form : kForms) {
        QStringList lines = QString::fromUtf8(form.synopsis).split(QLatin1Char('\n'));
        const QString last = QStringLiteral("  ") + lines.takeLast();
        for (const QString& line : lines) {
            text += QStringLiteral("  ") + line + QLatin1Char('\n');
        }
        text += Columns(last, form.description, kCommandColumn);
    }
    text += QStringLiteral("\nOptions:\n");
    for (const OptionRow& row : kOptions) {
        QString left = *row.shortName != '\0' ? QStringLiteral("  -%1, ").arg(QLatin1String(row.shortName))
                                                : QStringLiteral("      ");
        left += QStringLiteral("--") + QLatin1String(row.longName);
        if (*row.valueName != '\0') {
            left += QLatin1Char(' ') + QLatin1String(row.valueName);
        }
        text += Columns(left, row.help, kOptionColumn);
    }
    return text + QLatin1Char('\n') + QLatin1String(kUsageTail);
}

}  // namespace q42::ctl
