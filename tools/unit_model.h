// SPDX-License-Identifier: MIT
// What the simulated unit stores and how it answers a frame, apart from any line or timing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "parameter_table.h"

namespace q42::sim {

class UnitModel {
public:
    UnitModel();

    // Takes one received line without its CR LF (":FF" + hex). Returns the answer payload bytes, or
    // nothing for a line the unit does not understand.
    std::optional<std::vector<std::uint8_t>> Answer(const std::string& line);

    // Another unit on the line: the factory values, with L9 ATT_DL 10 + n.
    void BecomeUnit(int n);

    // The stored value bytes of each parameter row, low byte first.
    const std::array<std::uint16_t, kParameterCount>& Values() const { return m_values; }
    int SaveCount() const { return m_saves; }

    // Switched off and on: the values saved last come back, those only set are gone.
    void PowerCycle() { m_values = m_saved; }

private:
    std::array<std::uint16_t, kParameterCount> m_values{};
    std::array<std::uint16_t, kParameterCount> m_saved{};
    int m_saves = 0;
};

// ">" + hex + CR LF, as the unit sends it.
std::string AnswerText(const std::vector<std::uint8_t>& payload, bool lowerCase);

}  // namespace q42::sim
