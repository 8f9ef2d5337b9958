// SPDX-License-Identifier: MIT
// 'q42ctl commission' against simulated units that a test connects, swaps and disconnects through
// the unit's control input, as a bench moves its cable: records, backups, the order of backup and
// set, faults at each step, a pulled adapter, Ctrl-C and the end of the ids' input.
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include "sim_process.h"

namespace q42::test {
namespace {

// A running q42ctl whose output the test reads as it comes.
struct Ctl {
    QProcess process;
    QString out;
    QString err;

    explicit Ctl(const QStringList& args)
    {
        process.start(QStringLiteral(Q42CTL_PATH), args);
        process.waitForStarted();
    }
    // Waits until `text` has appeared `times` times on standard output (or error).
    bool Saw(const QString& text, int times = 1, bool onErr = true)
    {
        return WaitFor([&] {
            out += QString::fromLocal8Bit(process.readAllStandardOutput());
            err += QString::fromLocal8Bit(process.readAllStandardError());
            return (onErr ? err : out).count(text) >= times;
        }, std::chrono::seconds(10));
    }
    int Finish()
    {
        const bool ended = WaitFor([&] { return process.state() == QProcess::NotRunning; }, std::chrono::seconds(10));
        out += QString::fromLocal8Bit(process.readAllStandardOutput());
        err += QString::fromLocal8Bit(process.readAllStandardError());
        return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    QList<QJsonObject> Records() const
    {
        QList<QJsonObject> records;
        for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
            records << QJsonDocument::fromJson(line.toUtf8()).object();
        }
        return records;
    }
};

QString Write(const QTemporaryDir& dir, const char* name, const char* text)
{
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return file.fileName();
}

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
    Ctl ctl({"-r", sim.Device(), "-t", "300", "--trace", "--log", log, "commission", "--from", Write(dir, "golden.json", kGolden),
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
    EXPECT_TRUE(ctl.err.contains(sim.Device() + ": the id A-1 was given before in this run")) << ctl.err.toStdString();
    EXPECT_EQ(ctl.err.count("was given before"), 1);
    EXPECT_TRUE(ctl.err.endsWith("q42ctl: 4 units: 4 passed, 0 failed\n")) << ctl.err.toStdString();

    const QList<QJsonObject> records = ctl.Records();
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
    Ctl ctl({"-r", sim.Device(), "-t", "300", "commission", "--from", Write(dir, "golden.json", kGolden), "--backup-dir",
             dir.path(), "--units", "4"});
    const QString waiting = "waiting for a unit on " + sim.Device();
    const char* const next[] = {"unit 2 silent-after-set", "unit 3 silent-at-save", "unit 4"};
    for (int unit = 0; unit < 3; ++unit) {
        ASSERT_TRUE(ctl.Saw(sim.Device() + "  id=-", unit + 1, false)) << ctl.err.toStdString();
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
    Ctl ctl({"-r", link, "-r", other.Device(), "-t", "200", "commission", "--from", Write(dir, "golden.json", kGolden),
             "--no-backup", "--no-save", "--units", "2"});
    ASSERT_TRUE(ctl.Saw("waiting for a unit on ", 2)) << ctl.err.toStdString();
    pulled.reset();
    ASSERT_TRUE(ctl.Saw(link + ": the adapter went away; waiting for it to come back")) << ctl.err.toStdString();
    SimProcess back({"--control"});
    back.Control("unit 3");
    QFile::remove(link);
    ASSERT_TRUE(QFile::link(back.Device(), link));
    ASSERT_TRUE(ctl.Saw(link + ": the adapter is there")) << ctl.err.toStdString();
    other.Control("unit 4");
    EXPECT_EQ(ctl.Finish(), 0) << ctl.err.toStdString();
    EXPECT_TRUE(ctl.out.contains("PASS  " + link + "  id=-  changes: L9 ATT_DL: 13 -> 20  not saved (--no-save)\n"))
        << ctl.out.toStdString();
    EXPECT_TRUE(ctl.out.contains("PASS  " + other.Device() + "  id=-  changes: L9 ATT_DL: 14 -> 20  not saved (--no-save)\n"));
}

// The run ends at Ctrl-C while the stations wait, and at the end of the ids' input, whose last id
// counts without its line end; either way with a summary and status 0, since no unit failed.
TEST(Commission, EndsAtCtrlCAndAtTheEndOfInput)
{
    QTemporaryDir dir;
    const QString golden = Write(dir, "golden.json", kGolden);
    SimProcess sim({"--control"});
    sim.Control("silent");
    for (const bool interrupt : {true, false}) {
        Ctl ctl({"-r", sim.Device(), "-t", "200", "commission", "--from", golden, "--no-backup", "--ask-unit-id"});
        ASSERT_TRUE(ctl.Saw("waiting for a unit on ")) << ctl.err.toStdString();
        if (interrupt) {
            ::kill(static_cast<pid_t>(ctl.process.processId()), SIGINT);
            ASSERT_TRUE(ctl.Saw("q42ctl: stopping once the unit under way is done (Ctrl-C again stops at once)\n"));
        } else {
            sim.Control("unit 6");
            ASSERT_TRUE(ctl.Saw(": a unit answered; its id (Enter for none): "));
            ctl.process.write("B-7");
            ctl.process.closeWriteChannel();
        }
        EXPECT_EQ(ctl.Finish(), 0) << ctl.err.toStdString();
        EXPECT_TRUE(ctl.err.endsWith(interrupt ? "q42ctl: 0 units: 0 passed, 0 failed\n" : "q42ctl: 1 unit: 1 passed, 0 failed\n"))
            << ctl.err.toStdString();
        EXPECT_EQ(ctl.out.startsWith("PASS  " + sim.Device() + "  id=B-7  "), !interrupt) << ctl.out.toStdString();
        sim.Control("silent");
    }
}

// Ctrl-C while a unit is being written finishes that unit first; a second one stops at once, and
// the unit fails at the step it was in.
TEST(Commission, CtrlCDuringAUnitFinishesItAndASecondStopsAtOnce)
{
    QTemporaryDir dir;
    const QString golden = Write(dir, "golden.json", kGolden);
    for (const int interrupts : {1, 2}) {
        SimProcess sim({"--control", "--delay-ms", "300"});
        sim.Control("unit 1");
        Ctl ctl({"-r", sim.Device(), "--trace", "commission", "--from", golden, "--no-backup"});
        ASSERT_TRUE(ctl.Saw(" sent     :FF23")) << ctl.err.toStdString();  // the set is on its way
        for (int i = 0; i < interrupts; ++i) {
            ::kill(static_cast<pid_t>(ctl.process.processId()), SIGINT);
            ASSERT_TRUE(ctl.Saw("q42ctl: stopping once the unit under way is done")) << "a signal is taken before the next";
        }
        EXPECT_EQ(ctl.Finish(), interrupts == 1 ? 0 : 4) << ctl.err.toStdString();
        EXPECT_TRUE(ctl.out.startsWith(interrupts == 1 ? "PASS" : "FAIL  " + sim.Device() + "  id=-  failed at the set  "))
            << ctl.out.toStdString();
        EXPECT_EQ(ctl.err.contains(sim.Device() + ": stopped by a second Ctrl-C during the set"), interrupts == 2);
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
