// SPDX-License-Identifier: MIT
// The thirteen values of the settings form, as the form holds them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace q42 {

// The nine numeric fields, in the order the form and the parameter table list them.
enum class TextField : std::uint8_t {
    IsoTime, L9AttDl, L9AttUl, L7AttDl, L7AttUl, L9DlIsoAdj, L9UlIsoAdj, L7DlIsoAdj, L7UlIsoAdj,
};
inline constexpr int kTextFieldCount = 9;

// The four ON/OFF switches.
enum class SwitchField : std::uint8_t { SmartSwitch, SleepMode, L9PaSw, L7PaSw };
inline constexpr int kSwitchFieldCount = 4;

// A switch choice is the index of the selected radio button of its pair.
inline constexpr int kSwitchOn = 0;
inline constexpr int kSwitchOff = 1;
inline constexpr int kSwitchNone = -1;

struct DeviceSettings {
    std::string iso_time;
    std::string l9_att_dl;
    std::string l9_att_ul;
    std::string l7_att_dl;
    std::string l7_att_ul;
    std::string l9_dl_iso_adj;
    std::string l9_ul_iso_adj;
    std::string l7_dl_iso_adj;
    std::string l7_ul_iso_adj;
    int smart_switch = kSwitchNone;
    int sleep_mode = kSwitchNone;
    int l9_pa_sw = kSwitchNone;
    int l7_pa_sw = kSwitchNone;

    std::string& Text(TextField f);
    const std::string& Text(TextField f) const;
    int& Switch(SwitchField f);
    int Switch(SwitchField f) const;
};

// The form's own label of each value, used for accessible names and messages.
const char* LabelOf(TextField f);
const char* LabelOf(SwitchField f);

}  // namespace q42
