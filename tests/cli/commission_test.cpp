// SPDX-License-Identifier: MIT
// 'q42ctl commission' against simulated units that a test connects, swaps and disconnects through
// the unit's control input, as a bench moves its cable: records, backups, the order of backup and
// set, faults at each step, a pulled adapter, Ctrl-C and the end of the ids' input.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

#include <unistd.h>

#include "ctl_process.h"
#include "sim_process.h"

namespace q42::test {
namespace {

int L9AttDl(const QJsonObject& values)
{
    return values["L9 ATT_DL"].toInt();
}

// The factory values with L9 ATT_DL 10 + N for unit N; the golden file sets 20 and the 12 L7 ATT_DL
// the units already have.
constexpr char kGolden[] = R"({"L9 ATT_DL": 20, "L7 ATT_DL": 12})";

TEST(Commission, UnitsInARowWithTheirIdsBackupsAndOneRecordEach)
{
    QTemporaryDir dir;
    SimProcess sim({"--control", "--verbose"});
    sim.Control("unit 1");
    const QString log = dir.filePath("bench.log");
    Ctl ctl({"-r", sim.Device(), "-t", "300", "--trace", "--log", log, "commission", "--from", WriteFile(dir.filePath("golden.json"), kGolden),
             "--ask-unit-id", "--backup-dir", dir.filePath("backups"), "--json", "--units", "4"});
    const QString waiting = "waiting for a unit on " + sim.Device() + "\n";
    const QString prompt = sim.Device() + ": a unit answered; its id (Enter for none): ";
    // Unit 1; the cable moves to unit 2; a quick swap to unit 5 before a poll went unanswered; the
    // cable moves to unit 10, which already holds the golden values, and gets an id given before.
    const char* const next[] = {"unit 2", "unit 5", "unit 10"};
    for (int unit = 0; unit < 4; ++unit) {
        ASSERT_TRUE(ctl.Saw(prompt, unit + 1)) << ctl.err.toStdString();
        ctl.process.write(unit == 3 ? "A-1\n" : QStringLiteral("A-%1\n").arg(unit + 1).toUtf8());
        ASSERT_TRUE(ctl.Saw("\"result\"", unit + 1, false)) << ctl.err.toStdString();
        if (unit == 3) {
            break;
        }
        if (unit != 1) {
            sim.Control("silent");
            ASSERT_TRUE(ctl.Saw(waiting, unit == 0 ? 2 : 3)) << ctl.err.toStdString();
        }
        sim.Control(next[unit]);
    }
    EXPECT_EQ(ctl.Finish(), 0) << ctl.err.toStdString();
    EXPECT_EQ(ctl.err.count(waiting), 3) << "once at the start and once a unit gone, never once a poll";
    EXPECT_TRUE(Holds(ctl.err, sim.Device() + ": the id A-1 was given before in this run"));
    EXPECT_EQ(ctl.err.count("was given before"), 1);
    EXPECT_TRUE(ctl.err.endsWith("q42ctl: 4 units: 4 passed, 0 failed\n")) << ctl.err.toStdString();

    const QList<QJsonObject> records = JsonLines(ctl.out.toUtf8());
    ASSERT_EQ(records.size(), 4) << ctl.out.toStdString();
    const int before[] = {11, 12, 15, 20};
    for (int i = 0; i < 4; ++i) {
        const QJsonObject& r = records[i];
        EXPECT_EQ(r["result"].toString() + r["unit"].toString(), "PASSA-" + QString::number(i == 3 ? 1 : i + 1));
        EXPECT_EQ(L9AttDl(r["values_before"].toObject()), before[i]);
        const QJsonArray changes = r["changes"].toArray();
        const QJsonArray changed{QJsonObject{{"name", "L9 ATT_DL"}, {"old", before[i]}, {"new", 20}}};
        EXPECT_EQ(changes, i == 3 ? QJsonArray() : changed) << "only the values that differ, unit " << i;
        EXPECT_EQ(r["set_sent"].toBool(), i != 3);
        EXPECT_TRUE(r["saved"].toBool() && r["verified"].toBool() == (i != 3)) << i;
        EXPECT_EQ(r["golden"].toObject()["file"].toString(), "golden.json");
        EXPECT_EQ(r["golden"].toObject()["sha256"].toString().size(), 64);
        // The backup holds exactly the values the unit had, in the form set --from reads.
        QFile backup(r["backup"].toString());
        ASSERT_TRUE(backup.open(QIODevice::ReadOnly)) << r["backup"].toString().toStdString();
        EXPECT_EQ(QJsonDocument::fromJson(backup.readAll()).object(), r["values_before"].toObject());
        EXPECT_TRUE(QFileInfo(backup).fileName().startsWith(r["unit"].toString() + "_")) << backup.fileName().toStdString();
    }
    EXPECT_NE(records[0]["backup"], records[3]["backup"]) << "an earlier backup of the same id is never replaced";
    // Each set goes out only after its unit's backup is on the disk.
    int backups = 0;
    int sets = 0;
    for (const QString& line : ctl.err.split('\n')) {
        backups += line.contains(" backup  ");
        if (line.contains(" sent     :FF23")) {
            EXPECT_EQ(backups, ++sets) << line.toStdString();
        }
    }
    EXPECT_EQ(sets, 3);
    EXPECT_EQ(sim.Commands().count("23"), 3);
    // --log holds the same records, one a line, as they came.
    QFile logged(log);
    ASSERT_TRUE(logged.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(logged.readAll()), ctl.out);
}

TEST(Commission, AUnitThatFailsAStepFailsAloneAndTheHighestStatusDecides)
{
    QTemporaryDir dir;
    SimProcess sim({"--control", "--verbose"});
    sim.Control("unit 1 forget-sets");
    Ctl ctl({"-r", sim.Device(), "-t", "300", "commission", "--from", WriteFile(dir.filePath("golden.json"), kGolden), "--backup-dir",
             dir.path(), "--units", "4"});
    const QString waiting = "waiting for a unit on " + sim.Device();
    const char* const next[] = {"unit 2 silent-after-set", "unit 3 silent-at-save", "unit 4"};
    for (int unit = 0; unit < 3; ++unit) {
        ASSERT_TRUE(ctl.Saw(sim.Device() + "  id=-", unit + 1, false)) << ctl.err.toStdString();
        if (unit == 0) {
            // Still on the cable after its read-back failed: it is the unit just done, never a new one.
            Pump(std::chrono::milliseconds(1200));
            ctl.out += QString::fromLocal8Bit(ctl.process.readAllStandardOutput());
            ASSERT_EQ(ctl.out.count(sim.Device() + "  id=-"), 1) << ctl.out.toStdString();
        }
        sim.Control("silent");
        ASSERT_TRUE(ctl.Saw(waiting, unit + 2)) << ctl.err.toStdString();
        sim.Control(next[unit]);
    }
    EXPECT_EQ(ctl.Finish(), 5) << ctl.err.toStdString();
    const QStringList lines = ctl.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << ctl.out.toStdString();
    const QString dev = sim.Device();
    EXPECT_TRUE(lines[0].startsWith("FAIL  " + dev + "  id=-  failed at the read-back after the set was acknowledged  "
                                    "changes: L9 ATT_DL: 11 -> 20  backup=" + dir.path() + "/unit_"))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains("  not saved  restore: q42ctl -r " + dev + " set --from " + dir.path() + "/unit_") &&
                lines[0].endsWith(".json --save --verify"))
        << "a write that did not take is never made permanent, and the line says how to undo it: " << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains("failed at the read-back after the set was acknowledged  changes: L9 ATT_DL: 12 -> 20"));
    EXPECT_TRUE(lines[2].contains("failed at the save after the set was acknowledged")) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].startsWith("PASS  " + dev + "  id=-  changes: L9 ATT_DL: 14 -> 20  backup=")) << lines[3].toStdString();
    EXPECT_FALSE(ctl.out.contains('\033') || ctl.out.contains('\a')) << "no colour and no bell in a pipe";
    EXPECT_TRUE(ctl.err.contains(dev + ": read back L9 ATT_DL=11, but 20 was written; not saved\n")) << ctl.err.toStdString();
    EXPECT_TRUE(ctl.err.contains(dev + ": no answer to the read-back within 300 ms at 57600 baud\n"));
    EXPECT_TRUE(ctl.err.contains(dev + ": no answer to the save within 300 ms at 57600 baud\n"));
    EXPECT_TRUE(ctl.err.endsWith("q42ctl: 4 units: 1 passed, 3 failed (" + dev + ": failed at the read-back; " + dev +
                                 ": failed at the read-back; " + dev + ": failed at the save)\n"))
        << ctl.err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList({"unit_*.json"}, QDir::Files).size(), 4) << "one backup a unit, none replaced";
}

