// SPDX-License-Identifier: MIT
#include "unit_exchange.h"

#include "comm_receive.h"
#include "payloads.h"

namespace q42::ctl {

namespace {

// Fills the shared nibble list with the step's payload and returns its length.
int BuildPayload(const UnitStep& step)
{
    switch (step.frame) {
    case UnitStep::Frame::Set:
        return BuildSetPayload(step.values);
    case UnitStep::Frame::Save:
        return BuildSavePayload();
    case UnitStep::Frame::Query:
        break;
    }
    return BuildQueryPayload();
}

bool Fits(const UnitStep& step, const UnitAnswer& answer)
{
    return step.WaitsForSettings() ? answer.CarriesEveryValue() : answer.kind == AnswerKind::Acknowledged;
}

ExchangeFailure Ended(ExchangeError error, int attempts, bool heard)
{
    ExchangeFailure failure;
    failure.error = error;
    failure.attempts = attempts;
    failure.heard = heard;
    return failure;
}

ExchangeFailure LineFailure(CommErrorKind kind, const QString& text, int attempts, bool heard)
{
    ExchangeFailure failure = Ended(ExchangeError::Line, attempts, heard);
    failure.lineKind = kind;
    failure.text = text;
    return failure;
}

ExchangeFailure LineFailure(const CommError& e, int attempts, bool heard)
{
    ExchangeFailure failure = LineFailure(e.Kind(), QString::fromStdString(e.what()), attempts, heard);
    failure.listsPorts = e.ListsPorts();
    return failure;
}

}  // namespace

UnitExchange::UnitExchange(const LineTrace& trace, QObject* parent)
    : QObject(parent)
    , m_trace(trace)
{
    trace.Watch(m_comm, [this] { return m_label; });
    connect(&m_comm, &CMSComm::OnComm, this, &UnitExchange::handleComm);
    // Restarted for each attempt; a coarse timer may end the wait up to 5% early.
    m_deadline.setTimerType(Qt::PreciseTimer);
    connect(&m_deadline, &QTimer::timeout, this, &UnitExchange::handleDeadline);
    m_settle.setSingleShot(true);
    m_settle.setInterval(kQuietTicks * kReceiveTickMs);
    connect(&m_settle, &QTimer::timeout, this, &UnitExchange::handleLineSettled);
}

std::optional<ExchangeFailure> UnitExchange::Open(const UnitLine& line)
{
    Close();
    m_lostBetweenSteps.reset();
    try {
        OpenUnitLine(m_comm, line);
    } catch (const CommError& e) {
        return LineFailure(e, 0, false);
    }
    return std::nullopt;
}

void UnitExchange::Close()
{
    Cancel();
    m_settle.stop();
    m_comm.PortOpen(false);
}

UnitReply* UnitExchange::Send(const UnitStep& step, const StepTiming& timing)
{
    Cancel();
    auto* reply = new UnitReply(step);
    m_pending = reply;
    m_timing = timing;
    m_attempt = 1;
    m_heard = false;
    if (m_lostBetweenSteps) {
        fail(LineFailure(CommErrorKind::DeviceLost, *m_lostBetweenSteps, m_attempt, m_heard));
    } else if (m_settle.isActive()) {
        m_trace.Note(m_label, QStringLiteral("the next frame waits until the line has been quiet for %1 ms, since the "
                                             "last one was sent again")
                                  .arg(m_settle.interval()));
    } else {
        beginStep();
    }
    return reply;
}

void UnitExchange::Cancel()
{
    if (m_pending) {
        fail(Ended(ExchangeError::Cancelled, m_attempt, m_heard));
    }
}

void UnitExchange::beginStep()
{
    // Whatever is still held came before this frame went out, so it is no answer to it.
    m_receive.InitReceive();
    sendFrame();
}

void UnitExchange::sendFrame()
{
    try {
        SendPayload(m_comm, BuildPayload(m_pending->Step()));
    } catch (const CommError& e) {
        // A write that fails may first have reported the device gone, which ended the step already.
        if (m_pending) {
            fail(LineFailure(e, m_attempt, m_heard));
        }
        return;
    }
    if (m_pending) {
        m_deadline.start(m_timing.timeoutMs);
    }
}

void UnitExchange::handleComm()
{
    const int kind = DeliverCommEvent(m_comm, m_receive);
    if (kind == CMSComm::comEvDeviceLost) {
        if (m_pending) {
            fail(LineFailure(CommErrorKind::DeviceLost, m_comm.EventDescription(), m_attempt, m_heard));
        } else {
            m_lostBetweenSteps = m_comm.EventDescription();
        }
        return;
    }
    if (m_settle.isActive()) {
        m_settle.start();  // not quiet yet
        return;
    }
    if (!m_pending) {
        return;  // held until the next step begins, which drops it
    }
    m_heard = true;
    // An answer ends with its frame, not with a quiet gap: a pause inside it, however long, only
    // delays it. Each complete line is looked at in turn; one that does not fit the step (an answer
    // sent twice, a leftover acknowledgement) is dropped, and so is noise before a frame's start.
    while (const auto line = m_receive.TakeFrame()) {
        if (!line->dropped.empty()) {
            m_trace.Note(m_label, QStringLiteral("dropped  %1").arg(EscapeBytes(QByteArray(
                                      reinterpret_cast<const char*>(line->dropped.data()),
                                      static_cast<qsizetype>(line->dropped.size())))));
        }
        if (line->answer && Fits(m_pending->Step(), *line->answer)) {
            answered(*line->answer);
            return;
        }
    }
}

void UnitExchange::answered(const UnitAnswer& answer)
{
    m_deadline.stop();
    m_pending->m_answer = answer;
    m_pending->m_failure.attempts = m_attempt;
    m_pending->m_failure.heard = m_heard;
    if (m_attempt > 1) {
        m_settle.start();
    }
    finishPending();
}

void UnitExchange::handleLineSettled()
{
    // A step whose frame is not out yet has no deadline running: it waited for this quiet.
    if (!m_pending || m_deadline.isActive()) {
        return;  // no next step yet; the one that comes sends at once
    }
    if (const std::uint32_t held = m_receive.Buffer().count) {
        m_trace.Note(m_label, QStringLiteral("dropped  %1 bytes that came after the answer to a frame sent again").arg(held));
    }
    beginStep();
}

void UnitExchange::handleDeadline()
{
    if (m_attempt <= m_timing.retries) {
        ++m_attempt;
        m_trace.Note(m_label, QStringLiteral("no answer within %1 ms: the same frame again, attempt %2 of %3")
                                  .arg(m_timing.timeoutMs)
                                  .arg(m_attempt)
                                  .arg(m_timing.retries + 1));
        sendFrame();
        return;
    }
    fail(Ended(ExchangeError::Timeout, m_attempt, m_heard));
}

void UnitExchange::fail(ExchangeFailure failure)
{
    m_deadline.stop();  // the one place a wait ends without an answer: a late expiry never reaches a step
    m_pending->m_failure = std::move(failure);
    finishPending();
}

void UnitExchange::finishPending()
{
    UnitReply* reply = m_pending;
    m_pending = nullptr;
    reply->m_finished = true;
    QMetaObject::invokeMethod(reply, &UnitReply::finished, Qt::QueuedConnection);
}

}  // namespace q42::ctl
