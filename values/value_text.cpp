// SPDX-License-Identifier: MIT
#include "value_text.h"

#include <algorithm>

#include <QJsonDocument>

#include <cctype>
#include <charconv>

namespace q42::ctl {

namespace {

constexpr std::size_t kIsoTime = ValueIndex(TextField::IsoTime);
constexpr int kMaxIsoMinutes = 65535;
constexpr int kMaxIsoHours = HoursOfMinutes(kMaxIsoMinutes);  // 1092: the most whole hours minutes can hold
constexpr int kMaxDb = 255;

bool IsSwitch(std::size_t index)
{
    return index >= kTextFieldCount;
}

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

}  // namespace

std::optional<NamedValue> FindName(std::string_view name)
{
    const std::string wanted = Normalized(name);
    if (wanted == Normalized(kIsoMinutesName)) {
        return NamedValue{kIsoTime, true};
    }
    for (std::size_t i = 0; i < kValueCount; ++i) {
        if (wanted == Normalized(LabelOfValue(i))) {
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
    const std::string label = named->minutes ? kIsoMinutesName : LabelOfValue(named->index);
    if (slot) {
        return label + " is given twice";
    }
    if (IsSwitch(named->index)) {
        const std::string word = Normalized(value);
        if (word != "ON" && word != "OFF") {
            return label + "=" + std::string(value) + ": a switch is ON or OFF";
        }
        slot = static_cast<int>(SwitchByte(word == "ON"));
        return {};
    }
    long long number = 0;
    // A string_view's iterators are its characters' addresses in the standard libraries we build with.
    const auto [end, ec] = std::from_chars(value.begin(), value.end(), number);
    if (value.empty() || end != value.end() || (ec != std::errc() && ec != std::errc::result_out_of_range)) {
        return label + "=" + std::string(value) + ": not a whole number";
    }
    const int highest = named->minutes ? kMaxIsoMinutes : named->index == kIsoTime ? kMaxIsoHours : kMaxDb;
    if (ec == std::errc::result_out_of_range || number < 0 || number > highest) {
        return label + "=" + std::string(value) + ": out of range 0-" + std::to_string(highest);
    }
    slot = static_cast<int>(number);
    return {};
}

bool Edits::HoldsNone() const
{
    return !isoMinutes && std::none_of(values.begin(), values.end(), [](const std::optional<int>& v) { return v.has_value(); });
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
    if (hours && edits.isoMinutes && HoursOfMinutes(*edits.isoMinutes) != *hours) {
        return std::string(LabelOfValue(kIsoTime)) + "=" + std::to_string(*hours) + " and " + kIsoMinutesName + "=" +
               std::to_string(*edits.isoMinutes) + " disagree";
    }
    return {};
}

UnitValues Apply(const Edits& edits, UnitValues values)
{
    for (std::size_t i = 0; i < kValueCount; ++i) {
        if (edits.values[i]) {
            values[i] = i == kIsoTime ? MinutesOfHours(*edits.values[i]) : *edits.values[i];
        }
    }
    // The exact minutes win over the hours they agree with.
    if (edits.isoMinutes) {
        values[kIsoTime] = *edits.isoMinutes;
    }
    return values;
}

std::string FormatValue(std::size_t index, const UnitValues& values)
{
    if (IsSwitch(index)) {
        return SwitchIsOn(values[index]) ? "ON" : "OFF";
    }
    return FieldText(static_cast<TextField>(index), values[index]);
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
    return n.minutes ? kIsoMinutesName : LabelOfValue(n.index);
}

std::string ListedValue(const NamedValue& n, const UnitValues& values)
{
    return n.minutes ? std::to_string(values[kIsoTime]) : FormatValue(n.index, values);
}

// A switch as its word, every other value as its number.
QJsonValue JsonValue(const NamedValue& n, const UnitValues& values)
{
    if (n.minutes) {
        return static_cast<qint64>(values[kIsoTime]);
    }
    if (IsSwitch(n.index)) {
        return QString::fromStdString(FormatValue(n.index, values));
    }
    return static_cast<qint64>(n.index == kIsoTime ? HoursOfMinutes(values[kIsoTime]) : values[n.index]);
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

QJsonObject ValuesJson(const UnitValues& values, const Selection& selection)
{
    QJsonObject object;
    for (const NamedValue& n : Listed(values, selection)) {
        object.insert(QString::fromStdString(ListedName(n)), JsonValue(n, values));
    }
    return object;
}

std::string FormatJson(const QJsonObject& object)
{
    // U+FEFF written raw is taken for a byte order mark and dropped by some readers (Qt's own among
    // them) when a string starts with it, so a device named so would come back as another: escaped,
    // every reader keeps it. Its bytes can stand nowhere else in a JSON text but inside a string.
    return QJsonDocument(object).toJson(QJsonDocument::Indented).replace("\xEF\xBB\xBF", "\\ufeff").toStdString();
}

std::vector<Change> Changes(const UnitValues& before, const UnitValues& after)
{
    std::vector<Change> changes;
    for (std::size_t i = 0; i < kValueCount; ++i) {
        if (before[i] != after[i]) {
            // Minutes where the hours would hide the change or round it.
            const bool minutes = i == kIsoTime && !(IsWholeHours(before[i]) && IsWholeHours(after[i]));
            changes.push_back({{i, minutes}, before, after});
        }
    }
    return changes;
}

std::string ChangeLine(const Change& change)
{
    return ListedName(change.value) + ": " + ListedValue(change.value, change.before) + " -> " +
           ListedValue(change.value, change.after);
}

QStringList ReadBackDifferences(const UnitValues& read, const UnitValues& written)
{
    QStringList lines;
    for (const Change& change : Changes(read, written)) {
        lines << QString::fromStdString(ListedName(change.value) + "=" + ListedValue(change.value, change.before) + ", but " +
                                        ListedValue(change.value, change.after) + " was written");
    }
    return lines;
}

QJsonObject ChangeJson(const Change& change)
{
    return {{QStringLiteral("name"), QString::fromStdString(ListedName(change.value))},
            {QStringLiteral("old"), JsonValue(change.value, change.before)},
            {QStringLiteral("new"), JsonValue(change.value, change.after)}};
}

}  // namespace q42::ctl
