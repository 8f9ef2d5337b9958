// SPDX-License-Identifier: MIT
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QFile>

#include <gtest/gtest.h>

#include <tuple>

#include "ctl_options.h"
#include "value_text.h"
#include "values_file.h"

namespace q42::ctl {
namespace {

struct ValuesCase {
    const char* name;
    const char* text;      // a values file, or NAME=VALUE arguments one per line
    const char* problem;   // part of the message, or "" when the text is good
    qsizetype size;        // of text, NULs included

    template <std::size_t N>
    ValuesCase(const char* n, const char (&t)[N], const char* p)
        : name(n), text(t), problem(p), size(N - 1)
    {
    }
};

TEST(UnitValues, StrictReadingOfValuesAndFiles)
{
    const ValuesCase cases[] = {
        {"names in any case, '_' for space", "l9_att_dl=0\nISO TIME=1092\nsmart_switch=off\nL7_PA_SW=On", ""},
        {"comments and blank lines", "# unit 7\n\nL9 ATT_UL=255\n", ""},
        {"hours and minutes that agree", "ISO TIME=2\nISO TIME MINUTES=150", ""},
        {"JSON as get writes it", R"({"ISO TIME": 2, "ISO TIME MINUTES": 150, "Sleep Mode": "OFF"})", ""},
        {"unknown name", "L9 ATT=3", "unknown value name \"L9 ATT\""},
        {"repeated name, on its line", "l9_att_dl=1\nL9 ATT_DL=2", "line 2: L9 ATT_DL is given twice"},
        {"trailing text", "L9 ATT_DL=12abc", "not a whole number"},
        {"decimal", "L9 ATT_DL=1.5", "not a whole number"},
        {"negative", "L9 ATT_DL=-1", "out of range 0-255"},
        {"one past a byte", "L9 ATT_DL=256", "out of range 0-255"},
        {"hours past the minutes", "ISO TIME=1093", "out of range 0-1092"},
        {"minutes past 16 bits", "ISO TIME MINUTES=65536", "out of range 0-65535"},
        {"beyond 64 bits", "L9 ATT_DL=99999999999999999999", "out of range"},
        {"switch word", "Sleep Mode=1", "a switch is ON or OFF"},
        {"hours and minutes disagree", "ISO TIME=3\nISO TIME MINUTES=150", "disagree"},
        {"no equals sign", "L9 ATT_DL 5", "is not NAME=VALUE"},
        {"bad JSON", R"({"L9 ATT_DL": 5,)", "not valid JSON"},
        {"JSON fraction", R"({"L9 ATT_DL": 0.1})", "L9 ATT_DL=0.1: not a whole number"},
        {"JSON of the wrong type", R"({"L9 ATT_DL": true})", "a whole number or"},
        {"JSON list", "[1, 2]", "not one object"},
        {"a name twice in JSON", R"({"L9 ATT_DL": 1, "Sleep Mode": "ON", "L9 ATT_DL": 1})", "L9 ATT_DL is given twice"},
        {"escaped, the same name", R"({"ISO TIME MINUTES": 1, "ISO TIME MINUTE\u0053": 1})", "ISO TIME MINUTES is given twice"},
        {"a name twice, after a list", R"({"L9 ATT_DL": [1], "L9 ATT_DL": 2})", "L9 ATT_DL is given twice"},
        {"a name twice, spaces before the colon", "{\"L9 ATT_DL\" \t: 1, \"L9 ATT_DL\"\n: 2}", "L9 ATT_DL is given twice"},
        {"an escaped quote inside a name", R"({"x\":\"L9 ATT_DL": 1, "L9 ATT_DL": 2})", "unknown value name \"x\":\"L9"},
        {"a UTF-8 byte order mark", "\xEF\xBB\xBF{\"L9 ATT_DL\": 5}", ""},
        {"UTF-16 as Windows PowerShell 5.1 writes it", "\xFF\xFEL\0" "9\0_\0A\0T\0T\0_\0D\0L\0=\0" "5\0\r\0\n\0", ""},
        {"UTF-16, big end first", "\xFE\xFF\0L\0" "9\0_\0A\0T\0T\0_\0D\0L\0=\0" "5", ""},
        {"UTF-16 cut in a character", "\xFF\xFEL\0" "9", "cut off in the middle of a character"},
        {"a NUL in a value, the reason said", "Sleep Mode=ON\nL9 ATT_DL=1\0" "2", "line 2: a NUL byte; a values file is text"},
    };
    for (const auto& c : cases) {
        Edits edits;
        const std::string problem = ReadValuesText(QByteArray(c.text, c.size), edits);
        // A good text has no problem at all; a bad one says what is wrong.
        EXPECT_TRUE(*c.problem ? problem.find(c.problem) != std::string::npos : problem.empty()) << c.name << ": " << problem;
    }
}

