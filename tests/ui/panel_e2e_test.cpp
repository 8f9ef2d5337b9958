// SPDX-License-Identifier: MIT
// The real window, the real serial component and the simulated unit on a pseudo-terminal.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "frame_codec.h"
#include "panel_fixture.h"
#include "payloads.h"
#include "sim_process.h"

namespace q42 {
namespace {

using namespace std::chrono_literals;
using test::Panel;
using test::Pump;
using test::SimProcess;
using test::WaitFor;

QString SetFrameFor(const DeviceSettings& s)
{
    const std::size_t length = EncodeFrame(BuildSetPayload(s));
    return QString::fromLatin1(FrameTextView().substr(0, length - 2));
}

struct Bench {
    SimProcess sim;
    Panel panel;

    explicit Bench(QStringList options = {})
        : sim((options << "--verbose"))
    {
        sim.Wire(1);
    }
    void Start()
    {
        panel.Click(IDC_START);
        ASSERT_TRUE(panel.dlg.Started()) << panel.Texts().join(" | ").toStdString();
    }
    bool WaitForBox(const QString& text, int count = 1)
    {
        return WaitFor([&] { return panel.Count(text) >= count; });
    }
    QStringList Frames() { return sim.FramesReceived(); }
};

TEST(PanelEndToEnd, StartStopStateTable)
{
    Bench b;
    ASSERT_TRUE(b.sim.Started());
    const PanelControls& c = b.panel.dlg.Controls();
    b.Start();
    EXPECT_EQ(b.panel.dlg.Comm().CommPort(), 1);
    EXPECT_EQ(b.panel.dlg.Comm().DeviceName(), b.sim.Device());
    EXPECT_TRUE(b.panel.dlg.Comm().PortOpen());
    EXPECT_FALSE(c.start->isEnabled());
    EXPECT_TRUE(c.stop->isEnabled());
    EXPECT_FALSE(c.baud->isEnabled());
    EXPECT_FALSE(c.port->isEnabled());

    b.panel.Click(IDC_STOP);
    EXPECT_FALSE(b.panel.dlg.Started());
    EXPECT_TRUE(c.start->isEnabled());
    EXPECT_FALSE(c.stop->isEnabled());
    EXPECT_TRUE(c.baud->isEnabled());
    EXPECT_TRUE(c.port->isEnabled());
    EXPECT_TRUE(b.panel.dlg.Comm().PortOpen()) << "Stop leaves the port open";

    // Start again at 9600 closes and reopens.
    c.baud->setCurrentIndex(0);
    b.Start();
    EXPECT_TRUE(b.panel.dlg.Comm().PortOpen());
    EXPECT_TRUE(b.panel.boxes.empty()) << b.panel.Texts().join(" | ").toStdString();
}

TEST(PanelEndToEnd, SearchFillsTheFormAndSetSendsTheSameValuesBack)
{
    Bench b;
    b.Start();
    b.panel.Click(IDC_SEARCH);
    ASSERT_TRUE(b.WaitForBox("Search Success!"));
    const PanelControls& c = b.panel.dlg.Controls();
    QStringList shown;
    for (QLineEdit* f : c.fields) {
        shown << f->text();
    }
    EXPECT_EQ(shown, QStringList({"2", "10", "10", "12", "12", "0", "0", "0", "0"}));
    EXPECT_EQ(b.panel.ShownChoice(SwitchField::SleepMode), kSwitchOff);
    EXPECT_EQ(b.panel.ShownChoice(SwitchField::SmartSwitch), kSwitchOn);
    EXPECT_EQ(b.panel.ShownChoice(SwitchField::L9PaSw), kSwitchOn);
    EXPECT_EQ(b.panel.ShownChoice(SwitchField::L7PaSw), kSwitchOn);

    b.panel.Click(IDC_SET);
    ASSERT_TRUE(b.WaitForBox("Success!"));
    DeviceSettings same{"2", "10", "10", "12", "12", "0", "0", "0", "0", kSwitchOn, kSwitchOff, kSwitchOn, kSwitchOn, {}};
    const QStringList frames = b.Frames();
    ASSERT_EQ(frames.size(), 2);
    EXPECT_EQ(frames[1], SetFrameFor(same));

    b.panel.Click(IDC_SAVE);
    ASSERT_TRUE(b.WaitForBox("Success!", 2));
    EXPECT_EQ(b.Frames().value(2), ":FF06");
    EXPECT_EQ(b.panel.Texts(), QStringList({"Search Success!", "Success!", "Success!"}));
}

TEST(PanelEndToEnd, TypedValuesGoOutAsTheUnitReadsThem)
{
    Bench b;
    b.Start();
    b.panel.Type(TextField::L9AttDl, "12abc");
    b.panel.Type(TextField::L9AttUl, "-1");
    b.panel.Type(TextField::L7AttDl, "300");
    b.panel.Type(TextField::L7AttUl, " 7");
    b.panel.Type(TextField::IsoTime, "3");
    b.panel.ClickSwitch(SwitchField::L7PaSw, kSwitchOn);
    QTest::keyClick(b.panel.dlg.Controls().fields[4], Qt::Key_Return);  // Enter is Set
    ASSERT_TRUE(b.WaitForBox("Success!"));
    EXPECT_EQ(b.panel.dlg.SwitchChoice(SwitchField::L7PaSw), kSwitchOn) << "Set stores the buttons' choices";

    DeviceSettings typed;
    typed.l9_att_dl = "12abc";
    typed.l9_att_ul = "-1";
    typed.l7_att_dl = "300";
    typed.l7_att_ul = " 7";
    typed.iso_time = "3";
    typed.l7_pa_sw = kSwitchOn;
    const QStringList frames = b.Frames();
    ASSERT_EQ(frames.size(), 1);
    EXPECT_EQ(frames[0], SetFrameFor(typed));
    EXPECT_EQ(frames[0].mid(3 + 2 * 9, 2), "0C");
    EXPECT_EQ(frames[0].mid(3 + 2 * 13, 2), "FF");
    EXPECT_EQ(frames[0].mid(3 + 2 * 17, 2), "2C");
    EXPECT_EQ(frames[0].mid(3 + 2 * 21, 2), "07");

    b.panel.Click(IDC_SEARCH);
    ASSERT_TRUE(b.WaitForBox("Search Success!"));
    const PanelControls& c = b.panel.dlg.Controls();
    EXPECT_EQ(c.fields[1]->text(), "12");
    EXPECT_EQ(c.fields[2]->text(), "255");
    EXPECT_EQ(c.fields[3]->text(), "44");
    EXPECT_EQ(c.fields[4]->text(), "7");
    EXPECT_EQ(c.fields[0]->text(), "3");
}

TEST(PanelEndToEnd, SwitchButtonsSnapBackOnAnyPortEvent)
{
    Bench b;
    b.Start();
    b.panel.ClickSwitch(SwitchField::SmartSwitch, kSwitchOff);
    EXPECT_EQ(b.panel.ShownChoice(SwitchField::SmartSwitch), kSwitchOff);
    EXPECT_EQ(b.panel.dlg.SwitchChoice(SwitchField::SmartSwitch), kSwitchNone) << "a click alone stores nothing";
    b.panel.Click(IDC_SAVE);  // the unit's answer is a port event
    ASSERT_TRUE(b.WaitForBox("Success!"));
    EXPECT_EQ(b.panel.ShownChoice(SwitchField::SmartSwitch), kSwitchNone);
}

TEST(PanelEndToEnd, AnswerSplitAcrossEventsIsOneAnswer)
{
    Bench b({"--split-at", "30,60,90", "--pause-ms", "40", "--chunk", "7"});
    b.Start();
    b.panel.Click(IDC_SEARCH);
    ASSERT_TRUE(b.WaitForBox("Search Success!"));
    EXPECT_EQ(b.panel.dlg.Controls().fields[3]->text(), "12");
}

TEST(PanelEndToEnd, StoppedToolStillInterpretsAnAnswerOnItsWay)
{
    Bench b({"--baud", "9600"});
    b.Start();
    b.panel.Click(IDC_SEARCH);
    b.panel.Click(IDC_STOP);
    ASSERT_TRUE(b.WaitForBox("Search Success!"));
    b.panel.Click(IDC_SEARCH);
    EXPECT_EQ(b.panel.Texts(), QStringList({"Search Success!", "Please Click START"}));
    EXPECT_EQ(b.Frames().size(), 1);
}

TEST(PanelEndToEnd, DeviceVanishingShowsOneErrorAndStops)
{
    Bench b({"--hangup-after", "1"});
    b.Start();
    b.panel.Click(IDC_SEARCH);
    ASSERT_TRUE(WaitFor([&] { return !b.panel.dlg.Started(); }));
    Pump(600ms);
    int errors = 0;
    for (const auto& [icon, text] : b.panel.boxes) {
        if (icon == QMessageBox::Critical) {
            ++errors;
            EXPECT_TRUE(text.contains(b.sim.Device())) << text.toStdString();
            EXPECT_TRUE(text.contains("went away")) << text.toStdString();
        }
    }
    EXPECT_EQ(errors, 1);
    EXPECT_FALSE(b.panel.dlg.Comm().PortOpen());
    const PanelControls& c = b.panel.dlg.Controls();
    EXPECT_TRUE(c.start->isEnabled());
    EXPECT_FALSE(c.stop->isEnabled());
    EXPECT_TRUE(c.port->isEnabled());

    // The cable is back: a new unit on port 1, and Start reaches it.
    SimProcess again;
    again.Wire(1);
    b.panel.boxes.clear();
    b.Start();
    b.panel.Click(IDC_SEARCH);
    ASSERT_TRUE(b.WaitForBox("Search Success!"));
}

TEST(PanelEndToEnd, AnswerArrivingWhileABoxIsOpenIsInterpretedThen)
{
    // Two answers 400 ms apart: the second arrives while "Search Success!" of the first is open.
    Bench b({"--twice", "--split-at", "127", "--pause-ms", "400"});
    int opened = 0;
    int openedWhileFirstOpen = 0;
    bool firstOpen = false;
    b.panel.dlg.SetMessagePresenter([&](QMessageBox::Icon icon, const QString& text) {
        ++opened;
        if (firstOpen) {
            ++openedWhileFirstOpen;
            return;  // the nested one closes at once
        }
        firstOpen = true;
        QMessageBox box(icon, "VARNEK-Q42", text, QMessageBox::Ok, &b.panel.dlg);
        QTimer closer;
        closer.setInterval(20);
        int waited = 0;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (openedWhileFirstOpen > 0 || ++waited > 150) {
                box.accept();
            }
        });
        closer.start();
        box.exec();
        firstOpen = false;
    });
    b.Start();
    b.panel.Click(IDC_SEARCH);
    ASSERT_TRUE(WaitFor([&] { return opened >= 2; }, 6s));
    EXPECT_EQ(openedWhileFirstOpen, 1) << "the second answer waited for the first box to close";
}

}  // namespace
}  // namespace q42
