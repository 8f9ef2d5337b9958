// SPDX-License-Identifier: MIT
// The real window and serial component against the simulated unit on a pseudo-terminal: the one
// place that starts the unit for them. After each fault the form holds only what the unit sent, the
// line carried only what was asked, and a clean Search still works.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSerialPort>
#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <ctime>

#include "comm_error.h"
#include "fake_system.h"
#include "linux_findings.h"
#include "panel_fixture.h"
#include "sim_process.h"

namespace q42 {
namespace {

using namespace std::chrono_literals;
using test::Panel;
using test::kQueryFrame;
using test::Pump;
using test::SimProcess;
using test::WaitFor;

// The unit's factory values written back as they were, and with "-1" in L9 ATT_UL, ISO TIME 3 and
// SMART Switch OFF typed in.
const QString kSameSetFrame =
    ":FF23006D0278000021010A0027010A0022010C0028010C004D0100004B0100004E0100004C010000530100002B0101004901"
    "01007E0101004A0101007F0101";
const QString kTypedSetFrame =
    ":FF23006D02B4000021010A002701FF0022010C0028010C004D0100004B0100004E0100004C010000530100002B0100004901"
    "01007E0101004A0101007F0101";
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
                                          [](const PanelBox& box) { return box.icon == QMessageBox::Critical; }));
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

// The line speed the device is set to, read through a descriptor opened before the window takes the
// device for itself.
speed_t LineSpeed(int fd)
{
    termios tio{};
    return ::tcgetattr(fd, &tio) == 0 ? ::cfgetospeed(&tio) : 0;
}

TEST(PanelLine, StartSearchSetSaveStop)
{
    SimProcess sim({"--verbose"});
    sim.Wire(1);
    const int line = ::open(sim.Device().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(line, 0);
    // Another program left the device at 19200 7E2 with RTS/CTS: the unit's 8N1 comes back at Start.
    termios left{};
    ::tcgetattr(line, &left);
    ::cfsetspeed(&left, B19200);
    left.c_cflag = (left.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
    ASSERT_EQ(::tcsetattr(line, TCSANOW, &left), 0);
    Panel p;
    p.Click(IDC_START);
    EXPECT_EQ(LineSpeed(line), B57600);
    termios now{};
    ::tcgetattr(line, &now);
    EXPECT_EQ(now.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t{CS8});
    p.Comm().Settings("9600,n,8,1");  // a rate given to an open port applies at once
    EXPECT_EQ(LineSpeed(line), B9600);
    p.Comm().Settings("57600,n,8,1");
    ASSERT_TRUE(p.dlg.Started()) << p.Texts().join(" | ").toStdString();
    EXPECT_EQ(p.Comm().DeviceName(), sim.Device());
    EXPECT_EQ(p.Enabled(), "0100");

    p.Click(IDC_SEARCH);
    ASSERT_TRUE(WaitFor([&] { return p.Count("Search Success!") == 1; }));
    EXPECT_EQ(Fields(p), kFactoryFields);
    const int shown[] = {kSwitchOn, kSwitchOff, kSwitchOn, kSwitchOn};
    for (int s = 0; s < kSwitchFieldCount; ++s) {
        EXPECT_EQ(p.ShownChoice(static_cast<SwitchField>(s)), shown[s]) << s;
    }
    p.Click(IDC_SET);
    ASSERT_TRUE(WaitFor([&] { return p.Count("Success!") == 1; }));
    // A click alone stores nothing: the unit's next answer, a port event, shows the stored choice again.
    p.ClickSwitch(SwitchField::SmartSwitch, kSwitchOff);
    EXPECT_FALSE(p.dlg.Controls().switches[0]->button(kSwitchOn)->isChecked()) << "ON and OFF exclude each other";
    p.Click(IDC_SAVE);
    ASSERT_TRUE(WaitFor([&] { return p.Count("Success!") == 2; }));
    EXPECT_EQ(p.ShownChoice(SwitchField::SmartSwitch), kSwitchOn);
    EXPECT_EQ(sim.FramesReceived(), QStringList({kQueryFrame, kSameSetFrame, ":FF06"}));

    // Typed text goes out as the unit has always read it; Enter in a field is Set.
    p.Type(TextField::L9AttUl, "-1");
    p.Type(TextField::IsoTime, "3");
    p.ClickSwitch(SwitchField::SmartSwitch, kSwitchOff);
    QTest::keyClick(p.dlg.Controls().fields[2], Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return p.Count("Success!") == 3; }));
    EXPECT_EQ(sim.FramesReceived().value(3), kTypedSetFrame);
    EXPECT_EQ(p.dlg.SwitchChoice(SwitchField::SmartSwitch), kSwitchOff) << "Set stores the buttons' choices";
    p.Click(IDC_SEARCH);
    ASSERT_TRUE(WaitFor([&] { return p.Count("Search Success!") == 2; }));
    EXPECT_EQ(Fields(p), QStringList({"3", "10", "255", "12", "12", "0", "0", "0", "0"}));

    // Every pair's click goes out with Set, the last pair's as the first's: the unit keeps them all,
    // and its next answer shows them.
    const int clicked[] = {kSwitchOn, kSwitchOn, kSwitchOff, kSwitchOff};
    for (int s = 0; s < kSwitchFieldCount; ++s) {
        p.ClickSwitch(static_cast<SwitchField>(s), clicked[s]);
    }
    p.Click(IDC_SET);
    ASSERT_TRUE(WaitFor([&] { return p.Count("Success!") == 4; }));
    p.Click(IDC_SEARCH);
    ASSERT_TRUE(WaitFor([&] { return p.Count("Search Success!") == 3; }));
    for (int s = 0; s < kSwitchFieldCount; ++s) {
        EXPECT_EQ(p.ShownChoice(static_cast<SwitchField>(s)), clicked[s]) << s;
    }

    // Stop leaves the port open and an answer on its way still shows; commands are refused.
    p.Click(IDC_SEARCH);
    p.Click(IDC_STOP);
    EXPECT_EQ(p.Enabled(), "1011");
    ASSERT_TRUE(WaitFor([&] { return p.Count("Search Success!") == 4; }));
    p.Click(IDC_SAVE);
    EXPECT_EQ(p.Texts().last(), "Please Click START");
    EXPECT_EQ(sim.FramesReceived().size(), 8);
    EXPECT_TRUE(p.Comm().PortOpen());
    ::close(line);
    EXPECT_EQ(Errors(p), 0) << p.Texts().join(" | ").toStdString();
}

