// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "receive_accumulator.h"
#include "rendered_receive.h"

namespace q42 {
namespace {

using test::RenderedReceive;

constexpr int kOther = comEvDeviceLost;  // any event kind but receive

// One step of a scripted run: a piece of bytes, a non-receive event, some ticks, or InitReceive.
struct Step {
    enum Kind { Receive, OtherEvent, Ticks, Init } kind;
    std::string bytes;
    int ticks = 0;
};

Step Recv(std::string s) { return {Step::Receive, std::move(s), 0}; }
Step Other() { return {Step::OtherEvent, {}, 0}; }
Step Tick(int n) { return {Step::Ticks, {}, n}; }

struct ScriptedRun : RenderedReceive {

    explicit ScriptedRun(const std::vector<Step>& steps)
    {
        for (const Step& s : steps) {
            if (s.kind == Step::Init) {
                acc.InitReceive();
            } else if (s.kind == Step::Ticks) {
                for (int i = 0; i < s.ticks; ++i) {
                    Tick();
                }
            } else {
                const std::vector<std::uint8_t> bytes(s.bytes.begin(), s.bytes.end());
                Event(s.kind == Step::Receive ? comEvReceive : kOther, bytes);
            }
        }
    }
    int Messages(const std::string& text) const
    {
        return static_cast<int>(std::count(sink.calls.begin(), sink.calls.end(), "message " + text));
    }
};

const std::string kAck = ">06\r\n";
const std::string kQuery =
    ">21006D0278000021010A0027010A0022010A0028010A004D010A004B010A004E010A004C010A00530101002B0101004901"
    "01007E0101004A0101007F0101\r\n";

TEST(ReceiveAccumulator, Bursts)
{
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::uint32_t count;     // after the steps
        std::int32_t countdown;  // after the steps
        int successes;           // "Success!" boxes
        int searchSuccesses;     // "Search Success!" boxes
    };
    const std::string head = kQuery.substr(0, 60);
    const std::string tail = kQuery.substr(60);
    const Case cases[] = {
        {"nothing held, nothing parsed", {Tick(25)}, 0, 0, 0, 0},
        {"60 + 67 bytes in one gap are one burst", {Recv(head), Tick(19), Recv(tail)}, 127, 20, 0, 0},
        {"that burst parses 20 ticks after its last piece", {Recv(head), Tick(19), Recv(tail), Tick(20)}, 2, 0, 0, 1},
        {"no parse while the countdown runs", {Recv(kAck), Tick(19)}, 5, 1, 0, 0},
        {"parse at exactly 20 quiet ticks", {Recv(kAck), Tick(20)}, 2, 0, 1, 0},
        {"later ticks find nothing more", {Recv(kAck), Tick(200)}, 2, 0, 1, 0},
        {"a piece after a full gap opens a new burst", {Recv(head), Tick(20), Recv(kAck), Tick(20)}, 2, 0, 1, 0},
        {"pieces 20 ticks apart are two bursts", {Recv(head), Tick(20), Recv(tail), Tick(20)}, 67, 0, 0, 0},
        {"a burst past 160 bytes is dropped", {Recv(kQuery), Recv(std::string(40, 'x')), Tick(20)}, 0, 0, 0, 0},
        {"exactly 160 bytes are kept", {Recv(std::string(155, 'x')), Recv(kAck), Tick(20)}, 2, 0, 1, 0},
        {"a dropped burst does not resurrect", {Recv(std::string(161, 'x')), Recv(kAck), Tick(20)}, 2, 0, 1, 0},
        {"non-receive event rearms the countdown", {Recv(kAck), Tick(15), Other(), Tick(19)}, 5, 1, 0, 0},
        {"non-receive event after a gap clears the count", {Recv(">0102"), Tick(20), Other()}, 0, 20, 0, 0},
        {"empty receive still rearms", {Recv(kAck), Tick(10), Recv(""), Tick(19)}, 5, 1, 0, 0},
        {"two frames in one burst: the first counts", {Recv(kAck + kQuery), Tick(40)}, 129, 0, 1, 0},
        {"init drops what is held and rearms the countdown", {Recv(head), Tick(5), {Step::Init, {}, 0}}, 0, 20, 0, 0},
    };
    for (const Case& c : cases) {
        ScriptedRun run(c.steps);
        EXPECT_EQ(run.acc.Buffer().count, c.count) << c.name;
        EXPECT_EQ(run.acc.QuietCountdown(), c.countdown) << c.name;
        EXPECT_EQ(run.Messages("Success!"), c.successes) << c.name;
        EXPECT_EQ(run.Messages("Search Success!"), c.searchSuccesses) << c.name;
    }
}

// A tick interprets only what is held: nothing held, nothing read; one byte held, read and found empty.
TEST(ReceiveAccumulator, ATickInterpretsOnlyWhatIsHeld)
{
    ReceiveAccumulator acc;
    for (int t = 0; t < kQuietTicks + 5; ++t) {
        EXPECT_FALSE(acc.OnTimerTick().has_value()) << t;
    }
    EXPECT_TRUE(acc.Resting());
    acc.InitReceive();
    EXPECT_FALSE(acc.Resting()) << "a rearmed countdown needs the tick";
    acc.OnCommEvent(comEvReceive, std::vector<std::uint8_t>{'>'});
    for (int t = 1; t < kQuietTicks; ++t) {
        acc.OnTimerTick();
    }
    const std::optional<UnitAnswer> read = acc.OnTimerTick();
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->kind, AnswerKind::NoFrame);
}

