// SPDX-License-Identifier: MIT
// Starts q42-unit-sim with given options and knows the pseudo-terminal it answers on.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

namespace q42::test {

class SimProcess {
public:
    explicit SimProcess(const QStringList& options = {});
    ~SimProcess() { m_process.kill(); m_process.waitForFinished(); }

    bool Started() const { return !m_device.isEmpty(); }
    QString Device() const { return m_device; }
    // The frames the unit logged as received (it must run with --verbose), oldest first, without CR LF.
    QStringList FramesReceived() { return Logged(QStringLiteral("got")); }
    // The command byte of every frame received, e.g. "21 23 06", once the unit's log has reached us.
    QString Commands();
    // The frames logged under another word ("garbled": sent at another rate than the unit's).
    QStringList Logged(const QString& kind);

    // A command for a unit started with --control: "silent", "unit 2", "unit 3 forget-sets".
    void Control(const QString& command) { m_process.write((command + '\n').toUtf8()); m_process.waitForBytesWritten(); }

    // Points port number n at this unit through Q42_COM<n>.
    void Wire(int portNumber = 1) const;

private:
    QProcess m_process;
    QString m_device;
    QString m_log;
};

// The query frame, as the unit logs it: what every Search and every read sends.
inline const QString kQueryFrame =
    QStringLiteral(":FF21006D02002101002701002201002801004D01004B01004E01004C01005301002B01004901007E01004A01007F01");

// Runs the event loop until done() holds or the time is up; returns done().
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(5));

// Runs the event loop for a while.
void Pump(std::chrono::milliseconds duration);

}  // namespace q42::test
