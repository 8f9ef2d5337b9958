// SPDX-License-Identifier: MIT
// q42ctl's exchange in process, with the real Qt serial port against the simulated unit on a
// pseudo-terminal: what each step comes to, which frames the unit got, and what the line is left as.
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "sim_process.h"
#include "unit_exchange.h"

namespace q42::ctl {
namespace {

using test::Pump;
using test::SimProcess;
using test::WaitFor;

// A step sent and waited for; the reply is kept until the test ends.
struct Sent {
    std::unique_ptr<UnitReply> reply;
    int finishedSignals = 0;
};

Sent SendAndWait(UnitExchange& exchange, const UnitStep& step, const StepTiming& timing)
{
    Sent sent{std::unique_ptr<UnitReply>(exchange.Send(step, timing)), 0};
    QObject::connect(sent.reply.get(), &UnitReply::finished, [&sent] { ++sent.finishedSignals; });
    EXPECT_TRUE(WaitFor([&] { return sent.finishedSignals > 0; }, std::chrono::seconds(5)));
    Pump(std::chrono::milliseconds(20));  // a second finished signal would come now
    return sent;
}

UnitValues Factory()
{
    // ISO TIME in minutes, then the eight levels, then the four switches as the unit keeps them.
    return {120, 10, 10, 12, 12, 0, 0, 0, 0, 1, 0, 1, 1};
}

TEST(UnitExchange, EachStepComesToItsAnswerOrATypedFailure)
{
    struct Case {
        const char* name;
        QStringList sim;
        UnitStep step;
        StepTiming timing;
        ExchangeError error;
        int attempts;
        bool heard;
        const char* commands;
    };
    const Case cases[] = {
        {"a query answered with every value", {}, UnitStep::Query(), {500, 0}, ExchangeError::NoError, 1, true, "21"},
        {"a set acknowledged", {}, UnitStep::Set(Factory()), {500, 0}, ExchangeError::NoError, 1, true, "23"},
        {"a save acknowledged", {}, UnitStep::Save(), {500, 0}, ExchangeError::NoError, 1, true, "06"},
        {"silence in each of three attempts", {"--no-answer"}, UnitStep::Query(), {150, 2}, ExchangeError::Timeout, 3,
         false, "21 21 21"},
        {"noise and no answer", {"--noise-only", "--garbage", "30"}, UnitStep::Save(), {300, 0}, ExchangeError::Timeout,
         1, true, "06"},
        {"a leftover acknowledgement before the settings is not the query's answer", {"--leftover-ack"},
         UnitStep::Query(), {500, 0}, ExchangeError::NoError, 1, true, "21"},
        {"a lost acknowledgement, the same frame again", {"--lose-answer", "1"}, UnitStep::Save(), {250, 1},
         ExchangeError::NoError, 2, true, "06 06"},
        {"a poll: a short wait and no retry", {"--delay-ms", "400"}, UnitStep::Query(), {100, 0},
         ExchangeError::Timeout, 1, false, "21"},
        {"an answer cut short by a hang-up", {"--hangup-after", "1", "--hangup-at-byte", "40"}, UnitStep::Query(),
         {1000, 0}, ExchangeError::Line, 1, true, "21"},
    };
    const LineTrace quiet(false);
    for (const Case& c : cases) {
        SimProcess sim(QStringList{"--verbose"} + c.sim);
        ASSERT_TRUE(sim.Started()) << c.name;
        UnitExchange exchange(quiet);
        ASSERT_FALSE(exchange.Open({1, sim.Device(), 57600}).has_value()) << c.name;
        const Sent sent = SendAndWait(exchange, c.step, c.timing);
        const ExchangeFailure& failure = sent.reply->Failure();
        EXPECT_EQ(sent.finishedSignals, 1) << c.name;
        EXPECT_TRUE(sent.reply->IsFinished()) << c.name;
        EXPECT_EQ(failure.error, c.error) << c.name << ": " << failure.text.toStdString();
        EXPECT_EQ(failure.attempts, c.attempts) << c.name;
        EXPECT_EQ(failure.heard, c.heard) << c.name;
        EXPECT_EQ(sent.reply->Answer().has_value(), c.error == ExchangeError::NoError) << c.name;
        if (c.step.WaitsForSettings() && sent.reply->Answer()) {
            EXPECT_EQ(sent.reply->Answer()->values, Factory()) << c.name;
        }
        EXPECT_EQ(sim.Commands().toStdString(), c.commands) << c.name;
        if (c.error == ExchangeError::Line) {
            EXPECT_EQ(failure.lineKind, CommErrorKind::DeviceLost) << c.name;
            EXPECT_TRUE(failure.text.startsWith(sim.Device() + ": the device " + sim.Device() + " went away")) << failure.text.toStdString();
            EXPECT_FALSE(exchange.IsOpen()) << c.name;
        } else {
            EXPECT_TRUE(exchange.IsOpen()) << c.name << ": the line stays open whatever the step came to";
        }
    }
}

// After a step that needed its frame again, the answer to the earlier attempt may still come: the
// next frame waits for the line to be quiet, so that answer is never taken for the next step's.
TEST(UnitExchange, AfterARetriedStepTheNextFrameWaitsForQuiet)
{
    SimProcess sim({"--verbose", "--delay-ms", "450", "--delay-only", "1", "--lose-answer", "3"});
    const LineTrace quiet(false);
    UnitExchange exchange(quiet);
    ASSERT_FALSE(exchange.Open({1, sim.Device(), 57600}).has_value());
    const Sent set = SendAndWait(exchange, UnitStep::Set(Factory()), {300, 1});
    EXPECT_EQ(set.reply->Failure().attempts, 2);
    QElapsedTimer sinceSet;
    sinceSet.start();
    // The save's first answer is lost too: sent again, answered, and nothing after it.
    const Sent save = SendAndWait(exchange, UnitStep::Save(), {300, 1});
    EXPECT_EQ(save.reply->Failure().error, ExchangeError::NoError);
    EXPECT_EQ(save.reply->Failure().attempts, 2);
    // The second acknowledgement of the set comes a few ms after the first; taken for the save's, the
    // save would end at once. A quiet gap of 200 ms lies between them.
    EXPECT_GE(sinceSet.elapsed(), 150);
    Pump(std::chrono::milliseconds(400));  // a quiet gap after the save, with no frame waiting for it
    EXPECT_EQ(sim.Commands().toStdString(), "23 23 06 06");
}

// A step ends once: answered, or cancelled by Cancel, Close or the next Send; never inside the call.
TEST(UnitExchange, EveryStepFinishesOnceAndNeverInsideTheCallThatEndsIt)
{
    SimProcess sim({"--verbose", "--lose-answer", "1"});
    const LineTrace quiet(false);
    UnitExchange exchange(quiet);
    ASSERT_FALSE(exchange.Open({1, sim.Device(), 57600}).has_value());
    const Sent query = SendAndWait(exchange, UnitStep::Query(), {150, 1});  // retried, so the next waits for quiet
    std::vector<std::unique_ptr<UnitReply>> replies;
    std::vector<int> finished(3, 0);
    const auto send = [&](const UnitStep& step, const StepTiming& timing) {
        replies.emplace_back(exchange.Send(step, timing));
        const std::size_t i = replies.size() - 1;
        QObject::connect(replies.back().get(), &UnitReply::finished, [&finished, i] { ++finished[i]; });
    };
    send(UnitStep::Save(), {150, 3});  // waits for quiet
    exchange.Cancel();
    send(UnitStep::Query(), {150, 3});
    send(UnitStep::Query(), {150, 3});  // cancels the one before
    exchange.Close();
    EXPECT_TRUE(replies[0]->IsFinished() && replies[1]->IsFinished() && replies[2]->IsFinished());
    EXPECT_EQ(finished, std::vector<int>({0, 0, 0})) << "a reply never finishes inside the call that ends it";
    Pump(std::chrono::milliseconds(500));  // past every deadline and quiet gap
    EXPECT_EQ(finished, std::vector<int>({1, 1, 1}));
    EXPECT_EQ(query.finishedSignals, 1);
    for (const auto& reply : replies) {
        EXPECT_EQ(reply->Failure().error, ExchangeError::Cancelled);
    }
    EXPECT_EQ(sim.Commands().toStdString(), "21 21") << "each later step waited for quiet and was ended first";
    EXPECT_FALSE(exchange.IsOpen());
    const Sent closed = SendAndWait(exchange, UnitStep::Save(), {150, 0});
    EXPECT_EQ(closed.reply->Failure().lineKind, CommErrorKind::NotOpen) << closed.reply->Failure().text.toStdString();
    EXPECT_EQ(closed.reply->Failure().attempts, 1);
}

}  // namespace
}  // namespace q42::ctl
