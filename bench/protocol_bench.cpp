// SPDX-License-Identifier: MIT
// The protocol's hot paths: building each frame, extracting and decoding an answer, interpreting it.
#include <benchmark/benchmark.h>

#include <string>

#include "answer.h"
#include "frame_codec.h"
#include "payloads.h"

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

}  // namespace

BENCHMARK_MAIN();
