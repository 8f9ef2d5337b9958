// SPDX-License-Identifier: MIT
#include "unit_model.h"

#include "frame_codec.h"

namespace q42::sim {

namespace {
constexpr std::uint8_t kAckByte = 0x00;
}

UnitModel::UnitModel()
{
    BecomeUnit(0);
}

void UnitModel::BecomeUnit(int n)
{
    // Plausible factory values: 2 hours, modest attenuation, no ISO adjustment, sleep off,
    // SMART on, both power amplifiers on.
    const std::uint16_t defaults[kParameterCount] = {120, 10, 10, 12, 12, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1};
    std::copy(std::begin(defaults), std::end(defaults), m_values.begin());
    m_values[1] = static_cast<std::uint16_t>((10 + n) & 0xFF);  // row 1: L9 ATT_DL
    m_saved = m_values;
    m_saves = 0;
}

std::optional<std::vector<std::uint8_t>> UnitModel::Answer(const std::string& line)
{
    if (line.size() < 5 || line.compare(0, 3, ":FF") != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(line.begin() + 3, line.end());
    const std::size_t n = DecodeHexPairs(bytes.data(), bytes.data(), bytes.size());
    if (n == 0) {
        return std::nullopt;
    }
    bytes.resize(n);

    switch (bytes[0]) {
    case CMD_QUERY: {
        if (n != kQueryPayloadBytes) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> answer{CMD_QUERY};
        for (std::size_t row = 0; row < kParameterCount; ++row) {
            const ParameterRecord& r = ParameterTable[row];
            answer.push_back(static_cast<std::uint8_t>(r.id >> 8));
            answer.push_back(static_cast<std::uint8_t>(r.id & 0xFF));
            answer.push_back(r.length);
            for (std::uint8_t b = 0; b < r.length; ++b) {
                answer.push_back(static_cast<std::uint8_t>(m_values[row] >> (8 * b)));
            }
        }
        return answer;
    }
    case CMD_SET:
        if (n != kSetPayloadBytes) {
            return std::nullopt;
        }
        for (std::size_t row = 0; row < kParameterCount; ++row) {
            const std::size_t pos = ValuePosition(row);
            m_values[row] = ParameterTable[row].length == 2 ? static_cast<std::uint16_t>(bytes[pos] | bytes[pos + 1] << 8)
                                                            : bytes[pos];
        }
        return std::vector<std::uint8_t>{kAckByte};
    case CMD_SAVE:
        ++m_saves;
        m_saved = m_values;
        return std::vector<std::uint8_t>{kAckByte};
    default:
        return std::nullopt;
    }
}

std::string AnswerText(const std::vector<std::uint8_t>& payload, bool lowerCase)
{
    const char* digits = lowerCase ? "0123456789abcdef" : "0123456789ABCDEF";
    std::string text = ">";
    for (std::uint8_t b : payload) {
        text += digits[b >> 4];
        text += digits[b & 0x0F];
    }
    text += "\r\n";
    return text;
}

}  // namespace q42::sim
