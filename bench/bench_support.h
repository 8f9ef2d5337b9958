// SPDX-License-Identifier: MIT
// Small helpers shared by the benchmarks: the simulated unit as a child process, memory, statistics.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <vector>

namespace q42::bench {

class UnitProcess {
public:
    explicit UnitProcess(const QStringList& options);
    ~UnitProcess();
    QString Device() const { return m_device; }
    // Lines the unit printed after its device path ("sent <ns>" with --timestamps).
    QStringList TakeLines();

private:
    QProcess m_process;
    QString m_device;
};

long ResidentKiB();
std::int64_t MonotonicNs();
bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

struct Summary {
    double median, p99, min, max;
};
Summary Summarise(std::vector<double> values);

}  // namespace q42::bench
