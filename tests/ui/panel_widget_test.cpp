// SPDX-License-Identifier: MIT
// The window on its own: start state, layout, keyboard, and the refusals that send nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "panel_fixture.h"

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
    for (QLineEdit* field : c.fields) {
        EXPECT_EQ(field->text(), "") << field->accessibleName().toStdString();
    }
    for (int s = 0; s < kSwitchFieldCount; ++s) {
        EXPECT_EQ(p.ShownChoice(static_cast<SwitchField>(s)), kSwitchNone);
    }
    EXPECT_TRUE(c.set->isDefault());
    EXPECT_FALSE(p.dlg.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(p.dlg.TickRunning());
}

TEST(PanelWindow, EveryControlWhereItsDialogUnitsPutIt)
{
    Panel p;
    const DialogUnits units(p.dlg.font());
    if (QFontInfo(p.dlg.font()).family() == "AR PL UMing CN") {
        EXPECT_EQ(units.BaseX(), 6);
        EXPECT_EQ(units.BaseY(), 12);
        EXPECT_EQ(p.dlg.size(), QSize(312, 416));
    }
    EXPECT_EQ(p.dlg.size(), QSize(units.X(kDialogWidthDu), units.Y(kDialogHeightDu)));

    // Labels and group boxes are found by text and position; controls with an ID by that.
    QList<QWidget*> unnamed;
    for (QWidget* w : p.dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->objectName().isEmpty() && (qobject_cast<QLabel*>(w) || w->inherits("QGroupBox"))) {
            unnamed << w;
        }
    }
    int checked = 0;
    for (const ControlSpec& control : kPanelControls) {
        if (control.kind == ControlKind::SerialComponent) {
            continue;
        }
        QRect want = units.Rect(control.x, control.y, control.w, control.h);
        if (control.kind == ControlKind::ComboBox) {
            want.setHeight(units.Y(control.y + kClosedComboHeightDu) - units.Y(control.y));
        }
        if (control.kind == ControlKind::Label) {
            want.setHeight(want.height() + kLabelExtraRows);
        }
        QWidget* w = nullptr;
        if (control.id > 0) {
            w = p.Control(control.id);
        } else {
            for (QWidget* candidate : unnamed) {
                if (candidate->geometry() == want && candidate->accessibleName() == control.text) {
                    w = candidate;
                }
            }
        }
        ASSERT_NE(w, nullptr) << control.id << " " << control.text;
        EXPECT_EQ(w->geometry(), want) << control.id << " " << control.text;
        EXPECT_TRUE(p.dlg.rect().contains(w->geometry())) << control.text << " lies outside the window";
        ++checked;
    }
    EXPECT_EQ(checked, 48);
}

TEST(PanelWindow, TabOrderIsCreationOrderAndEveryControlHasAName)
{
    Panel p;
    QStringList expected;
    for (const ControlSpec& control : kPanelControls) {
        if (control.id > 0 && control.kind != ControlKind::SerialComponent) {
            expected << QStringLiteral("ctl%1").arg(control.id);
        }
    }
    QStringList order;
    QWidget* first = p.Control(1017);
    QWidget* w = first;
    do {
        if (w->focusPolicy() != Qt::NoFocus && w->parentWidget() == &p.dlg) {
            order << w->objectName();
        }
        w = w->nextInFocusChain();
    } while (w != first && order.size() < 100);
    EXPECT_EQ(order.join(' ').toStdString(), expected.join(' ').toStdString());

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
        EXPECT_EQ(p.Texts(), QStringList({"Please Click START"})) << id;
        EXPECT_EQ(p.boxes.front().first, QMessageBox::Warning);
        EXPECT_FALSE(p.dlg.Comm().PortOpen()) << id;
        EXPECT_EQ(p.dlg.SwitchChoice(SwitchField::L9PaSw), kSwitchNone) << "a refused Set stores nothing";
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
        QSignalSpy set(p.dlg.Controls().set, &QPushButton::clicked);
        QSignalSpy search(p.dlg.Controls().search, &QPushButton::clicked);
        QSignalSpy save(p.dlg.Controls().save, &QPushButton::clicked);
        QWidget* target = p.Control(c.focus);
        target->setFocus();
        QWidget* receiver = QApplication::focusWidget();
        ASSERT_NE(receiver, nullptr);
        QTest::keyClick(receiver, Qt::Key_Return);
        EXPECT_EQ(set.count(), c.pressed == IDC_SET ? 1 : 0) << "focus on " << c.focus;
        EXPECT_EQ(search.count(), c.pressed == IDC_SEARCH ? 1 : 0) << "focus on " << c.focus;
        EXPECT_EQ(save.count(), c.pressed == IDC_SAVE ? 1 : 0) << "focus on " << c.focus;
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
        {"typed port", IDC_PORT, "9", "Choose a port number from the \"COM\" list."},
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
        EXPECT_FALSE(p.dlg.Comm().PortOpen()) << c.name;
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
    p.Click(IDC_START);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].first, QMessageBox::Critical);
    EXPECT_TRUE(p.boxes[0].second.startsWith("COM3: the device /dev/q42-unplugged-adapter (set by Q42_COM3) does not exist"))
        << p.boxes[0].second.toStdString();
    EXPECT_FALSE(p.dlg.Started());
    EXPECT_EQ(p.Enabled(), "1011");
    qunsetenv("Q42_COM3");
}

}  // namespace
}  // namespace q42
