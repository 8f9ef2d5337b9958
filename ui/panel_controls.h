// SPDX-License-Identifier: MIT
// Creates the window's controls from the layout table and keeps typed handles to them.
#pragma once

#include <QHash>

#include <array>

#include "device_settings.h"
#include "panel_layout.h"

class QButtonGroup;
class QComboBox;
class QDialog;
class QLineEdit;
class QPushButton;
class QWidget;

namespace q42 {

struct PanelControls {
    QHash<int, QWidget*> byId;
    std::array<QLineEdit*, kTextFieldCount> fields{};      // by TextField
    std::array<QButtonGroup*, kSwitchFieldCount> switches{};  // by SwitchField; button id 0 = ON, 1 = OFF
    QComboBox* baud = nullptr;
    QComboBox* port = nullptr;
    QPushButton* start = nullptr;
    QPushButton* stop = nullptr;
    QPushButton* set = nullptr;
    QPushButton* search = nullptr;
    QPushButton* save = nullptr;
};

inline constexpr int kLabelExtraRows = 2;
inline constexpr std::array<int, kTextFieldCount> kFieldIds = {1009, 1010, 1011, 1019, 1020, 1026, 1027, 1028, 1029};
inline constexpr std::array<int, kSwitchFieldCount> kSwitchOnIds = {1017, 1023, 1025, 1033};
inline constexpr std::array<int, kSwitchFieldCount> kSwitchOffIds = {1018, 1024, 1030, 1034};

PanelControls BuildPanelControls(QDialog* dialog, const DialogUnits& units);

// The selected switch of a pair as a choice (0 ON, 1 OFF, -1 neither), and back.
int SwitchChoiceOf(const QButtonGroup* pair);
void ShowSwitchChoice(QButtonGroup* pair, int choice);

// The list's selected item, or empty when the text in its edit field is not one of its items.
QString SelectedItemText(const QComboBox* list);

}  // namespace q42
