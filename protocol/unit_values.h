// SPDX-License-Identifier: MIT
// The unit's thirteen values as whole numbers, in one record, and each conversion between what the
// unit keeps and what a face shows written once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

#include "device_settings.h"
#include "parameter_table.h"

namespace q42 {

// In the form's order, the nine fields as TextField counts them and then the four switches as
// SwitchField does: both faces list the values so (the window's fields, q42ctl's lines). The unit's
// own order is the parameter table's, whose rows each carry one of them.
inline constexpr std::size_t kValueCount = kTextFieldCount + kSwitchFieldCount;

// As the unit keeps them: ISO TIME in minutes, the dB values as their byte, a switch 1 for ON and 0
// for OFF. A value read from the form may lie outside a byte; only its low bits travel.
using UnitValues = std::array<std::int64_t, kValueCount>;

constexpr std::size_t ValueIndex(TextField f)
{
    return static_cast<std::size_t>(f);
}

constexpr std::size_t ValueIndex(SwitchField f)
{
    return kTextFieldCount + static_cast<std::size_t>(f);
}

// Which of the thirteen values a parameter row carries (both PA-switch copies carry the same one).
constexpr std::size_t ValueIndexOfRow(std::size_t row)
{
    return std::visit([](auto field) { return ValueIndex(field); }, ParameterTable[row].source);
}

static_assert(kValueCount == 13);
static_assert(ValueIndexOfRow(0) == ValueIndex(TextField::IsoTime) && ValueIndexOfRow(8) == 8);
static_assert(ValueIndexOfRow(9) == ValueIndex(SwitchField::SleepMode) &&
              ValueIndexOfRow(10) == ValueIndex(SwitchField::SmartSwitch));
static_assert(ValueIndexOfRow(11) == ValueIndexOfRow(12) && ValueIndexOfRow(13) == ValueIndexOfRow(14));

// ISO TIME: the form shows whole hours, the unit keeps minutes.
constexpr std::int64_t MinutesOfHours(std::int64_t hours)
{
    return hours * 60;
}

constexpr std::int64_t HoursOfMinutes(std::int64_t minutes)
{
    return minutes / 60;
}

constexpr bool IsWholeHours(std::int64_t minutes)
{
    return minutes % 60 == 0;
}

// A switch: only the unit's byte 1 means ON. The window's choice ON sends 1; OFF and no choice at
// all send 0.
constexpr bool SwitchIsOn(std::int64_t byte)
{
    return byte == 1;
}

constexpr std::int64_t SwitchByte(bool on)
{
    return on ? 1 : 0;
}

constexpr int ChoiceOfSwitch(std::int64_t byte)
{
    return SwitchIsOn(byte) ? kSwitchOn : kSwitchOff;
}

// The form's label of a value ("ISO TIME", "SMART Switch").
const char* LabelOfValue(std::size_t index);

// The form's texts and choices as the unit's tool always read them, and a value as its field shows it.
UnitValues ValuesOfForm(const DeviceSettings& form);
std::string FieldText(TextField field, std::int64_t value);

}  // namespace q42
