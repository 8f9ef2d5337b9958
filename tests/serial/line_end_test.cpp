// SPDX-License-Identifier: MIT
// A line that hangs up under an open port: the port closes once, says "went away", and a frame given
// after the hang-up is refused, never reported as sent. Each case runs the real Qt serial port on a
// pseudo-terminal whose other side is closed, as a pulled cable closes a USB adapter's tty.
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <pty.h>
#include <unistd.h>

#include <optional>

#include "comm_error.h"
#include "line_end_watch.h"
#include "mscomm.h"
#include "unit_line.h"

namespace q42 {
namespace {

struct Pty {
    int master = -1;
    QString slave;
    Pty()
    {
        int slaveFd = -1;
        char name[256] = {};
        if (::openpty(&master, &slaveFd, name, nullptr, nullptr) == 0) {
            slave = QString::fromLocal8Bit(name);
            ::close(slaveFd);
        }
    }
    ~Pty() { HangUp(); }
    void HangUp()
    {
        if (master >= 0) {
            ::close(master);
            master = -1;
        }
    }
};

void RunEventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(LineEnd, AHangUpClosesThePortOnceAndNothingIsSentAfterIt)
{
    enum class Then { Wait, Send };
    const struct {
        const char* name;
        bool hangUp;
        Then then;
        int deviceLostEvents;
        std::optional<CommErrorKind> sendError;
    } cases[] = {
        {"a line that stays up", false, Then::Wait, 0, {}},
        {"a frame on a line that stays up", false, Then::Send, 0, {}},
        {"a hang-up while nothing is asked", true, Then::Wait, 1, {}},
        {"a frame given right after a hang-up", true, Then::Send, 1, CommErrorKind::WriteRefused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Pty pty;
        ASSERT_GE(pty.master, 0);
        CMSComm comm;
        int lost = 0;
        int otherEvents = 0;
        QObject::connect(&comm, &CMSComm::OnComm, [&] { (comm.CommEvent() == comEvDeviceLost ? lost : otherEvents)++; });
        OpenUnitLine(comm, UnitLine{1, pty.slave, 57600});
        ASSERT_TRUE(comm.PortOpen());
        if (c.hangUp) {
            pty.HangUp();
        }
        std::optional<CommErrorKind> sendError;
        if (c.then == Then::Send) {
            try {
                comm.Output(">0\r\n");
            } catch (const CommError& e) {
                sendError = e.Kind();
                EXPECT_NE(QString::fromStdString(e.what()).indexOf("the line hung up"), -1) << e.what();
            }
        }
        RunEventsFor(c.hangUp ? 1000 : 300);
        EXPECT_EQ(lost, c.deviceLostEvents);
        EXPECT_EQ(otherEvents, 0);
        EXPECT_EQ(sendError, c.sendError);
        EXPECT_EQ(comm.PortOpen(), !c.hangUp);
        if (c.hangUp) {
            EXPECT_EQ(comm.EventDescription(),
                      pty.slave + ": the device " + pty.slave +
                          " went away (the line hung up). Check the cable or plug the adapter back in, then start again.");
        } else {
            EXPECT_TRUE(LineEndReason(-1).isEmpty());
        }
        if (!c.hangUp && c.then == Then::Send) {
            char got[8] = {};
            EXPECT_EQ(::read(pty.master, got, sizeof got), 4);
            EXPECT_STREQ(got, ">0\r\n");
        }
    }
}

// The watch itself, on a pseudo-terminal's own handle: whatever the Qt release below the serial port
// makes of a hang-up, the watch says it once, and says nothing once stopped or while the line is up.
TEST(LineEnd, TheWatchSaysAHangUpOnceAndNothingOnceStopped)
{
    const struct {
        const char* name;
        bool hangUp;
        bool stopFirst;
        int said;
    } cases[] = {
        {"a hang-up", true, false, 1},
        {"a hang-up after the watch stopped", true, true, 0},
        {"a line that stays up", false, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int master = -1;
        int slave = -1;
        ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        LineEndWatch watch;
        QStringList said;
        QObject::connect(&watch, &LineEndWatch::ended, [&](const QString& reason) { said << reason; });
        watch.Watch(slave);
        if (c.stopFirst) {
            watch.Stop();
        }
        if (c.hangUp) {
            ::close(master);
            master = -1;
        }
        RunEventsFor(300);
        EXPECT_EQ(said.size(), c.said) << said.join("; ").toStdString();
        if (c.said > 0) {
            EXPECT_EQ(said.first(), "the line hung up");
        }
        EXPECT_EQ(LineEndReason(slave), c.hangUp ? "the line hung up" : "");
        watch.Stop();
        ::close(slave);
        if (master >= 0) {
            ::close(master);
        }
    }
}

}  // namespace
}  // namespace q42
