// SPDX-License-Identifier: MIT
// The guided first run against the simulated unit, its prompts answered on standard input as a
// technician would: the power cycle and the pulled cable done to the unit when asked for.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <memory>

#include "ctl_process.h"
#include "sim_process.h"

namespace q42::test {
namespace {

using namespace std::chrono_literals;

TEST(Acceptance, AGuidedRunWithEveryPromptAnswered)
{
    SimProcess first({"--control", "--verbose"});
    ASSERT_TRUE(first.Started());
    std::unique_ptr<SimProcess> second;
    QTemporaryDir dir;
    // The adapter's stable name, as /dev/serial/by-id gives one: it leads to the unit plugged in.
    const QString link = dir.filePath("unit");
    ASSERT_TRUE(QFile::link(first.Device(), link));
    const QString report = dir.filePath("report.txt");

    QProcess run;
    run.start(QStringLiteral(Q42CTL_PATH), {"-r", link, "-t", "400", "doctor", "--acceptance", report});
    QString err;
    int answered = 0;
    const struct {
        const char* prompt;
        const char* answer;
    } prompts[] = {
        {"Type one value to change for the test as NAME=VALUE", "L9_ATT_DL=11\n"},
        {"Switch the unit off, then on again", "\n"},
        {"Next the cable: press Enter, then pull the USB cable", "\n"},
        {"Plug the cable back in", "\n"},
    };
    while (run.state() != QProcess::NotRunning && answered < 4) {
        run.waitForReadyRead(200);
        err += QString::fromLocal8Bit(run.readAllStandardError());
        if (!err.contains(prompts[answered].prompt)) {
            continue;
        }
        if (answered == 1) {
            first.Control("power-cycle");  // only what was saved survives it
        }
        if (answered == 3) {
            second = std::make_unique<SimProcess>(QStringList{"--verbose"});
            QFile::remove(link);
            ASSERT_TRUE(QFile::link(second->Device(), link));
        }
        run.write(prompts[answered].answer);
        run.waitForBytesWritten();
        if (answered == 2) {
            Pump(1500ms);  // the unit answers the polls a while, then the cable goes
            first.Control("hangup");
        }
        err = err.mid(err.indexOf(prompts[answered].prompt) + 1);
        ++answered;
    }
    ASSERT_TRUE(run.waitForFinished(30000));
    err += QString::fromLocal8Bit(run.readAllStandardError());
    EXPECT_EQ(answered, 4) << err.toStdString();
    EXPECT_EQ(run.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(run.readAllStandardOutput().isEmpty());
    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QStringList steps;
    for (const QString& line : text.split('\n')) {
        if (line.startsWith("== ") && (line.contains(": PASS") || line.contains(": FAIL"))) {
            steps << line.section(':', 0, 1);
        }
    }
    const QString firstValues = dir.filePath("report-first-values.json");
    EXPECT_TRUE(Holds(text, "\n== the unit's first values: " + firstValues + "\n"));
    QFile kept(firstValues);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(kept.readAll()).object()["L9 ATT_DL"].toInt(), 10) << "the values before the set";
    EXPECT_EQ(steps, QStringList({"== doctor: PASS", "== detect: PASS", "== get: PASS", "== set, verify, save: PASS",
                                  "== values after the power cycle: PASS", "== cable pulled: PASS",
                                  "== first values put back: PASS"}));
    EXPECT_TRUE(err.contains(QStringLiteral("acceptance: 7 of 7 steps passed; send %1 back").arg(report))) << err.toStdString();
    // Only the query went to the unit before the set (doctor, detect, get and the set's own read),
    // then the set, the save and the read that verifies; then the polls of the cable step.
    const QString commands = first.Commands();
    EXPECT_TRUE(commands.startsWith("21 21 21 21 23 06 21")) << commands.toStdString();
    const QStringList sets = first.FramesReceived().filter(":FF23");
    ASSERT_EQ(sets.size(), 1);
    EXPECT_TRUE(sets[0].startsWith(":FF23006D0278000021010B002701")) << "L9 ATT_DL 11, the rest as read: " << sets[0].toStdString();
    EXPECT_TRUE(second && second->Commands().contains("23 06 21")) << (second ? second->Commands().toStdString() : "");
}

// A guided run answered up to the power-cycle prompt, with L9 ATT_DL 11 set.
bool ToThePowerCycle(Ctl& run)
{
    if (!run.Saw("Type one value to change")) {
        return false;
    }
    run.process.write("L9_ATT_DL=11\n");
    return run.Saw("Switch the unit off");
}

// Values that could not be read after the set prove nothing about the power cycle: that step fails,
// however the read after it went.
TEST(Acceptance, NoValuesReadAfterTheSetIsNoPass)
{
    SimProcess sim({"--verbose", "--lose-answer", "8"});  // the read after the set, verify and save
    QTemporaryDir dir;
    const QString report = dir.filePath("report.txt");
    Ctl run({"-r", sim.Device(), "-t", "400", "doctor", "--acceptance", report});
    ASSERT_TRUE(ToThePowerCycle(run)) << run.err.toStdString();
    run.process.write("\n");
    ASSERT_TRUE(run.Saw("Next the cable")) << run.err.toStdString();
    run.process.closeWriteChannel();
    EXPECT_NE(run.Finish(), 0) << run.err.toStdString();
    const QString text = Contents(report);
    EXPECT_TRUE(Holds(text, "== set, verify, save: PASS"));
    EXPECT_TRUE(Holds(text, "== values after the power cycle: FAIL"));
}

// A run stopped after its set, by the end of input or a stop signal at the power-cycle prompt, puts
// the unit's first values back before it ends, and says why it stopped.
TEST(Acceptance, AfterTheSetAnyStopPutsTheFirstValuesBack)
{
    const struct {
        const char* name;
        int signal;  // 0: standard input ends
        const char* said;
    } cases[] = {
        {"the end of input", 0, "acceptance: standard input ended: the run stopped before the power cycle\n"},
        {"SIGTERM", SIGTERM, "acceptance: SIGTERM came: the run stopped before the power cycle\n"},
        {"SIGHUP", SIGHUP, "acceptance: SIGHUP (the terminal closed) came: the run stopped before the power cycle\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SimProcess sim({"--verbose"});
        QTemporaryDir dir;
        const QString report = dir.filePath("report.txt");
        Ctl run({"-r", sim.Device(), "-t", "400", "doctor", "--acceptance", report});
        ASSERT_TRUE(ToThePowerCycle(run)) << run.err.toStdString();
        if (c.signal == 0) {
            run.process.closeWriteChannel();
        } else {
            ::kill(static_cast<pid_t>(run.process.processId()), c.signal);
        }
        EXPECT_EQ(run.Finish(), 4) << run.err.toStdString();
        const QString& err = run.err;
        EXPECT_TRUE(Holds(err, c.said));
        EXPECT_TRUE(err.contains("acceptance: the unit's first values are kept in " + dir.filePath("report-first-values.json") +
                                 "\n"))
            << "said before the set, where a stopped run can find them: " << err.toStdString();
        EXPECT_TRUE(Holds(err, "acceptance: first values put back: PASS"));
        EXPECT_TRUE(Holds(err, "acceptance: stopped early: 5 of 5 steps passed"));
        QStringList sets;
        WaitFor([&] { return (sets = sim.FramesReceived().filter(":FF23")).size() >= 2; }, std::chrono::seconds(2));
        ASSERT_EQ(sets.size(), 2) << "the test's set, then the first values again";
        EXPECT_TRUE(sets[1].startsWith(":FF23006D0278000021010A002701")) << "L9 ATT_DL 10 again: " << sets[1].toStdString();
    }
}

// A unit gone by the time the run stops: putting its first values back is tried a few times, never
// without end, and the command that does it later is said.
TEST(Acceptance, AUnitGoneWhenTheRunStopsGetsTheWayToPutItBack)
{
    auto sim = std::make_unique<SimProcess>(QStringList{"--verbose"});
    const QString device = sim->Device();
    QTemporaryDir dir;
    Ctl run({"-r", device, "-t", "400", "doctor", "--acceptance", dir.filePath("report.txt")});
    ASSERT_TRUE(ToThePowerCycle(run)) << run.err.toStdString();
    sim.reset();
    run.process.closeWriteChannel();
    EXPECT_EQ(run.Finish(), 3) << "the unit could not be opened: " << run.err.toStdString();
    EXPECT_TRUE(Holds(run.err, "acceptance: first values put back: FAIL: " + device + ": the device does not exist"));
    EXPECT_TRUE(Holds(run.err, "this puts the first back: q42ctl -r " + device + " set --from " +
                                   dir.filePath("report-first-values.json") + " --save --verify"));
}

TEST(Acceptance, StopsWhereNoUnitAnswersAndKeepsTheRecord)
{
    SimProcess silent({"--no-answer", "--verbose"});
    QTemporaryDir dir;
    Ctl run({"-r", silent.Device(), "-t", "200", "doctor", "--acceptance", dir.filePath("report.txt")});
    run.process.closeWriteChannel();
    EXPECT_EQ(run.Finish(), 4);
    const QString text = Contents(dir.filePath("report.txt"));
    EXPECT_TRUE(Holds(text, "== doctor: FAIL: no unit answered"));
    EXPECT_FALSE(text.contains("== get")) << "nothing after a doctor that found no unit";
    EXPECT_EQ(silent.Commands(), "21 21");
}

}  // namespace
}  // namespace q42::test