// A unit whose set went unanswered may hold the golden values or not, so while it stays on the cable
// either is the same unit; once it is gone, the next unit that holds them already is a unit of its own.
TEST(Commission, AfterAnUnansweredSetTheNextUnitHoldingTheGoldenValuesIsTaken)
{
    QTemporaryDir dir;
    SimProcess sim({"--control", "--verbose", "--lose-answer", "2"});  // the first unit's set takes, unanswered
    sim.Control("unit 1");
    Ctl ctl({"-r", sim.Device(), "-t", "300", "--retries", "0", "commission", "--from",
             WriteFile(dir.filePath("golden.json"), kGolden), "--no-backup", "--units", "2"});
    ASSERT_TRUE(ctl.Saw(sim.Device() + "  id=-", 1, false)) << ctl.err.toStdString();
    Pump(std::chrono::milliseconds(1200));  // polled while it stays: never taken again
    sim.Control("silent");
    ASSERT_TRUE(ctl.Saw("waiting for a unit on " + sim.Device(), 2)) << ctl.err.toStdString();
    sim.Control("unit 10");
    EXPECT_EQ(ctl.Finish(), 4) << ctl.err.toStdString();
    const QStringList lines = ctl.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << ctl.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("FAIL  ")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("PASS  ") && lines[1].contains("changes: none")) << lines[1].toStdString();
    EXPECT_TRUE(Holds(lines[0], "failed at the set"));
}

