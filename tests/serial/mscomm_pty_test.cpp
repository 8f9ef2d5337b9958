// SPDX-License-Identifier: MIT
// The real serial component against q42-unit-sim on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QTimer>

#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "comm_error.h"
#include "comm_receive.h"
#include "frame_codec.h"
#include "mscomm.h"
#include "payloads.h"
#include "receive_accumulator.h"
#include "recording_sink.h"
#include "sim_process.h"

namespace q42 {
namespace {

using namespace std::chrono_literals;
using test::Pump;
using test::RecordingSink;
using test::SimProcess;
using test::WaitFor;

const std::vector<std::string> kFactoryValues = {
    "ISO TIME=2",    "L9 ATT_DL=10",  "L9 ATT_UL=10",  "L7 ATT_DL=12",     "L7 ATT_UL=12",
    "L9 DL ISO ADJ=0", "L9 UL ISO ADJ=0", "L7 DL ISO ADJ=0", "L7 UL ISO ADJ=0", "Sleep Mode=OFF",
    "SMART Switch=ON", "L9_PA_SW=ON",   "L7_PA_SW=ON",   "refresh",          "message Search Success!",
};

// The receive path as the window wires it: port events and a 10 ms tick into the accumulator.
struct Link {
    CMSComm comm;
    RecordingSink sink;
    ReceiveAccumulator acc{sink};
    QTimer tick;
    int events = 0;
    int lostEvents = 0;

    Link()
    {
        acc.InitReceive();
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(kReceiveTickMs);
        QObject::connect(&tick, &QTimer::timeout, [this] { acc.OnTimerTick(); });
        QObject::connect(&comm, &CMSComm::OnComm, [this] {
            ++events;
            lostEvents += DeliverCommEvent(comm, acc) == CMSComm::comEventDeviceLost;
        });
        tick.start();
    }

    void Start(const char* settings = "57600,n,8,1")
    {
        comm.CommPort(1);
        comm.PortOpen(true);
        comm.Settings(settings);
        comm.InputMode(1);
        comm.RThreshold(1);
        comm.InputLen(0);
        comm.Input();
    }

    void Search()
    {
        EncodeFrame(BuildQueryPayload());
        comm.Output(FrameTextView());
    }

    int Messages(const std::string& text) const
    {
        return static_cast<int>(std::count(sink.calls.begin(), sink.calls.end(), "message " + text));
    }

    std::vector<std::string> CallsWithoutRefresh() const
    {
        std::vector<std::string> out;
        for (const auto& c : sink.calls) {
            if (c != "refresh") {
                out.push_back(c);
            }
        }
        return out;
    }
};

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

TEST(MSCommPty, QueryAnswerIsOneBurstParsedIntoTheForm)
{
    for (const char* baud : {"57600", "9600"}) {
        SimProcess sim({"--baud", baud});
        ASSERT_TRUE(sim.Started());
        sim.Wire(1);
        Link link;
        link.Start((std::string(baud) + ",n,8,1").c_str());
        EXPECT_EQ(link.comm.DeviceName(), sim.Device());
        link.Search();
        ASSERT_TRUE(WaitFor([&] { return link.Messages("Search Success!") == 1; })) << baud;
        std::vector<std::string> expected = kFactoryValues;
        expected.erase(std::remove(expected.begin(), expected.end(), "refresh"), expected.end());
        EXPECT_EQ(link.CallsWithoutRefresh(), expected) << baud;
    }
}

TEST(MSCommPty, SetIsStoredAndReturnedBySearch)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Started());
    sim.Wire(1);
    Link link;
    link.Start();
    DeviceSettings s;
    s.iso_time = "5";
    s.l9_att_dl = "31";
    s.l7_ul_iso_adj = "-1";
    s.sleep_mode = kSwitchOn;
    s.l7_pa_sw = kSwitchOff;
    EncodeFrame(BuildSetPayload(s));
    link.comm.Output(FrameTextView());
    ASSERT_TRUE(WaitFor([&] { return link.Messages("Success!") == 1; }));
    link.sink.calls.clear();
    link.Search();
    ASSERT_TRUE(WaitFor([&] { return link.Messages("Search Success!") == 1; }));
    const auto calls = link.CallsWithoutRefresh();
    ASSERT_EQ(calls.size(), 14u);
    EXPECT_EQ(calls[0], "ISO TIME=5");
    EXPECT_EQ(calls[1], "L9 ATT_DL=31");
    EXPECT_EQ(calls[2], "L9 ATT_UL=0");
    EXPECT_EQ(calls[8], "L7 UL ISO ADJ=255");
    EXPECT_EQ(calls[9], "Sleep Mode=ON");
    EXPECT_EQ(calls[10], "SMART Switch=OFF");
    EXPECT_EQ(calls[12], "L7_PA_SW=OFF");
}

