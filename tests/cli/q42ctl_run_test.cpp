// SPDX-License-Identifier: MIT
// The real q42ctl binary against simulated units on pseudo-terminals: what it prints, its exit
// status, and exactly which frames each unit received.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QDateTime>
#include <QDir>
#include <QLockFile>
#include <QMap>
#include <QRegularExpression>
#include <QCoreApplication>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "ctl_process.h"
#include "fake_system.h"
#include "sim_process.h"

namespace q42::test {
namespace {

struct RunCase {
    const char* name;
    QStringList simOptions;
    QStringList args;  // {dev} stands for the unit's device, {file} for a copy of another unit
    int exitCode;
    const char* out;   // the whole of standard output: values alone, and nothing at all on an error
    const char* err;   // parts of standard error, "||" between them, "!" before one that must not be there;
                       // "" when nothing may be said there
    const char* commands;
};

TEST(Q42ctl, CommandsAndFaultsAgainstTheSimulatedUnit)
{
    const RunCase cases[] = {
        {"get", {}, {"-r", "{dev}", "get"}, 0,
         "ISO TIME=2\nL9 ATT_DL=10\nL9 ATT_UL=10\nL7 ATT_DL=12\nL7 ATT_UL=12\nL9 DL ISO ADJ=0\nL9 UL ISO ADJ=0\n"
         "L7 DL ISO ADJ=0\nL7 UL ISO ADJ=0\nSMART Switch=ON\nSleep Mode=OFF\nL9_PA_SW=ON\nL7_PA_SW=ON\n",
         "", "21"},
        {"port number 3 reaches the device Q42_COM3 names", {}, {"-p", "3", "get", "l9_att_dl"}, 0, "L9 ATT_DL=10\n", "", "21"},
        {"port number 8, through Q42_COM8", {}, {"--port", "8", "get", "l9_att_ul"}, 0, "L9 ATT_UL=10\n", "", "21"},
        {"version", {}, {"--version"}, 0, "q42ctl 1.1.0\n", "", ""},
        {"get named, JSON", {}, {"get", "--json", "sleep_mode", "iso_time", "ISO_TIME_minutes", "-r", "{dev}"}, 0,
         "{\n    \"ISO TIME\": 2,\n    \"ISO TIME MINUTES\": 120,\n    \"Sleep Mode\": \"OFF\"\n}\n", "", "21"},
        {"set, save, verify", {}, {"-r", "{dev}", "set", "l9_att_dl=20", "ISO_TIME_MINUTES=150", "--save", "--verify"},
         0, "ISO TIME MINUTES: 120 -> 150\nL9 ATT_DL: 10 -> 20\n", "", "21 23 06 21"},
        {"save", {}, {"-r", "{dev}", "save"}, 0, "", "", "06"},
        {"a device where the log is meant: nothing sent", {}, {"-r", "{dev}", "--log", "/dev/full", "save"}, 2, "",
         "q42ctl: /dev/full: is not a regular file (a folder, a device or a pipe); give the file to keep it in\n", ""},
        {"a dry run prints what the set would change and sends only the query", {},
         {"-r", "{dev}", "set", "l9_att_dl=20", "sleep_mode=off", "--dry-run"}, 0, "L9 ATT_DL: 10 -> 20\n",
         "{dev}: --dry-run: nothing was written; set without it makes these changes\n", "21"},
        {"copy, exact to the minute", {}, {"-r", "{dev}", "set", "--from", "{file}", "--save", "--verify"}, 0,
         "ISO TIME MINUTES: 120 -> 151\nL7 DL ISO ADJ: 0 -> 7\nL9_PA_SW: ON -> OFF\n", "", "21 23 06 21"},
        {"9600 baud, to a unit that hears only 9600", {"--baud", "9600", "--strict-baud"},
         {"-r", "{dev}", "-s", "9600", "get", "l7_pa_sw"}, 0, "L7_PA_SW=ON\n", "", "21"},
        {"split with a long pause, noise, spaces, lower case",
         {"--split-at", "3,70", "--pause-ms", "300", "--garbage", "200", "--spaces", "--lowercase"},
         {"-r", "{dev}", "get", "l7_att_ul"}, 0, "L7 ATT_UL=12\n", "", "21"},
        {"every answer twice", {"--twice"}, {"-r", "{dev}", "set", "smart_switch=off", "iso_time=3", "--save"}, 0,
         "ISO TIME: 2 -> 3\nSMART Switch: ON -> OFF\n", "", "21 23 06"},
        {"the second copy late, while the set waits for its acknowledgement", {"--twice", "--split-at", "127", "--pause-ms", "200"},
         {"-r", "{dev}", "set", "l9_att_dl=20", "--save"}, 0, "L9 ATT_DL: 10 -> 20\n", "", "21 23 06"},
        {"a '>' and noise 50 ms before the answer, traced as dropped", {"--stray-start", "50"},
         {"-r", "{dev}", "--trace", "get", "l9_att_dl"}, 0, "L9 ATT_DL=10\n", "{dev} dropped  >\\x91\n", "21"},
        {"an acknowledgement lost once, sent again; nothing late to drop", {"--lose-answer", "2"},
         {"-r", "{dev}", "-t", "300", "--retries", "1", "--trace", "set", "l9_att_dl=20", "--save"}, 0,
         "L9 ATT_DL: 10 -> 20\n", "attempt 2 of 2||!dropped||{dev} the next frame waits until the line has been quiet for 200 ms",
         "21 23 23 06"},
        {"retries allowed and none needed: no step waits for quiet", {},
         {"-r", "{dev}", "-t", "300", "--retries", "2", "--trace", "set", "l9_att_dl=20", "--save", "--verify"}, 0,
         "L9 ATT_DL: 10 -> 20\n", "sent     :FF06\\r\\n||!attempt 2||!waits until the line has been quiet", "21 23 06 21"},
        {"a late acknowledgement of a set sent again is dropped, not taken for the save's", {"--delay-ms", "450", "--delay-only", "2"},
         {"-r", "{dev}", "-t", "300", "--retries", "1", "--trace", "set", "l9_att_dl=20", "--save"}, 0,
         "L9 ATT_DL: 10 -> 20\n", "{dev} dropped  5 bytes that came after the answer to a frame sent again\n", "21 23 23 06"},
        {"the half of a second acknowledgement held when the save goes out is not the save's",
         {"--twice", "--split-at", "9", "--pause-ms", "50", "--lose-answer", "3"},
         {"-r", "{dev}", "-t", "300", "set", "l9_att_dl=20", "--save"}, 4, "L9 ATT_DL: 10 -> 20\n", "the save failed", "21 23 06"},
        {"the save unanswered after an acknowledged set", {"--lose-answer", "3"},
         {"-r", "{dev}", "-t", "300", "set", "l9_att_dl=20", "--save"}, 4, "L9 ATT_DL: 10 -> 20\n",
         "and that the unit talks at 57600 baud (try -s 9600, or 'q42ctl detect' to find the device and rate a unit "
         "answers on).\n{dev}: the save failed after the unit acknowledged the set", "21 23 06"},
        {"no answer in any attempt", {"--no-answer"}, {"-r", "{dev}", "-t", "200", "--retries", "2", "--trace", "get"}, 4,
         "", "no answer within 200 ms: the same frame again, attempt 3 of 3\n||"
         "{dev}: no answer within 200 ms at 57600 baud in each of 3 attempts. Check", "21 21 21"},
        {"retries out of range: nothing sent", {}, {"-r", "{dev}", "--retries", "11", "get"}, 2, "",
         "retries \"11\": give a count from 0 to 10", ""},
        {"bad value: nothing sent", {}, {"-r", "{dev}", "set", "l9_att_dl=12abc"}, 2, "", "L9 ATT_DL=12abc: not a whole number", ""},
        {"missing device", {}, {"-r", "/dev/q42-no-such-device", "get"}, 3, "", "/dev/q42-no-such-device: the device does not exist", ""},
        {"commission: a bad value in FILE, nothing sent", {}, {"-r", "{dev}", "commission", "--from", "{bad}"}, 2, "",
         "L9 ATT_DL=300: out of range", ""},
        {"commission: a FILE that is not there", {}, {"-r", "{dev}", "commission", "--from", "/nonexistent/unit.json"}, 2, "",
         "/nonexistent/unit.json", ""},
        {"commission: a backup folder that cannot be written", {},
         {"-r", "{dev}", "commission", "--from", "{file}", "--backup-dir", "/proc/q42"}, 2, "",
         "q42ctl: /proc/q42: the backup folder cannot be made; nothing was sent (--backup-dir DIR chooses another)\n", ""},
        {"no adapter with this serial number", {}, {"-r", "serial:Q42-NONE", "get"}, 3, "",
         "serial:Q42-NONE: no adapter has this serial number; ", ""},
        {"not a serial device", {}, {"-r", "/dev/null", "get"}, 3, "", "/dev/null: the device is not a serial device", ""},
        {"a regular file is not a serial device", {}, {"-r", "{empty}", "get"}, 3, "",
         "{empty}: the device is not a serial device", ""},
        {"commission: a regular file is not a serial device, and the run ends", {},
         {"-r", "{empty}", "commission", "--from", "{file}", "--no-backup"}, 3, "",
         "{empty}: the device is not a serial device", ""},
        {"one device by its port number and its path: nothing sent", {}, {"-p", "3", "-r", "{dev}", "get"}, 2, "",
         "q42ctl: {dev} and COM3 are the same device ({dev}); give each device once\n", ""},
        {"no answer", {"--no-answer"}, {"-r", "{dev}", "-t", "300", "get"}, 4, "",
         ": no answer within 300 ms at 57600 baud. Check that the unit is powered and the cable is plugged in, and "
         "that the unit talks at 57600 baud (try -s 9600, or 'q42ctl detect' to find the device and rate a unit "
         "answers on).\n", "21"},
        {"unreadable answer", {"--cr-only"}, {"-r", "{dev}", "-t", "300", "save"}, 4, "",
         ": the answer could not be read within 300 ms at 57600 baud: bytes came, but no complete answer of the unit. "
         "Check the baud rate (try -s 9600, or 'q42ctl detect') and the cable.\n", "06"},
        {"hang-up mid-answer", {"--hangup-after", "1", "--hangup-at-byte", "40"}, {"-r", "{dev}", "get"}, 4, "", "went away", "21"},
        {"verify finds a difference: the acknowledged set is still reported", {"--forget-sets"},
         {"-r", "{dev}", "set", "ISO_TIME=5", "--verify"}, 5, "ISO TIME: 2 -> 5\n",
         ": read back ISO TIME=2, but 5 was written\n{dev}: the read-back (--verify) failed after the unit acknowledged "
         "the set: it holds the values read back above, not all of those written, and the changes are on standard "
         "output.\n", "21 23 21"},
        {"verify of minutes the hours would hide", {"--forget-sets"},
         {"-r", "{dev}", "set", "ISO_TIME_MINUTES=150", "--verify"}, 5, "ISO TIME MINUTES: 120 -> 150\n",
         "{dev}: read back ISO TIME MINUTES=120, but 150 was written\n", "21 23 21"},
        {"a values file that holds no values", {}, {"-r", "{dev}", "set", "--from", "{empty}"}, 2, "",
         "q42ctl: {empty} holds no values to write\n", ""},
        {"a device as the values file: refused at once, nothing read", {}, {"-r", "{dev}", "set", "--from", "/dev/zero"}, 2, "",
         "q42ctl: /dev/zero: is not a regular file; give the values file by name, or '-' for standard input\n", ""},
    };
    // Another unit's settings as 'get --json' wrote them.
    QTemporaryDir dir;
    const QString copy = WriteFile(dir.filePath("unit.json"), R"({"ISO TIME": 2, "ISO TIME MINUTES": 151, "L9 ATT_DL": 10,
        "L9 ATT_UL": 10, "L7 ATT_DL": 12, "L7 ATT_UL": 12, "L9 DL ISO ADJ": 0, "L9 UL ISO ADJ": 0, "L7 DL ISO ADJ": 7,
        "L7 UL ISO ADJ": 0, "SMART Switch": "ON", "Sleep Mode": "OFF", "L9_PA_SW": "OFF", "L7_PA_SW": "ON"})");
    const QString empty = WriteFile(dir.filePath("empty.json"), "{}");
    const QString bad = WriteFile(dir.filePath("bad.json"), "L9_ATT_DL=300\n");
    for (const auto& c : cases) {
        SimProcess sim(QStringList{"--verbose"} + c.simOptions);
        ASSERT_TRUE(sim.Started()) << c.name;
        sim.Wire(3);
        sim.Wire(8);
        const CtlRun run = RunCtl(QStringList(c.args).replaceInStrings("{dev}", sim.Device()).replaceInStrings("{file}", copy)
                                      .replaceInStrings("{bad}", bad).replaceInStrings("{empty}", empty));
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name << "\n" << run.err.toStdString();
        EXPECT_EQ(run.out.toStdString(), c.out) << c.name;
        const QStringList parts = QString::fromUtf8(c.err).replace("{dev}", sim.Device()).replace("{empty}", empty).split("||");
        const auto said = [&](const QString& part) { return part.startsWith('!') ? !run.err.contains(part.mid(1)) : run.err.contains(part); };
        EXPECT_TRUE(*c.err ? std::all_of(parts.begin(), parts.end(), said) : run.err.isEmpty())
            << c.name << ": " << run.err.toStdString();
        EXPECT_EQ(sim.Commands(), c.commands) << c.name;
    }
    qunsetenv("Q42_COM3");
    qunsetenv("Q42_COM8");
    // Values that never reached a full disk must not pass for success.
    SimProcess sim;
    const CtlRun full = RunCtl({"-r", sim.Device(), "get"}, [] { ::dup2(::open("/dev/full", O_WRONLY), STDOUT_FILENO); });
    EXPECT_EQ(full.exitCode, 6);
    EXPECT_EQ(full.err.toStdString(), "q42ctl: standard output could not be written: No space left on device\n");
    // A missing device's text ends with q42ctl's own way to another port, after the ports present.
    const QString missing = RunCtl({"-r", "/dev/q42-no-such-device", "get"}).err;
    EXPECT_EQ(missing.contains(QRegularExpression("Port numbers reach now: [0-9]")),
              missing.endsWith(". To use one, give its number with -p (12 or COM12 for COM12).\n"));
    EXPECT_FALSE(missing.contains("COM list")) << missing.toStdString();
    const CtlRun help = RunCtl({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: q42ctl ") && help.out.contains("detect [--json]") &&
                help.out.contains("serial:NUMBER") && help.out.contains("--trace"))
        << help.out.toStdString();
}

// The files a user keeps: -o replaced whole when every unit answered and left as it was otherwise; on
// a disk that fills up (a file size limit stands in for a full disk, so no root is needed) and where
// a file cannot be: never a set before its backup is whole, never a copy or a log left shorter than
// it was, never a device, pipe or folder replaced, an empty name never taken for "none", and a file
// that cannot be written is bad usage found before anything is sent.
TEST(Q42ctl, KeptFilesAreWholeOrLeftAsTheyWere)
{
    QTemporaryDir dir;
    const QString kept = dir.filePath("kept.json");
    const QByteArray good = "the last good copy\n";
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        const char* name;
        QStringList args;  // {dev} the unit, {kept} a file holding the last good copy, {dir} a folder
        rlim_t fileLimit;  // bytes a file may reach; 0: no limit
        int exitCode;
        const char* err;       // a part of standard error
        const char* commands;  // what reached the unit
        const char* keptAfter; // what {kept} holds afterwards; nullptr: the last good copy and one log line
        QStringList unitOptions = {};
    } cases[] = {
        {"values of a unit that did not answer: the copy stays", {"-t", "200", "get", "--json", "-o", "{kept}"}, 0, 4,
         "q42ctl: {kept} was left as it was, since not every unit answered\n", "21", "the last good copy\n", {"--no-answer"}},
        {"values replace the copy whole", {"get", "l9_att_dl", "sleep_mode", "-o", "{kept}"}, 0, 0, "", "21",
         "L9 ATT_DL=10\nSleep Mode=OFF\n"},
        {"a copy in no folder", {"get", "-o", "{dir}/no/unit.json"}, 0, 2, "q42ctl: {dir}/no/unit.json: cannot be written: ",
         "", "the last good copy\n"},
        {"a log in no folder", {"--log", "{dir}/no/bench.log", "save"}, 0, 2, "q42ctl: {dir}/no/bench.log: cannot be written: ",
         "", "the last good copy\n"},
        {"a backup that does not fit: no set goes out", {"set", "--backup", "{dir}/backup.json", "l9_att_dl=55", "--save"}, 100, 6,
         "{dev}: nothing was written to the unit, since {dir}/backup.json: could not be written: the file reached the size "
         "this system allows it (ulimit -f)\n", "21", "the last good copy\n"},
        {"values that do not fit: the last good copy stays", {"get", "--json", "-o", "{kept}"}, 100, 6,
         "{kept}: could not be written: the file reached the size this system allows it (ulimit -f); it was left as it was\n",
         "21", "the last good copy\n"},
        {"a log line that does not fit: the log is cut back to its last whole line", {"--log", "{kept}", "save"}, 100, 6,
         "{kept}: the log could not be written: the file reached the size this system allows it (ulimit -f); nothing was added",
         "06", "the last good copy\n"},
        {"a log line that fits", {"--log", "{kept}", "save"}, 0, 0, "", "06", nullptr},
        {"an empty backup name", {"set", "--backup", "", "l9_att_dl=55", "--save"}, 0, 2,
         "--backup was given an empty file name; nothing was sent", "", "the last good copy\n"},
        {"an empty log name", {"--log", "", "save"}, 0, 2, "--log was given an empty file name", "", "the last good copy\n"},
        {"an empty backup folder", {"commission", "--from", "{kept}", "--backup-dir", ""}, 0, 2,
         "--backup-dir was given an empty folder name", "", "the last good copy\n"},
        {"a device as the copy", {"get", "-o", "/dev/null"}, 0, 2, "/dev/null: is not a regular file", "", "the last good copy\n"},
        {"a pipe as the backup", {"set", "--backup", "{dir}/fifo", "l9_att_dl=55"}, 0, 2, "fifo: is not a regular file", "",
         "the last good copy\n"},
        {"a folder as the log", {"--log", "{dir}", "save"}, 0, 2, ": is not a regular file", "", "the last good copy\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(dir.filePath("backup.json"));
        WriteFile(kept, good);
        SimProcess sim(QStringList{"--verbose"} + c.unitOptions);
        QStringList args = QStringList{"-r", sim.Device()} + c.args;
        args.replaceInStrings("{kept}", kept).replaceInStrings("{dir}", dir.path());
        const rlim_t limit = c.fileLimit;
        const CtlRun run = RunCtl(args, [limit] {
            if (limit > 0) {
                const rlimit fsize{limit, limit};
                ::setrlimit(RLIMIT_FSIZE, &fsize);
            }
        });
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        const QString err = QString::fromUtf8(c.err).replace("{dev}", sim.Device()).replace("{kept}", kept).replace("{dir}", dir.path());
        EXPECT_TRUE(*c.err ? run.err.contains(err) : run.err.isEmpty()) << run.err.toStdString();
        EXPECT_EQ(sim.Commands(), c.commands);
        EXPECT_EQ(run.out, "") << "values go to the file, never to standard output";
        if (c.keptAfter != nullptr) {
            EXPECT_EQ(Contents(kept), c.keptAfter);
        } else {
            const QStringList lines = Contents(kept).split('\n');
            ASSERT_EQ(lines.size(), 3) << Contents(kept).toStdString();
            EXPECT_TRUE(lines[0] + "\n" == good && QJsonDocument::fromJson(lines[1].toUtf8()).isObject() && lines[2].isEmpty());
        }
        EXPECT_FALSE(QFile::exists(dir.filePath("backup.json"))) << "never a backup shorter than the values";
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                  QStringList({"fifo", "kept.json"})) << "no temporary and no lock left behind";
    }
    struct stat devNull {};
    EXPECT_TRUE(::stat("/dev/null", &devNull) == 0 && S_ISCHR(devNull.st_mode)) << "the device is still a device";
}

// Run as root through sudo: the files q42ctl makes belong to the user who ran sudo, so the next
// ordinary run can append to the log; a file it replaces keeps its owner; and where backups go is said.
TEST(Q42ctl, RunThroughSudoTheFilesMadeBelongToTheUser)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root";
    }
    QTemporaryDir dir;
    SimProcess sim;
    const QString replaced = dir.filePath("replaced.json");
    QFile(replaced).open(QIODevice::WriteOnly);
    ASSERT_EQ(::chown(QFile::encodeName(replaced).constData(), 4321, 4321), 0);
    qputenv("SUDO_UID", "65534");
    qputenv("SUDO_GID", "65534");
    qputenv("SUDO_USER", "nobody");
    const CtlRun made = RunCtl({"-r", sim.Device(), "--log", dir.filePath("bench.log"), "get", "-o", dir.filePath("new.json")});
    const CtlRun kept = RunCtl({"-r", sim.Device(), "get", "-o", replaced});
    const CtlRun commission = RunCtl({"-r", sim.Device(), "-t", "200", "commission", "--from", replaced, "--backup-dir",
                                      dir.filePath("backups"), "--units", "1"});
    qunsetenv("SUDO_UID");
    qunsetenv("SUDO_GID");
    qunsetenv("SUDO_USER");
    EXPECT_EQ(made.exitCode + kept.exitCode, 0) << made.err.toStdString() << kept.err.toStdString();
    const auto owner = [](const QString& path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? static_cast<int>(info.st_uid) : -1;
    };
    EXPECT_EQ(owner(dir.filePath("new.json")), 65534);
    EXPECT_EQ(owner(dir.filePath("bench.log")), 65534);
    EXPECT_EQ(owner(replaced), 4321);
    EXPECT_TRUE(commission.err.startsWith("q42ctl: run as root through sudo: the backups go to " + dir.filePath("backups") +
                                          "; new files there belong to nobody\n"))
        << commission.err.toStdString();
}

