// SPDX-License-Identifier: MIT
// 'q42ctl detect' on one device: the read-only query at each rate in turn until a unit gives a
// complete settings answer. Never a set or a save.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "ctl_options.h"
#include "line_trace.h"
#include "unit_session.h"

namespace q42::ctl {

class DetectSession : public QObject {
    Q_OBJECT

public:
    DetectSession(const CtlRequest& request, const Target& target, const LineTrace& trace, QObject* parent = nullptr);

    void Start();

    QString Label() const { return m_label; }
    // The device a unit answered on, as it was opened (a path, or COMn on Windows).
    QString Device() const { return m_device; }
    std::optional<qint32> FoundBaud() const { return m_found; }
    const Target& Given() const { return m_target; }
    ExitStatus Status() const { return m_status; }
    QStringList Problems() const { return m_problems; }

signals:
    void Done();

private:
    void tryNext();
    void attemptDone();

    const Target m_target;
    const LineTrace& m_trace;
    std::deque<CtlRequest> m_rates;  // one read-only request per rate, in the order tried
    std::size_t m_next = 0;
    std::vector<std::unique_ptr<UnitSession>> m_attempts;  // kept: each may still be in its own signal
    QString m_label;
    QString m_device;
    std::optional<qint32> m_found;
    ExitStatus m_status = ExitStatus::NoAnswer;
    QStringList m_problems;
    int m_timeoutMs;
};

}  // namespace q42::ctl
