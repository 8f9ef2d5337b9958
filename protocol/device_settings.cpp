// SPDX-License-Identifier: MIT
#include "device_settings.h"

namespace q42 {

std::string& DeviceSettings::Text(TextField f)
{
    return const_cast<std::string&>(static_cast<const DeviceSettings&>(*this).Text(f));
}

const std::string& DeviceSettings::Text(TextField f) const
{
    switch (f) {
    case TextField::IsoTime: return iso_time;
    case TextField::L9AttDl: return l9_att_dl;
    case TextField::L9AttUl: return l9_att_ul;
    case TextField::L7AttDl: return l7_att_dl;
    case TextField::L7AttUl: return l7_att_ul;
    case TextField::L9DlIsoAdj: return l9_dl_iso_adj;
    case TextField::L9UlIsoAdj: return l9_ul_iso_adj;
    case TextField::L7DlIsoAdj: return l7_dl_iso_adj;
    case TextField::L7UlIsoAdj: return l7_ul_iso_adj;
    }
    return iso_time;
}

int& DeviceSettings::Switch(SwitchField f)
{
    switch (f) {
    case SwitchField::SmartSwitch: return smart_switch;
    case SwitchField::SleepMode: return sleep_mode;
    case SwitchField::L9PaSw: return l9_pa_sw;
    case SwitchField::L7PaSw: return l7_pa_sw;
    }
    return smart_switch;
}

int DeviceSettings::Switch(SwitchField f) const
{
    return const_cast<DeviceSettings&>(*this).Switch(f);
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