TEST(MSCommPty, QuietGapDecidesWhatIsOneBurst)
{
    struct Case {
        const char* pause;
        int searchSuccesses;
    };
    for (const Case c : {Case{"50", 1}, Case{"400", 0}}) {
        SimProcess sim({"--split-at", "60", "--pause-ms", c.pause});
        ASSERT_TRUE(sim.Started());
        sim.Wire(1);
        Link link;
        link.Start();
        link.Search();
        Pump(1200ms);
        EXPECT_EQ(link.Messages("Search Success!"), c.searchSuccesses) << "pause " << c.pause << " ms";
        EXPECT_GE(link.events, 2) << "the answer came in more than one piece";
    }
}

TEST(MSCommPty, DeviceVanishingRaisesOneEventAndNoBusyLoop)
{
    SimProcess sim({"--hangup-after", "1"});
    ASSERT_TRUE(sim.Started());
    sim.Wire(1);
    Link link;
    link.Start();
    link.Search();
    ASSERT_TRUE(WaitFor([&] { return link.lostEvents == 1; }));
    EXPECT_FALSE(link.comm.PortOpen());
    EXPECT_NE(link.comm.EventDescription().indexOf(sim.Device()), -1) << link.comm.EventDescription().toStdString();

    const double cpuBefore = CpuSeconds();
    Pump(1000ms);
    const double cpuUsed = CpuSeconds() - cpuBefore;
    EXPECT_EQ(link.lostEvents, 1);
    EXPECT_EQ(link.Messages("Search Success!"), 1) << "the answer before the hang-up still counts";
    EXPECT_LT(cpuUsed, 0.25) << "a second of idling after the hang-up cost " << cpuUsed << " s of CPU";

    try {
        link.Search();
        FAIL() << "Output on a closed port must throw";
    } catch (const CommError& e) {
        EXPECT_NE(std::string(e.what()).find("not open"), std::string::npos) << e.what();
    }
}

TEST(MSCommPty, OpenErrorsNameTheDeviceAndTheCure)
{
    SimProcess sim;
    ASSERT_TRUE(sim.Started());
    struct Case {
        const char* name;
        QString device;
        bool holdFirst;
        const char* settings;
        const char* expected;
    };
    const Case cases[] = {
        {"missing device", "/dev/q42-no-such-device", false, "57600,n,8,1", "does not exist"},
        {"busy device", sim.Device(), true, "57600,n,8,1", "busy"},
        {"not a serial device", "/dev/null", false, "57600,n,8,1", "is not a serial device"},
        {"unsupported baud", sim.Device(), false, "115200,n,8,1", "not supported"},
        {"unsupported parity", sim.Device(), false, "9600,e,8,1", "not supported"},
        {"garbage settings", sim.Device(), false, "fast", "not supported"},
    };
    for (const Case& c : cases) {
        qputenv("Q42_COM1", c.device.toLocal8Bit());
        CMSComm holder;
        if (c.holdFirst) {
            holder.CommPort(1);
            holder.PortOpen(true);
        }
        CMSComm comm;
        comm.CommPort(1);
        try {
            comm.PortOpen(true);
            comm.Settings(c.settings);
            FAIL() << c.name << ": no error";
        } catch (const CommError& e) {
            const std::string text = e.what();
            EXPECT_NE(text.find(c.expected), std::string::npos) << c.name << ": " << text;
            EXPECT_NE(text.find("COM1"), std::string::npos) << c.name << ": " << text;
            if (std::string(c.settings) == "57600,n,8,1") {
                EXPECT_NE(text.find(c.device.toStdString() + " (set by Q42_COM1)"), std::string::npos)
                    << c.name << ": " << text;
            }
        }
    }
}

TEST(MSCommPty, PermissionDeniedNamesTheDialoutGroup)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "making permission fail for real needs root, to drop to an unprivileged user";
    }
    SimProcess sim;
    ASSERT_TRUE(sim.Started());
    sim.Wire(1);
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The pseudo-terminal belongs to root and the tty group; user "nobody" is in neither.
        ::close(pipeFds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(3);
        }
        std::string text = "opened";
        try {
            CMSComm comm;
            comm.CommPort(1);
            comm.PortOpen(true);
        } catch (const CommError& e) {
            text = e.what();
        }
        const ssize_t written = ::write(pipeFds[1], text.data(), text.size());
        ::_exit(written == static_cast<ssize_t>(text.size()) ? 0 : 4);
    }
    ::close(pipeFds[1]);
    std::string text;
    char buf[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;) {
        text.append(buf, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    EXPECT_NE(text.find("permission denied"), std::string::npos) << text;
    EXPECT_NE(text.find("dialout"), std::string::npos) << text;
    EXPECT_NE(text.find(sim.Device().toStdString()), std::string::npos) << text;
}

TEST(MSCommPty, StaleInputIsDroppedAtOpen)
{
    SimProcess sim({"--baud", "9600"});
    ASSERT_TRUE(sim.Started());
    sim.Wire(1);
    {
        Link first;
        first.Start();
        first.Search();
        Pump(5ms);
        first.comm.PortOpen(false);  // the answer arrives with nobody reading
    }
    Pump(500ms);  // at 9600 baud the whole answer is on the line after about 240 ms
    Link link;
    link.Start();
    Pump(400ms);
    EXPECT_EQ(link.Messages("Search Success!"), 0) << "an answer to an earlier session must not show";
}

}  // namespace
}  // namespace q42