// Two stations side by side, one of them behind a name whose adapter is pulled and plugged back.
TEST(Commission, StationsSideBySideAndAnAdapterPulledAndPluggedBack)
{
    QTemporaryDir dir;
    auto pulled = std::make_unique<SimProcess>(QStringList{"--control"});
    pulled->Control("silent");
    SimProcess other({"--control"});
    other.Control("silent");
    const QString link = dir.filePath("ttyQ42");
    ASSERT_TRUE(QFile::link(pulled->Device(), link));
    Ctl ctl({"-r", link, "-r", other.Device(), "-t", "200", "commission", "--from", WriteFile(dir.filePath("golden.json"), kGolden),
             "--no-backup", "--no-save", "--units", "2"});
    ASSERT_TRUE(ctl.Saw("waiting for a unit on ", 2)) << ctl.err.toStdString();
    pulled.reset();
    ASSERT_TRUE(ctl.Saw(link + ": the adapter went away; waiting for it to come back")) << ctl.err.toStdString();
    SimProcess back({"--control"});
    back.Control("unit 3");
    QFile::remove(link);
    ASSERT_TRUE(QFile::link(back.Device(), link));
    ASSERT_TRUE(ctl.Saw(link + ": the adapter is there\n")) << ctl.err.toStdString();
    other.Control("unit 4");
    EXPECT_EQ(ctl.Finish(), 0) << ctl.err.toStdString();
    EXPECT_TRUE(Holds(ctl.out, "PASS  " + link + "  id=-  changes: L9 ATT_DL: 13 -> 20  not saved (--no-save)\n"));
    EXPECT_TRUE(ctl.out.contains("PASS  " + other.Device() + "  id=-  changes: L9 ATT_DL: 14 -> 20  not saved (--no-save)\n"));

    // --units counts across the stations whatever their state: one whose adapter never comes does
    // not hold the run once the units are done.
    Ctl counted({"-r", other.Device(), "-r", "/dev/q42-never-plugged", "-t", "200", "commission", "--from",
                 dir.filePath("golden.json"), "--no-backup", "--no-save", "--units", "1"});
    EXPECT_EQ(counted.Finish(), 0) << counted.err.toStdString();
    EXPECT_EQ(counted.out.count("PASS  "), 1) << counted.out.toStdString();
}

