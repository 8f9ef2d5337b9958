// SPDX-License-Identifier: MIT
#include "panel_controls.h"

#include <QButtonGroup>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <optional>

#include "port_names.h"
#include "port_number_list.h"

namespace q42 {

namespace {

template <std::size_t N>
std::optional<std::size_t> IndexOf(const std::array<int, N>& ids, int id)
{
    const auto it = std::find(ids.begin(), ids.end(), id);
    return it == ids.end() ? std::nullopt : std::optional<std::size_t>(it - ids.begin());
}

static_assert(std::size(kPortItems) == kListedPortNumbers, "the list starts with every listed number");

QComboBox* MakeList(int id, QWidget* parent)
{
    QComboBox* list = id == IDC_PORT ? new PortNumberList(parent) : new QComboBox(parent);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);  // typed text never becomes an item
    if (id == IDC_BAUD) {
        for (const char* item : kBaudItems) {
            list->addItem(QString::fromLatin1(item));
        }
        list->setAccessibleName(QStringLiteral("Baud Rate"));
    } else {
        for (const char* item : kPortItems) {
            list->addItem(QString::fromLatin1(item));
        }
        list->setAccessibleName(QStringLiteral("COM"));
    }
    return list;
}

}  // namespace

PanelControls BuildPanelControls(QDialog* dialog, const DialogUnits& units)
{
    PanelControls c;
    for (int s = 0; s < kSwitchFieldCount; ++s) {
        c.switches[static_cast<std::size_t>(s)] = new QButtonGroup(dialog);
    }
    QList<QWidget*> behind;  // group boxes go under the radio buttons they frame

    for (const ControlRow& control : kPanelControls) {
        const QString text = QString::fromUtf8(control.text);
        QWidget* widget = nullptr;
        QRect rect = units.Rect(control.x, control.y, control.w, control.h);
        switch (control.kind) {
        case ControlKind::SerialComponent:
            continue;  // the serial component shows nothing
        case ControlKind::Label: {
            auto* label = new QLabel(text, dialog);
            // Text hangs from the top as on the unit's original window. This font draws its underscore
            // one row below its height, so the label gets two rows more for "L9 ATT_DL" to show whole.
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            rect.setHeight(rect.height() + kLabelExtraRows);
            widget = label;
            break;
        }
        case ControlKind::GroupBox:
            widget = new QGroupBox(text, dialog);
            behind << widget;
            break;
        case ControlKind::PushButton: {
            auto* button = new QPushButton(text, dialog);
            button->setAutoDefault(true);  // Enter presses the focused push button
            widget = button;
            break;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(dialog);
            const std::size_t field = IndexOf(kFieldIds, control.id).value();
            c.fields[field] = edit;
            edit->setAccessibleName(QString::fromUtf8(LabelOf(static_cast<TextField>(field))));
            widget = edit;
            break;
        }
        case ControlKind::ComboBox: {
            QComboBox* list = MakeList(control.id, dialog);
            (control.id == IDC_BAUD ? c.baud : c.port) = list;
            rect.setHeight(units.Y(control.y + kClosedComboHeightDu) - units.Y(control.y));
            widget = list;
            break;
        }
        case ControlKind::Radio: {
            auto* radio = new QRadioButton(text, dialog);
            const auto on = IndexOf(kSwitchOnIds, control.id);
            const std::size_t sw = on ? *on : IndexOf(kSwitchOffIds, control.id).value();
            c.switches[sw]->addButton(radio, on ? kSwitchOn : kSwitchOff);
            radio->setAccessibleName(QString::fromUtf8(LabelOf(static_cast<SwitchField>(sw))) + ' ' + text);
            widget = radio;
            break;
        }
        }
        if (control.id != IDC_STATIC) {
            widget->setObjectName(QStringLiteral("ctl%1").arg(control.id));
            c.byId.insert(control.id, widget);
        }
        if (widget->accessibleName().isEmpty()) {
            widget->setAccessibleName(text);
        }
        widget->setGeometry(rect);
    }
    for (QWidget* w : behind) {
        w->lower();
    }
    c.start = qobject_cast<QPushButton*>(c.byId.value(IDC_START));
    c.stop = qobject_cast<QPushButton*>(c.byId.value(IDC_STOP));
    c.set = qobject_cast<QPushButton*>(c.byId.value(IDC_SET));
    c.search = qobject_cast<QPushButton*>(c.byId.value(IDC_SEARCH));
    c.save = qobject_cast<QPushButton*>(c.byId.value(IDC_SAVE));
    c.set->setDefault(true);
    return c;
}

int SwitchChoiceOf(const QButtonGroup* pair)
{
    return pair->checkedId();  // -1 when neither button is selected
}

void ShowSwitchChoice(QButtonGroup* pair, int choice)
{
    // An exclusive group cannot show "neither"; lift exclusivity while clearing.
    pair->setExclusive(false);
    for (QAbstractButton* button : pair->buttons()) {
        button->setChecked(pair->id(button) == choice);
    }
    pair->setExclusive(true);
}

QString SelectedItemText(const QComboBox* list)
{
    const int index = list->currentIndex();
    if (index < 0 || list->currentText() != list->itemText(index)) {
        return {};
    }
    return list->itemText(index);
}

}  // namespace q42
