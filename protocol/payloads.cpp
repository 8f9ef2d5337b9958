// SPDX-License-Identifier: MIT
#include "payloads.h"

#include <cstdint>

#include "frame_codec.h"
#include "parameter_table.h"
#include "text_number.h"

namespace q42 {

namespace {

class NibbleWriter {
public:
    void Byte(std::uint8_t b)
    {
        NibbleList[m_pos++] = b >> 4;
        NibbleList[m_pos++] = b & 0x0F;
    }
    int Length() const { return static_cast<int>(m_pos); }

private:
    std::size_t m_pos = 0;
};

void WriteRecordHeader(NibbleWriter& out, const ParameterRecord& record)
{
    out.Byte(static_cast<std::uint8_t>(record.id >> 8));
    out.Byte(static_cast<std::uint8_t>(record.id & 0xFF));
    out.Byte(record.length);
}

// Value bytes of one row, low byte first.
void WriteRecordValue(NibbleWriter& out, const ParameterRecord& record, const DeviceSettings& settings)
{
    if (const auto* field = std::get_if<SwitchField>(&record.source)) {
        out.Byte(settings.Switch(*field) == kSwitchOn ? 1 : 0);
        return;
    }
    const auto field = std::get<TextField>(record.source);
    // Hours go out as minutes; the product is taken in 64 bits so that no hour count overflows,
    // and only its low bits travel, as the unit has always received them.
    std::int64_t value = TextToInt(settings.Text(field));
    if (field == TextField::IsoTime) {
        value = settings.iso_time_minutes ? *settings.iso_time_minutes : value * 60;
    }
    const auto bits = static_cast<std::uint64_t>(value);
    for (std::uint8_t b = 0; b < record.length; ++b) {
        out.Byte(static_cast<std::uint8_t>((bits >> (8 * b)) & 0xFF));
    }
}

}  // namespace

int BuildQueryPayload()
{
    NibbleWriter out;
    out.Byte(CMD_QUERY);
    for (const auto& record : ParameterTable) {
        WriteRecordHeader(out, record);
    }
    return out.Length();
}

int BuildSetPayload(const DeviceSettings& settings)
{
    NibbleWriter out;
    out.Byte(CMD_SET);
    for (const auto& record : ParameterTable) {
        WriteRecordHeader(out, record);
        WriteRecordValue(out, record, settings);
    }
    return out.Length();
}

int BuildSavePayload()
{
    NibbleWriter out;
    out.Byte(CMD_SAVE);
    return out.Length();
}

}  // namespace q42
