// SPDX-License-Identifier: MIT
#include "unit_values.h"

#include <cctype>
#include <charconv>

namespace q42::ctl {

namespace {

constexpr int kMaxIsoHours = 65535 / 60;  // 1092: the most whole hours the unit's minutes can hold
constexpr int kMaxIsoMinutes = 65535;
constexpr int kMaxDb = 255;

std::string Normalized(std::string_view name)
{
    std::string out;
    for (char c : name) {
        out += c == ' ' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

bool IsWholeHours(int minutes)
{
    return minutes % 60 == 0;
}

}  // namespace

const char* NameOf(std::size_t index)
{
    if (index < kFirstSwitch) {
        return LabelOf(static_cast<TextField>(index));
    }
    return LabelOf(static_cast<SwitchField>(index - kFirstSwitch));
}

std::optional<NamedValue> FindName(std::string_view name)
{
    const std::string wanted = Normalized(name);
    if (wanted == Normalized(kIsoMinutesName)) {
        return NamedValue{kIsoTime, true};
    }
    for (std::size_t i = 0; i < kValueCount; ++i) {
        if (wanted == Normalized(NameOf(i))) {
            return NamedValue{i, false};
        }
    }
    return std::nullopt;
}

std::string AddValue(Edits& edits, std::string_view name, std::string_view value)
{
    const auto named = FindName(name);
    if (!named) {
        return "unknown value name " + Quoted(name) + "; the names are those 'q42ctl get' prints";
    }
    std::optional<int>& slot = named->minutes ? edits.isoMinutes : edits.values[named->index];
    const std::string label = named->minutes ? kIsoMinutesName : NameOf(named->index);
    if (slot) {
        return label + " is given twice";
    }
    if (named->index >= kFirstSwitch) {
        const std::string word = Normalized(value);
        if (word != "ON" && word != "OFF") {
            return label + "=" + std::string(value) + ": a switch is ON or OFF";
        }
        slot = word == "ON" ? 1 : 0;
        return {};
    }
    long long number = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (value.empty() || end != value.data() + value.size() || (ec != std::errc() && ec != std::errc::result_out_of_range)) {
        return label + "=" + std::string(value) + ": not a whole number";
    }
    const int highest = named->minutes ? kMaxIsoMinutes : named->index == kIsoTime ? kMaxIsoHours : kMaxDb;
    if (ec == std::errc::result_out_of_range || number < 0 || number > highest) {
        return label + "=" + std::string(value) + ": out of range 0-" + std::to_string(highest);
    }
    slot = static_cast<int>(number);
    return {};
}

std::string AddAssignment(Edits& edits, std::string_view assignment)
{
    const std::size_t eq = assignment.find('=');
    if (eq == std::string_view::npos) {
        return Quoted(assignment) + " is not NAME=VALUE";
    }
    return AddValue(edits, assignment.substr(0, eq), assignment.substr(eq + 1));
}

std::string CheckEdits(const Edits& edits)
{
    const auto& hours = edits.values[kIsoTime];
    if (hours && edits.isoMinutes && *edits.isoMinutes / 60 != *hours) {
        return std::string(NameOf(kIsoTime)) + "=" + std::to_string(*hours) + " and " + kIsoMinutesName + "=" +
               std::to_string(*edits.isoMinutes) + " disagree";
    }
    return {};
}

UnitValues Apply(const Edits& edits, UnitValues values)
{
    for (std::size_t i = 0; i < kValueCount; ++i) {
        if (edits.values[i]) {
            values[i] = i == kIsoTime ? *edits.values[i] * 60 : *edits.values[i];
        }
    }
    // The exact minutes win over the hours they agree with.
    if (edits.isoMinutes) {
        values[kIsoTime] = *edits.isoMinutes;
    }
    return values;
}

namespace {

// Where a value of the list sits in the unit's parameter rows.
std::size_t RowOfValue(std::size_t index)
{
    return index < kFirstSwitch ? RowOf(static_cast<TextField>(index))
                                : RowOf(static_cast<SwitchField>(index - kFirstSwitch));
}

}  // namespace

WireValues ToWireValues(const UnitValues& values)
{
    WireValues wire{};
    for (std::size_t row = 0; row < kParameterCount; ++row) {
        // A row carries the value of its source; the second PA-switch copies carry the first's.
        for (std::size_t i = 0; i < kValueCount; ++i) {
            if (RowOf(ParameterTable[row].source) == RowOfValue(i)) {
                wire[row] = values[i];
            }
        }
    }
    return wire;
}

UnitValues ValuesOf(const UnitAnswer& answer)
{
    UnitValues values{};
    for (std::size_t i = 0; i < kValueCount; ++i) {
        const std::int64_t value = answer.rowValue[RowOfValue(i)];
        values[i] = i < kFirstSwitch ? static_cast<int>(value) : (value == 1 ? 1 : 0);
    }
    return values;
}

std::string FormatValue(std::size_t index, const UnitValues& values)
{
    if (index >= kFirstSwitch) {
        return values[index] == 1 ? "ON" : "OFF";
    }
    return std::to_string(index == kIsoTime ? values[index] / 60 : values[index]);
}

namespace {

// The names a listing shows, in order: those asked for, else all thirteen and the minutes when
// the hours alone would round them.
std::vector<NamedValue> Listed(const UnitValues& values, const Selection& selection)
{
    if (!selection.names.empty()) {
        return selection.names;
    }
    std::vector<NamedValue> names;
    for (std::size_t i = 0; i < kValueCount; ++i) {
        names.push_back({i, false});
        if (i == kIsoTime && !IsWholeHours(values[kIsoTime])) {
            names.push_back({kIsoTime, true});
        }
    }
    return names;
}

std::string ListedName(const NamedValue& n)
{
    return n.minutes ? kIsoMinutesName : NameOf(n.index);
}

std::string ListedValue(const NamedValue& n, const UnitValues& values)
{
    return n.minutes ? std::to_string(values[kIsoTime]) : FormatValue(n.index, values);
}

}  // namespace

std::string FormatLines(const UnitValues& values, const Selection& selection)
{
    std::string out;
    for (const NamedValue& n : Listed(values, selection)) {
        out += ListedName(n) + "=" + ListedValue(n, values) + "\n";
    }
    return out;
}

std::string FormatJson(const UnitValues& values, const Selection& selection)
{
    std::string out = "{";
    const char* separator = "\n";
    for (const NamedValue& n : Listed(values, selection)) {
        const bool word = !n.minutes && n.index >= kFirstSwitch;
        const std::string value = ListedValue(n, values);
        out += separator + std::string("  \"") + ListedName(n) + "\": " + (word ? Quoted(value) : value);
        separator = ",\n";
    }
    return out + "\n}\n";
}

std::vector<std::string> Differences(const UnitValues& before, const UnitValues& after)
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < kValueCount; ++i) {
        if (before[i] == after[i]) {
            continue;
        }
        // Minutes where the hours would hide the change or round it.
        if (i == kIsoTime && !(IsWholeHours(before[i]) && IsWholeHours(after[i]))) {
            lines.push_back(std::string(kIsoMinutesName) + ": " + std::to_string(before[i]) + " -> " +
                            std::to_string(after[i]));
            continue;
        }
        lines.push_back(std::string(NameOf(i)) + ": " + FormatValue(i, before) + " -> " + FormatValue(i, after));
    }
    return lines;
}

}  // namespace q42::ctl
