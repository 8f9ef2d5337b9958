// SPDX-License-Identifier: MIT
#include "unit_values.h"

#include "text_number.h"

namespace q42 {

const char* LabelOfValue(std::size_t index)
{
    return index < kTextFieldCount ? LabelOf(static_cast<TextField>(index))
                                   : LabelOf(static_cast<SwitchField>(index - kTextFieldCount));
}

UnitValues ValuesOfForm(const DeviceSettings& form)
{
    UnitValues values{};
    for (int f = 0; f < kTextFieldCount; ++f) {
        const auto field = static_cast<TextField>(f);
        // Taken in 64 bits, so that no hour count overflows on its way to minutes.
        const std::int64_t number = TextToInt(form.Text(field));
        values[ValueIndex(field)] = field == TextField::IsoTime ? MinutesOfHours(number) : number;
    }
    for (int s = 0; s < kSwitchFieldCount; ++s) {
        const auto sw = static_cast<SwitchField>(s);
        values[ValueIndex(sw)] = SwitchByte(form.Switch(sw) == kSwitchOn);
    }
    return values;
}

std::string FieldText(TextField field, std::int64_t value)
{
    return IntToText(field == TextField::IsoTime ? HoursOfMinutes(value) : value);
}

}  // namespace q42