// What get prints, set --from reads back to the same thirteen values, odd minutes included.
TEST(UnitValues, ListingsReadBackExactly)
{
    const UnitValues unit = {150, 0, 255, 12, 13, 1, 2, 3, 4, 1, 0, 1, 0};
    EXPECT_EQ(FormatLines(unit, {}), "ISO TIME=2\nISO TIME MINUTES=150\nL9 ATT_DL=0\nL9 ATT_UL=255\nL7 ATT_DL=12\n"
                                     "L7 ATT_UL=13\nL9 DL ISO ADJ=1\nL9 UL ISO ADJ=2\nL7 DL ISO ADJ=3\nL7 UL ISO ADJ=4\n"
                                     "SMART Switch=ON\nSleep Mode=OFF\nL9_PA_SW=ON\nL7_PA_SW=OFF\n");
    EXPECT_EQ(FormatLines(unit, {{{ValueIndex(SwitchField::L9PaSw), false}, {0, true}}}), "L9_PA_SW=ON\nISO TIME MINUTES=150\n");
    // A name that starts with U+FEFF (a device's, say) comes back as itself, not as a name without it.
    const QString marked = QString(QChar(0xFEFF)) + QStringLiteral("/dev/ttyUSB0");
    const QJsonObject byDevice{{marked, 1}};
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(FormatJson(byDevice))).object(), byDevice);
    for (const std::string& listing : {FormatLines(unit, {}), FormatJson(ValuesJson(unit, {}))}) {
        Edits edits;
        ASSERT_EQ(ReadValuesText(QByteArray::fromStdString(listing), edits), "") << listing;
        EXPECT_EQ(Apply(edits, UnitValues{}), unit) << listing;
    }
}

