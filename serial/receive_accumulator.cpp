// SPDX-License-Identifier: MIT
#include "receive_accumulator.h"

#include <algorithm>

namespace q42 {

void ReceiveAccumulator::InitReceive()
{
    m_buffer.count = 0;
    m_quietCountdown = kQuietTicks;
    m_resting = false;
}

void ReceiveAccumulator::OnCommEvent(int commEvent, std::span<const std::uint8_t> input)
{
    m_resting = false;
    if (m_quietCountdown == 0) {
        m_buffer.count = 0;  // the first event after a full gap opens a new burst
    }
    m_quietCountdown = kQuietTicks;
    if (commEvent == comEvReceive) {
        const std::size_t at = std::min<std::size_t>(m_buffer.count, kReceiveCapacity);
        const std::size_t fits = std::min(input.size(), kReceiveCapacity - at);
        std::copy_n(input.begin(), fits, m_buffer.data.begin() + static_cast<std::ptrdiff_t>(at));
        const std::uint64_t count = std::uint64_t{m_buffer.count} + input.size();
        // A burst longer than the area cannot be a frame of ours: it is dropped whole.
        m_buffer.count = count > kReceiveCapacity ? 0 : static_cast<std::uint32_t>(count);
    }
    if (m_sink != nullptr) {
        m_sink->RefreshSwitches();
    }
}

std::optional<UnitAnswer> ReceiveAccumulator::OnTimerTick()
{
    if (m_quietCountdown > 0) {
        --m_quietCountdown;
    }
    if (m_quietCountdown != 0) {
        return std::nullopt;
    }
    return parseHeld();
}

UnitAnswer ReceiveAccumulator::ParseNow()
{
    m_quietCountdown = 0;
    return parseHeld().value_or(UnitAnswer{});
}

std::optional<UnitAnswer> ReceiveAccumulator::parseHeld()
{
    if (m_buffer.count == 0) {
        m_resting = true;
        return std::nullopt;
    }
    const UnitAnswer answer = InterpretAnswer(m_buffer);
    if (m_sink != nullptr) {
        RenderAnswer(answer, *m_sink);
    }
    // Once interpretation finds no frame it zeroes the data, and every later tick would find none again.
    m_resting = answer.kind == AnswerKind::NoFrame;
    return answer;
}

}  // namespace q42
