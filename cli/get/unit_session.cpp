// SPDX-License-Identifier: MIT
#include "unit_session.h"

#include "whole_file.h"

namespace q42::ctl {

UnitSession::UnitSession(const UnitTask& task, const Target& target, const LineTrace& trace, QObject* parent)
    : QObject(parent)
    , m_task(task)
    , m_target(target)
    , m_exchange(trace)
{
    switch (task.kind) {
    case UnitTask::Kind::Get:
        m_steps = {Step::ReadBefore};
        break;
    case UnitTask::Kind::Save:
        m_steps = {Step::Save};
        break;
    case UnitTask::Kind::Set:
        m_steps = {Step::ReadBefore};
        if (task.write) {
            m_steps.push_back(Step::Write);
        }
        if (task.save) {
            m_steps.push_back(Step::Save);
        }
        if (task.verify) {
            m_steps.push_back(Step::ReadBack);
        }
        break;
    }
}

void UnitSession::Start()
{
    if (const auto problem = OpenTarget(m_exchange, m_target, m_task.baud)) {
        finish(problem->status, problem->text);
        return;
    }
    sendNext();
}

void UnitSession::sendNext()
{
    if (m_steps.empty()) {
        finish(ExitStatus::Done);
        return;
    }
    m_step = m_steps.front();
    m_steps.pop_front();
    const UnitStep step = m_step == Step::Write  ? UnitStep::Set(m_written)
                          : m_step == Step::Save ? UnitStep::Save()
                                                 : UnitStep::Query();
    UnitReply* reply = m_exchange.Send(step, m_task.timing);
    connect(reply, &UnitReply::finished, this, [this, reply] { handleReply(reply); });
}

void UnitSession::handleReply(UnitReply* reply)
{
    reply->deleteLater();
    const ExchangeFailure& failure = reply->Failure();
    switch (failure.error) {
    case ExchangeError::NoError:
        if (reply->Step().WaitsForSettings()) {
            m_read = reply->Answer()->values;
        }
        stepAnswered();
        return;
    case ExchangeError::Line:
        finish(ExitStatusOf(failure.lineKind), LineProblemText(failure));
        return;
    case ExchangeError::Timeout:
        finish(ExitStatus::NoAnswer, timeoutText(failure));
        return;
    case ExchangeError::Cancelled:
        return;  // only finish cancels, and it has said why
    }
}

void UnitSession::stepAnswered()
{
    if (m_step == Step::ReadBefore && m_task.kind == UnitTask::Kind::Set) {
        m_before = *m_read;
        m_written = Apply(m_task.edits, m_before);
        // Kept whole before the first byte of the set goes out, so the old values can always come back.
        if (!m_task.backupFile.isEmpty()) {
            if (const QString problem = ReplaceWhole(m_task.backupFile, QByteArray::fromStdString(FormatJson(ValuesJson(m_before, {}))));
                !problem.isEmpty()) {
                finish(ExitStatus::OutputLost, QStringLiteral("%1: nothing was written to the unit, since %2").arg(Label(), problem));
                return;
            }
        }
    }
    m_writeAcknowledged = m_writeAcknowledged || m_step == Step::Write;
    m_saved = m_saved || m_step == Step::Save;
    if (m_step == Step::ReadBack) {
        for (const QString& difference : ReadBackDifferences(*m_read, m_written)) {
            m_problems << QStringLiteral("%1: read back %2").arg(Label(), difference);
        }
        if (!m_problems.isEmpty()) {
            finish(ExitStatus::Differs);
            return;
        }
    }
    sendNext();
}

QString UnitSession::timeoutText(const ExchangeFailure& failure) const
{
    const QString attempts =
        failure.attempts > 1 ? QStringLiteral(" in each of %1 attempts").arg(failure.attempts) : QString();
    const QString baud = QString::number(m_task.baud);
    const QString other = QString::number(OtherUnitRate(m_task.baud));
    if (!failure.heard) {
        return QStringLiteral("%1: no answer within %2 ms at %3 baud%5. Check that the unit is powered and the cable "
                              "is plugged in, and that the unit talks at %3 baud (try -s %4, or 'q42ctl detect' to find the "
                              "device and rate a unit answers on).")
            .arg(Label())
            .arg(m_task.timing.timeoutMs)
            .arg(baud, other, attempts);
    }
    return QStringLiteral("%1: the answer could not be read within %2 ms at %3 baud%5: bytes came, but no complete "
                          "answer of the unit. Check the baud rate (try -s %4, or 'q42ctl detect') and the cable.")
        .arg(Label())
        .arg(m_task.timing.timeoutMs)
        .arg(baud, other, attempts);
}

void UnitSession::finish(ExitStatus status, const QString& problem)
{
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_status = status;
    if (!problem.isEmpty()) {
        m_problems << problem;
    }
    if (status != ExitStatus::Done && m_writeAcknowledged) {
        static const char* const kStepNames[] = {"query", "set", "save", "read-back (--verify)"};
        // A read-back that differs has just shown that the unit does not hold what was written.
        const QString holds = status == ExitStatus::Differs
                                  ? QStringLiteral("it holds the values read back above, not all of those written")
                                  : QStringLiteral("it holds the values written");
        m_problems << QStringLiteral("%1: the %2 failed after the unit acknowledged the set: %3, and the changes "
                                     "are on standard output.")
                          .arg(Label(), QLatin1String(kStepNames[static_cast<int>(m_step)]), holds);
    }
    m_exchange.Close();
    emit Done();
}

}  // namespace q42::ctl
