// SPDX-License-Identifier: MIT
// Gathers received pieces into bursts and decides when a burst holds an answer. Knows nothing of
// widgets or ports: it returns what a burst turned out to be, and each face shows it its own way.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "answer.h"
#include "comm_event.h"
#include "receive_buffer.h"

namespace q42 {

inline constexpr int kReceiveTickMs = 10;
inline constexpr std::int32_t kQuietTicks = 20;

class ReceiveAccumulator {
public:
    void InitReceive();
    // Every event of the port: a receive event (comEvReceive) carries the bytes read; any other
    // kind still rearms the countdown.
    void OnCommEvent(int commEvent, std::span<const std::uint8_t> input);

    // The window's ending: a burst is complete once the line has been quiet for kQuietTicks ticks,
    // since an answer carries no length and the unit's pieces may pause anywhere within it. Returns
    // the answer interpreted on this tick, if the tick interpreted one.
    std::optional<UnitAnswer> OnTimerTick();

    // q42ctl's ending: a script waits for one known reply, so it takes each line as soon as its CR LF
    // has come, however long a pause inside it, and need not wait out the quiet gap. A frame starts at
    // the last '>' before its CR LF: what came before is line noise (a unit powering up, a fragment
    // at another rate) and is dropped. Lines come out oldest first, so a leftover answer never hides
    // the one after it. Returns nothing while no line is complete and no noise can be dropped.
    struct TakenLine {
        std::vector<std::uint8_t> dropped;  // noise before the frame, or a whole line without a start
        std::optional<UnitAnswer> answer;   // the frame's reading, when there was one
    };
    std::optional<TakenLine> TakeFrame();

    // True once every further tick would change nothing until the next event, so the tick may rest.
    bool Resting() const { return m_resting; }

    const ReceiveBuffer& Buffer() const { return m_buffer; }
    std::int32_t QuietCountdown() const { return m_quietCountdown; }

private:
    std::optional<UnitAnswer> parseHeld();

    ReceiveBuffer m_buffer;
    std::int32_t m_quietCountdown = kQuietTicks;
    bool m_resting = false;
};

}  // namespace q42
