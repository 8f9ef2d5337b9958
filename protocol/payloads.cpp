// SPDX-License-Identifier: MIT
#include "payloads.h"

#include <cstdint>

#include "frame_codec.h"
#include "parameter_table.h"

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
void WriteRecordValue(NibbleWriter& out, const ParameterRecord& record, std::int64_t value)
{
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

int BuildSetPayload(const UnitValues& values)
{
    NibbleWriter out;
    out.Byte(CMD_SET);
    for (std::size_t row = 0; row < kParameterCount; ++row) {
        WriteRecordHeader(out, ParameterTable[row]);
        WriteRecordValue(out, ParameterTable[row], values[ValueIndexOfRow(row)]);
    }
    return out.Length();
}

int BuildSetPayload(const DeviceSettings& settings)
{
    return BuildSetPayload(ValuesOfForm(settings));
}

int BuildSavePayload()
{
    NibbleWriter out;
    out.Byte(CMD_SAVE);
    return out.Length();
}

}  // namespace q42