// Standard input as a values file is read up to a bound, never without end ('yes | q42ctl set --from -').
TEST(Q42ctl, ValuesFromStandardInputAreBounded)
{
    SimProcess sim({"--verbose"});
    QProcess run;
    run.start(QStringLiteral(Q42CTL_PATH), {"-r", sim.Device(), "set", "--from", "-"});
    ASSERT_TRUE(run.waitForStarted());
    const QByteArray line = "L9_ATT_DL=5\n";
    for (int i = 0; i < 5 * 1024 * 1024 / line.size() && run.state() == QProcess::Running; ++i) {
        run.write(line);
    }
    run.closeWriteChannel();
    ASSERT_TRUE(run.waitForFinished(20000));
    EXPECT_EQ(run.exitCode(), 2);
    EXPECT_EQ(QString::fromLocal8Bit(run.readAllStandardError()),
              "q42ctl: standard input: larger than 4 MiB; a values file is a few hundred bytes\nTry 'q42ctl --help'.\n");
    EXPECT_EQ(sim.Commands(), "");
}

// A log another run holds is waited for a bounded time, never for ever, and then the holder is named;
// a lock that is let go within that time is taken.
TEST(Q42ctl, ALogHeldByAnotherRunIsWaitedForABoundedTime)
{
    QTemporaryDir dir;
    const QString log = dir.filePath("bench.log");
    SimProcess sim({"--verbose"});
    for (const bool letGo : {true, false}) {
        QLockFile held(log + ".lock");
        ASSERT_TRUE(held.tryLock(0));
        QProcess run;
        run.start(QStringLiteral(Q42CTL_PATH), {"-r", sim.Device(), "--log", log, "save"});
        if (letGo) {
            Pump(std::chrono::milliseconds(800));
            held.unlock();
        }
        ASSERT_TRUE(run.waitForFinished(15000));
        const QString err = QString::fromLocal8Bit(run.readAllStandardError());
        EXPECT_EQ(run.exitCode(), letGo ? 0 : 6) << err.toStdString();
        EXPECT_EQ(err.isEmpty(), letGo) << err.toStdString();
        EXPECT_EQ(err.contains(QStringLiteral("q42ctl: %1: another run (q42ctl_tests, process %2 on ")
                                   .arg(log)
                                   .arg(QCoreApplication::applicationPid())),
                  !letGo)
            << err.toStdString();
    }
    EXPECT_EQ(Contents(log).count('\n'), 1) << "the one run that got the lock added its line";
}

