// SPDX-License-Identifier: MIT
#include "unit_session.h"

#include "comm_error.h"
#include "comm_receive.h"
#include "device_choice.h"
#include "payloads.h"
#include "unit_line.h"

namespace q42::ctl {

UnitSession::UnitSession(const CtlRequest& request, const Target& target, const LineTrace& trace, QObject* parent)
    : QObject(parent)
    , m_request(request)
    , m_target(target)
    , m_trace(trace)
    , m_label(TargetLabel(target))
{
    trace.Watch(m_comm, [this] { return m_label; });
    connect(&m_comm, &CMSComm::OnComm, this, &UnitSession::handleComm);
    // Restarted for each step and stopped by finish; a coarse timer may end the wait up to 5% early.
    m_deadline.setTimerType(Qt::PreciseTimer);
    connect(&m_deadline, &QTimer::timeout, this, &UnitSession::handleDeadline);
    m_settle.setSingleShot(true);
    m_settle.setInterval(kQuietTicks * kReceiveTickMs);
    connect(&m_settle, &QTimer::timeout, this, &UnitSession::handleLineSettled);

    switch (request.command) {
    case Command::Get:
        m_steps = {Step::ReadBefore};
        break;
    case Command::Save:
        m_steps = {Step::Save};
        break;
    case Command::Set:
        m_steps = {Step::ReadBefore};
        if (!request.dryRun) {
            m_steps.push_back(Step::Write);
        }
        if (request.save) {
            m_steps.push_back(Step::Save);
        }
        if (request.verify) {
            m_steps.push_back(Step::ReadBack);
        }
        break;
    case Command::Ports:
    case Command::Detect:
        break;
    }
}

void UnitSession::Start()
{
    UnitLine line{m_target.portNumber, QString(), m_request.baud};
    if (!m_target.device.isEmpty()) {
        const DeviceChoice choice = ChooseDevice(m_target.device, kWindowsPortNames,
                                                 NamesSerialNumber(m_target.device) ? SystemSerialDevices()
                                                                                    : QList<SerialDeviceInfo>());
        if (!choice.problem.isEmpty()) {
            finish(ExitStatus::CannotOpen, choice.problem);
            return;
        }
        if (choice.device != m_target.device) {
            m_label = QStringLiteral("%1 (%2)").arg(m_target.device, choice.device);
        }
        line.device = choice.device;
    }
    try {
        OpenUnitLine(m_comm, line);
    } catch (const CommError& e) {
        finish(ExitStatusOf(e.Kind()), QString::fromStdString(e.what()));
        return;
    }
    if (m_target.device.isEmpty()) {
        m_label = QStringLiteral("%1 (%2)").arg(m_comm.PortLabel(), m_comm.DeviceName());
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
    m_attempt = 1;
    m_heard = false;
    // Whatever is still held came before this frame went out, so it is no answer to it.
    m_receive.InitReceive();
    sendFrame();
}

void UnitSession::sendFrame()
{
    try {
        SendPayload(m_comm, buildPayload());
    } catch (const CommError& e) {
        finish(ExitStatusOf(e.Kind()), QString::fromStdString(e.what()));
        return;
    }
    m_deadline.start(m_request.timeoutMs);
}

int UnitSession::buildPayload() const
{
    switch (m_step) {
    case Step::Write:
        return BuildSetPayload(m_written);
    case Step::Save:
        return BuildSavePayload();
    case Step::ReadBefore:
    case Step::ReadBack:
        break;
    }
    return BuildQueryPayload();
}

void UnitSession::handleComm()
{
    if (m_finished) {
        return;
    }
    const int kind = DeliverCommEvent(m_comm, m_receive);
    if (kind == CMSComm::comEvDeviceLost) {
        finish(ExitStatusOf(CommErrorKind::DeviceLost), m_comm.EventDescription());
        return;
    }
    m_heard = true;
    if (m_settle.isActive()) {
        m_settle.start();  // not quiet yet
        return;
    }
    // An answer ends with its frame, not with a quiet gap: a pause inside it, however long, only
    // delays it. Each complete line is looked at in turn; one that does not fit the step (an answer
    // sent twice, a leftover acknowledgement) is dropped, and so is noise before a frame's start.
    while (const auto line = m_receive.TakeFrame()) {
        if (!line->dropped.empty()) {
            m_trace.Note(m_label, QStringLiteral("dropped  %1").arg(EscapeBytes(QByteArray(
                                      reinterpret_cast<const char*>(line->dropped.data()),
                                      static_cast<qsizetype>(line->dropped.size())))));
        }
        if (line->answer && takeAnswer(*line->answer)) {
            return;
        }
    }
}

bool UnitSession::takeAnswer(const UnitAnswer& answer)
{
    const bool fits = waitsForSettings() ? answer.CarriesEveryValue() : answer.kind == AnswerKind::Acknowledged;
    if (!fits) {
        return false;
    }
    m_deadline.stop();
    if (waitsForSettings()) {
        m_read = answer.values;
    }
    stepAnswered();
    return true;
}

void UnitSession::stepAnswered()
{
    if (m_step == Step::ReadBefore && m_request.command == Command::Set) {
        m_before = *m_read;
        m_written = Apply(m_request.edits, m_before);
    }
    m_writeAcknowledged = m_writeAcknowledged || m_step == Step::Write;
    m_saved = m_saved || m_step == Step::Save;
    if (m_step == Step::ReadBack) {
        for (std::size_t i = 0; i < kValueCount; ++i) {
            if ((*m_read)[i] != m_written[i]) {
                m_problems << QStringLiteral("%1: read back %2=%3, but %4 was written")
                                  .arg(m_label, LabelOfValue(i), QString::fromStdString(FormatValue(i, *m_read)),
                                       QString::fromStdString(FormatValue(i, m_written)));
            }
        }
        if (!m_problems.isEmpty()) {
            finish(ExitStatus::Differs);
            return;
        }
    }
    if (m_attempt > 1 && !m_steps.empty()) {
        m_settle.start();
        return;
    }
    sendNext();
}

void UnitSession::handleLineSettled()
{
    if (m_receive.Buffer().count > 0) {
        m_trace.Note(m_label, QStringLiteral("dropped  %1 bytes that came after the answer to a frame sent again")
                                  .arg(m_receive.Buffer().count));
    }
    sendNext();
}

void UnitSession::handleDeadline()
{
    // Each of the three frames may be sent again: the same set twice leaves the unit as once.
    if (m_attempt <= m_request.retries) {
        ++m_attempt;
        m_trace.Note(m_label, QStringLiteral("no answer within %1 ms: the same frame again, attempt %2 of %3")
                                  .arg(m_request.timeoutMs)
                                  .arg(m_attempt)
                                  .arg(m_request.retries + 1));
        sendFrame();
        return;
    }
    const QString attempts = m_attempt > 1 ? QStringLiteral(" in each of %1 attempts").arg(m_attempt) : QString();
    const QString baud = QString::number(m_request.baud);
    const QString other = QString::number(OtherUnitRate(m_request.baud));
    if (!m_heard) {
        finish(ExitStatus::NoAnswer,
               QStringLiteral("%1: no answer within %2 ms at %3 baud%5. Check that the unit is powered and the cable "
                              "is plugged in, and that the unit talks at %3 baud (try -s %4, or 'q42ctl detect' to find the "
                              "device and rate a unit answers on).")
                   .arg(m_label)
                   .arg(m_request.timeoutMs)
                   .arg(baud, other, attempts));
        return;
    }
    finish(ExitStatus::NoAnswer,
           QStringLiteral("%1: the answer could not be read within %2 ms at %3 baud%5: bytes came, but no complete "
                          "answer of the unit. Check the baud rate (try -s %4, or 'q42ctl detect') and the cable.")
               .arg(m_label)
               .arg(m_request.timeoutMs)
               .arg(baud, other, attempts));
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
        m_problems << QStringLiteral("%1: the %2 failed after the unit acknowledged the set: it holds the values "
                                     "written, and the changes are on standard output.")
                          .arg(m_label, QLatin1String(kStepNames[static_cast<int>(m_step)]));
    }
    m_deadline.stop();
    m_settle.stop();
    m_comm.PortOpen(false);
    emit Done();
}

}  // namespace q42::ctl
