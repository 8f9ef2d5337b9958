// SPDX-License-Identifier: MIT
#include "sim_process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace q42::test {

SimProcess::SimProcess(const QStringList& options)
{
    // The unit's first line names its device; it comes at once, or the unit did not start.
    m_process.start(QStringLiteral(Q42_SIM_PATH), options);
    while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
    }
    if (m_process.canReadLine()) {
        m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
}

QStringList SimProcess::Logged(const QString& kind)
{
    m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
    const QString prefix = QStringLiteral("q42-unit-sim: %1 ").arg(kind);
    QStringList frames;
    for (const QString& line : m_log.split('\n')) {
        if (line.startsWith(prefix)) {
            frames << line.mid(prefix.size());
        }
    }
    return frames;
}

QString SimProcess::Commands()
{
    Pump(std::chrono::milliseconds(30));
    QStringList commands;
    for (const QString& frame : FramesReceived()) {
        commands << frame.mid(3, 2);
    }
    return commands.join(' ');
}

void SimProcess::Wire(int portNumber) const
{
    qputenv(QStringLiteral("Q42_COM%1").arg(portNumber).toLatin1().constData(), m_device.toLocal8Bit());
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limit.count()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return done();
}

void Pump(std::chrono::milliseconds duration)
{
    WaitFor([] { return false; }, duration);
}

}  // namespace q42::test