// --log: one JSON line per unit and run, from two runs at once, with what each unit was given,
// read, changed and saved.
TEST(Q42ctl, LogKeepsOneRecordPerUnitAndRun)
{
    QTemporaryDir dir;
    const QString log = dir.filePath("bench.log");
    SimProcess first;
    SimProcess second({"--lose-answer", "3"});
    QProcess runs[2];
    runs[0].start(QStringLiteral(Q42CTL_PATH), {"-r", first.Device(), "--log", log, "--unit-id", "A-0001", "set",
                                                "l9_att_dl=20", "iso_time_minutes=150", "--save"});
    runs[1].start(QStringLiteral(Q42CTL_PATH), {"-r", second.Device(), "-t", "300", "--log", log, "--unit-id",
                                                "B \"2\"\\", "set", "l7_pa_sw=off", "--save"});
    for (QProcess& run : runs) {
        ASSERT_TRUE(run.waitForFinished(10000));
    }
    EXPECT_EQ(RunCtl({"-r", first.Device(), "--log", log, "set", "l9_att_dl=30", "--dry-run"}).exitCode, 0);
    EXPECT_EQ(QList<int>({runs[0].exitCode(), runs[1].exitCode()}), QList<int>({0, 4}));
    EXPECT_EQ(runs[0].readAllStandardError(), "") << "a log written whole says nothing";
    QMap<QString, QJsonObject> byUnit;
    for (const QJsonObject& record : JsonLines(Contents(log).toUtf8())) {
        const QString time = record["time"].toString();
        EXPECT_TRUE(time.endsWith("Z") && QDateTime::fromString(time, Qt::ISODateWithMs).isValid()) << Contents(log).toStdString();
        byUnit.insert(record["unit"].toString(), record);
    }
    ASSERT_EQ(byUnit.keys(), QStringList({"", "A-0001", "B \"2\"\\"})) << Contents(log).toStdString();
    const QJsonObject dryRun = byUnit.value("");
    EXPECT_TRUE(dryRun.value("dry_run").toBool() && !dryRun.contains("changes") && !byUnit.value("A-0001").contains("dry_run"))
        << Contents(log).toStdString();
    QJsonObject a = byUnit["A-0001"];
    EXPECT_EQ(a["values"].toObject()["ISO TIME"].toInt(), 2) << "the values read before the set";
    a.remove("time");
    a.remove("values");
    EXPECT_EQ(a, (QJsonObject{{"version", "1.1.0"}, {"command", "set"}, {"device", first.Device()}, {"unit", "A-0001"},
                              {"baud", 57600}, {"status", 0}, {"saved", true},
                              {"changes", QJsonArray{QJsonObject{{"name", "ISO TIME MINUTES"}, {"old", 120}, {"new", 150}},
                                                     QJsonObject{{"name", "L9 ATT_DL"}, {"old", 10}, {"new", 20}}}}}));
    const QJsonObject b = byUnit["B \"2\"\\"];
    EXPECT_EQ(b["status"].toInt(), 4);
    EXPECT_EQ(b["saved"].toBool(true), false);
    EXPECT_EQ(b["changes"].toArray(), (QJsonArray{QJsonObject{{"name", "L7_PA_SW"}, {"old", "ON"}, {"new", "OFF"}}}));
    EXPECT_TRUE(b["message"].toString().contains("the save failed after the unit acknowledged the set"))
        << b["message"].toString().toStdString();
}