// Stop, another port number and rate, Start: the old device is let go, the new one runs at the new rate,
// and the commands reach only the new unit.
TEST(PanelLine, StartAgainOnAnotherPortAndRate)
{
    SimProcess first({"--verbose"});
    SimProcess second({"--verbose", "--baud", "9600"});
    first.Wire(1);
    second.Wire(2);
    const int line = ::open(second.Device().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(line, 0);
    Panel p;
    p.Click(IDC_START);
    p.Click(IDC_SEARCH);
    ASSERT_TRUE(WaitFor([&] { return p.Count("Search Success!") == 1; }));
    p.Click(IDC_STOP);
    p.dlg.Controls().port->setCurrentIndex(1);
    p.dlg.Controls().baud->setCurrentIndex(0);
    p.Click(IDC_START);
    ASSERT_TRUE(p.dlg.Started()) << p.Texts().join(" | ").toStdString();
    EXPECT_EQ(p.Comm().DeviceName(), second.Device());
    EXPECT_EQ(LineSpeed(line), B9600);
    QSerialPort old(first.Device());
    EXPECT_TRUE(old.open(QIODevice::ReadWrite)) << "the first device is still held: " << old.errorString().toStdString();
    p.Click(IDC_SAVE);
    ASSERT_TRUE(WaitFor([&] { return p.Count("Success!") == 1; }));
    ::close(line);
    EXPECT_EQ(first.FramesReceived(), QStringList({kQueryFrame}));
    EXPECT_EQ(second.FramesReceived(), QStringList({":FF06"}));
    EXPECT_EQ(Errors(p), 0) << p.Texts().join(" | ").toStdString();
    qunsetenv("Q42_COM2");
}

// Every fault of the line and the unit: the form holds only what the unit sent, the line carried
// only what was asked, a pulled cable is one error, no busy loop and a stopped window, and a clean
// Search works afterwards.
TEST(PanelLine, HostileAnswersAndVanishingDevices)
{
    enum Outcome { Nothing, Answered, EitherWay, Vanished };
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
        {"pieces past the quiet gap", {"--split-at", "60", "--pause-ms", "400"}, IDC_SEARCH, Nothing},
        {"the last byte alone, within the quiet gap", {"--split-at", "4", "--pause-ms", "40"}, IDC_SAVE, Answered},
        {"pieces within the quiet gap", {"--split-at", "30,60,90", "--pause-ms", "40", "--chunk", "1"}, IDC_SEARCH, Answered},
        {"a space among the digits", {"--spaces"}, IDC_SEARCH, Answered},
        {"lower-case hex at 9600 baud", {"--lowercase", "--baud", "9600"}, IDC_SEARCH, Answered},
        {"short garbage before the answer", {"--garbage", "20"}, IDC_SEARCH, Answered},
        {"hang-up before answering", {"--hangup-after", "0"}, IDC_SEARCH, Vanished},
        {"hang-up mid-answer", {"--hangup-after", "1", "--hangup-at-byte", "64"}, IDC_SEARCH, Vanished},
        {"hang-up after the acknowledgement", {"--hangup-after", "1"}, IDC_SAVE, Vanished},
    };
    for (const Case& c : cases) {
        SimProcess sim(QStringList(c.options) << "--verbose");
        ASSERT_TRUE(sim.Started()) << c.name;
        sim.Wire(1);
        Panel p;
        p.Click(IDC_START);
        p.Click(c.command);
        const std::clock_t cpuBefore = std::clock();  // this process's CPU time
        Pump(900ms);
        const int answered = p.Count(c.command == IDC_SEARCH ? "Search Success!" : "Success!");
        if (c.outcome != EitherWay) {
            EXPECT_EQ(answered, c.outcome == Answered || (c.outcome == Vanished && c.command == IDC_SAVE)) << c.name;
        }
        const bool filled = c.command == IDC_SEARCH && answered == 1;
        EXPECT_EQ(Fields(p), filled ? kFactoryFields : QStringList(9, "")) << c.name;
        EXPECT_EQ(Errors(p), c.outcome == Vanished) << c.name;
        EXPECT_LE(p.boxes.size(), 1u + (c.outcome == Vanished)) << c.name;
        EXPECT_EQ(sim.FramesReceived(), QStringList({c.command == IDC_SEARCH ? kQueryFrame : ":FF06"})) << c.name;
        if (c.outcome == Vanished) {
            EXPECT_EQ(p.Texts().filter("the device " + sim.Device() + " went away").size(), 1) << c.name;
            EXPECT_EQ(p.Enabled(), "1011") << c.name;
            EXPECT_FALSE(p.Comm().PortOpen()) << c.name;
            EXPECT_THROW(p.Comm().Output(":FF06\r\n"), CommError) << "nothing goes out on a closed port";
            EXPECT_LT(std::clock() - cpuBefore, CLOCKS_PER_SEC * 3 / 10) << c.name << ": idling after the hang-up must not spin";
        }
        ExpectCleanSearch(p, c.name);
    }
}

