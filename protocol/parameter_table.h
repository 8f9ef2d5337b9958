// SPDX-License-Identifier: MIT
// The unit's fifteen parameters in their one wire order, and the command codes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <variant>

#include "device_settings.h"

namespace q42 {

inline constexpr std::uint8_t CMD_QUERY = 0x21;
inline constexpr std::uint8_t CMD_SET = 0x23;
inline constexpr std::uint8_t CMD_SAVE = 0x06;

inline constexpr std::uint16_t PID_ISO_TIME = 0x006D;
inline constexpr std::uint16_t PID_L9_ATT_DL = 0x0021;
inline constexpr std::uint16_t PID_L9_ATT_UL = 0x0027;
inline constexpr std::uint16_t PID_L7_ATT_DL = 0x0022;
inline constexpr std::uint16_t PID_L7_ATT_UL = 0x0028;
inline constexpr std::uint16_t PID_L9_DL_ISO_ADJ = 0x004D;
inline constexpr std::uint16_t PID_L9_UL_ISO_ADJ = 0x004B;
inline constexpr std::uint16_t PID_L7_DL_ISO_ADJ = 0x004E;
inline constexpr std::uint16_t PID_L7_UL_ISO_ADJ = 0x004C;
inline constexpr std::uint16_t PID_SLEEP_MODE = 0x0053;
inline constexpr std::uint16_t PID_SMART_SWITCH = 0x002B;
inline constexpr std::uint16_t PID_L9_PA_SW = 0x0049;
inline constexpr std::uint16_t PID_L9_PA_SW_2 = 0x007E;
inline constexpr std::uint16_t PID_L7_PA_SW = 0x004A;
inline constexpr std::uint16_t PID_L7_PA_SW_2 = 0x007F;

struct ParameterRecord {
    std::uint16_t id;
    std::uint8_t length;                          // value bytes on the wire, low byte first
    std::variant<TextField, SwitchField> source;  // the form value it carries
    bool readInAnswer;                            // the second PA-switch copies are never read back
};

inline constexpr std::size_t kParameterCount = 15;

// ISO time first, then Sleep Mode before SMART Switch: the unit's order, not the form's.
inline constexpr std::array<ParameterRecord, kParameterCount> ParameterTable = {{
    {PID_ISO_TIME, 2, TextField::IsoTime, true},
    {PID_L9_ATT_DL, 1, TextField::L9AttDl, true},
    {PID_L9_ATT_UL, 1, TextField::L9AttUl, true},
    {PID_L7_ATT_DL, 1, TextField::L7AttDl, true},
    {PID_L7_ATT_UL, 1, TextField::L7AttUl, true},
    {PID_L9_DL_ISO_ADJ, 1, TextField::L9DlIsoAdj, true},
    {PID_L9_UL_ISO_ADJ, 1, TextField::L9UlIsoAdj, true},
    {PID_L7_DL_ISO_ADJ, 1, TextField::L7DlIsoAdj, true},
    {PID_L7_UL_ISO_ADJ, 1, TextField::L7UlIsoAdj, true},
    {PID_SLEEP_MODE, 1, SwitchField::SleepMode, true},
    {PID_SMART_SWITCH, 1, SwitchField::SmartSwitch, true},
    {PID_L9_PA_SW, 1, SwitchField::L9PaSw, true},
    {PID_L9_PA_SW_2, 1, SwitchField::L9PaSw, false},
    {PID_L7_PA_SW, 1, SwitchField::L7PaSw, true},
    {PID_L7_PA_SW_2, 1, SwitchField::L7PaSw, false},
}};

// Byte position of a row's value in the set payload, which is also where a query answer carries it:
// one command byte, then per row two ID bytes, one length byte and the value.
constexpr std::size_t ValuePosition(std::size_t row)
{
    std::size_t pos = 1;
    for (std::size_t r = 0; r < row; ++r) {
        pos += 3 + ParameterTable[r].length;
    }
    return pos + 3;
}

inline constexpr std::size_t kQueryPayloadBytes = 1 + 3 * kParameterCount;  // 46
inline constexpr std::size_t kSetPayloadBytes = ValuePosition(kParameterCount - 1) + 1;  // 62
inline constexpr std::size_t kSavePayloadBytes = 1;

static_assert(ValuePosition(0) == 4 && ValuePosition(1) == 9 && ValuePosition(13) == 57);
static_assert(kSetPayloadBytes == 62);

}  // namespace q42