// The run ends at Ctrl-C while the stations wait, and at the end of the ids' input, whose last id
// counts without its line end; either way with a summary and status 0, since no unit failed.
TEST(Commission, EndsAtCtrlCAndAtTheEndOfInput)
{
    QTemporaryDir dir;
    const QString golden = WriteFile(dir.filePath("golden.json"), kGolden);
    SimProcess sim({"--control"});
    sim.Control("silent");
    for (const bool interrupt : {true, false}) {
        Ctl ctl({"-r", sim.Device(), "-t", "200", "commission", "--from", golden, "--no-backup", "--ask-unit-id"});
        ASSERT_TRUE(ctl.Saw("waiting for a unit on ")) << ctl.err.toStdString();
        if (interrupt) {
            // A flood of lines with no unit to name (`yes |`): a reader that took every line would
            // empty the pipe at once; one that stops at 64 unread lines leaves most of it unwritten.
            QByteArray flood;
            for (int i = 0; i < 100000; ++i) {
                flood += "y\n";
            }
            ctl.process.write(flood);
            EXPECT_FALSE(WaitFor([&] {
                ctl.process.waitForBytesWritten(10);
                return ctl.process.bytesToWrite() == 0;
            }, std::chrono::seconds(2)))
                << "every line was read";
            ::kill(static_cast<pid_t>(ctl.process.processId()), SIGINT);
            ASSERT_TRUE(ctl.Saw("q42ctl: stopping once the unit under way is done (Ctrl-C again stops at once)\n"));
        } else {
            sim.Control("unit 6");
            ASSERT_TRUE(ctl.Saw(": a unit answered; its id (Enter for none): "));
            // A scanner gone wrong: a line over the bound is refused by name and the id asked again;
            // one of exactly the bound is an id.
            ctl.process.write(QByteArray(1025, 'x') + "\n" + QByteArray(1024 - 3, 'y') + "B-7");
            ctl.process.closeWriteChannel();
        }
        EXPECT_EQ(ctl.Finish(), 0) << ctl.err.toStdString();
        EXPECT_TRUE(ctl.err.endsWith(interrupt ? "q42ctl: 0 units: 0 passed, 0 failed\n" : "q42ctl: 1 unit: 1 passed, 0 failed\n"))
            << ctl.err.toStdString();
        EXPECT_EQ(ctl.out.startsWith("PASS  " + sim.Device() + "  id=" + QString(1024 - 3, 'y') + "B-7  "), !interrupt)
            << ctl.out.toStdString();
        EXPECT_EQ(ctl.err.contains(": an id of more than 1024 bytes was not taken; give the unit's id again\n"), !interrupt)
            << ctl.err.toStdString();
        sim.Control("silent");
    }
}

