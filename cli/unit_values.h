// SPDX-License-Identifier: MIT
// A unit's thirteen values as whole numbers, with the window's labels as their names, and the
// strict reading of values a technician types or a file holds.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "answer.h"
#include "device_settings.h"
#include "parameter_table.h"

namespace q42::ctl {

// The thirteen values in the form's order: "ISO TIME", the eight dB values, the four switches.
inline constexpr std::size_t kValueCount = 13;
inline constexpr std::size_t kIsoTime = 0;
inline constexpr std::size_t kFirstSwitch = 9;
// "ISO TIME MINUTES" names the same value as "ISO TIME", counted in the unit's own minutes.
inline constexpr char kIsoMinutesName[] = "ISO TIME MINUTES";

// ISO time in minutes, dB values 0-255, switches 1 for ON and 0 for OFF.
using UnitValues = std::array<int, kValueCount>;

const char* NameOf(std::size_t index);

// A name as a technician may type it: case does not matter and '_' stands for a space.
struct NamedValue {
    std::size_t index;
    bool minutes;  // "ISO TIME MINUTES"
};
std::optional<NamedValue> FindName(std::string_view name);

// Values to write, as given; the unit's own values fill the rest.
struct Edits {
    std::array<std::optional<int>, kValueCount> values;  // ISO time in hours, as the form shows it
    std::optional<int> isoMinutes;                       // ...or in minutes, exactly
};

// Reads NAME=VALUE, refusing unknown or repeated names and anything but a whole number in range
// (an ON/OFF word for a switch). Returns an empty text or what was wrong, naming the value.
std::string AddAssignment(Edits& edits, std::string_view assignment);
std::string AddValue(Edits& edits, std::string_view name, std::string_view value);
// "ISO TIME" and "ISO TIME MINUTES" may both come (a copy carries both); then they must agree.
std::string CheckEdits(const Edits& edits);

UnitValues Apply(const Edits& edits, UnitValues values);

// The values as the unit keeps them on the wire, and back from a settings answer that carries
// every one of them; ISO time travels as exact minutes.
WireValues ToWireValues(const UnitValues& values);
UnitValues ValuesOf(const UnitAnswer& answer);

std::string FormatValue(std::size_t index, const UnitValues& values);

// NAME=VALUE lines or one JSON object, both read back by ReadValuesText. The minutes appear when
// they are not whole hours, or when asked for by name.
struct Selection {
    std::vector<NamedValue> names;  // empty: all thirteen
};
std::string FormatLines(const UnitValues& values, const Selection& selection);
std::string FormatJson(const UnitValues& values, const Selection& selection);

// What changed from before to after, one "NAME: old -> new" per line.
std::vector<std::string> Differences(const UnitValues& before, const UnitValues& after);

}  // namespace q42::ctl