// A send that no answer follows gets one box, after the unit's second and the frames' line time,
// naming the port, its device and the rate; Stop, a lost device and closing the window end the
// wait, and an answer that does come is shown as ever.
TEST(PanelLine, AWordWhenNoAnswerComes)
{
    const QString silent = "COM1 (%1) at %2 baud: the unit did not answer.\nCheck that it is powered and that the "
                           "cable is plugged in. If the unit may be set to %3 baud, press Stop, choose %3 and press Start.";
    const QString noise = "COM1 (%1) at %2 baud: bytes came, but no answer of the unit.\nThe unit may talk at %3 baud "
                          "(press Stop, choose %3 and press Start), or the line is disturbed: check the cable.";
    const QString lost = "COM1: the device %1 went away";
    enum Ending { Wait, Stop, Close, Again };  // Again: sent once more after the first answer
    struct Case {
        const char* name;
        QStringList options;
        QString baud;
        int command;
        Ending ending;
        QString box;       // the box the send ends with, or empty
        QString answered;  // the answer's message after it, or empty
        int waitMs;        // the unit's second and both frames' line time at that rate
    };
    const Case cases[] = {
        {"silent unit", {"--no-answer"}, "57600", IDC_SEARCH, Wait, silent, "", 1039},
        {"only noise comes", {"--noise-only", "--garbage", "30"}, "57600", IDC_SAVE, Wait, noise, "", 1003},
        {"unit at the other rate", {"--strict-baud", "--baud", "9600"}, "57600", IDC_SET, Wait, silent, "", 1024},
        {"silent at 9600", {"--no-answer", "--baud", "9600"}, "9600", IDC_SAVE, Wait, silent, "", 1013},
        {"an answer after the box", {"--delay-ms", "1300"}, "57600", IDC_SEARCH, Wait, silent, "Search Success!", 1039},
        {"answered in time at 9600", {"--baud", "9600", "--delay-ms", "500"}, "9600", IDC_SEARCH, Wait, "",
         "Search Success!", 1234},
        {"noise still arriving when the time is up", {"--noise-only", "--garbage", "30", "--delay-ms", "900"}, "57600",
         IDC_SAVE, Wait, noise, "", 1003},
        {"noise that goes on after its box shows it once", {"--noise-only", "--garbage", "60", "--delay-ms", "900",
         "--split-at", "20", "--pause-ms", "400"}, "57600", IDC_SAVE, Wait, noise, "", 1003},
        {"an answer still arriving when the time is up",
         {"--delay-ms", "900", "--split-at", "60", "--pause-ms", "150"}, "57600", IDC_SEARCH, Wait, "",
         "Search Success!", 1039},
        {"Stop before the time is up", {"--no-answer"}, "57600", IDC_SEARCH, Stop, "", "", 1039},
        {"a lost answer after one that came", {"--lose-answer", "2"}, "57600", IDC_SEARCH, Again, silent, "", 1039},
        {"the window closed before the time is up", {"--no-answer"}, "57600", IDC_SEARCH, Close, "", "", 1039},
        {"the device went away", {"--hangup-after", "0"}, "57600", IDC_SEARCH, Wait, lost, "", 0},
    };
    for (const Case& c : cases) {
        SimProcess sim(c.options);
        ASSERT_TRUE(sim.Started()) << c.name;
        sim.Wire(1);
        Panel p;
        p.dlg.Controls().baud->setCurrentIndex(p.dlg.Controls().baud->findText(c.baud));
        p.Click(IDC_START);
        ASSERT_TRUE(p.dlg.Started()) << c.name;
        QElapsedTimer sent;
        sent.start();
        p.Click(c.command);
        EXPECT_TRUE(c.waitMs == 0 || p.AnswerWait() == c.waitMs) << c.name << ": waits " << p.AnswerWait() << " ms";
        if (c.ending == Again) {
            ASSERT_TRUE(WaitFor([&] { return p.Count("Search Success!") == 1; })) << c.name;
            p.boxes.clear();
            sent.restart();
            p.Click(c.command);
        } else if (c.ending != Wait) {
            Pump(300ms);
            c.ending == Stop ? p.Click(IDC_STOP) : QTest::keyClick(&p.dlg, Qt::Key_Escape);
            EXPECT_EQ(p.dlg.isVisible(), c.ending == Stop) << c.name;
        }
        const QString other = c.baud == "57600" ? "9600" : "57600";
        const QString box = QString(c.box).replace("%1", sim.Device()).replace("%2", c.baud).replace("%3", other);
        if (!box.isEmpty()) {
            ASSERT_TRUE(WaitFor([&] { return !p.boxes.empty(); }, 3s)) << c.name;
            EXPECT_GE(sent.elapsed(), c.waitMs) << c.name << ": the box came before the unit's time was up";
            EXPECT_LT(sent.elapsed(), c.waitMs + 400) << c.name;
            EXPECT_TRUE(p.Texts()[0].startsWith(box)) << p.Texts()[0].toStdString();
        }
        // Long enough for a late answer, and for a second box if one were to come a wait later.
        Pump(std::chrono::milliseconds(2300 - sent.elapsed()));
        QStringList expected = {c.box == lost ? p.Texts().value(0) : box, c.answered};  // the rest of a lost device's text is Qt's
        expected.removeAll(QString());
        EXPECT_EQ(p.Texts(), expected) << c.name << ": one box per send, the answer as ever";
    }
}