// Ctrl-C, SIGTERM or SIGHUP (the terminal closed) while a unit is being written finishes that unit
// first, with its record and log line; a second one stops at once, and the unit fails at the step it
// was in. A SIGHUP ignored at the start (nohup) changes nothing. Each message names the signal.
TEST(Commission, AStopSignalDuringAUnitFinishesItAndASecondStopsAtOnce)
{
    QTemporaryDir dir;
    const QString golden = WriteFile(dir.filePath("golden.json"), kGolden);
    const struct {
        int signal;
        int count;
        bool ignoredAtStart;
        int exitCode;
        const char* said;  // on standard error after the first
    } cases[] = {
        {SIGINT, 1, false, 0, "q42ctl: stopping once the unit under way is done (Ctrl-C again stops at once)\n"},
        {SIGINT, 2, false, 4, "q42ctl: stopping once the unit under way is done (Ctrl-C again stops at once)\n"},
        {SIGTERM, 1, false, 0, "q42ctl: SIGTERM came: stopping once the unit under way is done (another stops at once)\n"},
        {SIGHUP, 1, false, 0,
         "q42ctl: SIGHUP (the terminal closed) came: stopping once the unit under way is done (another stops at once)\n"},
        {SIGHUP, 2, false, 4, "stopped by a second SIGHUP (the terminal closed) during the set"},
        {SIGHUP, 1, true, -1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "signal " << c.signal << " x" << c.count << (c.ignoredAtStart ? ", ignored" : ""));
        SimProcess sim({"--control", "--delay-ms", "300"});
        sim.Control("unit 1");
        const QString log = dir.filePath(QStringLiteral("log-%1-%2").arg(c.signal).arg(c.count));
        const QStringList args{"-r", sim.Device(), "--trace", "--log", log, "commission", "--from", golden, "--no-backup"};
        std::unique_ptr<Ctl> ctl;
        if (c.ignoredAtStart) {
            ::signal(SIGHUP, SIG_IGN);  // inherited, as nohup leaves it
            ctl = std::make_unique<Ctl>(args);
            ::signal(SIGHUP, SIG_DFL);
        } else {
            ctl = std::make_unique<Ctl>(args);
        }
        ASSERT_TRUE(ctl->Saw(" sent     :FF23")) << ctl->err.toStdString();  // the set is on its way
        for (int i = 0; i < c.count; ++i) {
            ::kill(static_cast<pid_t>(ctl->process.processId()), c.signal);
            if (!c.ignoredAtStart) {
                ASSERT_TRUE(ctl->Saw("stopping once the unit under way is done")) << "a signal is taken before the next";
            }
        }
        if (c.ignoredAtStart) {
            ASSERT_TRUE(ctl->Saw("PASS", 1, false));
            EXPECT_FALSE(ctl->err.contains("stopping")) << ctl->err.toStdString();
            EXPECT_EQ(ctl->process.state(), QProcess::Running) << "the run goes on to the next unit";
            ctl->process.kill();
            ctl->Finish();
            continue;
        }
        EXPECT_EQ(ctl->Finish(), c.exitCode) << ctl->err.toStdString();
        EXPECT_TRUE(ctl->err.contains(c.said)) << ctl->err.toStdString();
        EXPECT_TRUE(ctl->out.startsWith(c.count == 1 ? "PASS" : "FAIL  " + sim.Device() + "  id=-  failed at the set  "))
            << ctl->out.toStdString();
        const QString kept = Contents(log);
        ASSERT_EQ(kept.count('\n'), 1) << "one whole line for the unit";
        EXPECT_EQ(JsonLines(kept.toUtf8()).value(0)["result"].toString(), c.count == 1 ? "PASS" : "FAIL");
    }
}

// A standard output nobody reads any more (the reader of a pipe gone, as after '| head -1'): the unit
// under way is finished and logged, no next unit is started, and the run ends with status 6.
TEST(Commission, AClosedStandardOutputEndsTheRunAfterTheUnitWithItsLogLine)
{
    QTemporaryDir dir;
    const QString golden = WriteFile(dir.filePath("golden.json"), kGolden);
    const QString log = dir.filePath("bench.log");
    SimProcess sim({"--control"});
    sim.Control("unit 1");
    QProcess run;
    run.setChildProcessModifier([] {
        int ends[2];
        if (::pipe(ends) == 0) {
            ::close(ends[0]);  // no reader: a write fails with EPIPE, or kills with SIGPIPE
            ::dup2(ends[1], STDOUT_FILENO);
        }
    });
    run.start(QStringLiteral(Q42CTL_PATH), {"-r", sim.Device(), "--log", log, "commission", "--from", golden, "--no-backup"});
    ASSERT_TRUE(run.waitForFinished(15000)) << "the run ends by itself";
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << "not killed by SIGPIPE";
    EXPECT_EQ(run.exitCode(), 6);
    const QString err = QString::fromLocal8Bit(run.readAllStandardError());
    EXPECT_TRUE(Holds(err, "q42ctl: standard output could not be written: stopping once the unit under way is done\n"));
    const QString kept = Contents(log);
    ASSERT_EQ(kept.count('\n'), 1);
    EXPECT_EQ(JsonLines(kept.toUtf8()).value(0)["result"].toString(), "PASS");
}

