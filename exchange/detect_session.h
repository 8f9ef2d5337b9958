// SPDX-License-Identifier: MIT
// 'q42ctl detect' on one device: the read-only query at each rate in turn until a unit gives a
// complete settings answer. Never a set or a save.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

#include "exit_status.h"
#include "line_trace.h"
#include "unit_exchange.h"
#include "unit_target.h"

namespace q42::ctl {

// The rates to try, in order, and how each query waits.
struct DetectTask {
    QList<qint32> rates{57600, 9600};
    StepTiming timing;
};

class DetectSession : public QObject {
    Q_OBJECT

public:
    DetectSession(const DetectTask& task, const Target& target, const LineTrace& trace, QObject* parent = nullptr);

    void Start();

    QString Label() const { return m_exchange.Label(); }
    // The device a unit answered on, as it was opened (a path, or COMn on Windows).
    QString Device() const { return m_found ? m_opened : QString(); }
    std::optional<qint32> FoundBaud() const { return m_found; }
    const Target& Given() const { return m_target; }
    ExitStatus Status() const;
    QStringList Problems() const { return m_problems; }
    // The device last opened, and what the line said when it would not open.
    QString OpenedDevice() const { return m_opened; }
    std::optional<CommErrorKind> LineFailure() const { return m_lineFailure; }
    bool LostWhileWaiting() const { return m_lostWhileWaiting; }

signals:
    void Done();

private:
    void tryNext();
    void handleReply(UnitReply* reply);
    void finish();

    const DetectTask m_task;
    const Target m_target;
    UnitExchange m_exchange;
    qsizetype m_next = 0;
    std::optional<qint32> m_found;
    QString m_opened;
    std::optional<CommErrorKind> m_lineFailure;  // the device would not open
    bool m_lostWhileWaiting = false;  // the device went away while an answer was awaited
    QStringList m_problems;
};

}  // namespace q42::ctl
