// SPDX-License-Identifier: MIT
// A unit's thirteen values as text, with the window's labels as their names: the strict reading
// of values a technician types or a file holds, and the listings q42ctl prints.
#pragma once

#include <QJsonObject>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "unit_values.h"

namespace q42::ctl {

// "ISO TIME MINUTES" names the same value as "ISO TIME", counted in the unit's own minutes.
inline constexpr char kIsoMinutesName[] = "ISO TIME MINUTES";

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

    bool HoldsNone() const;
};

// Reads NAME=VALUE, refusing unknown or repeated names and anything but a whole number in range
// (an ON/OFF word for a switch). Returns an empty text or what was wrong, naming the value.
std::string AddAssignment(Edits& edits, std::string_view assignment);
std::string AddValue(Edits& edits, std::string_view name, std::string_view value);
// "ISO TIME" and "ISO TIME MINUTES" may both come (a copy carries both); then they must agree.
std::string CheckEdits(const Edits& edits);

UnitValues Apply(const Edits& edits, UnitValues values);

std::string FormatValue(std::size_t index, const UnitValues& values);

// NAME=VALUE lines or one JSON object, both read back by ReadValuesText. The minutes appear when
// they are not whole hours, or when asked for by name.
struct Selection {
    std::vector<NamedValue> names;  // empty: all thirteen
};
std::string FormatLines(const UnitValues& values, const Selection& selection);
QJsonObject ValuesJson(const UnitValues& values, const Selection& selection);
// Every JSON text q42ctl prints is made here, by Qt's writer, so no name can break it.
std::string FormatJson(const QJsonObject& object);

// One value a set changed. ISO TIME is named in minutes where the hours would hide the change.
struct Change {
    NamedValue value;
    UnitValues before;
    UnitValues after;
};
std::vector<Change> Changes(const UnitValues& before, const UnitValues& after);
std::string ChangeLine(const Change& change);  // "NAME: old -> new"
// Each value read back that differs from what was written: "NAME=read, but written was written",
// ISO TIME in minutes where the hours would read the same. Empty when the unit holds what was written.
QStringList ReadBackDifferences(const UnitValues& read, const UnitValues& written);
QJsonObject ChangeJson(const Change& change);  // {"name": NAME, "old": ..., "new": ...}

}  // namespace q42::ctl
