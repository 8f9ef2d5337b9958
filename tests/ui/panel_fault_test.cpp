// SPDX-License-Identifier: MIT
// A hostile line and faulty ports, seen from the window: after each fault the form holds only what
// the unit sent, the line carried only what was asked, and a clean Search still works.
#include <gtest/gtest.h>

#include <QLineEdit>

#include <random>

#include "panel_fixture.h"
#include "sim_process.h"

namespace q42 {
namespace {

using namespace std::chrono_literals;
using test::Panel;
using test::Pump;
using test::SimProcess;
using test::WaitFor;

const QString kQueryFrame =
    ":FF21006D02002101002701002201002801004D01004B01004E01004C01005301002B01004901007E01004A01007F01";
const QStringList kFactoryFields = {"2", "10", "10", "12", "12", "0", "0", "0", "0"};

QStringList Fields(const Panel& p)
{
    QStringList out;
    for (QLineEdit* f : p.dlg.Controls().fields) {
        out << f->text();
    }
    return out;
}

int Errors(const Panel& p)
{
    return static_cast<int>(std::count_if(p.boxes.begin(), p.boxes.end(),
                                          [](const auto& box) { return box.first == QMessageBox::Critical; }));
}

// Stop, wire a well-behaved unit to port 1, Start and Search: the tool must still read it correctly.
void ExpectCleanSearch(Panel& p, const char* after)
{
    p.Click(IDC_STOP);
    SimProcess clean;
    clean.Wire(1);
    p.boxes.clear();
    p.Click(IDC_START);
    ASSERT_TRUE(p.dlg.Started()) << after << ": " << p.Texts().join(" | ").toStdString();
    p.Click(IDC_SEARCH);
    ASSERT_TRUE(WaitFor([&] { return p.Count("Search Success!") == 1; })) << after;
    EXPECT_EQ(Fields(p), kFactoryFields) << after;
}

TEST(PanelFaults, HostileAnswers)
{
    enum Outcome { Nothing, Answered, EitherWay };
    struct Case {
        const char* name;
        QStringList options;
        int command;
        Outcome outcome;
    };
    const Case cases[] = {
        // Bytes after an overflow start over, so the answer at a flood's end may or may not fit whole.
        {"20 kB garbage flood", {"--garbage", "20000", "--baud", "1000000"}, IDC_SEARCH, EitherWay},
        {"burst longer than 160 bytes", {"--garbage", "40"}, IDC_SEARCH, Nothing},
        {"two query answers overflow one burst", {"--twice"}, IDC_SEARCH, Nothing},
        {"two acknowledgements in one burst", {"--twice"}, IDC_SAVE, Answered},
        {"CR without LF", {"--cr-only"}, IDC_SEARCH, Nothing},
        {"no answer", {"--no-answer"}, IDC_SEARCH, Nothing},
        {"pieces past the quiet gap", {"--split-at", "60", "--pause-ms", "400"}, IDC_SEARCH, Nothing},
        {"a space among the digits", {"--spaces"}, IDC_SEARCH, Answered},
        {"lower-case hex", {"--lowercase"}, IDC_SEARCH, Answered},
        {"every byte its own piece", {"--chunk", "1"}, IDC_SEARCH, Answered},
        {"short garbage before the answer", {"--garbage", "20"}, IDC_SEARCH, Answered},
    };
    for (const Case& c : cases) {
        SimProcess sim(QStringList(c.options) << "--verbose");
        ASSERT_TRUE(sim.Started()) << c.name;
        sim.Wire(1);
        Panel p;
        p.Click(IDC_START);
        p.Click(c.command);
        Pump(900ms);
        const QString message = c.command == IDC_SEARCH ? "Search Success!" : "Success!";
        const int answered = p.Count(message);
        if (c.outcome != EitherWay) {
            EXPECT_EQ(answered, c.outcome == Answered ? 1 : 0) << c.name;
        }
        EXPECT_LE(p.boxes.size(), 1u) << c.name;
        const bool filled = c.command == IDC_SEARCH && answered == 1;
        EXPECT_EQ(Fields(p), filled ? kFactoryFields : QStringList(9, "")) << c.name;
        EXPECT_EQ(Errors(p), 0) << c.name;
        EXPECT_EQ(sim.FramesReceived(), QStringList({c.command == IDC_SEARCH ? kQueryFrame : ":FF06"}))
            << c.name;
        ExpectCleanSearch(p, c.name);
    }
}

TEST(PanelFaults, DeviceVanishingMidAnswerAHundredTimes)
{
    Panel p;
    std::mt19937 rng(7);
    for (int round = 0; round < 100; ++round) {
        const int cut = 1 + static_cast<int>(rng() % 125);
        SimProcess sim({"--hangup-after", "1", "--hangup-at-byte", QString::number(cut)});
        ASSERT_TRUE(sim.Started());
        sim.Wire(1);
        p.Click(IDC_START);
        ASSERT_TRUE(p.dlg.Started()) << "round " << round << ": " << p.Texts().join(" | ").toStdString();
        p.Click(IDC_SEARCH);
        ASSERT_TRUE(WaitFor([&] { return !p.dlg.Started(); })) << "round " << round;
        Pump(20ms);
        ASSERT_EQ(Errors(p), round + 1) << "round " << round << " cut at " << cut;
        ASSERT_FALSE(p.dlg.Comm().PortOpen());
    }
    Pump(300ms);
    EXPECT_EQ(Errors(p), 100);
    EXPECT_EQ(p.Count("Search Success!"), 0);
    EXPECT_EQ(Fields(p), QStringList(9, "")) << "a cut answer never reaches the form";
    ExpectCleanSearch(p, "after 100 vanishings");
}

TEST(PanelFaults, BusyDeviceIsToldApartFromPermission)
{
    SimProcess sim;
    sim.Wire(1);
    CMSComm other;  // another program holding the port
    other.CommPort(1);
    other.PortOpen(true);
    Panel p;
    p.Click(IDC_START);
    ASSERT_EQ(Errors(p), 1);
    const QString text = p.boxes.back().second;
    EXPECT_TRUE(text.contains("busy")) << text.toStdString();
    EXPECT_FALSE(text.contains("dialout")) << text.toStdString();
    EXPECT_FALSE(p.dlg.Started());
    other.PortOpen(false);
    p.boxes.clear();
    p.Click(IDC_START);
    EXPECT_TRUE(p.dlg.Started()) << "Start works once the other program lets go";
}

}  // namespace
}  // namespace q42
