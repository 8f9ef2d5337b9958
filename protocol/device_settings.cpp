// SPDX-License-Identifier: MIT
#include "device_settings.h"

namespace q42 {

namespace {

// One switch over the members serves the const and the non-const accessors alike.
template <typename Settings>
auto& TextMember(Settings& s, TextField f)
{
    switch (f) {
    case TextField::IsoTime: return s.iso_time;
    case TextField::L9AttDl: return s.l9_att_dl;
    case TextField::L9AttUl: return s.l9_att_ul;
    case TextField::L7AttDl: return s.l7_att_dl;
    case TextField::L7AttUl: return s.l7_att_ul;
    case TextField::L9DlIsoAdj: return s.l9_dl_iso_adj;
    case TextField::L9UlIsoAdj: return s.l9_ul_iso_adj;
    case TextField::L7DlIsoAdj: return s.l7_dl_iso_adj;
    case TextField::L7UlIsoAdj: return s.l7_ul_iso_adj;
    }
    return s.iso_time;
}

template <typename Settings>
auto& SwitchMember(Settings& s, SwitchField f)
{
    switch (f) {
    case SwitchField::SmartSwitch: return s.smart_switch;
    case SwitchField::SleepMode: return s.sleep_mode;
    case SwitchField::L9PaSw: return s.l9_pa_sw;
    case SwitchField::L7PaSw: return s.l7_pa_sw;
    }
    return s.smart_switch;
}

}  // namespace

std::string& DeviceSettings::Text(TextField f)
{
    return TextMember(*this, f);
}

const std::string& DeviceSettings::Text(TextField f) const
{
    return TextMember(*this, f);
}

int& DeviceSettings::Switch(SwitchField f)
{
    return SwitchMember(*this, f);
}

int DeviceSettings::Switch(SwitchField f) const
{
    return SwitchMember(*this, f);
}

const char* LabelOf(TextField f)
{
    static constexpr std::array<const char*, kTextFieldCount> labels = {
        "ISO TIME", "L9 ATT_DL", "L9 ATT_UL", "L7 ATT_DL", "L7 ATT_UL",
        "L9 DL ISO ADJ", "L9 UL ISO ADJ", "L7 DL ISO ADJ", "L7 UL ISO ADJ",
    };
    return labels[static_cast<std::size_t>(f)];
}

const char* LabelOf(SwitchField f)
{
    static constexpr std::array<const char*, kSwitchFieldCount> labels = {
        "SMART Switch", "Sleep Mode", "L9_PA_SW", "L7_PA_SW",
    };
    return labels[static_cast<std::size_t>(f)];
}

}  // namespace q42
