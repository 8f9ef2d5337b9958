// SPDX-License-Identifier: MIT
// The tick may stop while it has nothing to do. This checks that a resting tick and one that never
// stops give the same results for the same events, on many random runs.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "receive_accumulator.h"
#include "rendered_receive.h"

namespace q42 {
namespace {

using test::RenderedReceive;

const std::vector<std::string> kPieces = {
    ">06\r\n", ">21006D0278000021010A0027010A0022010A0028010A004D010A004B010A004E010A004C010A00530101002B0101004901",
    "01007E0101004A0101007F0101\r\n", ">0102\r\n", ">1 2\r\n", ">ab\r\n", "\r\n", ">", "garbage>zz\r", "\n",
    std::string(90, 'Z'), "",
};

struct Machine : RenderedReceive {
    bool timerRunning = true;
    long ticksDelivered = 0;
};

TEST(RestingTick, SameResultsAsATickThatNeverStops)
{
    std::mt19937 rng(20261206);
    long restingTicks = 0;
    long allTicks = 0;
    for (int run = 0; run < 2000; ++run) {
        Machine always;
        Machine resting;
        const int steps = 1 + static_cast<int>(rng() % 60);
        for (int step = 0; step < steps; ++step) {
            if (rng() % 3 == 0) {
                const int kind = rng() % 8 == 0 ? comEvDeviceLost : comEvReceive;
                const std::string& piece = kPieces[rng() % kPieces.size()];
                const std::vector<std::uint8_t> bytes(piece.begin(), piece.end());
                always.Event(kind, bytes);
                resting.Event(kind, bytes);
                resting.timerRunning = true;  // every event restarts the tick
            } else {
                const int ticks = static_cast<int>(rng() % 30);
                for (int t = 0; t < ticks; ++t) {
                    always.Tick();
                    ++always.ticksDelivered;
                    if (resting.timerRunning) {
                        resting.Tick();
                        ++resting.ticksDelivered;
                        resting.timerRunning = !resting.acc.Resting();
                    }
                }
            }
            const auto state = [](const Machine& m) {
                return std::make_tuple(m.sink.calls, m.acc.Buffer().count, m.acc.Buffer().data, m.acc.QuietCountdown());
            };
            ASSERT_TRUE(state(resting) == state(always)) << "run " << run << " step " << step;
        }
        restingTicks += resting.ticksDelivered;
        allTicks += always.ticksDelivered;
    }
    EXPECT_LT(restingTicks * 2, allTicks) << "the tick must actually rest";
}

}  // namespace
}  // namespace q42
