// SPDX-License-Identifier: MIT
#include "unit_session.h"

#include <algorithm>

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
    , m_label(TargetLabel(target))
{
    trace.Watch(m_comm, [this] { return m_label; });
    connect(&m_comm, &CMSComm::OnComm, this, &UnitSession::handleComm);
    // Restarted for each step and stopped by finish; a coarse timer may end the wait up to 5% early.
    m_deadline.setTimerType(Qt::PreciseTimer);
    connect(&m_deadline, &QTimer::timeout, this, &UnitSession::handleDeadline);

    switch (request.command) {
    case Command::Get:
        m_steps = {Step::ReadBefore};
        break;
    case Command::Save:
        m_steps = {Step::Save};
        break;
    case Command::Set:
        m_steps = {Step::ReadBefore, Step::Write};
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
    UnitLine line{m_target.portNumber, m_target.device, m_request.baud};
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
    m_heard = false;  // the last answer's ParseNow ended its burst: the next bytes start a new one
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
    // An answer ends with its frame, not with a quiet gap: a pause inside it, however long, only
    // delays it. A frame still arriving holds no CR LF yet, and one whose digits are not all hex
    // decodes to nothing, so neither is taken. A complete frame that is not the awaited answer is a
    // leftover (an answer sent twice, say): ParseNow ends its burst, so the next bytes start a clean
    // one. Bytes without the start character are line noise, dropped so they never fill the area.
    const ReceiveBuffer& held = m_receive.Buffer();
    const auto* end = held.data.begin() + held.count;
    if (HeldAnswerBytes(held) != 0) {
        takeAnswer(m_receive.ParseNow());
    } else if (std::find(held.data.begin(), end, '>') == end) {
        m_receive.InitReceive();
    }
}

void UnitSession::takeAnswer(const UnitAnswer& answer)
{
    const bool fits = waitsForSettings() ? answer.CarriesEveryValue() : answer.kind == AnswerKind::Acknowledged;
    if (!fits) {
        return;
    }
    if (waitsForSettings()) {
        m_read = answer.values;
    }
    stepAnswered();
}

void UnitSession::stepAnswered()
{
    if (m_step == Step::ReadBefore && m_request.command == Command::Set) {
        m_written = Apply(m_request.edits, m_read);
        m_changes = Differences(m_read, m_written);
    }
    if (m_step == Step::ReadBack) {
        for (std::size_t i = 0; i < kValueCount; ++i) {
            if (m_read[i] != m_written[i]) {
                m_problems << QStringLiteral("%1: read back %2=%3, but %4 was written")
                                  .arg(m_label, LabelOfValue(i), QString::fromStdString(FormatValue(i, m_read)),
                                       QString::fromStdString(FormatValue(i, m_written)));
            }
        }
        if (!m_problems.isEmpty()) {
            finish(ExitStatus::Differs);
            return;
        }
    }
    sendNext();
}

void UnitSession::handleDeadline()
{
    const QString baud = QString::number(m_request.baud);
    const QString other = m_request.baud == 57600 ? QStringLiteral("9600") : QStringLiteral("57600");
    if (!m_heard) {
        finish(ExitStatus::NoAnswer,
               QStringLiteral("%1: no answer within %2 ms at %3 baud. Check that the unit is powered and the cable "
                              "is plugged in, and that the unit talks at %3 baud (try -s %4, or 'q42ctl detect' to find the "
                              "device and rate a unit answers on).")
                   .arg(m_label)
                   .arg(m_request.timeoutMs)
                   .arg(baud, other));
        return;
    }
    finish(ExitStatus::NoAnswer,
           QStringLiteral("%1: the answer could not be read within %2 ms at %3 baud: bytes came, but no complete "
                          "answer of the unit. Check the baud rate (try -s %4, or 'q42ctl detect') and the cable.")
               .arg(m_label)
               .arg(m_request.timeoutMs)
               .arg(baud, other));
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
    m_deadline.stop();
    m_comm.PortOpen(false);
    emit Done();
}

}  // namespace q42::ctl
