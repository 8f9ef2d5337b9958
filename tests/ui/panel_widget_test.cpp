// SPDX-License-Identifier: MIT
// The window on its own: start state, layout, keyboard, and the refusals that send nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QAbstractItemView>
#include <QTest>

#include <algorithm>
#include <functional>
#include <vector>

#include "panel_fixture.h"
#include "panel_layout.h"
#include "port_inventory.h"

namespace q42 {
namespace {

using test::Panel;

TEST(PanelWindow, StartState)
{
    Panel p;
    const PanelControls& c = p.dlg.Controls();
    EXPECT_EQ(p.dlg.windowTitle(), "VARNEK-Q42");
    EXPECT_EQ(p.Enabled(), "1011");
    EXPECT_EQ(c.baud->currentText() + " " + c.port->currentText(), "57600 1");
    for (int s = 0; s < kSwitchFieldCount; ++s) {
        EXPECT_EQ(p.ShownChoice(static_cast<SwitchField>(s)), kSwitchNone);
    }
    EXPECT_TRUE(CPanelDlg().Controls().set->isDefault()) << "Set is the default button before the first show";
    EXPECT_FALSE(p.dlg.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(p.TickRunning());
    EXPECT_FALSE(p.dlg.windowIcon().isNull());
}

// Where the 9-point dialog font (AR PL UMing, SimSun's metrics: 6 x 12 pixels per 4 x 8 dialog units) puts
// each control, in pixels, as the original window shows them; labels and group boxes found by their text.
TEST(PanelWindow, EveryControlWhereTheDialogPutsIt)
{
    const QFont desktop = QApplication::font();
    QApplication::setFont(QFont(desktop.family(), 14));  // a desktop with a large font: the dialog keeps its own
    Panel p;
    QApplication::setFont(desktop);
    if (!QFontDatabase::families().contains("AR PL UMing CN")) {
        GTEST_SKIP() << "the positions hold for the dialog font, which is not installed here";
    }
    EXPECT_EQ(QFontInfo(p.dlg.font()).family(), "AR PL UMing CN");
    EXPECT_EQ(p.dlg.size(), QSize(312, 416));
    struct Place {
        int id;
        const char* text;
        QRect rect;
    };
    // A button, a list, a radio button inside its group, a label and a group box: the layout table's
    // units, rounding and font reach every kind; the loop below keeps every control inside the window.
    const Place places[] = {
        {IDC_SET, "", {47, 362, 58, 21}}, {IDC_BAUD, "", {89, 11, 72, 21}}, {1017, "", {213, 96, 36, 15}},
        {-1, "L7 UL ISO ADJ", {18, 315, 84, 14}}, {-1, "SMART Switch", {210, 78, 83, 56}},
    };
    for (const Place& place : places) {
        QWidget* w = place.id > 0 ? p.Control(place.id) : nullptr;
        for (QWidget* candidate : p.dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (place.id < 0 && candidate->objectName().isEmpty() && candidate->accessibleName() == place.text) {
                w = candidate;
            }
        }
        ASSERT_NE(w, nullptr) << place.id << " " << place.text;
        EXPECT_EQ(w->geometry(), place.rect) << place.id << " " << place.text;
        // A click there reaches the control: no group box lies over the buttons it frames.
        QWidget* hit = p.dlg.childAt(w->geometry().center());
        EXPECT_TRUE(place.id < 0 || hit == w || w->isAncestorOf(hit)) << place.id;
    }
    for (QWidget* w : p.dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(w->isHidden() || p.dlg.rect().contains(w->geometry())) << w->accessibleName().toStdString();
        const auto* label = qobject_cast<QLabel*>(w);  // text hangs from the top left, as on the original
        EXPECT_TRUE(!label || label->alignment() == (Qt::AlignLeft | Qt::AlignTop)) << w->accessibleName().toStdString();
    }
}

TEST(PanelWindow, TabOrderIsCreationOrderAndEveryControlHasAName)
{
    Panel p;
    const char* expected =
        "ctl1017 ctl1018 ctl1014 ctl1015 ctl1007 ctl1008 ctl1009 ctl1010 ctl1011 ctl1012 ctl1013 ctl1016 ctl1023 "
        "ctl1024 ctl1026 ctl1027 ctl1019 ctl1020 ctl1028 ctl1029 ctl1025 ctl1030 ctl1033 ctl1034";
    QStringList order;
    QWidget* first = p.Control(1017);
    QWidget* w = first;
    do {
        if (w->focusPolicy() != Qt::NoFocus && w->parentWidget() == &p.dlg) {
            order << w->objectName();
        }
        w = w->nextInFocusChain();
    } while (w != first && order.size() < 100);
    EXPECT_EQ(order.join(' ').toStdString(), expected);

    EXPECT_EQ(p.Control(1029)->accessibleName(), "L7 UL ISO ADJ");
    EXPECT_EQ(p.Control(1018)->accessibleName(), "SMART Switch OFF");
    EXPECT_EQ(QApplication::focusWidget(), p.Control(1017)) << "the first tab stop has the focus at start";
}

TEST(PanelWindow, CommandsBeforeStartSendNothing)
{
    for (int id : {IDC_SEARCH, IDC_SET, IDC_SAVE}) {
        Panel p;
        p.ClickSwitch(SwitchField::L9PaSw, kSwitchOn);
        p.Click(id);
        ASSERT_EQ(p.Texts(), QStringList({"Please Click START"})) << id;
        EXPECT_EQ(p.boxes.front().icon, QMessageBox::Warning);
        EXPECT_FALSE(p.Comm().PortOpen()) << id;
        EXPECT_EQ(p.dlg.SwitchChoice(SwitchField::L9PaSw), kSwitchNone) << "a refused Set stores nothing";
        p.dlg.RefreshSwitches();  // as at the next port event: the click snaps back to neither
        EXPECT_EQ(p.ShownChoice(SwitchField::L9PaSw), kSwitchNone) << id;
    }
}

TEST(PanelWindow, EnterPressesSetUnlessAPushButtonHasTheFocus)
{
    struct Case {
        int focus;
        int pressed;
    };
    const Case cases[] = {
        {1010, IDC_SET}, {1029, IDC_SET}, {1017, IDC_SET}, {IDC_BAUD, IDC_SET}, {IDC_SEARCH, IDC_SEARCH},
        {IDC_SAVE, IDC_SAVE},
    };
    for (const Case& c : cases) {
        Panel p;
        QList<int> pressed;
        for (int id : {IDC_SET, IDC_SEARCH, IDC_SAVE}) {
            QObject::connect(qobject_cast<QPushButton*>(p.Control(id)), &QPushButton::clicked, [&pressed, id] { pressed << id; });
        }
        p.Control(c.focus)->setFocus();
        if (auto* list = qobject_cast<QComboBox*>(p.Control(c.focus))) {
            list->lineEdit()->setText("115200");
        }
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(pressed, QList<int>{c.pressed}) << "focus on " << c.focus;
        EXPECT_EQ(p.dlg.Controls().baud->count(), 2) << "Enter never adds typed text to a list";
    }
}

TEST(PanelWindow, StartNeedsAListItem)
{
    struct Case {
        const char* name;
        int list;
        const char* typed;
        const char* message;
    };
    const Case cases[] = {
        {"typed baud", IDC_BAUD, "115200", "Choose a baud rate from the \"Baud Rate\" list."},
        {"emptied baud", IDC_BAUD, "", "Choose a baud rate from the \"Baud Rate\" list."},
        {"port past 255", IDC_PORT, "COM256", "Choose a port number from the \"COM\" list, or type one from 1 to 255 (12 or COM12 for COM12)."},
        {"port not a number", IDC_PORT, "USB0", "Choose a port number from the \"COM\" list, or type one from 1 to 255 (12 or COM12 for COM12)."},
    };
    for (const Case& c : cases) {
        Panel p;
        auto* list = qobject_cast<QComboBox*>(p.Control(c.list));
        list->lineEdit()->selectAll();
        QTest::keyClick(list->lineEdit(), Qt::Key_Delete);
        QTest::keyClicks(list->lineEdit(), c.typed);
        p.Click(IDC_START);
        EXPECT_EQ(p.Texts(), QStringList({c.message})) << c.name;
        EXPECT_FALSE(p.dlg.Started()) << c.name;
        EXPECT_FALSE(p.Comm().PortOpen()) << c.name;
        EXPECT_EQ(p.Enabled(), "1011") << c.name;
    }
}

// The port list's tooltip and Start's error both name the device a number reaches.
TEST(PanelWindow, PortNumbersNameTheirDevice)
{
    qputenv("Q42_COM3", "/dev/q42-unplugged-adapter");
    Panel p;
    auto* list = qobject_cast<QComboBox*>(p.Control(IDC_PORT));
    list->setCurrentIndex(2);
    QHelpEvent tip(QEvent::ToolTip, QPoint(2, 2), list->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(list, &tip);
    EXPECT_EQ(list->toolTip(), "COM3 opens /dev/q42-unplugged-adapter");
    EXPECT_TRUE(list->itemData(0, Qt::ToolTipRole).toString().startsWith("COM1 opens "));
    // Opening the list looks again: an adapter plugged in meanwhile shows under its number.
    qputenv("Q42_COM3", "/dev/q42-adapter-plugged-in-meanwhile");
    list->showPopup();
    EXPECT_TRUE(list->view()->isVisible());
    EXPECT_EQ(list->itemData(2, Qt::ToolTipRole).toString(), "COM3 opens /dev/q42-adapter-plugged-in-meanwhile");
    list->hidePopup();
    // Numbers past 8 come and go with what they reach; one chosen that went away stays as typed text.
    qputenv("Q42_COM8", "/dev/q42-adapter-on-8");
    qputenv("Q42_COM12", "/dev/q42-adapter-on-12");
    for (int popup = 0; popup < 2; ++popup) {  // the second time, nothing has changed
        list->showPopup();
        list->hidePopup();
        QList<int> shown;
        for (int i = 0; i < list->count(); ++i) {
            shown << list->itemText(i).toInt();
        }
        EXPECT_EQ(shown.mid(0, 8), QList<int>({1, 2, 3, 4, 5, 6, 7, 8}));
        EXPECT_TRUE(std::adjacent_find(shown.begin(), shown.end(), std::greater_equal<>()) == shown.end() && shown.contains(12))
            << "each number once, in order";
        EXPECT_EQ(list->currentIndex(), 2);
    }
    qunsetenv("Q42_COM8");
    list->setCurrentIndex(list->findText("12"));
    qunsetenv("Q42_COM12");
    list->showPopup();
    list->hidePopup();
    EXPECT_EQ(list->findText("12") != -1, SystemSerialDevices().size() >= 12);
    EXPECT_EQ(list->currentText(), "12");
    EXPECT_EQ(list->currentIndex(), list->findText("12")) << "no number is current that the field does not show";
    list->setCurrentIndex(2);
    qputenv("Q42_COM3", "/dev/q42-unplugged-adapter");
    p.Click(IDC_START);
    ASSERT_EQ(p.boxes.size(), 1u);
    const PanelBox& box = p.boxes[0];
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    // One short sentence first; what to do, then the ports to choose from, as the detail.
    EXPECT_EQ(box.text, "COM3: the device /dev/q42-unplugged-adapter (set by Q42_COM3) does not exist.");
    EXPECT_TRUE(box.informative.startsWith("Plug in the USB serial adapter or choose another port.\n\nPort numbers "
                                           "reach now: "))
        << box.informative.toStdString();
    // The window's own way to another port, after the ports listed; never q42ctl's.
    const bool listed = box.informative.contains(QRegularExpression("Port numbers reach now: [0-9]"));
    EXPECT_EQ(box.informative.endsWith(". To use one, choose its number in the COM list or type it there (12 or COM12 for COM12)."), listed);
    EXPECT_FALSE(box.informative.contains("q42ctl")) << box.informative.toStdString();
    EXPECT_FALSE(p.dlg.Started());
    EXPECT_EQ(p.Enabled(), "1011");
    qunsetenv("Q42_COM3");
}

// The failure box's parts: what happened alone first; a finding in place of the general advice, in
// plain words; the ports last with the one way to choose; a port the system keeps never gets
// advice to join a group.
TEST(PanelBoxes, FirstWhatHappenedThenWhatToDoThenThePorts)
{
    const CommErrorParts missing{"COM2: the device /dev/ttyUSB1 does not exist.",
                                 "Plug in the USB serial adapter or choose another port.",
                                 "Port numbers reach now: 1 = /dev/ttyUSB0"};
    const CommErrorParts denied{"COM1: the device /dev/ttyS0 cannot be opened: permission denied.",
                                "Add your user to the 'dialout' group (sudo usermod -aG dialout $USER), log out and "
                                "back in, then try again.", ""};
    Finding noDriver{FindingKind::NoDriver, {}, "USB Serial (1a86:7523)", "The USB Serial is on the USB bus, but no driver serves it.",
                     "Load it with `sudo modprobe ch341`.", true};
    Finding reserved{FindingKind::ReservedPort, "/dev/ttyS0", {}, "/dev/ttyS0 belongs to group root (mode crw-------): the system keeps it.",
                     "Use the adapter's own port instead.", true};
    const QString choose = ". To use one, choose its number in the COM list or type it there (12 or COM12 for COM12).";
    struct Row {
        const char* name;
        CommError error;
        std::optional<Finding> cause;
        QString informative;
    };
    const Row rows[] = {
        {"missing, nothing found", CommError(CommErrorKind::NotFound, missing, true), std::nullopt,
         "Plug in the USB serial adapter or choose another port.\n\nPort numbers reach now: 1 = /dev/ttyUSB0" + choose},
        {"missing, no driver", CommError(CommErrorKind::NotFound, missing, true), noDriver,
         "The USB Serial is on the USB bus, but no driver serves it. Load it with sudo modprobe ch341.\n\n"
         "Port numbers reach now: 1 = /dev/ttyUSB0" + choose},
        {"missing, no port to list", CommError(CommErrorKind::NotFound, missing, false), noDriver,
         "The USB Serial is on the USB bus, but no driver serves it. Load it with sudo modprobe ch341. Then choose its "
         "number in the COM list."},
        {"a console of root's", CommError(CommErrorKind::Permission, denied), reserved,
         "/dev/ttyS0 belongs to group root (mode crw-------): the system keeps it. Use the adapter's own port instead. "
         "Then choose its number in the COM list."},
        {"a text without advice", CommError(CommErrorKind::Other, "X could not be opened as a serial port: odd."),
         std::nullopt, ""},
    };
    for (const Row& row : rows) {
        const PanelBox box = FailureBox(row.error, row.cause);
        EXPECT_EQ(box.icon, QMessageBox::Critical) << row.name;
        EXPECT_EQ(box.text.toStdString(), row.error.Parts().happened) << row.name;
        EXPECT_EQ(box.informative, row.informative) << row.name;
    }
    // No answer: what to try, then what the system does, with its way to a port.
    EXPECT_EQ(NoAnswerBox("COM1 at 57600 baud: the unit did not answer.", "Check the cable.", noDriver).informative,
              "Check the cable.\n\nThe USB Serial is on the USB bus, but no driver serves it. Load it with sudo modprobe "
              "ch341. Then choose its number in the COM list.");
    // A line says the same failure whole, as it always did.
    EXPECT_EQ(std::string(CommError(CommErrorKind::NotFound, missing, true).what()),
              "COM2: the device /dev/ttyUSB1 does not exist. Plug in the USB serial adapter or choose another port. "
              "Port numbers reach now: 1 = /dev/ttyUSB0.");
}

}  // namespace
}  // namespace q42
