// SPDX-License-Identifier: MIT
// libFuzzer target: arbitrary received pieces, port events and timer ticks through the whole receive
// path (burst gathering, extraction, decoding, answer interpretation) into a checking sink; and the
// same pieces through q42ctl's ending, line by line, against a plain model of it.
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
    int messages = 0;

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
    }
    void RefreshSwitches() override {}
    void ShowMessage(const std::string& /*text*/) override { ++messages; }
};

// The typed answer of a tick must be what the reference reading says, kind and values.
void CheckAnswer(const std::optional<UnitAnswer>& answer, const std::optional<std::vector<std::uint8_t>>& expected,
                 const CheckingSink& sink)
{
    if (!answer) {
        return;
    }
    const std::size_t size = expected ? expected->size() : 0;
    const bool ack = expected && size == 1;
    const bool settings = expected && size >= kMinQueryAnswerBytes;
    Check((answer->kind == AnswerKind::Acknowledged) == ack, "acknowledgement differs from the reference");
    Check((answer->kind == AnswerKind::Settings) == settings, "settings answer differs from the reference");
    Check(!settings || sink.fieldsSet >= 7, "settings answer shown without its values");
    Check(answer->CarriesEveryValue() == (settings && size >= 58), "every value carried, or not, wrongly");
    for (int f = 0; settings && f < kTextFieldCount; ++f) {
        const auto field = static_cast<TextField>(f);
        if (answer->carried[ValueIndex(field)]) {
            Check(FieldText(field, answer->values[ValueIndex(field)]) == ReferenceFieldText(*expected, field),
                  "typed value differs");
        }
    }
}

// q42ctl's ending against a plain model of it: the held bytes as one string, cut at each CR LF, the
// frame read from the last '>' before it, everything before that dropped.
class FrameTakingModel {
public:
    void Feed(ReceiveAccumulator& acc, const std::uint8_t* bytes, std::size_t n)
    {
        const std::uint32_t before = acc.Buffer().count;
        acc.OnCommEvent(comEvReceive, std::span(bytes, n));
        if (acc.Buffer().count != before + n) {
            m_pending.clear();  // the area overflowed and was emptied, as the window's path does
            return;
        }
        m_pending.append(reinterpret_cast<const char*>(bytes), n);
        while (const auto line = acc.TakeFrame()) {
            const std::string dropped(line->dropped.begin(), line->dropped.end());
            Check(dropped == nextDrop(), "q42ctl dropped other bytes than the model");
            Check(line->answer.has_value() == m_expected.has_value(), "q42ctl took a frame the model does not see");
            Check(!line->answer || line->answer->kind == *m_expected, "q42ctl read a frame otherwise than the reference");
        }
        Check(acc.Buffer().count == m_pending.size(), "q42ctl holds other bytes than the model");
    }

private:
    // What the model drops next, and how the frame it takes with it reads, if there is one.
    std::string nextDrop()
    {
        const std::size_t end = m_pending.find("\r\n");
        const std::size_t start = m_pending.rfind('>', end == std::string::npos ? std::string::npos : end);
        const bool found = start != std::string::npos && (end == std::string::npos || start < end);
        m_expected.reset();
        std::string dropped;
        if (end == std::string::npos) {
            dropped = m_pending.substr(0, found ? start : m_pending.size());
            m_pending.erase(0, dropped.size());
            return dropped;
        }
        dropped = m_pending.substr(0, found ? start : end + 2);
        if (found) {
            ReceiveBuffer frame;
            const std::string text = m_pending.substr(start, end + 2 - start);
            std::copy(text.begin(), text.end(), frame.data.begin());
            frame.count = static_cast<std::uint32_t>(text.size());
            const auto answer = ReferenceAnswer(frame);
            const std::size_t size = answer ? answer->size() : 0;
            m_expected = !answer                          ? AnswerKind::NoFrame
                         : size == 1                      ? AnswerKind::Acknowledged
                         : size >= kMinQueryAnswerBytes ? AnswerKind::Settings
                                                          : AnswerKind::Ignored;
        }
        m_pending.erase(0, end + 2);
        return dropped;
    }

    std::string m_pending;
    std::optional<AnswerKind> m_expected;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckingSink sink;
    ReceiveAccumulator acc;  // the window's ending, rendered into the sink as the window does
    acc.InitReceive();
    ReceiveAccumulator ctl;  // q42ctl's ending, fed the same pieces
    FrameTakingModel model;
    std::size_t at = 0;
    while (at < size) {
        const std::uint8_t op = data[at++];
        if (op >= 0x80) {
            for (int t = 0; t < (op & 0x1F); ++t) {
                const bool parses = acc.QuietCountdown() <= 1 && acc.Buffer().count != 0;
                sink.expected = parses ? ReferenceAnswer(acc.Buffer()) : std::nullopt;
                const int before = sink.messages;
                sink.fieldsSet = 0;
                const std::optional<UnitAnswer> answer = acc.OnTimerTick();
                if (answer) {
                    RenderAnswer(*answer, sink);
                }
                CheckAnswer(answer, sink.expected, sink);
                // Whatever the reference finds must be reported once, and nothing else.
                const bool reported = answer && (answer->kind == AnswerKind::Acknowledged ||
                                                 answer->kind == AnswerKind::Settings);
                Check(sink.messages == before + (reported ? 1 : 0), "a message without an answer, or none for one");
                if (parses && sink.expected && (sink.expected->size() == 1 || sink.expected->size() >= 30)) {
                    Check(reported, "a well-formed answer went unreported");
                }
                Check(acc.Buffer().count <= kReceiveCapacity, "count past the receive area");
            }
        } else if (op & 0x40) {
            acc.OnCommEvent(comEvDeviceLost, {});
        } else {
            const std::size_t n = std::min<std::size_t>(op & 0x3F, size - at);
            acc.OnCommEvent(comEvReceive, std::span(data + at, n));
            model.Feed(ctl, data + at, n);
            at += n;
        }
        Check(acc.Buffer().count <= kReceiveCapacity, "count past the receive area");
    }
    return 0;
}
