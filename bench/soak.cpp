// SPDX-License-Identifier: MIT
// Soak: thousands of Set and Search round trips through the real serial component and the receive
// path against the simulated unit. Counts missed and wrong answers and watches resident memory.
//   q42-soak [--rounds N] [--baud B] [--tick-ms T]
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <random>

#include "bench_support.h"
#include "comm_receive.h"
#include "mscomm.h"
#include "parameter_table.h"
#include "payloads.h"
#include "receive_accumulator.h"
#include "unit_line.h"

namespace {

using namespace q42;

// What the last answer of each kind carried, as the window's quiet-gap ending interprets it.
struct SoakAnswers {
    int acknowledgements = 0;
    int settings = 0;
    UnitAnswer lastSettings;
};

DeviceSettings RandomSettings(std::mt19937& rng)
{
    DeviceSettings s;
    s.iso_time = std::to_string(rng() % 1093);
    for (int f = 1; f < kTextFieldCount; ++f) {
        s.Text(static_cast<TextField>(f)) = std::to_string(rng() % 256);
    }
    for (int w = 0; w < kSwitchFieldCount; ++w) {
        s.Switch(static_cast<SwitchField>(w)) = static_cast<int>(rng() % 2);
    }
    return s;
}

bool SameAsSent(const DeviceSettings& sent, const UnitAnswer& read)
{
    return read.CarriesEveryValue() && read.values == ValuesOfForm(sent);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int rounds = 10000;
    QString baud = QStringLiteral("57600");
    int tickMs = kReceiveTickMs;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--rounds") rounds = args[i + 1].toInt();
        else if (args[i] == "--baud") baud = args[i + 1];
        else if (args[i] == "--tick-ms") tickMs = args[i + 1].toInt();
    }

    bench::UnitProcess unit({"--baud", baud});
    qputenv("Q42_COM1", unit.Device().toLocal8Bit());
    CMSComm comm;
    SoakAnswers answers;
    ReceiveAccumulator acc;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(tickMs);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const std::optional<UnitAnswer> answer = acc.OnTimerTick();
        if (answer && answer->kind == AnswerKind::Acknowledged) {
            ++answers.acknowledgements;
        } else if (answer && answer->kind == AnswerKind::Settings) {
            ++answers.settings;
            answers.lastSettings = *answer;
        }
    });
    QObject::connect(&comm, &CMSComm::OnComm, [&] { DeliverCommEvent(comm, acc); });
    acc.InitReceive();
    tick.start();
    OpenUnitLine(comm, {1, QString(), baud.toInt()});

    std::mt19937 rng(1);
    int missed = 0;
    int wrong = 0;
    long rssStart = 0;
    const auto started = bench::MonotonicNs();
    for (int round = 0; round < rounds; ++round) {
        const DeviceSettings sent = RandomSettings(rng);
        const int acks = answers.acknowledgements;
        SendPayload(comm, BuildSetPayload(sent));
        missed += !bench::RunUntil([&] { return answers.acknowledgements > acks; }, std::chrono::seconds(3));

        const int searches = answers.settings;
        SendPayload(comm, BuildQueryPayload());
        if (!bench::RunUntil([&] { return answers.settings > searches; }, std::chrono::seconds(3))) {
            ++missed;
        } else if (!SameAsSent(sent, answers.lastSettings)) {
            ++wrong;
        }
        if (round == 99) {
            rssStart = bench::ResidentKiB();  // after the first hundred, once every cache is warm
        }
        if ((round + 1) % 1000 == 0) {
            std::fprintf(stderr, "soak: %d rounds, %d missed, %d wrong, %ld KiB resident\n", round + 1, missed, wrong,
                         bench::ResidentKiB());
        }
    }
    const double seconds = static_cast<double>(bench::MonotonicNs() - started) / 1e9;
    const long rssEnd = bench::ResidentKiB();
    std::printf("soak: %d Set+Search rounds at %s baud, tick %d ms, in %.0f s\n", rounds, baud.toLatin1().constData(),
                tickMs, seconds);
    std::printf("soak: missed answers %d, wrong answers %d\n", missed, wrong);
    std::printf("soak: resident memory after 100 rounds %ld KiB, at the end %ld KiB, growth %ld KiB\n", rssStart, rssEnd,
                rssEnd - rssStart);
    return missed == 0 && wrong == 0 ? 0 : 1;
}
