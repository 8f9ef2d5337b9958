// SPDX-License-Identifier: MIT
// libFuzzer target: arbitrary received pieces, port events and timer ticks through the whole receive
// path (burst gathering, extraction, decoding, answer interpretation) into a checking sink.
//
// Input: a sequence of operations. A byte b < 0x80 is a received piece of (b & 0x3F) bytes taken from
// the input that follows, or, with bit 6 set, a non-receive event; b >= 0x80 is (b & 0x1F) ticks.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "answer.h"
#include "receive_accumulator.h"
#include "reference_answer.h"

namespace {

using namespace q42;

[[noreturn]] void Violated(const char* what)
{
    std::fprintf(stderr, "receive path property violated: %s\n", what);
    std::abort();
}

void Check(bool ok, const char* what)
{
    if (!ok) {
        Violated(what);
    }
}

// Checks every call against what an independent reading of the burst says the unit sent.
class CheckingSink : public AnswerSink {
public:
    std::optional<std::vector<std::uint8_t>> expected;  // decoded answer of the tick being run
    int fieldsSet = 0;
    int switchesSet = 0;
    int searchSuccesses = 0;
    int successes = 0;

    void SetFieldText(TextField field, const std::string& text) override
    {
        Check(expected && expected->size() >= kMinQueryAnswerBytes, "form value without a well-formed answer");
        Check(text == ReferenceFieldText(*expected, field), "form value differs from the answer");
        ++fieldsSet;
    }
    void SetSwitchChoice(SwitchField field, int choice) override
    {
        Check(expected && expected->size() >= kMinQueryAnswerBytes, "switch without a well-formed answer");
        Check(choice == ReferenceSwitchChoice(*expected, field), "switch differs from the answer");
        ++switchesSet;
    }
    void RefreshSwitches() override {}
    void ShowMessage(const std::string& text) override
    {
        if (text == kSearchSuccessText) {
            Check(expected && expected->size() >= kMinQueryAnswerBytes && fieldsSet >= 7,
                  "Search Success! without the values");
            ++searchSuccesses;
        } else {
            Check(text == kSuccessText && expected && expected->size() == 1, "Success! without a one-byte answer");
            ++successes;
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckingSink sink;
    ReceiveAccumulator acc(sink);
    acc.InitReceive();
    std::size_t at = 0;
    while (at < size) {
        const std::uint8_t op = data[at++];
        if (op >= 0x80) {
            for (int t = 0; t < (op & 0x1F); ++t) {
                const bool parses = acc.QuietCountdown() <= 1 && acc.Buffer().count != 0;
                sink.expected = parses ? ReferenceAnswer(acc.Buffer()) : std::nullopt;
                const int before = sink.searchSuccesses + sink.successes;
                sink.fieldsSet = 0;
                acc.OnTimerTick();
                // Whatever the reference finds must be reported, and nothing else.
                if (parses && sink.expected && (sink.expected->size() == 1 || sink.expected->size() >= 30)) {
                    Check(sink.searchSuccesses + sink.successes == before + 1, "a well-formed answer went unreported");
                }
                Check(acc.Buffer().count <= kReceiveCapacity, "count past the receive area");
            }
        } else if (op & 0x40) {
            acc.OnCommEvent(1100, {});
        } else {
            const std::size_t n = std::min<std::size_t>(op & 0x3F, size - at);
            acc.OnCommEvent(ReceiveAccumulator::kReceiveEvent, std::span(data + at, n));
            at += n;
        }
        Check(acc.Buffer().count <= kReceiveCapacity, "count past the receive area");
    }
    return 0;
}
