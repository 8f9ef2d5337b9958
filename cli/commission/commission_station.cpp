// SPDX-License-Identifier: MIT
#include "commission_station.h"

#include <QDateTime>

#include "backup_file.h"
#include "device_choice.h"
#include "port_inventory.h"
#include "run_log.h"
#include "visible_text.h"

namespace q42::ctl {

namespace {

// A unit is looked for about twice a second; one that misses this many polls in a row has gone.
constexpr int kPollMs = 500;
constexpr int kGoneAfterMisses = 3;
constexpr int kReopenMs = 500;

const char* StepName(int step)
{
    static const char* const kNames[] = {"set", "read-back", "save"};
    return kNames[step];
}

}  // namespace

CommissionStation::CommissionStation(const CommissionTask& task, const Target& target, CommissionLedger& ledger,
                                     LineReader* ids, const LineTrace& trace, QObject* parent)
    : QObject(parent)
    , m_task(task)
    , m_target(target)
    , m_ledger(ledger)
    , m_ids(ids)
    , m_trace(trace)
    , m_exchange(trace)
{
    m_pollTimer.setSingleShot(true);
    connect(&m_pollTimer, &QTimer::timeout, this, &CommissionStation::poll);
    m_reopenTimer.setSingleShot(true);
    m_reopenTimer.setInterval(kReopenMs);
    connect(&m_reopenTimer, &QTimer::timeout, this, &CommissionStation::open);
    if (m_ids != nullptr) {
        connect(m_ids, &LineReader::changed, this, [this] {
            if (m_state == State::Asking) {
                takeId();
            }
        });
    }
}

void CommissionStation::Start()
{
    open();
}

bool CommissionStation::nothingLeft() const
{
    // Once N units have started, across every station, or the ids' input has ended so that no next
    // unit can be named, a station with none under way has nothing left to do.
    const bool limitReached = m_ledger.limit > 0 && m_ledger.started >= m_ledger.limit;
    const bool idsEnded = m_ids != nullptr && m_ids->Ended();
    return m_ledger.stopping || limitReached || idsEnded;
}

void CommissionStation::open()
{
    if (nothingLeft()) {
        stop();  // a station still waiting for its adapter ends with the run
        return;
    }
    // Once opened, the station keeps to its adapter by the USB serial number, where it has one of
    // its own: another adapter that takes its device name is never written, and its own is found
    // under whatever name it comes back.
    const Target target = m_adapterSerial.isEmpty() ? m_target : Target{kSerialPrefix + m_adapterSerial};
    const QString label = Label();
    const auto problem = OpenTarget(m_exchange, target, m_task.baud);
    const QString device = m_exchange.Device();
    if (m_openedOnce) {
        m_exchange.SetLabel(label);
    }
    if (problem) {
        if (!problem->absent && !m_openedOnce) {
            emit message(problem->text);
            m_status = problem->status;
            stop();
            return;
        }
        if (!m_saidAway) {
            emit message(QStringLiteral("%1: not present; waiting for the adapter to be plugged in").arg(Label()));
            m_saidAway = true;
        }
        m_reopenTimer.start();
        return;
    }
    if (!m_openedOnce) {
        m_adapterSerial = UniqueSerialNumberOf(device, SystemSerialDevices());
        m_openedOnce = true;
    } else if (m_saidAway) {
        emit message(device == m_lastDevice ? QStringLiteral("%1: the adapter is there").arg(Label())
                                            : QStringLiteral("%1: the adapter is there, now as %2").arg(Label(), device));
    }
    m_saidAway = false;
    m_lastDevice = device;
    m_state = State::Polling;
    if (!m_onCable) {
        emit message(QStringLiteral("waiting for a unit on %1").arg(Label()));
    }
    poll();
}

void CommissionStation::poll()
{
    m_pollStarted.start();
    // A poll is the read-only query alone: a short life, no retry.
    UnitReply* reply = m_exchange.Send(UnitStep::Query(), {m_task.timing.timeoutMs, 0});
    connect(reply, &UnitReply::finished, this, [this, reply] { handlePoll(reply); });
}

void CommissionStation::schedulePoll()
{
    if (nothingLeft()) {
        stop();
        return;
    }
    m_pollTimer.start(std::max<qint64>(0, kPollMs - m_pollStarted.elapsed()));
}

void CommissionStation::handlePoll(UnitReply* reply)
{
    reply->deleteLater();
    const ExchangeFailure& failure = reply->Failure();
    if (m_state != State::Polling) {
        return;  // a poll ended by the station's own stop or loss of the line
    }
    if (failure.error == ExchangeError::Line) {
        lost();
        return;
    }
    if (failure.error == ExchangeError::Timeout) {
        if (m_onCable && ++m_misses >= kGoneAfterMisses) {
            m_onCable.reset();
            m_onCableOr.reset();
            emit message(QStringLiteral("%1: the unit is gone").arg(Label()));
            emit message(QStringLiteral("waiting for a unit on %1").arg(Label()));
        }
        schedulePoll();
        return;
    }
    m_misses = 0;
    const UnitValues& values = reply->Answer()->values;
    // The unit just brought up answers as it was left; any other answer is the next unit, even
    // when the cable moved faster than the polls could tell.
    if ((m_onCable && *m_onCable == values) || (m_onCableOr && *m_onCableOr == values)) {
        schedulePoll();
        return;
    }
    const bool mayStart = !m_ledger.stopping && (m_ledger.limit == 0 || m_ledger.started < m_ledger.limit);
    if (!mayStart) {
        stop();
        return;
    }
    ++m_ledger.started;
    beginUnit(values);
}

void CommissionStation::lost()
{
    if (m_state == State::Stopped) {
        return;
    }
    emit message(QStringLiteral("%1: the adapter went away; waiting for it to come back").arg(Label()));
    m_saidAway = true;
    m_state = State::Opening;
    m_pollTimer.stop();
    m_exchange.Close();
    if (m_ledger.stopping) {
        stop();
        return;
    }
    m_reopenTimer.start();
}

void CommissionStation::beginUnit(const UnitValues& values)
{
    m_record = UnitRecord{};
    m_record.station = TargetLabel(m_target);
    m_record.device = m_exchange.Device();
    m_record.adapter = AdapterJson(SystemSerialDevices(), m_exchange.Device());
    m_record.baud = m_task.baud;
    m_record.before = values;
    m_record.written = Apply(m_task.golden, values);
    m_record.saveLeftOut = !m_task.save;
    m_onCable.reset();
    m_onCableOr.reset();
    if (m_ids == nullptr) {
        backUp();
        return;
    }
    m_state = State::Asking;
    emit prompt(QStringLiteral("%1: a unit answered; its id (Enter for none): ").arg(Label()));
    takeId();
}

void CommissionStation::takeId()
{
    if (const auto id = m_ids->TakeLine()) {
        if (id->tooLong) {
            emit message(QStringLiteral("%1: an id of more than %2 bytes was not taken; give the unit's id again")
                             .arg(Label())
                             .arg(kIdLineLimit));
            emit prompt(QStringLiteral("%1: its id (Enter for none): ").arg(Label()));
            takeId();
            return;
        }
        const QString given = id->text.trimmed();
        if (m_ledger.ids.contains(given)) {  // never an empty one: "no id" is not kept
            emit message(QStringLiteral("%1: the id %2 was given before in this run").arg(Label(), VisibleText(given)));
        }
        if (!given.isEmpty()) {
            m_ledger.ids << given;
        }
        m_record.unitId = given;
        backUp();
    } else if (m_ids->Ended()) {
        --m_ledger.started;  // no unit was brought up
        stop();
    }
}

void CommissionStation::backUp()
{
    m_state = State::Working;
    if (!m_task.backupDir.isEmpty()) {
        const QString serial = m_record.adapter.value(QStringLiteral("serial")).toString();
        const NewFile file = WriteNewFile(m_task.backupDir,
                                          BackupStem(m_record.unitId.isEmpty() ? serial : m_record.unitId,
                                                     QDateTime::currentDateTimeUtc()),
                                          QByteArray::fromStdString(FormatJson(ValuesJson(m_record.before, {}))));
        if (!file.problem.isEmpty()) {
            fail(QStringLiteral("backup"), ExitStatus::OutputLost,
                 QStringLiteral("%1: nothing was written to the unit, since %2").arg(Label(), file.problem));
            return;
        }
        m_record.backupPath = file.path;
        m_trace.Note(Label(), QStringLiteral("backup  %1").arg(file.path));
    }
    // A set carries all thirteen values, so it goes out only when one of the file's differs.
    if (m_record.written != m_record.before) {
        send(Step::Set);
    } else if (m_task.save) {
        send(Step::Save);
    } else {
        finishUnit();
    }
}

void CommissionStation::send(Step step)
{
    m_step = step;
    m_record.setSent = m_record.setSent || step == Step::Set;
    const UnitStep frame = step == Step::Set    ? UnitStep::Set(m_record.written)
                           : step == Step::Save ? UnitStep::Save()
                                                : UnitStep::Query();
    UnitReply* reply = m_exchange.Send(frame, m_task.timing);
    connect(reply, &UnitReply::finished, this, [this, reply] { handleStep(reply); });
}

void CommissionStation::handleStep(UnitReply* reply)
{
    reply->deleteLater();
    const ExchangeFailure& failure = reply->Failure();
    const QString step = QLatin1String(StepName(static_cast<int>(m_step)));
    switch (failure.error) {
    case ExchangeError::NoError:
        stepDone(*reply);
        return;
    case ExchangeError::Timeout:
        fail(step, ExitStatus::NoAnswer, timeoutText(failure));
        return;
    case ExchangeError::Line:
        fail(step, ExitStatusOf(failure.lineKind), LineProblemText(failure));
        lost();
        return;
    case ExchangeError::Cancelled:
        return;  // StopNow has said why
    }
}

void CommissionStation::stepDone(const UnitReply& reply)
{
    switch (m_step) {
    case Step::Set:
        m_record.setAcknowledged = true;
        send(Step::ReadBack);  // read back and compare before it is made permanent
        return;
    case Step::ReadBack: {
        const UnitValues& read = reply.Answer()->values;
        const QStringList differences = ReadBackDifferences(read, m_record.written);
        if (!differences.isEmpty()) {
            m_onCable = read;
            fail(QStringLiteral("read-back"), ExitStatus::Differs,
                 QStringLiteral("%1: read back %2; not saved").arg(Label(), differences.join(QStringLiteral("; "))));
            return;
        }
        m_record.verified = true;
        if (m_task.save) {
            send(Step::Save);
        } else {
            finishUnit();
        }
        return;
    }
    case Step::Save:
        m_record.saved = true;
        finishUnit();
        return;
    }
}

QString CommissionStation::timeoutText(const ExchangeFailure& failure) const
{
    return QStringLiteral("%1: no answer to the %2 within %3 ms at %4 baud%5")
        .arg(Label(), QLatin1String(StepName(static_cast<int>(m_step))))
        .arg(m_task.timing.timeoutMs)
        .arg(m_task.baud)
        .arg(failure.attempts > 1 ? QStringLiteral(" in each of %1 attempts").arg(failure.attempts) : QString());
}

void CommissionStation::fail(const QString& step, ExitStatus status, const QString& text)
{
    m_record.failure = UnitRecord::Failure{step, text, status};
    finishUnit();
}

void CommissionStation::finishUnit()
{
    m_record.time = QDateTime::currentDateTimeUtc();
    // What the unit is left holding, so that it is not taken again while it stays on the cable: a
    // set that went out unacknowledged may or may not have taken.
    if (!m_onCable) {
        m_onCable = m_record.setAcknowledged ? m_record.written : m_record.before;
        if (m_record.setSent && !m_record.setAcknowledged) {
            m_onCableOr = m_record.written;
        }
    }
    m_misses = 0;
    m_state = State::Polling;
    emit unitFinished(m_record);
    if (m_exchange.IsOpen()) {
        schedulePoll();
    }
}

void CommissionStation::StopAfterUnit()
{
    m_ledger.stopping = true;
    if (m_state == State::Asking) {
        --m_ledger.started;  // asked for its id, never brought up
    }
    if (m_state != State::Working) {
        stop();
    }
}

void CommissionStation::StopNow(const QString& what)
{
    if (m_state == State::Working) {
        fail(QLatin1String(StepName(static_cast<int>(m_step))), ExitStatus::NoAnswer,
             QStringLiteral("%1: stopped by a second %2 during the %3").arg(Label(), what, QLatin1String(StepName(static_cast<int>(m_step)))));
    }
    stop();
}

void CommissionStation::stop()
{
    if (m_state == State::Stopped) {
        return;
    }
    m_state = State::Stopped;
    m_pollTimer.stop();
    m_reopenTimer.stop();
    m_exchange.Close();
    emit stopped();
}

}  // namespace q42::ctl