// Units at both rates found side by side, a silent one and a missing device reported, and nothing
// but the query ever sent; ports names the device a number reaches.
TEST(Q42ctl, DetectFindsTheDeviceAndRateOfEachUnit)
{
    SimProcess fast({"--verbose", "--strict-baud"});
    SimProcess slow({"--verbose", "--strict-baud", "--baud", "9600"});
    SimProcess silent({"--verbose", "--no-answer"});
    QTemporaryDir dir;
    const CtlRun run = RunCtl({"-r", fast.Device(), "-r", slow.Device(), "-r", silent.Device(), "-r",
                               "/dev/q42-no-such-device", "-t", "400", "--log", dir.filePath("log"), "detect"});
    QStringList logged;  // each device tried: its status and the rate found
    for (const QJsonObject& record : JsonLines(Contents(dir.filePath("log")).toUtf8())) {
        logged << QStringLiteral("%1 %2").arg(record["status"].toInt()).arg(record["baud"].toInt());
    }
    EXPECT_EQ(logged, QStringList({"0 57600", "0 9600", "4 0", "3 0"}));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, fast.Device() + " 57600\n" + slow.Device() + " 9600\n");
    EXPECT_TRUE(Holds(run.err, silent.Device() + ": no unit answered the query at 57600 or 9600 baud within 400 ms"));
    EXPECT_TRUE(Holds(run.err, "/dev/q42-no-such-device: the device does not exist"));

    // ports lists what the system reports and the device a Q42_COM<n> variable points a number at.
    silent.Wire(3);
    const CtlRun ports = RunCtl({"ports"});
    EXPECT_TRUE(ports.exitCode == 0 && ports.out.contains("COM3 " + silent.Device() + " set-by=Q42_COM3\n")) << ports.out.toStdString();
    const QJsonObject last = QJsonDocument::fromJson(RunCtl({"ports", "--json"}).out.toUtf8()).array().last().toObject();
    EXPECT_EQ(last["device"].toString() + " " + QString::number(last["port"].toInt()), silent.Device() + " 3");
    const CtlRun none = RunCtl({"-p", "3", "-s", "9600", "-t", "300", "detect", "--json"});
    qunsetenv("Q42_COM3");
    EXPECT_EQ(none.exitCode, 4);
    const QJsonObject tried = QJsonDocument::fromJson(none.out.toUtf8()).array().at(0).toObject();
    EXPECT_EQ(tried["device"].toString(), "COM3 (" + silent.Device() + ")") << none.out.toStdString();
    EXPECT_TRUE(tried["baud"].isNull());

    Pump(std::chrono::milliseconds(30));
    EXPECT_EQ(fast.FramesReceived(), QStringList({kQueryFrame}));
    EXPECT_EQ(slow.Logged("garbled") + slow.FramesReceived(), QStringList({kQueryFrame, kQueryFrame}));
    EXPECT_EQ(silent.FramesReceived(), QStringList({kQueryFrame, kQueryFrame, kQueryFrame}));
}

