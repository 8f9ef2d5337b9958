// SPDX-License-Identifier: MIT
// The protocol's hot paths: building each frame, extracting and decoding an answer, interpreting it,
// and the two ways a burst of pieces becomes an answer: the window's quiet gap and q42ctl's frame end.
#include <benchmark/benchmark.h>

#include <optional>
#include <string>
#include <vector>

#include "answer.h"
#include "frame_codec.h"
#include "payloads.h"
#include "receive_accumulator.h"

namespace {

using namespace q42;

const std::string kQueryAnswer =
    ">21006D0278000021010A0027010A0022010C0028010C004D0100004B0100004E0100004C010000530100002B0101004901"
    "01007E0101004A0101007F0101\r\n";

ReceiveBuffer Held(const std::string& text)
{
    ReceiveBuffer b;
    std::copy(text.begin(), text.end(), b.data.begin());
    b.count = static_cast<std::uint32_t>(text.size());
    return b;
}

void BM_QueryFrame(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(EncodeFrame(BuildQueryPayload()));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_QueryFrame);

void BM_SetFrame(benchmark::State& state)
{
    DeviceSettings s{"2", "10", "10", "12", "12", "0", "0", "0", "0", kSwitchOn, kSwitchOff, kSwitchOn, kSwitchOn};
    for (auto _ : state) {
        benchmark::DoNotOptimize(EncodeFrame(BuildSetPayload(s)));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SetFrame);

void BM_SaveFrame(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(EncodeFrame(BuildSavePayload()));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SaveFrame);

void BM_ExtractAndDecodeAnswer(benchmark::State& state)
{
    const ReceiveBuffer fresh = Held(kQueryAnswer);
    constexpr char term[2] = {'\r', '\n'};
    for (auto _ : state) {
        ReceiveBuffer b = fresh;
        const std::uint8_t n = ExtractFrame(b, b.data.data(), b.data.data(), '>', term);
        benchmark::DoNotOptimize(DecodeHexPairs(b.data.data(), b.data.data(), n));
    }
}
BENCHMARK(BM_ExtractAndDecodeAnswer);

void BM_InterpretQueryAnswer(benchmark::State& state)
{
    const ReceiveBuffer fresh = Held(kQueryAnswer);
    for (auto _ : state) {
        ReceiveBuffer b = fresh;
        benchmark::DoNotOptimize(InterpretAnswer(b));
    }
}
BENCHMARK(BM_InterpretQueryAnswer);

// The answer as a USB adapter hands it over, in 64-byte packets.
std::vector<std::vector<std::uint8_t>> Packets(const std::string& text)
{
    std::vector<std::vector<std::uint8_t>> out;
    for (std::size_t at = 0; at < text.size(); at += 64) {
        const std::string piece = text.substr(at, 64);
        out.emplace_back(piece.begin(), piece.end());
    }
    return out;
}

// The window: pieces gathered, then the 20 quiet ticks that end the burst and interpret it.
void BM_QuietGapBurst(benchmark::State& state)
{
    const auto packets = Packets(kQueryAnswer);
    for (auto _ : state) {
        ReceiveAccumulator acc;
        for (const auto& packet : packets) {
            acc.OnCommEvent(comEvReceive, packet);
        }
        std::optional<UnitAnswer> answer;
        while (!answer) {
            answer = acc.OnTimerTick();
        }
        benchmark::DoNotOptimize(answer);
    }
}
BENCHMARK(BM_QuietGapBurst);

// q42ctl: noise and a leftover acknowledgement before the answer, each line taken as it completes.
void BM_TakeFrameAfterNoise(benchmark::State& state)
{
    const auto packets = Packets("\x91>\x7f>06\r\n" + kQueryAnswer);
    for (auto _ : state) {
        ReceiveAccumulator acc;
        int lines = 0;
        for (const auto& packet : packets) {
            acc.OnCommEvent(comEvReceive, packet);
            while (auto line = acc.TakeFrame()) {  // DoNotOptimize of a const is deprecated
                benchmark::DoNotOptimize(line);
                ++lines;
            }
        }
        if (lines != 2) {
            state.SkipWithError("the acknowledgement and the answer were not both taken");
        }
    }
}
BENCHMARK(BM_TakeFrameAfterNoise);

}  // namespace

BENCHMARK_MAIN();
