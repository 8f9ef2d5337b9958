// SPDX-License-Identifier: MIT
#include "detect_session.h"

namespace q42::ctl {

DetectSession::DetectSession(const DetectTask& task, const Target& target, const LineTrace& trace, QObject* parent)
    : QObject(parent)
    , m_task(task)
    , m_target(target)
    , m_exchange(trace)
{
}

ExitStatus DetectSession::Status() const
{
    return m_found ? ExitStatus::Done : m_lineFailure ? ExitStatus::CannotOpen : ExitStatus::NoAnswer;
}

void DetectSession::Start()
{
    tryNext();
}

void DetectSession::tryNext()
{
    if (m_next == m_task.rates.size()) {
        QStringList rates;
        for (const qint32 baud : m_task.rates) {
            rates << QString::number(baud);
        }
        m_problems << QStringLiteral("%1: no unit answered the query at %2 baud within %3 ms each.")
                          .arg(Label(), rates.join(QStringLiteral(" or ")))
                          .arg(m_task.timing.timeoutMs);
        finish();
        return;
    }
    // Opened afresh at each rate: nothing the unit said at the last one is held over.
    if (const auto problem = OpenTarget(m_exchange, m_target, m_task.rates[m_next])) {
        m_problems << problem->text;
        m_lineFailure = problem->kind;
        finish();
        return;
    }
    m_opened = m_exchange.Device();
    UnitReply* reply = m_exchange.Send(UnitStep::Query(), m_task.timing);
    connect(reply, &UnitReply::finished, this, [this, reply] { handleReply(reply); });
}

void DetectSession::handleReply(UnitReply* reply)
{
    reply->deleteLater();
    if (reply->Failure().error == ExchangeError::NoError) {
        m_found = m_task.rates[m_next];
        finish();
        return;
    }
    if (reply->Failure().error == ExchangeError::Line && reply->Failure().lineKind == CommErrorKind::DeviceLost) {
        m_lostWhileWaiting = true;
    }
    ++m_next;
    tryNext();
}

void DetectSession::finish()
{
    m_exchange.Close();
    emit Done();
}

}  // namespace q42::ctl