// --trace: both directions in order with their times, exactly the bytes of the line, the pause inside
// a split answer visible; standard output as without it.
TEST(Q42ctl, TraceShowsWhatWentOverTheLine)
{
    SimProcess sim({"--split-at", "20", "--pause-ms", "300"});
    const CtlRun run = RunCtl({"-r", sim.Device(), "--trace", "set", "l9_att_dl=20", "--save"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "L9 ATT_DL: 10 -> 20\n");
    const QRegularExpression format("^\\[ *([0-9]+\\.[0-9]{3}) ms\\] (\\S+) (sent    |received) (.*)$");
    QString sent;
    QString received;
    QStringList order;
    double last = 0;
    double pause = 0;
    for (const QString& line : run.err.split('\n', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = format.match(line);
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        EXPECT_EQ(m.captured(2), sim.Device());
        const double ms = m.captured(1).toDouble();
        EXPECT_GE(ms, last) << line.toStdString();
        (m.captured(3) == "sent    " ? sent : received) += m.captured(4);
        if (order.isEmpty() || order.last() != m.captured(3)) {
            order << m.captured(3);
        }
        pause = std::max(pause, ms - last);
        last = ms;
    }
    EXPECT_EQ(sent, kQueryFrame + "\\r\\n:FF23006D027800002101140027010A0022010C0028010C004D0100004B0100004E0100004C0100"
                                  "00530100002B010100490101007E0101004A0101007F0101\\r\\n:FF06\\r\\n");
    EXPECT_EQ(received, ">21006D0278000021010A0027010A0022010C0028010C004D0100004B0100004E0100004C010000530100002B01"
                        "0100490101007E0101004A0101007F0101\\r\\n>00\\r\\n>00\\r\\n");
    EXPECT_EQ(order.size(), 6) << "query, answer, set, acknowledgement, save, acknowledgement";
    EXPECT_GE(pause, 250) << "the unit's pause inside its answer";
}

// Several units on one event loop: one result line each, and the worst status decides.
TEST(Q42ctl, RunsOnSeveralUnitsAtOnce)
{
    SimProcess first({"--verbose"}), second({"--verbose"}), silent({"--verbose", "--no-answer"});
    SimProcess* const sims[] = {&first, &second, &silent};
    const QStringList args = {"-r", sims[0]->Device(), "-r", sims[1]->Device(), "-t", "400", "set", "l9_att_ul=44", "--verify"};
    const CtlRun both = RunCtl(args);
    EXPECT_EQ(both.exitCode, 0) << both.err.toStdString();
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(Holds(both.out, sims[i]->Device() + ": L9 ATT_UL: 10 -> 44\n"));
        EXPECT_TRUE(Holds(both.err, sims[i]->Device() + ": done"));
        EXPECT_EQ(sims[i]->Commands(), "21 23 21");
    }
    // Several units' values as one JSON object keyed by device.
    const CtlRun json = RunCtl({"-r", sims[0]->Device(), "-r", sims[1]->Device(), "get", "--json", "l9_att_ul"});
    EXPECT_EQ(json.out, "{\n    \"" + sims[0]->Device() + "\": {\n        \"L9 ATT_UL\": 44\n    },\n    \"" +
                            sims[1]->Device() + "\": {\n        \"L9 ATT_UL\": 44\n    }\n}\n");
    const CtlRun three = RunCtl(args + QStringList{"-r", sims[2]->Device()});
    EXPECT_EQ(three.exitCode, 4);
    EXPECT_TRUE(Holds(three.err, sims[2]->Device() + ": FAILED (exit status 4)"));
    EXPECT_TRUE(Holds(three.err, sims[0]->Device() + ": done"));
}

// A port another program holds is busy; one the user may not open names the 'dialout' group.
TEST(Q42ctl, BusyAndPermissionDeniedAreToldApart)
{
    SimProcess sim;
    QSerialPort other(sim.Device());
    ASSERT_TRUE(other.open(QIODevice::ReadWrite));
    const CtlRun busy = RunCtl({"-r", sim.Device(), "get"});
    EXPECT_EQ(busy.exitCode, 3);
    EXPECT_TRUE(busy.err.startsWith(sim.Device() + ": the device is busy")) << busy.err.toStdString();
    EXPECT_FALSE(busy.err.contains("dialout")) << busy.err.toStdString();
    other.close();
    if (::geteuid() != 0) {
        GTEST_SKIP() << "making permission fail for real needs root, to drop to an unprivileged user";
    }
    // The pseudo-terminal belongs to root and the tty group; user "nobody" is in neither.
    const CtlRun denied = RunCtl({"-r", sim.Device(), "get"}, [] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(99);
        }
    });
    EXPECT_EQ(denied.exitCode, 3);
    EXPECT_TRUE(denied.err.startsWith(sim.Device() + ": the device cannot be opened: permission denied"))
        << denied.err.toStdString();
    EXPECT_TRUE(Holds(denied.err, "dialout"));
}

