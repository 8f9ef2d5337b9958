// SPDX-License-Identifier: MIT
// The serial component on a line that hangs up mid-answer, as the window and q42ctl both use it: the
// time from the hang-up to "went away" and the CPU this process spends in the two seconds after it.
// A component that misses the hang-up spins in Qt's read notifier for all of that time.
//   q42-hangup-cpu [RUNS]
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "mscomm.h"
#include "payloads.h"
#include "unit_line.h"

namespace {

double CpuMs()
{
    rusage use{};
    ::getrusage(RUSAGE_SELF, &use);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(use.ru_utime) + ms(use.ru_stime);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    std::vector<double> toLost;
    std::vector<double> cpuAfter;
    int missed = 0;
    for (int run = 0; run < runs; ++run) {
        q42::bench::UnitProcess unit({"--hangup-after", "1", "--hangup-at-byte", "40"});
        q42::CMSComm comm;
        bool lost = false;
        std::int64_t lostNs = 0;
        QObject::connect(&comm, &q42::CMSComm::OnComm, [&] {
            if (comm.CommEvent() == q42::comEvDeviceLost && !lost) {
                lost = true;
                lostNs = q42::bench::MonotonicNs();
            }
        });
        q42::OpenUnitLine(comm, q42::UnitLine{1, unit.Device(), 57600});
        q42::SendPayload(comm, q42::BuildQueryPayload());
        // The unit answers 40 bytes and closes its line; the component sees both as they come.
        const std::int64_t sentNs = q42::bench::MonotonicNs();
        const double cpuStart = CpuMs();
        QEventLoop twoSeconds;
        QTimer::singleShot(2000, &twoSeconds, &QEventLoop::quit);
        twoSeconds.exec();
        cpuAfter.push_back(CpuMs() - cpuStart);
        if (lost) {
            toLost.push_back((lostNs - sentNs) / 1e6);
        } else {
            ++missed;
        }
    }
    std::printf("qt %s\n", qVersion());
    if (!toLost.empty()) {
        const auto t = q42::bench::Summarise(toLost);
        std::printf("frame sent to went away: median %.1f ms, max %.1f ms\n", t.median, t.max);
    }
    std::printf("hang-ups missed: %d of %d\n", missed, runs);
    const auto c = q42::bench::Summarise(cpuAfter);
    std::printf("cpu in the 2 s after the frame: median %.1f ms, max %.1f ms\n", c.median, c.max);
    return 0;
}
