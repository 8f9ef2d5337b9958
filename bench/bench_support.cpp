// SPDX-License-Identifier: MIT
#include "bench_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <time.h>

namespace q42::bench {

UnitProcess::UnitProcess(const QStringList& options)
{
    m_process.start(QStringLiteral(Q42_SIM_PATH), options);
    m_process.waitForStarted(5000);
    while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
    }
    m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
}

UnitProcess::~UnitProcess()
{
    m_process.terminate();
    m_process.waitForFinished(2000);
}

QStringList UnitProcess::TakeLines()
{
    m_process.waitForReadyRead(0);
    QStringList lines;
    while (m_process.canReadLine()) {
        lines << QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    return lines;
}

long ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

std::int64_t MonotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    // Sleeps in the event loop between events instead of spinning, so the benchmark's own CPU use
    // does not disturb what it measures.
    QElapsedTimer clock;
    clock.start();
    QTimer wake;
    wake.start(1);
    while (!done() && clock.elapsed() < limit.count()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return done();
}

Summary Summarise(std::vector<double> values)
{
    if (values.empty()) {
        return {0, 0, 0, 0};
    }
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) { return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1))]; };
    return {at(0.5), at(0.99), values.front(), values.back()};
}

}  // namespace q42::bench
