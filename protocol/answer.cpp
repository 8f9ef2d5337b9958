// SPDX-License-Identifier: MIT
#include "answer.h"

#include "frame_codec.h"

namespace q42 {

namespace {

constexpr char kAnswerStart = '>';
constexpr char kAnswerEnd[] = {'\r', '\n'};

// Reads the values of a query answer of `length` decoded bytes. A value whose position lies at or
// past the decoded length was never received, so it is not carried.
void ReadSettings(const std::uint8_t* bytes, std::size_t length, UnitAnswer& answer)
{
    for (std::size_t row = 0; row < ParameterTable.size(); ++row) {
        const ParameterRecord& record = ParameterTable[row];
        const std::size_t pos = ValuePosition(row);
        if (!record.readInAnswer || pos + record.length > length) {
            continue;
        }
        const std::size_t index = ValueIndexOfRow(row);
        const int value = record.length == 2 ? bytes[pos] + 256 * bytes[pos + 1] : bytes[pos];
        answer.values[index] = std::holds_alternative<SwitchField>(record.source) ? SwitchByte(SwitchIsOn(value)) : value;
        answer.carried.set(index);
    }
}

}  // namespace

UnitAnswer InterpretAnswer(ReceiveBuffer& buffer)
{
    UnitAnswer answer;
    std::uint8_t* data = buffer.data.data();
    const std::uint8_t n = ExtractFrame(buffer, data, data, kAnswerStart, kAnswerEnd);
    if (n == 0) {
        buffer.data.fill(0);
        return answer;
    }
    answer.decodedBytes = DecodeHexPairs(data, data, n);
    if (answer.decodedBytes == 1) {
        answer.kind = AnswerKind::Acknowledged;
    } else if (answer.decodedBytes >= kMinQueryAnswerBytes) {
        answer.kind = AnswerKind::Settings;
        ReadSettings(data, answer.decodedBytes, answer);
    } else {
        answer.kind = AnswerKind::Ignored;
    }
    return answer;
}

void RenderAnswer(const UnitAnswer& answer, AnswerSink& sink)
{
    if (answer.kind == AnswerKind::Acknowledged) {
        sink.ShowMessage(kSuccessText);
        return;
    }
    if (answer.kind != AnswerKind::Settings) {
        return;
    }
    // In the unit's row order, as the values came.
    for (std::size_t row = 0; row < kParameterCount; ++row) {
        const std::size_t index = ValueIndexOfRow(row);
        if (!ParameterTable[row].readInAnswer || !answer.carried[index]) {
            continue;
        }
        const std::int64_t value = answer.values[index];
        if (const auto* sw = std::get_if<SwitchField>(&ParameterTable[row].source)) {
            sink.SetSwitchChoice(*sw, ChoiceOfSwitch(value));
        } else {
            const auto field = std::get<TextField>(ParameterTable[row].source);
            sink.SetFieldText(field, FieldText(field, value));
        }
    }
    sink.RefreshSwitches();
    sink.ShowMessage(kSearchSuccessText);
}

AnswerKind ParseAnswer(ReceiveBuffer& buffer, AnswerSink& sink)
{
    const UnitAnswer answer = InterpretAnswer(buffer);
    RenderAnswer(answer, sink);
    return answer.kind;
}

}  // namespace q42
