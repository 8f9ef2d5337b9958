// SPDX-License-Identifier: MIT
// Gathers received pieces into bursts and hands a burst to answer interpretation once the line has
// been quiet for 20 ticks. Knows nothing of widgets or ports.
#pragma once

#include <cstdint>
#include <span>

#include "answer.h"
#include "receive_buffer.h"

namespace q42 {

inline constexpr int kReceiveTickMs = 10;
inline constexpr std::int32_t kQuietTicks = 20;

class ReceiveAccumulator {
public:
    static constexpr int kReceiveEvent = 2;

    explicit ReceiveAccumulator(AnswerSink& sink)
        : m_sink(sink)
    {
    }

    void InitReceive();
    // Every event of the port: a receive event (kReceiveEvent) carries the bytes read; any other
    // kind still rearms the countdown and puts the switch buttons back to their stored choices.
    void OnCommEvent(int commEvent, std::span<const std::uint8_t> input);
    void OnTimerTick();
    // Interprets the held burst now, as if the quiet gap had passed: for a caller that has already
    // seen a complete answer frame (HeldAnswerBytes) and need not wait out the gap.
    void ParseNow();

    // True once every further tick would change nothing until the next event, so the tick may rest.
    bool Resting() const { return m_resting; }

    const ReceiveBuffer& Buffer() const { return m_buffer; }
    std::int32_t QuietCountdown() const { return m_quietCountdown; }

private:
    void parseHeld();

    AnswerSink& m_sink;
    ReceiveBuffer m_buffer;
    std::int32_t m_quietCountdown = kQuietTicks;
    bool m_resting = false;
};

}  // namespace q42
