// SPDX-License-Identifier: MIT
#include "detect_session.h"

namespace q42::ctl {

DetectSession::DetectSession(const CtlRequest& request, const Target& target, const LineTrace& trace, QObject* parent)
    : QObject(parent)
    , m_target(target)
    , m_trace(trace)
    , m_label(TargetLabel(target))
    , m_timeoutMs(request.timeoutMs)
{
    // The unit's usual rate first; only the rate asked for when one was.
    const QList<qint32> rates = request.baudGiven ? QList<qint32>{request.baud} : QList<qint32>{57600, 9600};
    for (const qint32 baud : rates) {
        CtlRequest query = request;
        query.command = Command::Get;  // the query alone, within the same timeout
        query.baud = baud;
        m_rates.push_back(query);
    }
}

void DetectSession::Start()
{
    tryNext();
}

void DetectSession::tryNext()
{
    if (m_next == m_rates.size()) {
        QStringList rates;
        for (const CtlRequest& tried : m_rates) {
            rates << QString::number(tried.baud);
        }
        m_problems << QStringLiteral("%1: no unit answered the query at %2 baud within %3 ms each.")
                          .arg(m_label, rates.join(QStringLiteral(" or ")))
                          .arg(m_timeoutMs);
        emit Done();
        return;
    }
    m_attempts.push_back(std::make_unique<UnitSession>(m_rates[m_next], m_target, m_trace));
    UnitSession* attempt = m_attempts.back().get();
    connect(attempt, &UnitSession::Done, this, &DetectSession::attemptDone, Qt::QueuedConnection);
    attempt->Start();
}

void DetectSession::attemptDone()
{
    const UnitSession& attempt = *m_attempts.back();
    m_label = attempt.Label();
    switch (attempt.Status()) {
    case ExitStatus::Done:
        m_found = m_rates[m_next].baud;
        m_device = attempt.Device();
        m_status = ExitStatus::Done;
        emit Done();
        return;
    case ExitStatus::CannotOpen:
        m_problems << attempt.Problems();
        m_status = ExitStatus::CannotOpen;
        emit Done();
        return;
    default:
        ++m_next;
        tryNext();
        return;
    }
}

}  // namespace q42::ctl
