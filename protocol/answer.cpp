// SPDX-License-Identifier: MIT
#include "answer.h"

#include "frame_codec.h"
#include "parameter_table.h"
#include "text_number.h"

namespace q42 {

namespace {

constexpr char kAnswerStart = '>';
constexpr char kAnswerEnd[2] = {'\r', '\n'};

// Writes the values found in a query answer of `length` decoded bytes. A value whose position
// lies at or past the decoded length was never received, so its field keeps what it showed.
void ApplySettings(const std::uint8_t* bytes, std::size_t length, AnswerSink& sink)
{
    for (std::size_t row = 0; row < ParameterTable.size(); ++row) {
        const ParameterRecord& record = ParameterTable[row];
        const std::size_t pos = ValuePosition(row);
        if (!record.readInAnswer || pos + record.length > length) {
            continue;
        }
        if (const auto* sw = std::get_if<SwitchField>(&record.source)) {
            sink.SetSwitchChoice(*sw, bytes[pos] == 1 ? kSwitchOn : kSwitchOff);
            continue;
        }
        const auto field = std::get<TextField>(record.source);
        if (field == TextField::IsoTime) {
            const int minutes = bytes[pos] + 256 * bytes[pos + 1];
            sink.SetIsoTimeMinutes(minutes);
            sink.SetFieldText(field, IntToText(minutes / 60));
        } else {
            sink.SetFieldText(field, IntToText(bytes[pos]));
        }
    }
}

}  // namespace

AnswerOutcome ParseAnswer(ReceiveBuffer& buffer, AnswerSink& sink)
{
    std::uint8_t* data = buffer.data.data();
    const std::uint8_t n = ExtractFrame(buffer, data, data, kAnswerStart, kAnswerEnd);
    if (n == 0) {
        buffer.data.fill(0);
        return AnswerOutcome::NoFrame;
    }
    const std::size_t m = DecodeHexPairs(data, data, n);
    if (m == 1) {
        sink.ShowMessage(kSuccessText);
        return AnswerOutcome::Acknowledged;
    }
    if (m >= kMinQueryAnswerBytes) {
        ApplySettings(data, m, sink);
        sink.RefreshSwitches();
        sink.ShowMessage(kSearchSuccessText);
        return AnswerOutcome::Settings;
    }
    return AnswerOutcome::Ignored;
}

std::size_t HeldAnswerBytes(const ReceiveBuffer& buffer)
{
    ReceiveBuffer copy = buffer;
    std::uint8_t* data = copy.data.data();
    const std::uint8_t n = ExtractFrame(copy, data, data, kAnswerStart, kAnswerEnd);
    return n == 0 ? 0 : DecodeHexPairs(data, data, n);
}

}  // namespace q42