// q42ctl's ending: each complete line as it comes, oldest first, read from the last '>' before its
// CR LF; whatever came before that start is dropped, and a line without one is dropped whole.
TEST(ReceiveAccumulator, FramesTakenAsTheyComplete)
{
    struct Case {
        const char* name;
        std::vector<std::string> pieces;
        std::vector<std::string> taken;  // "dropped|answer" for each line taken, in order
        std::uint32_t left;              // bytes still held
    };
    const Case cases[] = {
        {"an acknowledgement", {kAck}, {"|ack"}, 0},
        {"a frame still arriving", {">0"}, {}, 2},
        {"pieces split anywhere", {">0", "6\r", "\n"}, {"|ack"}, 0},
        {"a '>' and noise before the answer", {">\x91", kAck}, {">\x91|ack"}, 0},
        {"noise holding '>' in the answer's piece", {"x>y" + kQuery}, {"x>y|settings"}, 0},
        {"a leftover acknowledgement before the settings", {kAck + kQuery}, {"|ack", "|settings"}, 0},
        {"a line without a start", {"noise\r\n" + kAck}, {"noise\r\n|none", "|ack"}, 0},
        {"noise without a start goes at once", {"noise"}, {"noise|none"}, 0},
        {"noise before a frame still arriving", {"no>06"}, {"no|none"}, 3},
        {"digits that are not hex", {">0G\r\n"}, {"|ignored"}, 0},
        {"the next frame's beginning stays", {kAck + ">2"}, {"|ack"}, 2},
    };
    for (const Case& c : cases) {
        ReceiveAccumulator acc;
        for (const std::string& piece : c.pieces) {
            acc.OnCommEvent(comEvReceive, std::vector<std::uint8_t>(piece.begin(), piece.end()));
        }
        std::vector<std::string> taken;
        while (const auto line = acc.TakeFrame()) {
            const char* kinds[] = {"noframe", "ack", "settings", "ignored"};
            taken.push_back(std::string(line->dropped.begin(), line->dropped.end()) + "|" +
                            (line->answer ? kinds[static_cast<int>(line->answer->kind)] : "none"));
        }
        EXPECT_EQ(taken, c.taken) << c.name;
        EXPECT_EQ(acc.Buffer().count, c.left) << c.name;
    }
}

}  // namespace
}  // namespace q42