// doctor: only the read-only query goes out, at each rate to each device that opens; what keeps a
// port shut is named from the system itself (the holder, the group), and the exit status follows.
TEST(Q42ctl, DoctorNamesTheUnitAndWhatKeepsAPortShut)
{
    SimProcess fast({"--verbose", "--strict-baud"});
    SimProcess slow({"--verbose", "--strict-baud", "--baud", "9600"});
    SimProcess silent({"--verbose", "--no-answer"});
    SimProcess mute({"--no-answer"});
    slow.Wire(3);
    const CtlRun found = RunCtl({"-r", fast.Device(), "-p", "3", "-r", silent.Device(), "-r", mute.Device(), "-t", "300",
                                 "doctor", "--json"});
    qunsetenv("Q42_COM3");
    EXPECT_EQ(found.exitCode, 0) << found.out.toStdString();
    const QJsonObject report = QJsonDocument::fromJson(found.out.toUtf8()).object();
    EXPECT_TRUE(report["system"].toString().startsWith("q42ctl 1.1.0 on ")) << found.out.toStdString();
    QStringList answered;
    for (const QJsonValue& on : report["answered"].toArray()) {
        answered << QStringLiteral("%1 %2 %3").arg(on["device"].toString()).arg(on["baud"].toInt()).arg(on["port"].toInt());
    }
    EXPECT_EQ(answered, QStringList({fast.Device() + " 57600 0", slow.Device() + " 9600 3"}));  // -r before -p
    QStringList kinds;
    for (const QJsonValue& finding : report["findings"].toArray()) {
        if (finding["kind"] == "unit-answered" || finding["kind"] == "no-answer") {
            kinds << finding["kind"].toString() + " " + finding["device"].toString();
        }
        if (finding["kind"] == "unit-answered" && finding["device"] == fast.Device()) {
            EXPECT_TRUE(finding["text"].toString().contains("no COM number of the window reaches it"));
        }
        if (finding["kind"] == "unit-answered" && finding["device"] == slow.Device()) {
            EXPECT_TRUE(finding["text"].toString().endsWith("at 9600 baud: in the window choose COM 3 and 9600."))
                << finding["text"].toString().toStdString();
        }
    }
    EXPECT_EQ(kinds.join(", ").toStdString(), QStringList({"unit-answered " + fast.Device(), "no-answer " + silent.Device(),
                                                           "no-answer " + mute.Device(), "unit-answered " + slow.Device()})
                                                  .join(", ")
                                                  .toStdString());
    Pump(std::chrono::milliseconds(30));
    EXPECT_EQ(fast.FramesReceived(), QStringList({kQueryFrame}));
    EXPECT_EQ(slow.Logged("garbled") + slow.FramesReceived(), QStringList({kQueryFrame, kQueryFrame}));
    EXPECT_EQ(silent.FramesReceived(), QStringList({kQueryFrame, kQueryFrame}));

    const CtlRun none = RunCtl({"-r", silent.Device(), "-t", "200", "doctor"});
    EXPECT_EQ(none.exitCode, 4) << none.out.toStdString();
    EXPECT_TRUE(none.out.contains("no-answer: " + silent.Device() + ": no unit answered the query at 57600 or 9600 baud "
                                  "within 200 ms each. Check that the unit is powered and that the cable is plugged into "
                                  "it and into the adapter; a crossed or straight cable of the wrong kind passes nothing.\n"))
        << none.out.toStdString();
    EXPECT_TRUE(none.out.endsWith("No unit answered.\n")) << none.out.toStdString();
    // The other end of the pseudo-terminal holds it, as a terminal left open would hold an adapter.
    EXPECT_TRUE(Holds(none.out, QStringLiteral("held-by-program: %1 is held by q42-unit-sim (process ").arg(silent.Device())));

    // The command to use the unit is quoted to paste, a path with a space and all.
    QTemporaryDir dir;
    const QString link = dir.filePath("my unit");
    ASSERT_TRUE(QFile::link(fast.Device(), link));
    const CtlRun spaced = RunCtl({"-r", link, "doctor"});
    EXPECT_TRUE(Holds(spaced.out, "Here: q42ctl -r '" + link + "' -s 57600 get\n"));

    // Held by this very test: the holder is named by its process id.
    QSerialPort holder(fast.Device());
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    const CtlRun held = RunCtl({"-r", fast.Device(), "doctor"});
    holder.close();
    EXPECT_EQ(held.exitCode, 3) << held.out.toStdString();
    EXPECT_TRUE(Holds(held.out, QStringLiteral("held-by-program: %1 is held by ").arg(fast.Device())));
    EXPECT_TRUE(Holds(held.out, QStringLiteral("(process %1)").arg(QCoreApplication::applicationPid())));

    for (const auto& [args, text] : std::vector<std::pair<QStringList, QString>>{
             {{"-r", fast.Device(), "doctor", "-o", "report.txt"}, "doctor only looks: it writes no file"},
             {{"doctor", "--log", "x.log"}, "doctor only looks"},
             {{"doctor", "extra"}, "unexpected argument \"extra\""},
             {{"get", "--acceptance", "r.txt", "-r", "x"}, "--acceptance goes with doctor"}}) {
        const CtlRun refused = RunCtl(args);
        EXPECT_EQ(refused.exitCode, 2) << text.toStdString();
        EXPECT_TRUE(Holds(refused.err, text));
        EXPECT_EQ(refused.out, "");
    }
    const CtlRun file = RunCtl({"-r", Q42_SOURCE_DIR "/README.md", "doctor"});
    EXPECT_EQ(file.exitCode, 3);
    EXPECT_TRUE(Holds(file.out, "not-serial: " Q42_SOURCE_DIR "/README.md is not a device"));

    if (::geteuid() != 0) {
        GTEST_SKIP() << "a user outside the pseudo-terminal's group needs root to become";
    }
    const auto asNobody = [] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(99);
        }
    };
    // Root's alone, as a console is: the system's port, never "join group root".
    const QByteArray node = QFile::encodeName(fast.Device());
    ASSERT_EQ(::chown(node.constData(), 0, 0) | ::chmod(node.constData(), 0600), 0);
    const CtlRun reserved = RunCtl({"-r", fast.Device(), "doctor"}, asNobody);
    EXPECT_EQ(reserved.exitCode, 3);
    EXPECT_TRUE(Holds(reserved.out, QStringLiteral("reserved-port: %1 belongs to group root (mode crw-------): the system "
                                                   "keeps it for itself").arg(fast.Device())));
    EXPECT_FALSE(reserved.out.contains("-aG root")) << reserved.out.toStdString();
    // Said once for every such port; not at all once a unit answered elsewhere.
    for (const SimProcess* other : {&silent, &mute}) {
        const QByteArray path = QFile::encodeName(other->Device());
        ASSERT_EQ(::chown(path.constData(), 0, 0) | ::chmod(path.constData(), 0600), 0);
    }
    const CtlRun twice = RunCtl({"-r", silent.Device(), "-r", mute.Device(), "doctor"}, asNobody);
    EXPECT_EQ(twice.out.count("reserved-port: "), 1) << twice.out.toStdString();
    EXPECT_TRUE(Holds(twice.out, "1 other port is kept by the system too."));
    ASSERT_EQ(::chmod(node.constData(), 0666), 0);
    const CtlRun elsewhere = RunCtl({"-r", fast.Device(), "-r", silent.Device(), "doctor"}, asNobody);
    EXPECT_EQ(elsewhere.exitCode, 0) << elsewhere.out.toStdString();
    EXPECT_FALSE(elsewhere.out.contains("reserved-port")) << elsewhere.out.toStdString();
    // A group that opens it: joining it is the fix.
    ASSERT_EQ(::chown(node.constData(), 0, 20) | ::chmod(node.constData(), 0660), 0);
    const CtlRun denied = RunCtl({"-r", fast.Device(), "doctor"}, asNobody);
    EXPECT_EQ(denied.exitCode, 3);
    const QString group = QFileInfo(fast.Device()).group();
    EXPECT_TRUE(Holds(denied.out, QStringLiteral("not-in-group: %1 belongs to group %2 (mode crw-rw----), and nobody is not "
                                                   "in it. Join it with `sudo usermod -aG %2 nobody`, then log out and in "
                                                   "again.").arg(fast.Device(), group)));
}

