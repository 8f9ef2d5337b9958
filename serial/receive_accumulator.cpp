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

std::optional<UnitAnswer> ReceiveAccumulator::parseHeld()
{
    if (m_buffer.count == 0) {
        m_resting = true;
        return std::nullopt;
    }
    const UnitAnswer answer = InterpretAnswer(m_buffer);
    // Once interpretation finds no frame it zeroes the data, and every later tick would find none again.
    m_resting = answer.kind == AnswerKind::NoFrame;
    return answer;
}

std::optional<ReceiveAccumulator::TakenLine> ReceiveAccumulator::TakeFrame()
{
    static constexpr std::uint8_t kLineEnd[] = {'\r', '\n'};
    const auto begin = m_buffer.data.begin();
    const auto end = begin + m_buffer.count;
    const auto lineEnd = std::search(begin, end, std::begin(kLineEnd), std::end(kLineEnd));
    // The frame's start: the last '>' before the line's end, or before all that is held.
    auto frameStart = lineEnd;
    for (auto it = lineEnd; it != begin;) {
        if (*--it == '>') {
            frameStart = it;
            break;
        }
    }
    const bool complete = lineEnd != end;
    const auto taken = complete ? lineEnd + 2 : frameStart;
    TakenLine line;
    line.dropped.assign(begin, complete && frameStart == lineEnd ? taken : frameStart);
    if (complete && frameStart != lineEnd) {
        ReceiveBuffer frame;
        std::copy(frameStart, taken, frame.data.begin());
        frame.count = static_cast<std::uint32_t>(taken - frameStart);
        line.answer = InterpretAnswer(frame);
    } else if (line.dropped.empty()) {
        return std::nullopt;  // nothing held, or a frame still arriving
    }
    std::copy(taken, end, begin);
    m_buffer.count = static_cast<std::uint32_t>(end - taken);
    return line;
}

}  // namespace q42