// Every usage error names what is wrong and leaves nothing to send.
TEST(CommandLine, UsageErrorsSayWhatIsWrong)
{
    struct Case {
        QStringList args;
        const char* error;  // the whole message, or "" when the line is good
    };
    const Case cases[] = {
        {{"-r", "", "get"}, "-r needs a device path"},
        {{"-r", "serial:", "get"}, "-r serial: needs the adapter's serial number, as 'q42ctl ports' shows it"},
        {{"-r", "/dev/a", "-r", "/dev/a", "get"}, "the same unit is given twice"},
        {{"-p", "3", "--port", "3", "get"}, "the same unit is given twice"},
        {{"-r", "/dev/a", "-r", "/dev/b", "-p", "3", "-p", "4", "get"}, ""},
        {{"-p", "1", "-t", "1", "get"}, ""},
        {{"-p", "256", "get"}, "port number \"256\": choose 1 to 255 (12 or COM12 for COM12)"},
        {{"-p", "COM1x", "get"}, "port number \"COM1x\": choose 1 to 255 (12 or COM12 for COM12)"},
        {{"-p", "255", "-p", "com12", "--retries", "10", "-t", "600000", "get"}, ""},
        {{"-r", "/dev/a"}, "no command given: get, set, save, ports, detect, commission or doctor"},
        {{"-r", "/dev/a", "ports"}, "ports lists every device; it takes no -r or -p"},
        {{"get"}, "no unit given: name its device with -r DEVICE or its port number with -p N"},
        {{"-r", "/dev/a", "get", "--dry-run"}, "--from, --save, --verify, --dry-run and --backup go with set"},
        {{"-r", "/dev/a", "get", "--no-save"}, "--ask-unit-id, --backup-dir, --no-backup, --no-save and --units go with commission"},
        {{"-r", "/dev/a", "-r", "/dev/b", "set", "l9_att_dl=1", "--backup", "f"},
         "--backup keeps one unit's values before a set writes them: give one -r or -p, and no --dry-run"},
        {{"-r", "/dev/a", "commission"}, "commission needs --from FILE, a file by name: its name and SHA-256 go into every record"},
        {{"-r", "/dev/a", "-r", "/dev/b", "commission", "--from", "f", "--ask-unit-id"},
         "--ask-unit-id reads every id from one input, so it takes one -r or -p"},
        {{"-r", "/dev/a", "commission", "--from", "f", "--no-backup", "--backup-dir", "d"}, "give --backup-dir DIR or --no-backup, not both"},
        {{"-r", "/dev/a", "commission", "--from", "f", "--units", "0"}, "units \"0\": give a count from 1 to 1000000"},
        {{"-r", "/dev/a", "set", "l9_att_dl=1", "--dry-run", "--save"}, "--dry-run writes nothing, so there is nothing to save or verify"},
        {{"-r", "/dev/a", "save", "--json"}, "--json goes with get, ports, detect, commission or doctor"},
        {{"-r", "/dev/a", "get", "l9_att_dl", "L9 ATT_DL"}, "L9 ATT_DL is named twice"},
        {{"-r", "/dev/a", "get", "volume"}, "unknown value name \"volume\"; 'q42ctl --help' lists the names"},
        {{"-r", "/dev/a", "set", "--from", "unit.json", "l9_att_dl=1"}, "give NAME=VALUE arguments or --from FILE, not both"},
        {{"-r", "/dev/a", "set", "--save"}, "set needs NAME=VALUE arguments or --from FILE"},
        {{"-r", "/dev/a", "set", "iso_time=3", "iso_time_minutes=150"}, "ISO TIME=3 and ISO TIME MINUTES=150 disagree"},
        {{"-r", "/dev/a", "save", "now"}, "unexpected argument \"now\""},
        {{"-r", "/dev/a", "--bogus", "get"}, "Unknown option 'bogus'."},
        {{"-r", "/dev/a", "frobnicate"}, "unknown command \"frobnicate\": get, set, save, ports, detect, commission or doctor"},
        {{"-r", "/dev/a", "-s", "9601", "get"}, "baud rate \"9601\": the unit talks at 9600 or 57600"},
        {{"-r", "/dev/a", "-t", "0", "get"}, "timeout \"0\": give milliseconds from 1 to 600000"},
        {{"-r", "/dev/a", "-t", "600001", "get"}, "timeout \"600001\": give milliseconds from 1 to 600000"},
        {{"-r", "/dev/a", "-r", "/dev/b", "--unit-id", "X", "get"},
         "--unit-id names one unit: give it with one -r or -p and a command that talks to it"},
        {{"--unit-id", "X", "ports"}, "--unit-id names one unit: give it with one -r or -p and a command that talks to it"},
        {{"-r", "/dev/a", "--log", "f", "ports"}, "ports lists every device; it takes no -r or -p"},
        {{"--log", "f", "ports"}, "--log records the units a command talks to; ports talks to none"},
        {{"-r", "/dev/a", "-o", "f", "set", "l9_att_dl=1"}, "--output goes with get"},
        {{"-r", "/dev/a", "-o", "f", "doctor"}, "doctor only looks: it writes no file, so it takes no -o or --log "
                                                 "(--acceptance REPORT keeps a guided run's record)"},
        {{"doctor", "--acceptance", "r", "--json"}, "--acceptance goes with doctor, without --json"},
        {{"-r", "/dev/a", "-r", "/dev/b", "doctor", "--acceptance", "r"},
         "--acceptance guides a run with one unit: give one -r or -p, or none to let doctor find it"},
        {{"-r", "/dev/a", "--units", "0", "get"},
         "--ask-unit-id, --backup-dir, --no-backup, --no-save and --units go with commission"},
        {{"-r", "/dev/a", "-o", "", "get"}, "--output was given an empty file name; nothing was sent (in a script: is its variable set?)"},
        {{"-r", "/dev/a", "commission", "--from", "f", "--backup-dir", ""}, "--backup-dir was given an empty folder name; nothing "
                                                                            "was sent (in a script: is its variable set?)"},
        {{"--help"}, ""},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = ParseCommandLine(QStringList{"q42ctl"} + c.args);
        EXPECT_EQ(parsed.error.toStdString(), c.error) << c.args.join(' ').toStdString();
        EXPECT_EQ(parsed.request.has_value(), *c.error == '\0' && !parsed.help && !parsed.version)
            << c.args.join(' ').toStdString();
    }
    const ParsedCommandLine ports = ParseCommandLine({"q42ctl", "-p", "COM12", "-p", "255", "-r", "/dev/a", "get"});
    ASSERT_TRUE(ports.request);
    EXPECT_EQ(ports.request->targets, (QList<Target>{{"/dev/a"}, {QString(), 12}, {QString(), 255}})) << "devices, then numbers";
    // Each option in its field; what was not given keeps its absence or the table's default.
    QTemporaryDir dir;
    QFile golden(dir.filePath("golden.txt"));
    ASSERT_TRUE(golden.open(QIODevice::WriteOnly) && golden.write("L9_ATT_DL=20\n") > 0);
    golden.close();
    const ParsedCommandLine given = ParseCommandLine({"q42ctl", "-r", "/dev/a", "-s", "9600", "-t", "250", "--retries", "3",
                                                     "--no-save", "--no-backup", "--units", "4", "--ask-unit-id", "--json",
                                                     "commission", "--from", golden.fileName()});
    ASSERT_TRUE(given.request) << given.error.toStdString();
    const CtlRequest& r = *given.request;
    EXPECT_EQ(std::tuple(r.Baud(), r.timeoutMs, r.retries, r.save, r.backupDir, r.units, r.askUnitId, r.json),
              std::tuple(9600, 250, 3, std::optional(false), std::optional(QString()), 4, true, true));
    const ParsedCommandLine plain = ParseCommandLine({"q42ctl", "-r", "/dev/a", "set", "l9_att_dl=1", "--save"});
    ASSERT_TRUE(plain.request);
    EXPECT_EQ(std::tuple(plain.request->baud, plain.request->Baud(), plain.request->timeoutMs, plain.request->retries,
                         plain.request->save, plain.request->backupDir),
              std::tuple(std::optional<qint32>(), 57600, 1000, 0, std::optional(true), std::optional<QString>()));
}

}  // namespace
}  // namespace q42::ctl
