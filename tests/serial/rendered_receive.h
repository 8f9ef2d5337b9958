// SPDX-License-Identifier: MIT
// The accumulator with the window's glue around it: every port event puts the switches back, every
// answer a tick interprets is rendered, into a sink that writes each call down.
#pragma once

#include <span>

#include "receive_accumulator.h"
#include "recording_sink.h"

namespace q42::test {

struct RenderedReceive {
    RecordingSink sink;
    ReceiveAccumulator acc;

    void Event(int commEvent, std::span<const std::uint8_t> input)
    {
        acc.OnCommEvent(commEvent, input);
        sink.RefreshSwitches();
    }
    void Tick()
    {
        if (const auto answer = acc.OnTimerTick()) {
            RenderAnswer(*answer, sink);
        }
    }
};

}  // namespace q42::test