// The command a FAIL record gives to put its backup back works when pasted into sh, from a backup
// folder named with any character a shell treats specially, and never runs anything else; it carries
// the rate when the unit talks at 9600.
TEST(Commission, TheRestoreCommandOfAFailWorksPastedFromAnyFolder)
{
    QTemporaryDir dir;
    const QString golden = WriteFile(dir.filePath("golden.json"), kGolden);
    const QString binDir = QFileInfo(QStringLiteral(Q42CTL_PATH)).absolutePath();
    // Every character a shell treats specially, in one folder's name, and a command hidden in it.
    const QString folder = dir.filePath("b' $ ` ; & ( \" \\ x;touch pwned;x");
    for (const int baud : {57600, 9600}) {
        SCOPED_TRACE(testing::Message() << "at " << baud);
        SimProcess sim({"--control", "--verbose", "--baud", QString::number(baud)});
        sim.Control("unit 1 forget-sets");
        Ctl ctl({"-r", sim.Device(), "-s", QString::number(baud), "--json", "commission", "--from", golden, "--backup-dir",
                 folder, "--units", "1"});
        EXPECT_EQ(ctl.Finish(), 5) << ctl.err.toStdString();
        const QList<QJsonObject> records = JsonLines(ctl.out.toUtf8());
        ASSERT_EQ(records.size(), 1) << ctl.out.toStdString();
        const QString restore = records[0]["restore"].toString();
        EXPECT_EQ(restore.contains(" -s 9600 "), baud == 9600) << restore.toStdString();
        sim.Control("unit 1");  // the fault cleared, the unit takes the values back
        QProcess shell;
        shell.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", binDir + ":" + env.value("PATH"));
        shell.setProcessEnvironment(env);
        shell.start("sh", {"-c", restore});
        ASSERT_TRUE(shell.waitForFinished(20000));
        EXPECT_EQ(shell.exitCode(), 0) << restore.toStdString() << "\n" << shell.readAllStandardError().toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath("pwned"))) << "nothing but the restore ran: " << restore.toStdString();
        EXPECT_TRUE(sim.Commands().endsWith("23 06 21")) << sim.Commands().toStdString();
    }
}

// set --backup keeps the values before the set; set --from the backup --save --verify restores them.
TEST(Commission, ABackupOfASetRestoresTheUnit)
{
    QTemporaryDir dir;
    SimProcess sim;
    const QString backup = dir.filePath("before.json");
    QProcess set;
    set.start(QStringLiteral(Q42CTL_PATH), {"-r", sim.Device(), "set", "l9_att_dl=33", "sleep_mode=on", "--backup", backup});
    ASSERT_TRUE(set.waitForFinished(10000));
    EXPECT_EQ(set.exitCode(), 0);
    EXPECT_EQ(QString::fromLocal8Bit(set.readAllStandardError()),
              sim.Device() + ": the unit keeps the values written only until it loses power; 'q42ctl -r " + sim.Device() +
                  " save' makes it keep them\n");
    QProcess restore;
    restore.start(QStringLiteral(Q42CTL_PATH), {"-r", sim.Device(), "set", "--from", backup, "--save", "--verify"});
    ASSERT_TRUE(restore.waitForFinished(10000));
    EXPECT_EQ(restore.exitCode(), 0) << restore.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromLocal8Bit(restore.readAllStandardOutput()), "L9 ATT_DL: 33 -> 10\nSleep Mode: ON -> OFF\n");
}

}  // namespace
}  // namespace q42::test
