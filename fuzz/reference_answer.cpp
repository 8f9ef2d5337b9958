// SPDX-License-Identifier: MIT
#include "reference_answer.h"

namespace q42 {

namespace {

int Digit(std::uint8_t c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReferenceAnswer(const ReceiveBuffer& held)
{
    const std::size_t count = held.count;
    const auto& d = held.data;
    std::size_t start = 0;
    while (start < count && d[start] != '>') {
        ++start;
    }
    if (start >= count) {
        return std::nullopt;
    }
    std::size_t cr = start + 1;
    while (cr < count && d[cr] != '\r') {
        ++cr;
    }
    // The CR must lie within the held bytes, with at least itself left counted, and an LF after it
    // (which may be a byte past the count, as the unit's tool always read it).
    if (cr >= count || cr + 1 >= d.size() || d[cr + 1] != '\n') {
        return std::nullopt;
    }
    std::string digits;
    std::size_t spaces = 0;
    for (std::size_t k = start + 1; k < cr; ++k) {
        if (d[k] == ' ') {
            ++spaces;
        } else {
            digits += static_cast<char>(d[k]);
        }
    }
    if (spaces >= count - cr || digits.empty()) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    if (digits.size() % 2 != 0) {
        return bytes;
    }
    for (std::size_t k = 0; k < digits.size(); k += 2) {
        const int hi = Digit(static_cast<std::uint8_t>(digits[k]));
        const int lo = Digit(static_cast<std::uint8_t>(digits[k + 1]));
        if (hi < 0 || lo < 0) {
            return std::vector<std::uint8_t>{};
        }
        bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    return bytes;
}

std::string ReferenceFieldText(const std::vector<std::uint8_t>& answer, TextField field)
{
    static constexpr std::size_t kPositions[] = {4, 9, 13, 17, 21, 25, 29, 33, 37};
    const std::size_t pos = kPositions[static_cast<std::size_t>(field)];
    if (field == TextField::IsoTime) {
        return pos + 1 < answer.size() ? std::to_string((answer[pos] + 256 * answer[pos + 1]) / 60) : "<not received>";
    }
    return pos < answer.size() ? std::to_string(answer[pos]) : "<not received>";
}

int ReferenceSwitchChoice(const std::vector<std::uint8_t>& answer, SwitchField field)
{
    // Smart, sleep, L9 PA, L7 PA.
    static constexpr std::size_t kPositions[] = {45, 41, 49, 57};
    const std::size_t pos = kPositions[static_cast<std::size_t>(field)];
    if (pos >= answer.size()) {
        return -2;  // never a choice: a switch set from bytes that never came
    }
    return answer[pos] == 1 ? 0 : 1;
}

}  // namespace q42