// Each finding of doctor's JSON as its kind and device: "no-driver, no-answer /dev/pts/3".
std::string KindsOf(const QString& json)
{
    QStringList kinds;
    for (const QJsonValue& finding : QJsonDocument::fromJson(json.toUtf8()).object()["findings"].toArray()) {
        kinds << finding["kind"].toString() + (finding["device"].toString().isEmpty() ? "" : " " + finding["device"].toString());
    }
    return kinds.join(", ").toStdString();
}

// doctor over a system of the test's own (Q42_SYSTEM_ROOT): what the bus shows explains a device that
// is not there, with q42ctl's step after the fix; an adapter kept from having a port makes status 3
// even where another port opened and stayed silent; ModemManager is advisory and changes no status.
TEST(Q42ctl, DoctorReadsTheSystemItIsGiven)
{
    FakeSystem system;
    system.Adapter("1a86", "7523", "");
    system.Process(640, "ModemManager");
    qputenv("Q42_SYSTEM_ROOT", QByteArray::fromStdString(system.Path("")));
    const CtlRun missing = RunCtl({"-r", "/dev/q42-no-such-device", "doctor"});
    EXPECT_EQ(missing.exitCode, 3) << missing.out.toStdString();
    EXPECT_TRUE(Holds(missing.out, 
        "no-driver: The USB Serial (WCH CH340, 1a86:7523, serial A50285BI) is on the USB bus, but no driver serves it, "
        "so it has no serial port. The kernel's module for it is ch341: load it with `sudo modprobe ch341`, then "
        "unplug the adapter and plug it in again. Then give its device with -r, or its number with -p ('q42ctl ports' "
        "lists them).\n"));
    EXPECT_TRUE(Holds(missing.out, "cannot-open: /dev/q42-no-such-device: the device does not exist"));
    EXPECT_FALSE(missing.out.contains("no-adapter")) << missing.out.toStdString();

    SimProcess silent({"--no-answer"});
    const CtlRun quiet = RunCtl({"-r", silent.Device(), "-t", "200", "doctor", "--json"});
    EXPECT_EQ(quiet.exitCode, 3) << "an adapter with no driver, not the unit's power, is what to look at: "
                                 << quiet.out.toStdString();
    EXPECT_EQ(KindsOf(quiet.out), ("no-driver, modemmanager " + silent.Device() + ", no-answer " + silent.Device()).toStdString());

    // A device chooses its own descriptor strings: ESC and BEL in one reach the terminal made visible,
    // and the JSON as its writer escapes them.
    system.Write("sys/devices/pci0000:00/usb1/1-1/product", "USB\x1b[2J Serial\a\n");
    const CtlRun hostile = RunCtl({"-r", "/dev/q42-no-such-device", "doctor"});
    EXPECT_TRUE(Holds(hostile.out, "The USB\\x1b[2J Serial\\x07 (WCH CH340"));
    EXPECT_FALSE(hostile.out.contains('\x1b') || hostile.out.contains('\a')) << hostile.out.toStdString();
    const CtlRun hostileJson = RunCtl({"-r", "/dev/q42-no-such-device", "doctor", "--json"});
    EXPECT_TRUE(Holds(hostileJson.out, "USB\\u001b[2J Serial\\u0007"));

    std::filesystem::remove_all(system.Path("sys/bus/usb/devices/1-1:1.0"));
    const CtlRun none = RunCtl({"-r", "/dev/q42-no-such-device", "doctor", "--json"});
    qunsetenv("Q42_SYSTEM_ROOT");
    EXPECT_EQ(none.exitCode, 3);
    // The bus is said first, as the system's finding, before what became of the device.
    EXPECT_EQ(KindsOf(none.out), "no-adapter, cannot-open /dev/q42-no-such-device") << none.out.toStdString();
}

// With no device given, doctor looks at every serial port the system lists.
TEST(Q42ctl, DoctorWithoutADeviceLooksAtEveryPort)
{
    const CtlRun doctor = RunCtl({"-t", "100", "doctor", "--json"});
    const QJsonArray findings = QJsonDocument::fromJson(doctor.out.toUtf8()).object()["findings"].toArray();
    ASSERT_FALSE(findings.isEmpty()) << doctor.out.toStdString();
    for (const QJsonValue& port : QJsonDocument::fromJson(RunCtl({"ports", "--json"}).out.toUtf8()).array()) {
        const QString device = port["device"].toString();
        EXPECT_TRUE(std::any_of(findings.begin(), findings.end(), [&](const QJsonValue& f) { return f["device"] == device; }))
            << device.toStdString() << " not looked at: " << doctor.out.toStdString();
    }
}

}  // namespace
}  // namespace q42::test