// An answer left on the line by an earlier session is not an answer to this one.
TEST(PanelLine, StaleAnswerIsDroppedAtStart)
{
    SimProcess sim({"--baud", "9600"});
    sim.Wire(1);
    {
        Panel p;
        p.Click(IDC_START);
        p.Click(IDC_SEARCH);
        Pump(5ms);
        p.Comm().PortOpen(false);  // the answer arrives with nobody reading
    }
    Pump(500ms);  // at 9600 baud the whole answer is on the line after about 240 ms
    Panel p;
    p.Click(IDC_START);
    Pump(400ms);
    EXPECT_EQ(p.Count("Search Success!"), 0);
}

// After a failure, and only then, the box adds the one finding of the system that explains it,
// read here from a system of the test's own: a short first sentence, then the finding in the detail
// in place of the general advice, in plain words, with one way to choose a port.
TEST(PanelLine, TheBoxNamesWhatTheSystemDoes)
{
    const QString missing = "COM1: the device /dev/ttyQ42-absent (set by Q42_COM1) does not exist.";
    struct Case {
        const char* name;
        bool wired;          // the simulated unit is on COM1; else Q42_COM1 names a device that is not there
        QStringList options;
        bool holdFirst;      // another port object has the device open
        void (*make)(test::FakeSystem&, const QString& device);
        QString detail;      // the start of the box's detail
        QString finding;     // the finding in it, or empty
    };
    const Case cases[] = {
        {"a CH340 without its driver", false, {}, false,
         [](test::FakeSystem& s, const QString&) { s.Adapter("1a86", "7523", ""); },
         "The USB Serial (WCH CH340, 1a86:7523, serial A50285BI) is on the USB bus, but no driver serves it, so it has "
         "no serial port. The kernel's module for it is ch341: load it with sudo modprobe ch341, then unplug the "
         "adapter and plug it in again.", "is on the USB bus"},
        {"no adapter at all", false, {}, false, [](test::FakeSystem&, const QString&) {},
         "No USB serial adapter is on the USB bus", "No USB serial adapter"},
        {"a terminal holds it", true, {}, true,
         [](test::FakeSystem& s, const QString& device) { s.Process(4242, "minicom", device.toStdString()); },
         "%1 is held by minicom (process 4242). Close minicom (or kill 4242), then try again.", "held by minicom"},
        {"ModemManager while nothing answers", true, {"--no-answer"}, false,
         [](test::FakeSystem& s, const QString&) { s.Process(640, "ModemManager"); },
         "Check that it is powered and that the cable is plugged in. If the unit may be set to 9600 baud, press Stop, "
         "choose 9600 and press Start.\n\nModemManager runs (process 640): it may probe %1", "ModemManager"},
        {"a healthy system adds nothing", true, {"--no-answer"}, false,
         [](test::FakeSystem& s, const QString&) { s.Adapter("0403", "6001", "ftdi_sio", "ttyUSB0"); },
         "Check that it is powered", ""},
    };
    for (const Case& c : cases) {
        SimProcess sim(c.options);
        ASSERT_TRUE(sim.Started()) << c.name;
        if (c.wired) {
            sim.Wire(1);
        } else {
            qputenv("Q42_COM1", "/dev/ttyQ42-absent");
        }
        test::FakeSystem system;
        c.make(system, sim.Device());
        system.nodes[sim.Device().toStdString()] = {true, true, 5, 0620, true};
        QSerialPort holder(sim.Device());
        if (c.holdFirst) {
            ASSERT_TRUE(holder.open(QIODevice::ReadWrite)) << c.name;
        }
        Panel p;
        int asked = 0;
        p.dlg.SetFailureExplainer([&](const std::string& device, Symptom symptom) {
            ++asked;
            return ExplainFailure(system.view, device, symptom);
        });
        p.Click(IDC_START);
        if (p.dlg.Started()) {
            EXPECT_EQ(asked, 0) << c.name << ": the system is looked at only after a failure";
            p.Click(IDC_SEARCH);
            ASSERT_TRUE(WaitFor([&] { return !p.boxes.empty(); }, 3s)) << c.name;
        }
        ASSERT_EQ(p.boxes.size(), 1u) << c.name;
        EXPECT_EQ(asked, 1) << c.name;
        const PanelBox& box = p.boxes[0];
        const QString detail = QString(c.detail).replace("%1", sim.Device());
        EXPECT_TRUE(box.informative.startsWith(detail)) << c.name << ": " << box.informative.toStdString();
        EXPECT_FALSE(box.text.contains(QString(c.finding).replace("%1", sim.Device())) && !QString(c.finding).isEmpty())
            << c.name << ": the first sentence is what happened";
        EXPECT_EQ(box.informative.count("choose its number"), box.informative.contains("COM list") ? 1 : 0)
            << c.name << ": one way to a port: " << box.informative.toStdString();
        EXPECT_FALSE(box.informative.contains('`')) << box.informative.toStdString();
        EXPECT_FALSE(box.informative.contains("Plug in the USB serial adapter") && !QString(c.finding).isEmpty())
            << c.name << ": the finding replaces the general advice";
        if (!c.wired) {
            EXPECT_EQ(box.text, missing);
            qunsetenv("Q42_COM1");
        }
    }
}

}  // namespace
}  // namespace q42
